// Connect and log in, then record the account; the listing follows (MainListing.cpp).
#include "ByteText.h"
#include "ListColumns.h"
#include "Main.h"
#include "MainDeletion.h"
#include "MainErrors.h"
#include "MbxMIME.h"
#include "MultiLst.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>

// Connecting and logging in, as a command of the window; the listing follows.
class TWindowConnect {
public:
    explicit TWindowConnect(TForm1& form) : form_(form) {}
    void ShowListInPlaceOfIntroduction();
    // The exchange of a connect: the components sign in, then connect and list.
    void SignInAndList();
    // The same account again, signed in as before, up to STAT (ConnectAgain in MainDeletion.h).
    bool ConnectAgain();

private:
    void ConnectAndList();
    void RecordAccount();
    // A connect that found no usable server: what a component told, or why it failed.
    void ReportOpenFailure();

    TForm1& form_;
};

void TWindowConnect::ShowListInPlaceOfIntroduction() {
    form_.info_fenster->hide();
    form_.info_fenster_eng->hide();
    form_.mail_list->show();
    form_.mail_list->setFocus();
    form_.mail_list->Clear();
    // The first painting brings the list's header up to date.
    form_.mail_list->repaint();
}

void TForm1::BtnConnectClick() {
    if (ControlState() != StateIdle)
        return;
    TCommandScope scope(*this, StateIdle);
    MailCount = 0;
    Commands.SessionLost = false;
    FRows->ClearHeaders();
    StatusClear();
    for (int panel = 0; panel < static_cast<int>(Bottom.StatusPanels.size()); ++panel)
        SetPanelText(panel, QString());
    Parts.ForEach([](TComponent& part) { part.RowsCleared(); });
    if (info_fenster->isVisible() || info_fenster_eng->isVisible())
        TWindowConnect(*this).ShowListInPlaceOfIntroduction();
    else
        mail_list->Clear();
    Bottom.Status->show();

    // Blanks around a typed or pasted server name are never part of it.
    const QString server = Login.servername->currentText().trimmed();
    std::vector<std::pair<QString, const TText*>> required{
        {server, &Texts::NoServer},
        {Login.Username->currentText(), &Texts::NoUser},
    };
    // A component that signs the user in otherwise asks for no password.
    if (PasswordNeeded())
        required.emplace_back(Login.Password->text(), &Texts::NoPassword);
    for (const auto& [text, missing] : required) {
        if (text.isEmpty()) {
            StatusClear();
            StatusAppendText(*missing);
            return;
        }
    }

    if (!Parts.All([](TComponent& part) { return part.PrepareConnect(); }))
        return;
    pop3.UserId = ToBytes(Login.Username->currentText());
    pop3.UserPasswd = ToBytes(Login.Password->text());
    btn_aktivieren(StateBusy);
    ShowCancelButton(true);
    StatusClear();
    StatusAppendText(Texts::Connecting);
    const TCommandOutcome outcome = RunExchange([this] { TWindowConnect(*this).SignInAndList(); });
    if (outcome.IsCancelled())
        EndCancelled();
    else if (outcome.IsFailed())
        scope.Fail(outcome);
}

void TWindowConnect::SignInAndList() {
    if (form_.Parts.All([](TComponent& part) { return part.SignIn(); })) {
        ConnectAndList();
        return;
    }
    if (form_.Aborted())
        return;
    form_.StatusAppendText(Texts::Terminated);
    form_.ShowCancelButton(false);
    form_.QuitSession();
}

bool ConnectAgain(TForm1& form) {
    return TWindowConnect(form).ConnectAgain();
}

bool TWindowConnect::ConnectAgain() {
    TMbxPOP& pop3 = form_.pop3;
    // What worked the last time, so that no question of security comes up again (after a
    // failed attempt nothing worked: what was tried stays); the components sign in as they did
    // (a provider's token refreshed where it must be).
    if (pop3.UsedPort() != 0) {
        pop3.Security = pop3.UsedSecurity();
        pop3.Port = std::to_string(pop3.UsedPort());
    }
    if (form_.PasswordNeeded())
        pop3.UserPasswd = ToBytes(form_.Login.Password->text());
    if (!form_.Parts.All([](TComponent& part) { return part.SignIn(); }))
        return false;
    try {
        pop3.Connect();
    } catch (const ESocketError& failure) {
        if (!form_.Aborted())
            ReportConnectFailure(form_, failure.Cause, failure.what(), pop3.ReceiveTimeout);
        return false;
    }
    if (form_.Aborted())
        return false;
    if (pop3.Failed()) {
        ReportOpenFailure();
        return false;
    }
    form_.Parts.ForEach([](TComponent& part) { part.Opened(); });
    // A refusal is in the status already; the account was recorded at the first login.
    if (!pop3.Login()) {
        form_.Parts.ForEach([](TComponent& part) { part.LoginRefused(); });
        return false;
    }
    return pop3.Stat();
}

