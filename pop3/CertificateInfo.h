#pragma once

// What the user is shown about a server certificate that could not be verified.

#include <string>

struct TCertificateInfo {
    std::string Host;
    int Port = 0;
    std::string Subject, Issuer, NotBefore, NotAfter; // readable text; dates in UTC
    std::string Fingerprint;                          // SHA-256, upper-case hex pairs joined by ':'
    std::string VerifyError;                          // OpenSSL's verification error in words
    long VerifyCode = 0;  // its X509_V_ERR number, or NoCertificate when none was sent
    bool Changed = false; // a trusted fingerprint was stored and this one differs

    static constexpr long NoCertificate = -1;
};
