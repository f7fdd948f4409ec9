// Delete the marked mails, mark all, and disconnect.
#include "ByteText.h"
#include "DeleteConfirmation.h"
#include "DeletionTexts.h"
#include "KeptCopyPass.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MultiLst.h"

#include <QProgressBar>

#include <algorithm>
#include <cctype>
#include <vector>

// The window's side of a deletion a component carries out: what the server took and how far
// it is go to the window's deletion state and progress, and the window finishes it.
class TWindowDeletion : public TDeletionRun {
public:
    explicit TWindowDeletion(TForm1& form) : form_(form) {}
    void Accepted(TMsgNumber n) override { form_.FDeleAccepted.push_back(n); }
    void Progress(TMsgNumber last, const TDeletionProgress& progress) override {
        form_.ShowDeletionProgress(last, progress);
    }
    void CopiesKept(std::size_t copies) override { form_.FCopiesOfAccepted = copies; }
    bool Aborted() const override { return form_.Aborted(); }
    bool Finish(TMbxPOP::TPassEnd end, const std::vector<TMsgNumber>& deleted,
                const TMarkedMails& mails) override {
        return form_.FinishDeletion(end, deleted, mails);
    }

private:
    TForm1& form_;
};

void TForm1::BtnDeleteClick() {
    if (ControlState() != StateListed)
        return;
    TMarkedMails marked = MarkedMails(*mail_list);
    Parts.ForEach([&](TComponent& part) { part.CountMarked(marked); });
    if (marked.Count == 0) {
        // Nothing to do: the session stays as it is.
        StatusClear();
        StatusAppend(NothingMarkedText(GermanUI()));
        return;
    }
    QString note;
    Parts.ForEach([&note](TComponent& part) {
        const QString more = part.DeletionNote();
        if (!more.isEmpty())
            note += (note.isEmpty() ? QString() : QStringLiteral("\n")) + more;
    });
    if (!ConfirmDeletion(this, marked, GermanUI(), note) || ControlState() != StateListed ||
        !pop3.Connected())
        return;

    TCommandScope scope(*this, StateIdle);
    btn_aktivieren(StateBusy);
    ShowCancelButton(true);
    std::vector<TMsgNumber> numbers;
    for (const int row : mail_list->MarkedRows())
        numbers.push_back(static_cast<TMsgNumber>(MessageNumberOf(*mail_list->item(row))));
    // From the highest number down, as the rows were once visited from the last one up.
    std::sort(numbers.rbegin(), numbers.rend());
    FDeleAccepted.clear();
    FCopiesOfAccepted = 0;
    const TCommandOutcome outcome = RunExchange([&] { DeleteNumbers(numbers, marked); });
    if (outcome.IsCancelled()) {
        EndCancelled();
        TellDeletionEnd();
        ShowMarkedSummary();
    } else if (outcome.IsFailed() && outcome.Transport) {
        // The deletion's progress is over; what the server did depends on whether QUIT went out.
        ReportTransportFailure(outcome);
        TellDeletionEnd();
        Recover(StateIdle);
        ShowMarkedSummary();
    } else if (outcome.IsFailed()) {
        scope.Fail(outcome);
    }
}

void TForm1::DeleteNumbers(const std::vector<TMsgNumber>& numbers, const TMarkedMails& marked) {
    TWindowDeletion run(*this);
    if (Parts.Any([&](TComponent& part) { return part.DeleteMails(numbers, run); }))
        return;
    TDeletionProgress done;
    done.ToDelete = numbers.size();
    ShowDeletionProgress(0, done);
    const auto end = pop3.DeleteMails(numbers, [&](TMsgNumber n) {
        run.Accepted(n);
        ++done.Deleted;
        ShowDeletionProgress(n, done);
    });
    FinishDeletion(end, numbers, marked);
}

void TForm1::ShowDeletionProgress(TMsgNumber n, const TDeletionProgress& progress) {
    const auto percent = [](uint64_t part, uint64_t all) {
        return all == 0 ? 100 : static_cast<int>(std::min<uint64_t>(part, all) * 100 / all);
    };
    ProgressBar->setRange(0, 100);
    ProgressBar->show();
    if (progress.Deleted == 0 && progress.ToCopy > 0) {
        const auto size = [](uint64_t bytes) {
            return FromBytes(DisplaySize(std::to_string(bytes)));
        };
        // The listed size is what the copies will take; the fetched form may differ a little.
        const uint64_t fetched = std::min(progress.BytesFetched, progress.BytesToFetch);
        ProgressBar->setValue(progress.BytesToFetch > 0
                                  ? percent(fetched, progress.BytesToFetch)
                                  : percent(progress.Copied, progress.ToCopy));
        SetPanelText(2, Tr(DeletionTexts::CopyingProgress, GermanUI())
                            .arg(progress.Copied)
                            .arg(progress.ToCopy)
                            .arg(size(fetched), size(progress.BytesToFetch)));
        return;
    }
    ProgressBar->setValue(percent(progress.Deleted, progress.ToDelete));
    if (n != 0)
        SetPanelText(2, Tr(Texts::DeletingMail, GermanUI()) + QString::number(n) +
                            Tr(DeletionTexts::DeletingProgress, GermanUI())
                                .arg(progress.Deleted)
                                .arg(progress.ToDelete));
}

void TForm1::TellDeletionEnd() {
    const TMbxPOP::TQuitState quit = pop3.QuitState();
    if (quit == TMbxPOP::TQuitState::Taken)
        return;
    // Without QUIT the server keeps every mail; with it, it may have removed those it took a
    // DELE for, whatever it answered.
    if (quit == TMbxPOP::TQuitState::NotSent || FDeleAccepted.empty()) {
        StatusAppendText(Texts::NoneDeleted);
        return;
    }
    StatusAppendText(DeletionTexts::QuitUnconfirmed);
    if (FCopiesOfAccepted > 0)
        StatusAppend(Tr(DeletionTexts::CopiesKept, GermanUI()).arg(FCopiesOfAccepted));
    if (Parts.Any([this](TComponent& part) { return part.DeletionUnconfirmed(FDeleAccepted); }))
        StatusAppendText(DeletionTexts::NextListingTells);
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
    // Cancel stays while QUIT is answered: a server removing many mails may take long.
    const bool quitTaken = QuitSession();
    ShowCancelButton(false);
    if (Aborted())
        return false;
    if (!quitTaken) {
        // A refused QUIT: the server need not have carried out the deletions, or may have.
        StatusAppendText(Texts::Terminated);
        TellDeletionEnd();
        ShowMarkedSummary();
        return false;
    }
    RemoveDeletedRows(numbers);
    Parts.ForEach([&](TComponent& part) { part.RowsRemoved(numbers); });
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
    FRows->ClearHeaders();
    btn_aktivieren(StateIdle);
    SetFocusByRule();
    return taken;
}
