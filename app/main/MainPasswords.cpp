// Where remembered passwords live: in the desktop's keyring when one runs at start, else
// obfuscated in the settings file. The "remember password" option, and the move of the
// file's passwords into the keyring at each account's next successful login.
#include "BusyAnimation.h"
#include "ByteText.h"
#include "KeyringStore.h"
#include "Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

// How long closing waits for keyring jobs still running, so that none is cut off.
constexpr int CloseWaitMilliseconds = 10000;

QString AccountKey(const QString& server, const QString& user) {
    return server + u'\n' + user;
}

} // namespace

void TForm1::BuildRememberOption() {
    Passwort_merken = new QCheckBox(Panel1);
    Passwort_merken->setObjectName(QStringLiteral("Passwort_merken"));
    Passwort_merken->setChecked(true);
    // Under the password, on the line of the other option; the busy animation, shown only
    // while the option is disabled anyway, stays in front of its end.
    const int left = Header_Nein->geometry().right() + 4;
    Passwort_merken->setGeometry(left, Header_Nein->y(), 180, Header_Nein->height());
    Status_avi->raise();
}

void TForm1::ChoosePasswordStore() {
    if (!TKeyringStore::ServiceRuns())
        return;
    Keyring = new TKeyringStore(this);
    connect(Keyring, &TKeyringStore::ReadFinished, this, &TForm1::KeyringPasswordRead);
    connect(Keyring, &TKeyringStore::WriteFinished, this, &TForm1::KeyringPasswordWritten);
    connect(
        Keyring, &TKeyringStore::RemoveFinished, this,
        [this](const QString&, const QString&, TKeyringStore::Result result, const QString& error) {
            if (result == TKeyringStore::Result::Failed)
                KeyringNotice(FKeyringUnusableShown, Texts::KeyringUnusable, error);
        });
}

void TForm1::LoadPasswordOptions() {
    Passwort_merken->setChecked(FSettings.ReadInteger(QStringLiteral("RememberPWD"), 1) != 0);
    if (!Keyring)
        return;
    // Passwords still in the file move at their account's next login; the others are asked for.
    const auto& passwords = Accounts.PasswordHistory();
    for (int i = 0; i < Username->count() && i < static_cast<int>(passwords.size()); ++i) {
        if (passwords[static_cast<std::size_t>(i)].empty())
            Keyring->Read(servername->itemText(i), Username->itemText(i));
    }
}

void TForm1::SavePasswordOptions() {
    FSettings.WriteInteger(QStringLiteral("RememberPWD"), Passwort_merken->isChecked() ? 1 : 0);
    if (Keyring)
        Keyring->WaitForJobs(CloseWaitMilliseconds);
}

bool TForm1::PasswordInKeyring(int account) const {
    return FKeyringAccounts.contains(
        AccountKey(servername->itemText(account), Username->itemText(account)));
}

void TForm1::RememberPassword() {
    const int newest = servername->count() - 1;
    const QString server = servername->itemText(newest);
    const QString user = Username->itemText(newest);
    if (!Passwort_merken->isChecked()) {
        Accounts.SetPassword(newest, {});
        FKeyringAccounts.remove(AccountKey(server, user));
        TAccountHistory::ForgetStoredPassword(FSettings, server, user);
        if (Keyring)
            Keyring->Remove(server, user);
        return;
    }
    if (Keyring)
        Keyring->Write(server, user, FromBytes(Accounts.Password(newest)));
}

void TForm1::KeyringPasswordRead(const QString& server, const QString& user,
                                 TKeyringStore::Result result, const QString& password,
                                 const QString& error) {
    if (result == TKeyringStore::Result::Failed)
        KeyringNotice(FKeyringUnusableShown, Texts::KeyringUnusable, error);
    if (result != TKeyringStore::Result::Done)
        return;
    for (int i = 0;
         i < servername->count() && i < static_cast<int>(Accounts.PasswordHistory().size()); ++i) {
        // A password typed at a login meanwhile is newer than the keyring's.
        if (servername->itemText(i) != server || Username->itemText(i) != user ||
            !Accounts.Password(i).empty())
            continue;
        Accounts.SetPassword(i, ToBytes(password));
        FKeyringAccounts.insert(AccountKey(server, user));
        if (ControlState() == StateIdle && Password->text().isEmpty() &&
            servername->currentText() == server && Username->currentText() == user)
            Password->setText(password);
    }
}

void TForm1::KeyringPasswordWritten(const QString& server, const QString& user,
                                    TKeyringStore::Result result, const QString& error) {
    if (result == TKeyringStore::Result::Done) {
        FKeyringAccounts.insert(AccountKey(server, user));
        TAccountHistory::ForgetStoredPassword(FSettings, server, user);
        return;
    }
    // The password stays in the history, so closing writes it to the file: nothing is lost.
    FKeyringAccounts.remove(AccountKey(server, user));
    KeyringNotice(FKeyringWriteFailShown, Texts::KeyringWriteFailed, error);
}

// Said once per run; a command clears the status as it goes, so a notice that arrives while
// one runs waits for its end.
void TForm1::KeyringNotice(bool& shown, const TText& text, const QString& error) {
    if (shown)
        return;
    shown = true;
    QueueKeyringNotice(Tr(text, GermanUI()).arg(error));
}

void TForm1::QueueKeyringNotice(const QString& notice) {
    FKeyringNotices << notice;
    ShowKeyringNotices();
}

void TForm1::ShowKeyringNotices() {
    if (CommandRunning() || FKeyringNotices.isEmpty())
        return;
    for (const QString& notice : std::as_const(FKeyringNotices))
        StatusAppend(notice);
    FKeyringNotices.clear();
    Status->show();
}
