// Connect, log in, record the account and list the mailbox.
#include "ByteText.h"
#include "CommandScope.h"
#include "ListColumns.h"
#include "Main.h"
#include "MultiLst.h"
#include "SecurityTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>

#include <memory>

namespace {

constexpr int MaxAccounts = 10;

// Adds one message row. The list numbers rows from 1 once its spacer is in, and it marks the
// first row when the spacer arrives; a mark here must come from the user, never by itself.
void AddRow(TMultiList* list, const QString& row) {
    const bool hadSpacer = list->count() > 0;
    list->addItem(row);
    list->CheckSpacer();
    if (!hadSpacer)
        list->clearSelection();
    list->setVisible(true);
}

void RemoveLastItem(TMultiList* list) {
    std::unique_ptr<QListWidgetItem> surplus(list->takeItem(list->count() - 1));
}

} // namespace

void TForm1::pop3Error(TObject*, int, const std::string& Msg) {
    ++FReportedErrors;
    StatusClear();
    StatusAppend(Tr(Texts::ErrorPrefix, GermanUI) + FromBytes(Msg));
}

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
    if (FState != StateIdle)
        return;
    TCommandScope scope(*this, StateIdle);
    HeaderTexts.clear();
    StatusClear();
    if (info_fenster->isVisible() || info_fenster_eng->isVisible())
        ShowListInPlaceOfIntroduction();
    else
        mail_list->Clear();
    Status->show();

    const std::pair<QString, const TText*> required[] = {
        {servername->currentText(), &Texts::NoServer},
        {Username->currentText(), &Texts::NoUser},
        {Password->text(), &Texts::NoPassword},
    };
    for (const auto& [text, missing] : required) {
        if (text.isEmpty()) {
            StatusClear();
            StatusAppendText(*missing);
            return;
        }
    }

    if (!PrepareSecurity())
        return;
    pop3.UserId = ToBytes(Username->currentText());
    pop3.UserPasswd = ToBytes(Password->text());
    btn_aktivieren(StateBusy);
    StatusClear();
    StatusAppendText(Texts::Connecting);

    pop3.Connect();
    if (pop3.Failed()) {
        StatusClear();
        if (FSecurityDeclined) {
            StatusAppendText(Texts::SecurityDeclined);
        } else {
            for (const TText& line : Texts::ConnectFailed)
                StatusAppendText(line);
        }
        BtnDisconnectClick();
        mail_list->setFocus();
        mail_list->Clear();
        return;
    }
    ShowSessionSecurity();
    if (!pop3.Login()) {
        // The server's refusal is already in the status label.
        StatusAppendText(Texts::Terminated);
        BtnDisconnectClick();
        return;
    }
    RecordAccount();
    RememberPassword();

    const int errorsBefore = FReportedErrors;
    pop3.Stat();
    // A refused STAT leaves no count: the mailbox is treated as empty.
    MailCount = FReportedErrors == errorsBefore ? pop3.MessageCount() : 0;
    MailboxSizeText = pop3.MailboxSize();
    if (MailCount == 0)
        MailboxSizeText = "0";

    StatusClear();
    SetPanelText(0, QString::number(MailCount) + QStringLiteral(" Mails"));
    SetPanelText(1, FromBytes(DisplaySize(MailboxSizeText)));
    ProgressBar->setValue(0);

    if (MailCount <= 0) {
        StatusAppendText(Texts::NothingToDelete);
        StatusAppendText(Texts::Terminated);
        BtnDisconnectClick();
        return;
    }
    if (Header_Nein->isChecked())
        RunCountOnlyListing();
    else
        RunFullListing();
}

void TForm1::RecordAccount() {
    // The server as typed, port and brackets included; with it the mode that worked.
    const QString server = servername->currentText().trimmed();
    const QString user = FromBytes(pop3.UserId);
    for (int i = servername->count() - 1; i >= 0; --i) {
        if (servername->itemText(i) == server && Username->itemText(i) == user) {
            servername->removeItem(i);
            Username->removeItem(i);
            if (i < static_cast<int>(PasswordHistory.size()))
                PasswordHistory.erase(PasswordHistory.begin() + i);
        }
    }
    servername->addItem(server);
    SetHistorySecurity(servername->count() - 1, pop3.UsedSecurity());
    Username->addItem(user);
    PasswordHistory.push_back(ToBytes(Password->text()));
    while (servername->count() > MaxAccounts) {
        servername->removeItem(0);
        Username->removeItem(0);
        if (!PasswordHistory.empty())
            PasswordHistory.erase(PasswordHistory.begin());
    }
    servername->setCurrentIndex(servername->count() - 1);
    servername->setEditText(server);
    Username->setCurrentIndex(Username->count() - 1);
    Username->setEditText(user);
    Password->setText(FromBytes(pop3.UserPasswd));
}

void TForm1::RunCountOnlyListing() {
    ProgressBar->show();
    ProgressBar->setFocus();
    StatusAppendText(Texts::CountOnlyListing);
    for (int n = 1; n <= MailCount; ++n) {
        AddRow(mail_list, QStringLiteral(" %1 | - | - | - | - |").arg(n));
        HeaderTexts.emplace_back(" ");
    }
    btn_aktivieren(StateListed);
    // The first row becomes current without being marked: Delete removes marked mails only.
    mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    ProgressBar->hide();
}

void TForm1::RunFullListing() {
    ProgressBar->show();
    ProgressBar->setFocus();
    ProgressBar->setMaximum(MailCount);
    BtnDisconnect->hide();
    btn_cancel->show();
    CancelRequested = false;
    StatusAppendText(Texts::FullListing);

    for (int n = 1; n <= MailCount; ++n) {
        // Cancel takes effect between messages, never inside one message's two commands.
        if (CancelRequested) {
            BringListInStep();
            mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
            return;
        }
        const int errorsBefore = FReportedErrors;
        std::string header;
        pop3.GetMsgHeader(static_cast<uint16_t>(n), header);
        if (FReportedErrors != errorsBefore) {
            EndAfterError();
            return;
        }
        HeaderTexts.push_back(header + "|");
        const std::string columns = filter(header, GermanUI);
        std::string size;
        pop3.GetMsgSize(n, size);
        if (FReportedErrors != errorsBefore) {
            EndAfterError();
            return;
        }
        AddRow(mail_list,
               FromBytes(" " + std::to_string(n) + " |" + DisplaySize(size) + " |" + columns));
        ProgressBar->setValue(n);
    }
    FinishFullListing();
}

void TForm1::FinishFullListing() {
    ProgressBar->hide();
    BtnDisconnect->show();
    btn_cancel->hide();
    btn_aktivieren(StateListed);
    mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
}

// Rows and kept headers must match one to one after a stop between messages.
void TForm1::BringListInStep() {
    const auto headerCount = static_cast<int>(HeaderTexts.size());
    while (mail_list->count() > headerCount + 1)
        RemoveLastItem(mail_list);
    while (static_cast<int>(HeaderTexts.size()) > std::max(mail_list->count() - 1, 0))
        HeaderTexts.pop_back();
}

// A refused command ends the listing: the server's text stays, the session is closed.
void TForm1::EndAfterError() {
    btn_cancel->hide();
    BtnDisconnect->show();
    BtnDisconnectClick();
}
