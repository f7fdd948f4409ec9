#include "TestCertificates.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Cert = std::unique_ptr<X509, decltype(&X509_free)>;

void Check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("TestAuthority: ") + what + " failed");
}

Key NewKey() {
    Key key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    Check(key != nullptr, "EVP_EC_gen");
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    Check(ext != nullptr, "X509V3_EXT_conf_nid");
    const int added = X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
    Check(added == 1, "X509_add_ext");
}

// A certificate for key with this common name; self-signed when issuer is null.
Cert MakeCert(EVP_PKEY* key, const std::string& commonName, X509* issuer, long serial, int fromDays,
              int toDays) {
    Cert cert(X509_new(), X509_free);
    Check(cert != nullptr, "X509_new");
    X509_set_version(cert.get(), X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), long{fromDays} * 86400);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), long{toDays} * 86400);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("InboxPruner tests"), -1, -1,
                               0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    X509* signer = issuer ? issuer : cert.get();
    X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
    return cert;
}

void Sign(X509* cert, EVP_PKEY* key) {
    Check(X509_sign(cert, key, EVP_sha256()) > 0, "X509_sign");
}

void WritePem(const std::string& path, X509* cert, EVP_PKEY* key) {
    FILE* f = std::fopen(path.c_str(), "w");
    Check(f != nullptr, ("open " + path).c_str());
    const bool ok = cert ? PEM_write_X509(f, cert) == 1
                         : PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    std::fclose(f);
    Check(ok, ("write " + path).c_str());
}

} // namespace

TestAuthority::TestAuthority(std::string folder, const std::string& commonName)
    : folder_(std::move(folder)) {
    Key key = NewKey();
    Cert cert = MakeCert(key.get(), commonName, nullptr, 1, -1, 365);
    AddExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert.get(), cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash");
    Sign(cert.get(), key.get());
    const std::string stem = folder_ + "/" + commonName;
    cert_ = {stem + ".pem", stem + ".key"};
    WritePem(cert_.CertFile, cert.get(), nullptr);
    WritePem(cert_.KeyFile, nullptr, key.get());
}

TestCertificate TestAuthority::Issue(const std::string& name,
                                     const std::vector<std::string>& dnsNames,
                                     const std::vector<std::string>& addresses, int validFromDays,
                                     int validToDays) const {
    FILE* f = std::fopen(cert_.CertFile.c_str(), "r");
    Check(f != nullptr, "open CA certificate");
    Cert caCert(PEM_read_X509(f, nullptr, nullptr, nullptr), X509_free);
    std::fclose(f);
    f = std::fopen(cert_.KeyFile.c_str(), "r");
    Check(f != nullptr, "open CA key");
    Key caKey(PEM_read_PrivateKey(f, nullptr, nullptr, nullptr), EVP_PKEY_free);
    std::fclose(f);
    Check(caCert && caKey, "read CA");

    static long serial = 100;
    Key key = NewKey();
    Cert cert = MakeCert(key.get(), name, caCert.get(), ++serial, validFromDays, validToDays);
    std::string altNames;
    for (const auto& n : dnsNames)
        altNames += (altNames.empty() ? "DNS:" : ",DNS:") + n;
    for (const auto& a : addresses)
        altNames += (altNames.empty() ? "IP:" : ",IP:") + a;
    AddExtension(cert.get(), caCert.get(), NID_basic_constraints, "CA:FALSE");
    AddExtension(cert.get(), caCert.get(), NID_ext_key_usage, "serverAuth");
    AddExtension(cert.get(), caCert.get(), NID_authority_key_identifier, "keyid");
    if (!altNames.empty())
        AddExtension(cert.get(), caCert.get(), NID_subject_alt_name, altNames);
    Sign(cert.get(), caKey.get());
    const std::string stem = folder_ + "/" + name;
    TestCertificate issued{stem + ".pem", stem + ".key"};
    WritePem(issued.CertFile, cert.get(), nullptr);
    WritePem(issued.KeyFile, nullptr, key.get());
    return issued;
}
