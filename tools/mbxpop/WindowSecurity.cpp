#include "WindowSecurity.h"

#include <strings.h>

#include "WindowAccounts.h"

std::optional<TSecurity> RememberedSecurity(const std::string& host, int port,
                                            const std::string& user) {
    const auto accounts = WindowAccounts();
    if (!accounts)
        return std::nullopt;
    for (auto account = accounts->rbegin(); account != accounts->rend(); ++account) {
        if (::strcasecmp(account->Host.c_str(), host.c_str()) == 0 && account->User == user &&
            account->Port == port &&
            (account->Security == TSecurity::Tls || account->Security == TSecurity::StartTls))
            return account->Security;
    }
    return std::nullopt;
}
