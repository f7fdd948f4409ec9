// Connect, log in, record the account and list the mailbox.
#include "ByteText.h"
#include "CommandScope.h"
#include "ErrorTexts.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MbxMIME.h"
#include "MultiLst.h"
#include "SecurityTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace {

constexpr int MaxAccounts = 10;

// Adds the waiting rows. The list numbers rows from 1 once its spacer is in, and it marks the
// first row when the spacer arrives; a mark here must come from the user, never by itself.
void AddBatch(TMultiList* list, TMailRowBatch& batch) {
    const bool hadSpacer = list->count() > 0;
    batch.AddTo(*list);
    list->CheckSpacer();
    if (!hadSpacer)
        list->clearSelection();
    list->setVisible(true);
}

// Rows go to the list at most this often while a listing runs, so that painting and the
// list's layout cost per batch rather than per mail.
constexpr qint64 BatchIntervalMs = 100;

// The number column grows to show the largest number whole.
void FitNumberColumn(TMultiList* list, int largestNumber) {
    if (largestNumber <= 0)
        return;
    const int needed = NumberColumnWidth(*list, largestNumber);
    if (list->SectionWidth(0) >= needed)
        return;
    list->SetSectionWidth(0, needed);
    if (TMultiListHeader* header = list->ListHeader())
        header->SetSectionWidth(0, needed);
    list->viewport()->update();
}

constexpr TText ListedOf{"\rEs wurden %1 von %2 e-mails aufgelistet.",
                         "\r%1 of %2 e-mails are listed."};
constexpr TText ListedOfPanel{"%1 von %2 Mails", "%1 of %2 Mails"};
constexpr TText CancelledByUser{"\rAbgebrochen.", "\rCancelled."};

} // namespace

