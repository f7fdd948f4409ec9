#include "TrustStore.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace {

// True when the folder holds at least one certificate under its hash name ("1a2b3c4d.0"),
// the form a folder lookup finds.
bool HoldsHashedCertificates(const char* folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder), ::closedir);
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (std::strlen(name) >= 10 && std::strspn(name, "0123456789abcdef") == 8 && name[8] == '.')
            return true;
    }
    return false;
}

} // namespace

bool LoadSystemTrust(ssl_ctx_st* ctx) {
    const char* file = std::getenv(X509_get_default_cert_file_env());
    const char* dir = std::getenv(X509_get_default_cert_dir_env());
    if (file || dir || !HoldsHashedCertificates(X509_get_default_cert_dir()))
        return SSL_CTX_set_default_verify_paths(ctx) == 1;
    return X509_STORE_load_path(SSL_CTX_get_cert_store(ctx), X509_get_default_cert_dir()) == 1;
}
