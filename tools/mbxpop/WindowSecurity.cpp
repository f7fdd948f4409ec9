#include "WindowSecurity.h"

#include <strings.h>

#include "ServerAddress.h"
#include "SettingsStore.h"

namespace {

// The window's account history: "Server1".."Server10", "User1".., "Security1".., oldest first.
constexpr int kAccounts = 10;

QString Numbered(const char* name, int number) {
    return QLatin1String(name) + QString::number(number);
}

} // namespace

std::optional<TSecurity> RememberedSecurity(const std::string& host, int port,
                                            const std::string& user) {
    const TSettingsStore store;
    if (store.LoadFailed())
        return std::nullopt;
    for (int k = kAccounts; k >= 1; --k) {
        const auto address =
            ParseServerAddress(store.ReadString(Numbered("Server", k)).toStdString());
        if (!address || ::strcasecmp(address->Host.c_str(), host.c_str()) != 0 ||
            store.ReadString(Numbered("User", k)).toStdString() != user)
            continue;
        const auto mode = SecurityFromName(store.ReadString(Numbered("Security", k)).toStdString());
        if (!mode || (*mode != TSecurity::Tls && *mode != TSecurity::StartTls))
            continue;
        const int entryPort = address->Port.empty() ? DefaultPort(*mode) : std::stoi(address->Port);
        if (entryPort == port)
            return mode;
    }
    return std::nullopt;
}
