// Delete the marked mails, mark all, and disconnect.
#include "ByteText.h"
#include "DeleteConfirmation.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MultiLst.h"

#include <QProgressBar>

#include <algorithm>
#include <cctype>
#include <vector>

void TForm1::BtnDeleteClick() {
    if (ControlState() != StateListed)
        return;
    TMarkedMails marked = MarkedMails(*mail_list);
    marked.FromRules = MarkedByRules();
    if (marked.Count == 0) {
        // Nothing to do: the session stays as it is.
        StatusClear();
        StatusAppend(NothingMarkedText(GermanUI));
        return;
    }
    if (!ConfirmDeletion(this, marked, GermanUI, KeptCopiesNote()) ||
        ControlState() != StateListed || !pop3.Connected())
        return;

    TCommandScope scope(*this, StateIdle);
    btn_aktivieren(StateBusy);
    ShowCancelButton(true);
    std::vector<TMsgNumber> numbers;
    for (const int row : mail_list->MarkedRows())
        numbers.push_back(static_cast<TMsgNumber>(MessageNumberOf(*mail_list->item(row))));
    // From the highest number down, as the rows were once visited from the last one up.
    std::sort(numbers.rbegin(), numbers.rend());
    const TCommandOutcome outcome = RunExchange([&] { DeleteNumbers(numbers, marked); });
    if (outcome.IsCancelled()) {
        EndCancelled();
    } else if (outcome.IsFailed() && outcome.Transport) {
        // Without QUIT the server keeps every mail: say so, and the deletion's progress is over.
        ReportTransportFailure(outcome);
        StatusAppendText(Texts::NoneDeleted);
        Recover(StateIdle);
        ShowMarkedSummary();
    } else if (outcome.IsFailed()) {
        scope.Fail(outcome);
    }
}

void TForm1::DeleteNumbers(const std::vector<TMsgNumber>& numbers, const TMarkedMails& marked) {
    const auto progress = [this](TMsgNumber n) {
        SetPanelText(2, Tr(Texts::DeletingMail, GermanUI) + QString::number(n));
    };
    if (KeepCopies()) {
        DeleteKeepingCopies(numbers, progress);
        return;
    }
    FinishDeletion(pop3.DeleteMails(numbers, progress), numbers, marked);
}

bool TForm1::FinishDeletion(TMbxPOP::TPassEnd end, const std::vector<TMsgNumber>& numbers,
                            const TMarkedMails& marked) {
    if (Aborted())
        return false;
    if (end != TMbxPOP::TPassEnd::Complete) {
        // The session was closed without QUIT, so nothing at all was deleted and every row
        // still stands for a mail on the server.
        StatusAppendText(Texts::Terminated);
        StatusAppendText(Texts::NoneDeleted);
        ShowCancelButton(false);
        QuitSession();
        ShowMarkedSummary();
        return false;
    }
    StatusAppendText(Texts::Terminated);
    ShowCancelButton(false);
    const bool quitTaken = QuitSession();
    if (Aborted())
        return false;
    if (!quitTaken) {
        // A refused QUIT: the server need not have carried out the deletions.
        StatusAppendText(Texts::Terminated);
        ShowMarkedSummary();
        return false;
    }
    RemoveDeletedRows(numbers);
    ShowNewCount();
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
    return true;
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
    QuitSession();
}

bool TForm1::QuitSession() {
    ProgressBar->hide();
    ProgressBar->setValue(0);
    btn_aktivieren(StateBusy);
    const bool taken = pop3.Quit();
    HeaderTexts.clear();
    btn_aktivieren(StateIdle);
    SetFocusByRule();
    return taken;
}