void TWindowConnect::ConnectAndList() {
    try {
        form_.pop3.Connect();
    } catch (const ESocketError& failure) {
        // No greeting: no connection to speak of.
        if (form_.Aborted())
            return;
        ReportConnectFailure(form_, failure.Cause, failure.what(), form_.pop3.ReceiveTimeout);
        form_.ShowCancelButton(false);
        form_.QuitSession();
        return;
    }
    if (form_.Aborted())
        return;
    if (form_.pop3.Failed()) {
        ReportOpenFailure();
        form_.ShowCancelButton(false);
        form_.QuitSession();
        form_.mail_list->setFocus();
        form_.mail_list->Clear();
        return;
    }
    form_.Parts.ForEach([](TComponent& part) { part.Opened(); });
    const bool loggedIn = form_.pop3.Login();
    if (form_.Aborted())
        return;
    if (!loggedIn) {
        // The server's refusal is already in the status label; a password is the likely
        // fault, ready to be typed again.
        bool withToken = false;
        form_.Parts.ForEach(
            [&](TComponent& part) { withToken = part.LoginRefused() || withToken; });
        form_.StatusAppendText(Texts::Terminated);
        form_.ShowCancelButton(false);
        form_.QuitSession();
        if (!withToken) {
            form_.Login.Password->setFocus();
            form_.Login.Password->selectAll();
        }
        return;
    }
    RecordAccount();
    form_.Parts.ForEach([](TComponent& part) { part.LoggedIn(); });

    const bool counted = form_.pop3.Stat();
    if (form_.Aborted())
        return;
    // A refused or unreadable STAT leaves no count; its error stays in the status, since the
    // mailbox is not known to be empty.
    form_.MailCount = counted ? static_cast<int>(form_.pop3.MessageCount()) : 0;
    form_.MailboxSizeText = form_.pop3.MailboxSize();
    if (form_.MailCount == 0)
        form_.MailboxSizeText = "0";

    if (counted)
        form_.StatusClear();
    form_.SetPanelText(0, QString::number(form_.MailCount) + QStringLiteral(" Mails"));
    form_.SetPanelText(1, FromBytes(DisplaySize(form_.MailboxSizeText)));
    form_.Bottom.ProgressBar->setValue(0);

    if (form_.MailCount <= 0) {
        if (counted)
            form_.StatusAppendText(Texts::NothingToDelete);
        form_.StatusAppendText(Texts::Terminated);
        form_.ShowCancelButton(false);
        form_.QuitSession();
        return;
    }
    const TListingStart start{!form_.Login.Header_Nein->isChecked(),
                              form_.pop3.Capabilities().Known && form_.pop3.Capabilities().Uidl};
    form_.Parts.ForEach([&](TComponent& part) { part.ListingBegins(start); });
    form_.RunListing(!form_.Login.Header_Nein->isChecked());
}

void TWindowConnect::RecordAccount() {
    // The server as typed, port and brackets included; with it the mode that worked and the
    // password of this login (the field still holds it: it is locked while connecting).
    const QString server = form_.Login.servername->currentText().trimmed();
    const QString user = FromBytes(form_.pop3.UserId);
    form_.Accounts.Record(server, user, ToBytes(form_.Login.Password->text()),
                          form_.pop3.UsedSecurity());
    form_.Login.servername->setCurrentIndex(form_.Login.servername->count() - 1);
    form_.Login.servername->setEditText(server);
    form_.Login.Username->setCurrentIndex(form_.Login.Username->count() - 1);
    form_.Login.Username->setEditText(user);
}

void TWindowConnect::ReportOpenFailure() {
    if (form_.Parts.Any([](TComponent& part) { return part.OpenFailed(); }))
        return;
    const TMbxPOP& pop3 = form_.pop3;
    const bool timedOut = pop3.OpenCause() == TFailureCause::Timeout;
    ReportConnectFailure(form_, pop3.OpenCause(), pop3.OpenError(),
                         timedOut ? pop3.ConnectTimeout : pop3.ReceiveTimeout);
}
