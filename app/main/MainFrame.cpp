// What the window offers its components besides its state: the login row's account and
// password field, the status, fetching and showing a whole mail.
#include "AccountData.h"
#include "Accounts.h"
#include "ByteText.h"
#include "ConnectionSecurity.h"
#include "CopiesOfDeleted.h"
#include "Find.h"
#include "KeepNewest.h"
#include "Main.h"
#include "MarkAlikeEntries.h"
#include "MarkCommands.h"
#include "MarksCountLine.h"
#include "NewMailMarkers.h"
#include "OAuth2SignIn.h"
#include "RememberedListing.h"
#include "RememberedPasswords.h"
#include "RulesOnListing.h"
#include "SenderListEntries.h"
#include "SpaceView.h"
#include "SpamScores.h"
#include "Unsubscribe.h"
#include "email.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

// Each capability beyond the window's own commands is made here, once; the order is the order
// their hooks are called in.
void TForm1::MakeComponents() {
    // The login row's option, then its choices; the security choice reads the server before
    // any other component prepares a connect.
    auto& passwords = Parts.Add(std::make_unique<TRememberedPasswords>(*this));
    Parts.Add(std::make_unique<TConnectionSecurity>(*this));
    // Server menu entries come in this order, before its end.
    const auto& copies = Parts.Add(std::make_unique<TCopiesOfDeleted>(*this));
    const auto& marks = Parts.Add(std::make_unique<TMarkCommands>(*this));
    auto& rules =
        Parts.Add(std::make_unique<TRulesOnListing>(*this, [&marks] { return marks.Undoing(); }));
    // Before the spam scores: it keeps each answer as it came, body lines and all.
    Parts.Add(std::make_unique<TRememberedListing>(*this));
    auto& spam = Parts.Add(std::make_unique<TSpamScores>(*this, rules));
    auto& alike = Parts.Add(std::make_unique<TMarkAlikeEntries>(*this, rules));
    auto& senders = Parts.Add(std::make_unique<TSenderListEntries>(*this, rules));
    auto& unsubscribe = Parts.Add(std::make_unique<TUnsubscribe>(*this, rules, spam, senders));
    Parts.Add(std::make_unique<TKeepNewest>(*this, rules));
    auto& find = Parts.Add(std::make_unique<TFind>(*this, marks, alike));
    Parts.Add(std::make_unique<TSpaceView>(*this, alike, find, unsubscribe));
    Parts.Add(std::make_unique<TNewMailMarkers>(*this));
    // Its entry is the last of the Server menu's before the end.
    auto& signIn = Parts.Add(std::make_unique<TOAuth2SignIn>(*this, passwords));
    Parts.Add(std::make_unique<TAccounts>(
        *this, [&copies] { return copies.KeepCopies(); }, signIn));
}

bool TForm1::HeaderTextsAsSent() const {
    return Menus.Datei_H->isChecked();
}

QString TForm1::ServerText() const {
    return Login.servername->currentText().trimmed();
}

QString TForm1::UserText() const {
    return Login.Username->currentText();
}

bool TForm1::PasswordNeeded() {
    return Parts.All([](const TComponent& part) { return part.PasswordNeeded(); });
}

void TForm1::PasswordNeedChanged() {
    Login.Password->setEnabled(ControlState() == StateIdle && PasswordNeeded());
}

void TForm1::OfferPassword(const QString& server, const QString& user, const QString& password) {
    if (ControlState() == StateIdle && Login.Password->text().isEmpty() &&
        Login.servername->currentText() == server && Login.Username->currentText() == user)
        Login.Password->setText(password);
}

void TForm1::ConnectAndList() {
    if (Commands.State == StateIdle && !CommandRunning())
        BtnConnectClick();
}

void TForm1::OpenAccount(int account) {
    if (Commands.State != StateIdle || CommandRunning() || account < 0 ||
        account >= Login.servername->count())
        return;
    Login.servername->setCurrentIndex(account);
    ChooseAccount(account, Login.Username);
    BtnConnectClick();
}

QString TForm1::AccountFolder() const {
    return AccountFolderName(pop3.UserId, pop3.Host, pop3.UsedPort());
}

void TForm1::StatusAppendMarks(const QString& message) {
    MarksLine->Append(message);
}

void TForm1::ShowStatus() {
    Bottom.Status->show();
}

std::unique_ptr<TMbxMsg> TForm1::FetchWholeMail(int number) {
    TCommandScope scope(*this, StateListed);
    return FetchWholeMail(scope, number);
}

void TForm1::ShowMail(std::unique_ptr<TMbxMsg> msg) {
    if (!Windows.MessageWindow || !msg)
        return;
    CurrentMsg = std::move(msg);
    Windows.MessageWindow->ShowMessageOf(*CurrentMsg);
    Windows.MessageWindow->exec();
}
