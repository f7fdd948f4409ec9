#include "AccountHistory.h"

#include "PasswordObfuscation.h"
#include "SettingsStore.h"

#include <QComboBox>

namespace {

constexpr int SecurityRole = Qt::UserRole;
constexpr int SignInRole = Qt::UserRole + 1;

QStringList ItemsOf(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

} // namespace

void TAccountHistory::ShowIn(QComboBox& servers, QComboBox& users) {
    servers_ = &servers;
    users_ = &users;
}

QStringList TAccountHistory::ServerHistory() const {
    return ItemsOf(*servers_);
}

QStringList TAccountHistory::UserHistory() const {
    return ItemsOf(*users_);
}

std::string TAccountHistory::Password(int i) const {
    return i >= 0 && i < static_cast<int>(passwords_.size())
               ? passwords_[static_cast<std::size_t>(i)]
               : std::string();
}

void TAccountHistory::SetPassword(int i, const std::string& password) {
    if (i >= 0 && i < static_cast<int>(passwords_.size()))
        passwords_[static_cast<std::size_t>(i)] = password;
}

TSecurity TAccountHistory::Security(int i) const {
    const QVariant stored = servers_->itemData(i, SecurityRole);
    if (!stored.isValid())
        return TSecurity::None;
    return SecurityFromName(stored.toString().toStdString()).value_or(TSecurity::Auto);
}

void TAccountHistory::SetSecurity(int i, TSecurity security) {
    servers_->setItemData(i, QString::fromStdString(SecurityName(security)), SecurityRole);
}

TSignIn TAccountHistory::SignIn(int i) const {
    return SignInFromName(servers_->itemData(i, SignInRole).toString()).value_or(TSignIn::Password);
}

void TAccountHistory::SetSignIn(int i, TSignIn signIn) {
    servers_->setItemData(i, SignInName(signIn), SignInRole);
}

void TAccountHistory::Remove(int i) {
    servers_->removeItem(i);
    users_->removeItem(i);
    if (i < static_cast<int>(passwords_.size()))
        passwords_.erase(passwords_.begin() + i);
}

void TAccountHistory::Record(const QString& server, const QString& user,
                             const std::string& password, TSecurity security) {
    for (int i = servers_->count() - 1; i >= 0; --i) {
        if (servers_->itemText(i) == server && users_->itemText(i) == user)
            Remove(i);
    }
    servers_->addItem(server);
    SetSecurity(servers_->count() - 1, security);
    users_->addItem(user);
    passwords_.push_back(password);
    while (servers_->count() > MaxAccounts) {
        servers_->removeItem(0);
        users_->removeItem(0);
        if (!passwords_.empty())
            passwords_.erase(passwords_.begin());
    }
}

void TAccountHistory::Load(const TSettingsStore& settings) {
    for (int k = 1; k <= MaxAccounts; ++k) {
        const QString user = settings.ReadString(NumberedKey("User", k));
        if (!user.isEmpty())
            users_->addItem(user);
    }
    for (int k = 1; k <= MaxAccounts; ++k) {
        const QString server = settings.ReadString(NumberedKey("Server", k));
        if (server.isEmpty())
            continue;
        servers_->addItem(server);
        // An entry from before the mode was stored was used in plain text; an unreadable
        // mode takes the one that never sends plain text without asking.
        const QString mode = settings.ReadString(NumberedKey("Security", k));
        SetSecurity(servers_->count() - 1,
                    mode.isEmpty()
                        ? TSecurity::None
                        : SecurityFromName(mode.toStdString()).value_or(TSecurity::Auto));
        const QString signIn = settings.ReadString(NumberedKey("SignIn", k));
        if (!signIn.isEmpty())
            SetSignIn(servers_->count() - 1, SignInFromName(signIn).value_or(TSignIn::Password));
    }
    // One entry per account, empty where the file holds none (the password is in the keyring
    // or was not to be remembered), so that the passwords stay in step with the accounts.
    for (int k = 1; k <= MaxAccounts; ++k) {
        if (!settings.ReadString(NumberedKey("User", k)).isEmpty())
            passwords_.push_back(
                KlartextPW(settings.ReadBytes(NumberedKey("PWD", k)), PasswordStartValue));
    }
}

void TAccountHistory::Save(TSettingsStore& settings,
                           const std::function<bool(int account)>& inKeyring) const {
    const int count = users_->count();
    for (int k = 1; k <= count; ++k) {
        settings.WriteString(NumberedKey("User", k), users_->itemText(k - 1));
        settings.WriteString(NumberedKey("Server", k), servers_->itemText(k - 1));
        settings.WriteString(NumberedKey("Security", k),
                             QString::fromStdString(SecurityName(Security(k - 1))));
        settings.WriteString(NumberedKey("SignIn", k), SignInName(SignIn(k - 1)));
        const std::string password = Password(k - 1);
        if (password.empty() || inKeyring(k - 1))
            settings.DeleteValue(NumberedKey("PWD", k));
        else
            settings.WriteBytes(NumberedKey("PWD", k), VerschleierPW(password, PasswordStartValue));
    }
    if (count < MaxAccounts) {
        for (int n = count + 1; n <= MaxAccounts + 1; ++n) {
            settings.DeleteValue(NumberedKey("Server", n));
            settings.DeleteValue(NumberedKey("User", n));
            settings.DeleteValue(NumberedKey("PWD", n));
            settings.DeleteValue(NumberedKey("Security", n));
            settings.DeleteValue(NumberedKey("SignIn", n));
        }
    }
}

void TAccountHistory::ForgetStoredPassword(TSettingsStore& settings, const QString& server,
                                           const QString& user) {
    for (int k = 1; k <= MaxAccounts; ++k) {
        if (settings.ReadString(NumberedKey("Server", k)) == server &&
            settings.ReadString(NumberedKey("User", k)) == user &&
            !settings.ReadBytes(NumberedKey("PWD", k)).empty()) {
            settings.DeleteValue(NumberedKey("PWD", k));
            settings.Flush();
        }
    }
}
