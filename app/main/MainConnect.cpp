// Connect and log in, then record the account; the listing follows (MainListing.cpp).
#include "ByteText.h"
#include "ListColumns.h"
#include "Main.h"
#include "MbxMIME.h"
#include "MultiLst.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>

void TForm1::ShowListInPlaceOfIntroduction() {
    info_fenster->hide();
    info_fenster_eng->hide();
    mail_list->show();
    mail_list->setFocus();
    mail_list->Clear();
    // The first painting brings the list's header up to date.
    mail_list->repaint();
}

void TForm1::BtnConnectClick() {
    if (ControlState() != StateIdle)
        return;
    TCommandScope scope(*this, StateIdle);
    MailCount = 0;
    FRows->ClearHeaders();
    StatusClear();
    for (int panel = 0; panel < static_cast<int>(StatusPanels.size()); ++panel)
        SetPanelText(panel, QString());
    Parts.ForEach([](TComponent& part) { part.RowsCleared(); });
    if (info_fenster->isVisible() || info_fenster_eng->isVisible())
        ShowListInPlaceOfIntroduction();
    else
        mail_list->Clear();
    Status->show();

    // Blanks around a typed or pasted server name are never part of it.
    const QString server = servername->currentText().trimmed();
    std::vector<std::pair<QString, const TText*>> required{
        {server, &Texts::NoServer},
        {Username->currentText(), &Texts::NoUser},
    };
    // A component that signs the user in otherwise asks for no password.
    if (PasswordNeeded())
        required.emplace_back(Password->text(), &Texts::NoPassword);
    for (const auto& [text, missing] : required) {
        if (text.isEmpty()) {
            StatusClear();
            StatusAppendText(*missing);
            return;
        }
    }

    if (!Parts.All([](TComponent& part) { return part.PrepareConnect(); }))
        return;
    pop3.UserId = ToBytes(Username->currentText());
    pop3.UserPasswd = ToBytes(Password->text());
    btn_aktivieren(StateBusy);
    ShowCancelButton(true);
    StatusClear();
    StatusAppendText(Texts::Connecting);
    const TCommandOutcome outcome = RunExchange([this] { SignInAndList(); });
    if (outcome.IsCancelled())
        EndCancelled();
    else if (outcome.IsFailed())
        scope.Fail(outcome);
}

void TForm1::SignInAndList() {
    if (Parts.All([](TComponent& part) { return part.SignIn(); })) {
        ConnectAndList();
        return;
    }
    if (Aborted())
        return;
    StatusAppendText(Texts::Terminated);
    ShowCancelButton(false);
    QuitSession();
}

void TForm1::ConnectAndList() {
    try {
        pop3.Connect();
    } catch (const ESocketError& failure) {
        // No greeting: no connection to speak of.
        if (Aborted())
            return;
        ReportConnectFailure(failure.Cause, failure.what(), pop3.ReceiveTimeout);
        ShowCancelButton(false);
        QuitSession();
        return;
    }
    if (Aborted())
        return;
    if (pop3.Failed()) {
        ReportOpenFailure();
        ShowCancelButton(false);
        QuitSession();
        mail_list->setFocus();
        mail_list->Clear();
        return;
    }
    Parts.ForEach([](TComponent& part) { part.Opened(); });
    const bool loggedIn = pop3.Login();
    if (Aborted())
        return;
    if (!loggedIn) {
        // The server's refusal is already in the status label; a password is the likely
        // fault, ready to be typed again.
        bool withToken = false;
        Parts.ForEach([&](TComponent& part) { withToken = part.LoginRefused() || withToken; });
        StatusAppendText(Texts::Terminated);
        ShowCancelButton(false);
        QuitSession();
        if (!withToken) {
            Password->setFocus();
            Password->selectAll();
        }
        return;
    }
    RecordAccount();
    Parts.ForEach([](TComponent& part) { part.LoggedIn(); });

    const bool counted = pop3.Stat();
    if (Aborted())
        return;
    // A refused or unreadable STAT leaves no count; its error stays in the status, since the
    // mailbox is not known to be empty.
    MailCount = counted ? static_cast<int>(pop3.MessageCount()) : 0;
    MailboxSizeText = pop3.MailboxSize();
    if (MailCount == 0)
        MailboxSizeText = "0";

    if (counted)
        StatusClear();
    SetPanelText(0, QString::number(MailCount) + QStringLiteral(" Mails"));
    SetPanelText(1, FromBytes(DisplaySize(MailboxSizeText)));
    ProgressBar->setValue(0);

    if (MailCount <= 0) {
        if (counted)
            StatusAppendText(Texts::NothingToDelete);
        StatusAppendText(Texts::Terminated);
        ShowCancelButton(false);
        QuitSession();
        return;
    }
    const TListingStart start{!Header_Nein->isChecked(),
                              pop3.Capabilities().Known && pop3.Capabilities().Uidl};
    Parts.ForEach([&](TComponent& part) { part.ListingBegins(start); });
    if (Header_Nein->isChecked())
        RunCountOnlyListing();
    else
        RunFullListing();
}

void TForm1::RecordAccount() {
    // The server as typed, port and brackets included; with it the mode that worked and the
    // password of this login (the field still holds it: it is locked while connecting).
    const QString server = servername->currentText().trimmed();
    const QString user = FromBytes(pop3.UserId);
    Accounts.Record(server, user, ToBytes(Password->text()), pop3.UsedSecurity());
    servername->setCurrentIndex(servername->count() - 1);
    servername->setEditText(server);
    Username->setCurrentIndex(Username->count() - 1);
    Username->setEditText(user);
}