void TForm1::pop3Error(TObject*, int Error, const std::string& Msg) {
    ++FReportedErrors;
    // A connection dropped on purpose is reported as cancelled by the command itself.
    if (FAborted)
        return;
    StatusClear();
    if (Error == kErrLogin) {
        StatusAppend(LoginRefusedLines(Tr(Texts::ErrorPrefix, GermanUI), Msg, GermanUI));
        return;
    }
    if (Error >= kErrLogin && Error <= kErrCommand) {
        StatusAppend(Tr(Texts::ErrorPrefix, GermanUI) + FromBytes(Msg));
        return;
    }
    // The transport failed (the error is its errno); Msg names what failed and why.
    SetSessionTimeout(pop3.ReceiveTimeout);
    StatusAppend(FailureLines(Tr(Texts::ErrorPrefix, GermanUI), FailureCauseOf(Error), Msg,
                              GermanUI, TimeoutSeconds(pop3.ReceiveTimeout)));
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
    FAborted = false;
    CancelRequested = false;
    MailCount = 0;
    HeaderTexts.clear();
    StatusClear();
    for (int panel = 0; panel < static_cast<int>(StatusPanels.size()); ++panel)
        SetPanelText(panel, QString());
    if (info_fenster->isVisible() || info_fenster_eng->isVisible())
        ShowListInPlaceOfIntroduction();
    else
        mail_list->Clear();
    Status->show();

    // Blanks around a typed or pasted server name are never part of it.
    const QString server = servername->currentText().trimmed();
    const std::pair<QString, const TText*> required[] = {
        {server, &Texts::NoServer},
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
    ShowCancelButton(true);
    StatusClear();
    StatusAppendText(Texts::Connecting);
    SetSessionTimeout(pop3.ReceiveTimeout);
    RunCancellable([this] { ConnectAndList(); });
}

void TForm1::ReportConnectFailure(TFailureCause cause, const std::string& why,
                                  std::chrono::milliseconds waited) {
    StatusClear();
    StatusAppendText(Texts::ConnectFailed[0]);
    // A greeting answered with -ERR, or a failure of no known cause: the general hints.
    if (why.empty() || cause == TFailureCause::Other) {
        for (std::size_t line = 1; line < std::size(Texts::ConnectFailed); ++line)
            StatusAppendText(Texts::ConnectFailed[line]);
    }
    if (!why.empty())
        StatusAppend(FailureLines(QStringLiteral("\r     - "), cause, why, GermanUI,
                                  TimeoutSeconds(waited)));
    // A port that speaks TLS waits for the handshake, a plain one for the client's command.
    if (cause == TFailureCause::Timeout)
        StatusAppendText(Texts::SecurityMayNotFit);
}

void TForm1::ConnectAndList() {
    try {
        pop3.Connect();
    } catch (const ESocketError& failure) {
        // No greeting: no connection to speak of.
        if (FAborted)
            throw;
        ReportConnectFailure(failure.Cause, failure.what(), pop3.ReceiveTimeout);
        ShowCancelButton(false);
        BtnDisconnectClick();
        return;
    }
    if (FAborted) {
        EndCancelled();
        return;
    }
    if (pop3.Failed()) {
        if (FSecurityDeclined) {
            StatusClear();
            StatusAppendText(Texts::SecurityDeclined);
        } else {
            const bool timedOut = pop3.OpenCause() == TFailureCause::Timeout;
            ReportConnectFailure(pop3.OpenCause(), pop3.OpenError(),
                                 timedOut ? pop3.ConnectTimeout : pop3.ReceiveTimeout);
        }
        ShowCancelButton(false);
        BtnDisconnectClick();
        mail_list->setFocus();
        mail_list->Clear();
        return;
    }
    ShowSessionSecurity();
    const bool loggedIn = pop3.Login();
    if (FAborted) {
        EndCancelled();
        return;
    }
    if (!loggedIn) {
        // The server's refusal is already in the status label; the password is the likely
        // fault, ready to be typed again.
        StatusAppendText(Texts::Terminated);
        ShowCancelButton(false);
        BtnDisconnectClick();
        Password->setFocus();
        Password->selectAll();
        return;
    }
    RecordAccount();
    RememberPassword();

    const int errorsBefore = FReportedErrors;
    pop3.Stat();
    if (FAborted) {
        EndCancelled();
        return;
    }
    // A refused or unreadable STAT leaves no count; its error stays in the status, since the
    // mailbox is not known to be empty.
    const bool statFailed = FReportedErrors != errorsBefore;
    MailCount = statFailed ? 0 : pop3.MessageCount();
    MailboxSizeText = pop3.MailboxSize();
    if (MailCount == 0)
        MailboxSizeText = "0";

    if (!statFailed)
        StatusClear();
    SetPanelText(0, QString::number(MailCount) + QStringLiteral(" Mails"));
    SetPanelText(1, FromBytes(DisplaySize(MailboxSizeText)));
    ProgressBar->setValue(0);

    if (MailCount <= 0) {
        if (!statFailed)
            StatusAppendText(Texts::NothingToDelete);
        StatusAppendText(Texts::Terminated);
        ShowCancelButton(false);
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
    // The client no longer holds the password once PASS went out; the field still does.
    const std::string typed = ToBytes(Password->text());
    PasswordHistory.push_back(typed);
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
    Password->setText(FromBytes(typed));
}

void TForm1::RunCountOnlyListing() {
    ProgressBar->show();
    ProgressBar->setFocus();
    StatusAppendText(Texts::CountOnlyListing);
    TMailRowBatch batch;
    for (int n = 1; n <= MailCount; ++n) {
        batch.Add(QStringLiteral(" %1 | - | - | - | - |").arg(n), MailRowData(n, -1, {}));
        HeaderTexts.emplace_back(" ");
    }
    FitNumberColumn(mail_list, batch.LargestNumber());
    AddBatch(mail_list, batch);
    ShowCancelButton(false);
    btn_aktivieren(StateListed);
    // The first row becomes current without being marked: Delete removes marked mails only.
    mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    ProgressBar->hide();
}

void TForm1::RunFullListing() {
    ProgressBar->show();
    ProgressBar->setFocus();
    ProgressBar->setMaximum(MailCount);
    CancelRequested = false;
    StatusAppendText(Texts::FullListing);
    FListingRunning = true;
    const struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{FListingRunning};

    // Rows come in order as their answers arrive; with pipelining several mails are in flight.
    // They reach the list in batches; a sorted list sorts each batch in, so the interval grows
    // with what that costs.
    TMailRowBatch batch;
    TMsgNumber lastListed = 0;
    qint64 intervalMs = 0;
    QElapsedTimer sinceBatch;
    sinceBatch.start();
    const auto addBatch = [&] {
        if (batch.Size() == 0)
            return;
        QElapsedTimer adding;
        adding.start();
        FitNumberColumn(mail_list, batch.LargestNumber());
        AddBatch(mail_list, batch);
        ProgressBar->setValue(static_cast<int>(lastListed));
        intervalMs = std::max(BatchIntervalMs, 4 * adding.elapsed());
        sinceBatch.restart();
    };
    TMbxPOP::TPassEnd end = TMbxPOP::TPassEnd::Complete;
    try {
        end = pop3.ListMails(
            static_cast<TMsgNumber>(MailCount),
            [&](TMsgNumber n, const std::string& header, const std::string& size) {
                HeaderTexts.push_back(header + "|");
                int32_t octets = -1;
                batch.Add(FromMailText(" " + std::to_string(n) + " |" + DisplaySize(size) + " |" +
                                       filter(header, GermanUI, HeaderTextsAsSent)),
                          MailRowData(static_cast<int>(n),
                                      ParseInt32(Trim(size), octets) ? octets : -1, header));
                lastListed = n;
                if (sinceBatch.elapsed() >= intervalMs)
                    addBatch();
            },
            [this] { return CancelRequested; });
    } catch (...) {
        // The rows read before the failure or the cancel stay listed.
        addBatch();
        throw;
    }
    addBatch();
    switch (end) {
    case TMbxPOP::TPassEnd::Complete:
        FinishFullListing();
        break;
    case TMbxPOP::TPassEnd::Cancelled: {
        BringListInStep();
        ProgressBar->hide();
        ProgressBar->setValue(0);
        ProgressBar->setMaximum(100);
        ShowCancelButton(false);
        btn_aktivieren(StateListed);
        const int listed = mail_list->count() - 1;
        SetPanelText(0, Tr(ListedOfPanel, GermanUI).arg(listed).arg(MailCount));
        StatusAppend(Tr(ListedOf, GermanUI).arg(listed).arg(MailCount));
        mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        break;
    }
    case TMbxPOP::TPassEnd::SessionEnded:
        EndAfterError();
        break;
    }
}

void TForm1::FinishFullListing() {
    ProgressBar->hide();
    ShowCancelButton(false);
    btn_aktivieren(StateListed);
    mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
}

// Rows and kept headers must match one to one after a stop between messages.
void TForm1::BringListInStep() {
    const auto headerCount = static_cast<int>(HeaderTexts.size());
    std::vector<int> surplus;
    for (int row = headerCount + 1; row < mail_list->count(); ++row)
        surplus.push_back(row);
    mail_list->RemoveRows(surplus);
    while (static_cast<int>(HeaderTexts.size()) > std::max(mail_list->count() - 1, 0))
        HeaderTexts.pop_back();
}

// A refused command ends the listing: the server's text stays, the session is closed.
void TForm1::EndAfterError() {
    ShowCancelButton(false);
    BtnDisconnectClick();
}

void TForm1::RunCancellable(const std::function<void()>& exchange) {
    try {
        exchange();
    } catch (const ESocketError& failure) {
        if (!FAborted) {
            // The exception knows the cause better than the error code passed before it.
            StatusClear();
            StatusAppend(FailureLines(Tr(Texts::ErrorPrefix, GermanUI), failure.Cause,
                                      failure.what(), GermanUI,
                                      TimeoutSeconds(pop3.ReceiveTimeout)));
            throw;
        }
        EndCancelled();
    } catch (...) {
        // Dropping the connection makes the exchange fail somewhere; that is the cancel.
        if (!FAborted)
            throw;
        EndCancelled();
    }
}

// After AbortExchange: the rows listed so far stay, the session is gone.
void TForm1::EndCancelled() {
    const int listed = std::max(mail_list->count() - 1, 0);
    StatusClear();
    StatusAppend(Tr(CancelledByUser, GermanUI));
    if (MailCount > 0 && listed < MailCount) {
        SetPanelText(0, Tr(ListedOfPanel, GermanUI).arg(listed).arg(MailCount));
        StatusAppend(Tr(ListedOf, GermanUI).arg(listed).arg(MailCount));
    }
    StatusAppendText(Texts::Terminated);
    ShowCancelButton(false);
    BtnDisconnectClick();
}

void TForm1::ShowCancelButton(bool shown) {
    btn_cancel->setVisible(shown);
    BtnDisconnect->setVisible(!shown);
}
