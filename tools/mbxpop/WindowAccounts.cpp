#include "WindowAccounts.h"

#include "PasswordObfuscation.h"
#include "ServerAddress.h"
#include "SettingsStore.h"

std::optional<std::vector<TWindowAccount>> WindowAccounts() {
    const TSettingsStore store;
    if (store.LoadFailed())
        return std::nullopt;
    std::vector<TWindowAccount> accounts;
    for (int k = 1; k <= MaxRememberedAccounts; ++k) {
        const std::string server = store.ReadString(NumberedKey("Server", k)).toStdString();
        const auto address = ParseServerAddress(server);
        const std::string user = store.ReadString(NumberedKey("User", k)).toStdString();
        if (!address || user.empty())
            continue;
        TWindowAccount account;
        account.Server = server;
        account.Host = address->Host;
        account.User = user;
        const std::string mode = store.ReadString(NumberedKey("Security", k)).toStdString();
        account.Security =
            mode.empty() ? TSecurity::None : SecurityFromName(mode).value_or(TSecurity::Auto);
        account.PortTyped = !address->Port.empty();
        account.Port = account.PortTyped ? std::stoi(address->Port) : DefaultPort(account.Security);
        account.OAuth2 = store.ReadString(NumberedKey("SignIn", k))
                             .compare(QStringLiteral("oauth2"), Qt::CaseInsensitive) == 0;
        account.StoredPassword =
            KlartextPW(store.ReadBytes(NumberedKey("PWD", k)), PasswordStartValue);
        accounts.push_back(std::move(account));
    }
    return accounts;
}

std::string AccountLabel(const TWindowAccount& account) {
    return account.User + '@' + JoinHostPort(account.Host, account.Port);
}
