#pragma once

#include <string>

class TSettingsStore;

// Certificates the user chose to trust although they could not be verified: one SHA-256
// fingerprint per server host and port, in their own group of the settings store.
class TTrustedCertificates {
public:
    explicit TTrustedCertificates(TSettingsStore& store) : store_(store) {}

    // Empty when none is stored for this server.
    std::string Fingerprint(const std::string& host, int port) const;
    // Stores at once: the decision holds even if the program ends abnormally later.
    void Trust(const std::string& host, int port, const std::string& fingerprint);

private:
    TSettingsStore& store_;
};
