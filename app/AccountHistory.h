#pragma once

#include "Security.h"
#include "SettingsStore.h"
#include "SignInChoice.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class TSettingsStore;

// The accounts of earlier logins, oldest first, at most MaxAccounts: entry i of the server
// list, the user list and the password list is one account. The two combo boxes of the login
// row hold the server and user entries (each entry's security mode with it), this type the
// passwords; everything that changes the history goes through here so the lists stay in step.
class TAccountHistory {
public:
    static constexpr int MaxAccounts = MaxRememberedAccounts;

    // The combo boxes that show the server and user entries; set once, before any other use.
    void ShowIn(QComboBox& servers, QComboBox& users);

    // The three lists as they stand.
    QStringList ServerHistory() const;
    QStringList UserHistory() const;
    const std::vector<std::string>& PasswordHistory() const { return passwords_; }

    // The remembered password of account i; empty for none (or not yet read from the keyring).
    std::string Password(int i) const;
    void SetPassword(int i, const std::string& password);
    // The mode stored with entry i; None for an entry from before there was one.
    TSecurity Security(int i) const;
    void SetSecurity(int i, TSecurity security);
    // How entry i signs in; Password for an entry from before there was a choice.
    TSignIn SignIn(int i) const;
    void SetSignIn(int i, TSignIn signIn);

    // A successful login becomes the newest entry; an earlier entry of the same server and
    // user (exact comparison) goes. The oldest entries go beyond MaxAccounts.
    void Record(const QString& server, const QString& user, const std::string& password,
                TSecurity security);
    // Forgets account i.
    void Remove(int i);

    // The history as the settings file holds it: "Server1".."Server10", "User1".., "Security1"..,
    // "SignIn1".. and "PWD1".. (obfuscated). Load appends to what the boxes hold.
    void Load(const TSettingsStore& settings);
    // Writes every entry; the password of an account for which inKeyring is true stays out.
    void Save(TSettingsStore& settings, const std::function<bool(int account)>& inKeyring) const;
    // Removes the file's copy of the password of server and user at once, so that a program
    // killed later leaves no stale copy behind.
    static void ForgetStoredPassword(TSettingsStore& settings, const QString& server,
                                     const QString& user);

private:
    QComboBox* servers_ = nullptr;
    QComboBox* users_ = nullptr;
    std::vector<std::string> passwords_;
};
