#pragma once

// A private certificate authority made by the test run, and server certificates it signs, as
// PEM files in a folder the caller owns.
//
//   TestAuthority ca(folder, "Test CA");
//   auto server = ca.Issue("server", {"localhost"}, {"127.0.0.1"});
//   DovecotServer dovecot("bob", "pw", mails, DovecotTls{server.CertFile, server.KeyFile});
//   pop.CaFile = ca.CertFile();

#include <string>
#include <vector>

struct TestCertificate {
    std::string CertFile; // the certificate, PEM
    std::string KeyFile;  // its private key, PEM
};

class TestAuthority {
public:
    // Makes the authority's key and self-signed certificate in folder (which must exist).
    TestAuthority(std::string folder, const std::string& commonName);
    const std::string& CertFile() const { return cert_.CertFile; }

    // A server certificate named name (file stem and common name) for these DNS names and
    // IP addresses, valid from validFromDays to validToDays relative to now (negative: past).
    // Throws std::runtime_error when OpenSSL fails.
    TestCertificate Issue(const std::string& name, const std::vector<std::string>& dnsNames,
                          const std::vector<std::string>& addresses, int validFromDays = -1,
                          int validToDays = 30) const;

private:
    std::string folder_;
    TestCertificate cert_;
};
