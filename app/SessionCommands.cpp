// Delete the marked mails, mark all, disconnect and cancel.
#include "ByteText.h"
#include "CommandScope.h"
#include "DeleteConfirmation.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MultiLst.h"

#include <QProgressBar>
#include <QToolButton>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <vector>

void TForm1::BtnDeleteClick() {
    if (FState != StateListed)
        return;
    const TMarkedMails marked = MarkedMails(*mail_list);
    if (marked.Count == 0) {
        // Nothing to do: the session stays as it is.
        StatusClear();
        StatusAppend(NothingMarkedText(GermanUI));
        return;
    }
    if (!ConfirmDeletion(this, marked, GermanUI) || FState != StateListed || !pop3.Connected())
        return;

    TCommandScope scope(*this, StateIdle);
    FAborted = false;
    btn_aktivieren(StateBusy);
    ShowCancelButton(true);
    std::vector<TMsgNumber> numbers;
    for (const int row : mail_list->MarkedRows())
        numbers.push_back(static_cast<TMsgNumber>(MessageNumberOf(*mail_list->item(row))));
    // From the highest number down, as the rows were once visited from the last one up.
    std::sort(numbers.rbegin(), numbers.rend());
    try {
        DeleteNumbers(numbers, marked);
    } catch (const ESocketError&) {
        // The failure is in the status label already. Without QUIT the server keeps every
        // mail: say so, and the deletion's progress is over.
        StatusAppendText(Texts::NoneDeleted);
        RecoverFromException(StateIdle);
        ShowMarkedSummary();
    }
}

void TForm1::DeleteNumbers(const std::vector<TMsgNumber>& numbers, const TMarkedMails& marked) {
    RunCancellable([&] {
        const auto end = pop3.DeleteMails(numbers, [this](TMsgNumber n) {
            SetPanelText(2, Tr(Texts::DeletingMail, GermanUI) + QString::number(n));
        });
        if (FAborted)
            throw std::runtime_error("cancelled");
        if (end != TMbxPOP::TPassEnd::Complete) {
            // The session was closed without QUIT, so nothing at all was deleted and every
            // row still stands for a mail on the server.
            StatusAppendText(Texts::Terminated);
            StatusAppendText(Texts::NoneDeleted);
            ShowCancelButton(false);
            BtnDisconnectClick();
            ShowMarkedSummary();
            return;
        }
        StatusAppendText(Texts::Terminated);
        ShowCancelButton(false);
        const int errorsBefore = FReportedErrors;
        BtnDisconnectClick();
        if (FAborted)
            throw std::runtime_error("cancelled");
        if (FReportedErrors != errorsBefore) {
            // A refused QUIT: the server need not have carried out the deletions.
            StatusAppendText(Texts::Terminated);
            ShowMarkedSummary();
            return;
        }
        RemoveDeletedRows(numbers);
        MailCount -= marked.Count;
        SetPanelText(0, QString::number(MailCount) + QStringLiteral(" Mails"));
        long long size = 0;
        if (marked.SizeKnown && !MailboxSizeText.empty() &&
            std::all_of(MailboxSizeText.begin(), MailboxSizeText.end(), ::isdigit))
            size = std::stoll(MailboxSizeText) - marked.Octets;
        MailboxSizeText = std::to_string(std::max(size, 0LL));
        SetPanelText(1, marked.SizeKnown ? FromBytes(DisplaySize(MailboxSizeText)) : QString());
        ShowMarkedSummary();
        StatusClear();
        StatusAppendText(Texts::AllDeleted);
        StatusAppendText(Texts::Terminated);
    });
}

// The rows of the mails the server has just removed, whatever is marked now.
void TForm1::RemoveDeletedRows(const std::vector<TMsgNumber>& deleted) {
    mail_list->RemoveRows(
        RowsOfNumbers(*mail_list, std::vector<int>(deleted.begin(), deleted.end())));
}

void TForm1::BtnMarkClick() {
    mail_list->MarkAll();
}

void TForm1::BtnDisconnectClick() {
    TCommandScope scope(*this, StateIdle);
    ProgressBar->hide();
    ProgressBar->setValue(0);
    btn_aktivieren(StateBusy);
    pop3.Quit();
    HeaderTexts.clear();
    btn_aktivieren(StateIdle);
    SetFocusByRule();
}

void TForm1::btn_cancelClick() {
    // A listing stops between two messages and keeps its session; a second click, or any
    // other wait (connect, login, retrieval, deletion), drops the connection at once.
    if (FListingRunning && !CancelRequested) {
        CancelRequested = true;
        return;
    }
    AbortExchange();
}

void TForm1::AbortExchange() {
    if (FRunningCommands == 0)
        return;
    FAborted = true;
    CancelRequested = true;
    // Closing from inside the wait's event hook: the socket layer sees the closed state when
    // the hook returns and the waiting call gives up.
    if (TClientWinSocket* socket = pop3.ClientSocket().Socket())
        socket->Close();
}
