#include "WindowSecurity.h"

#include <strings.h>

#include "ServerAddress.h"
#include "SettingsStore.h"

std::optional<TSecurity> RememberedSecurity(const std::string& host, int port,
                                            const std::string& user) {
    const TSettingsStore store;
    if (store.LoadFailed())
        return std::nullopt;
    for (int k = MaxRememberedAccounts; k >= 1; --k) {
        const auto address =
            ParseServerAddress(store.ReadString(NumberedKey("Server", k)).toStdString());
        if (!address || ::strcasecmp(address->Host.c_str(), host.c_str()) != 0 ||
            store.ReadString(NumberedKey("User", k)).toStdString() != user)
            continue;
        const auto mode =
            SecurityFromName(store.ReadString(NumberedKey("Security", k)).toStdString());
        if (!mode || (*mode != TSecurity::Tls && *mode != TSecurity::StartTls))
            continue;
        const int entryPort = address->Port.empty() ? DefaultPort(*mode) : std::stoi(address->Port);
        if (entryPort == port)
            return mode;
    }
    return std::nullopt;
}
