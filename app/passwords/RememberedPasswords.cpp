#include "RememberedPasswords.h"

#include "AccountHistory.h"
#include "ByteText.h"
#include "Frame.h"
#include "MbxPOP3.h"

#include <QCheckBox>

namespace {

// How long closing waits for keyring jobs still running, so that none is cut off.
constexpr int CloseWaitMilliseconds = 10000;

QString AccountKey(const QString& server, const QString& user) {
    return server + u'\n' + user;
}

} // namespace

TRememberedPasswords::TRememberedPasswords(TFrame& frame)
    : Remember(&frame.AddLoginOption("Passwort_merken", 180)), frame_(frame) {
    Remember->setChecked(true);
    if (!TKeyringStore::ServiceRuns())
        return;
    Keyring = new TKeyringStore(this);
    connect(Keyring, &TKeyringStore::ReadFinished, this, &TRememberedPasswords::PasswordRead);
    connect(Keyring, &TKeyringStore::WriteFinished, this, &TRememberedPasswords::PasswordWritten);
    connect(
        Keyring, &TKeyringStore::RemoveFinished, this,
        [this](const QString&, const QString&, TKeyringStore::Result result, const QString& error) {
            if (result == TKeyringStore::Result::Failed)
                Notice(unusableShown_, Texts::KeyringUnusable, error);
        });
}

void TRememberedPasswords::LanguageChanged(bool germanUI) {
    Remember->setText(Tr(Texts::RememberPasswordCaption, germanUI));
}

void TRememberedPasswords::ReadSettings() {
    Remember->setChecked(frame_.Settings().ReadInteger(QStringLiteral("RememberPWD"), 1) != 0);
    if (!Keyring)
        return;
    // Passwords still in the file move at their account's next login; the others are asked for.
    const TAccountHistory& accounts = frame_.History();
    const QStringList servers = accounts.ServerHistory();
    const QStringList users = accounts.UserHistory();
    const auto& passwords = accounts.PasswordHistory();
    for (int i = 0; i < users.size() && i < static_cast<int>(passwords.size()); ++i) {
        if (passwords[static_cast<std::size_t>(i)].empty())
            Keyring->Read(servers.value(i), users.value(i));
    }
}

void TRememberedPasswords::WriteSettings() {
    frame_.Settings().WriteInteger(QStringLiteral("RememberPWD"), Remember->isChecked() ? 1 : 0);
    if (Keyring)
        Keyring->WaitForJobs(CloseWaitMilliseconds);
}

bool TRememberedPasswords::KeepsPasswordOf(int account) const {
    const TAccountHistory& accounts = frame_.History();
    return keyringAccounts_.contains(
        AccountKey(accounts.ServerHistory().value(account), accounts.UserHistory().value(account)));
}

void TRememberedPasswords::LoggedIn() {
    // A provider's tokens took the password's place.
    if (frame_.Session().Auth != TAuthMethod::Password)
        return;
    TAccountHistory& accounts = frame_.History();
    const QStringList servers = accounts.ServerHistory();
    const int newest = static_cast<int>(servers.size()) - 1;
    const QString server = servers.value(newest);
    const QString user = accounts.UserHistory().value(newest);
    if (!Remember->isChecked()) {
        accounts.SetPassword(newest, {});
        keyringAccounts_.remove(AccountKey(server, user));
        TAccountHistory::ForgetStoredPassword(frame_.Settings(), server, user);
        if (Keyring)
            Keyring->Remove(server, user);
        return;
    }
    if (Keyring)
        Keyring->Write(server, user, FromBytes(accounts.Password(newest)));
}

void TRememberedPasswords::PasswordRead(const QString& server, const QString& user,
                                        TKeyringStore::Result result, const QString& password,
                                        const QString& error) {
    if (result == TKeyringStore::Result::Failed)
        Notice(unusableShown_, Texts::KeyringUnusable, error);
    if (result != TKeyringStore::Result::Done)
        return;
    TAccountHistory& accounts = frame_.History();
    const QStringList servers = accounts.ServerHistory();
    const QStringList users = accounts.UserHistory();
    for (int i = 0; i < servers.size() && i < static_cast<int>(accounts.PasswordHistory().size());
         ++i) {
        // A password typed at a login meanwhile is newer than the keyring's.
        if (servers.value(i) != server || users.value(i) != user || !accounts.Password(i).empty())
            continue;
        accounts.SetPassword(i, ToBytes(password));
        keyringAccounts_.insert(AccountKey(server, user));
        frame_.OfferPassword(server, user, password);
    }
}

void TRememberedPasswords::PasswordWritten(const QString& server, const QString& user,
                                           TKeyringStore::Result result, const QString& error) {
    if (result == TKeyringStore::Result::Done) {
        keyringAccounts_.insert(AccountKey(server, user));
        TAccountHistory::ForgetStoredPassword(frame_.Settings(), server, user);
        return;
    }
    // The password stays in the history, so closing writes it to the file: nothing is lost.
    keyringAccounts_.remove(AccountKey(server, user));
    Notice(writeFailShown_, Texts::KeyringWriteFailed, error);
}

// A command clears the status as it goes, so a notice that arrives while one runs waits for
// its end.
void TRememberedPasswords::Notice(bool& shown, const TText& text, const QString& error) {
    if (shown)
        return;
    shown = true;
    QueueNotice(Tr(text, frame_.GermanUI()).arg(error));
}

void TRememberedPasswords::QueueNotice(const QString& notice) {
    notices_ << notice;
    ShowNotices();
}

void TRememberedPasswords::CommandsEnded() {
    ShowNotices();
}

void TRememberedPasswords::ShowNotices() {
    if (frame_.CommandRunning() || notices_.isEmpty())
        return;
    for (const QString& notice : std::as_const(notices_))
        frame_.StatusAppend(notice);
    notices_.clear();
    frame_.ShowStatus();
}
