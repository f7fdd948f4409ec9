#include "TrustedCertificates.h"

#include "ServerAddress.h"
#include "SettingsStore.h"

#include <QString>

namespace {

// Host names are compared without regard to case, as the name lookup does.
QString Key(const std::string& host, int port) {
    return QStringLiteral("TrustedCertificates/") +
           QString::fromStdString(JoinHostPort(host, port)).toLower();
}

} // namespace

std::string TTrustedCertificates::Fingerprint(const std::string& host, int port) const {
    return store_.ReadString(Key(host, port)).toStdString();
}

void TTrustedCertificates::Trust(const std::string& host, int port,
                                 const std::string& fingerprint) {
    store_.WriteString(Key(host, port), QString::fromStdString(fingerprint));
    store_.Flush();
}
