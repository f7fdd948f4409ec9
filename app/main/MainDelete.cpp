// Delete the marked mails, mark all, and disconnect.
#include "ByteText.h"
#include "DeleteConfirmation.h"
#include "DeletionTexts.h"
#include "KeptCopyPass.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MainErrors.h"
#include "MultiLst.h"

#include <QProgressBar>

#include <algorithm>
#include <cctype>
#include <vector>

// A deletion the window runs: its DELEs (or a component's, keeping copies first), their
// progress, QUIT and what it tells of the outcome. The mails whose DELE the server took are
// noted, so that an unconfirmed QUIT can name them.
class TWindowDeletion : public TDeletionRun {
public:
    explicit TWindowDeletion(TForm1& form) : form_(form) {}
    // DELE for the numbers, from the highest down, then QUIT.
    void Run(const std::vector<TMsgNumber>& numbers, const TMarkedMails& marked);
    // No +OK to QUIT: once QUIT went out, outcome unknown, copies kept; before, none deleted.
    void TellEnd();

    void Accepted(TMsgNumber n) override { accepted_.push_back(n); }
    // The progress bar and panel: the copies fetched, then the DELEs taken (the last: mail n).
    void Progress(TMsgNumber n, const TDeletionProgress& progress) override;
    void CopiesKept(std::size_t copies) override { copies_ = copies; }
    bool Aborted() const override { return form_.Aborted(); }
    // QUIT, the rows and panels; true when the server took QUIT, so the mails are gone.
    bool Finish(TMbxPOP::TPassEnd end, const std::vector<TMsgNumber>& numbers,
                const TMarkedMails& marked) override;

private:
    // The rows of the mails the server has just removed, whatever is marked now.
    void RemoveRows(const std::vector<TMsgNumber>& deleted);

    TForm1& form_;
    std::vector<TMsgNumber> accepted_;
    std::size_t copies_ = 0;
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
    TWindowDeletion deletion(*this);
    const TCommandOutcome outcome = RunExchange([&] { deletion.Run(numbers, marked); });
    if (outcome.IsCancelled()) {
        EndCancelled();
        deletion.TellEnd();
        ShowMarkedSummary();
    } else if (outcome.IsFailed() && outcome.Transport) {
        // The deletion's progress is over; what the server did depends on whether QUIT went out.
        ReportTransportFailure(*this, outcome);
        deletion.TellEnd();
        Recover(StateIdle);
        ShowMarkedSummary();
    } else if (outcome.IsFailed()) {
        scope.Fail(outcome);
    }
}

void TForm1::BtnMarkClick() {
    mail_list->MarkAll();
}

void TForm1::BtnDisconnectClick() {
    TCommandScope scope(*this, StateIdle);
    QuitSession();
}

bool TForm1::QuitSession() {
    Bottom.ProgressBar->hide();
    Bottom.ProgressBar->setValue(0);
    btn_aktivieren(StateBusy);
    const bool taken = pop3.Quit();
    FRows->ClearHeaders();
    btn_aktivieren(StateIdle);
    SetFocusByRule();
    return taken;
}

void TWindowDeletion::Run(const std::vector<TMsgNumber>& numbers, const TMarkedMails& marked) {
    if (form_.Parts.Any([&](TComponent& part) { return part.DeleteMails(numbers, *this); }))
        return;
    TDeletionProgress done;
    done.ToDelete = numbers.size();
    Progress(0, done);
    const auto end = form_.pop3.DeleteMails(numbers, [&](TMsgNumber n) {
        Accepted(n);
        ++done.Deleted;
        Progress(n, done);
    });
    Finish(end, numbers, marked);
}

void TWindowDeletion::Progress(TMsgNumber n, const TDeletionProgress& progress) {
    const auto percent = [](uint64_t part, uint64_t all) {
        return all == 0 ? 100 : static_cast<int>(std::min<uint64_t>(part, all) * 100 / all);
    };
    form_.Bottom.ProgressBar->setRange(0, 100);
    form_.Bottom.ProgressBar->show();
    if (progress.Deleted == 0 && progress.ToCopy > 0) {
        const auto size = [](uint64_t bytes) {
            return FromBytes(DisplaySize(std::to_string(bytes)));
        };
        // The listed size is what the copies will take; the fetched form may differ a little.
        const uint64_t fetched = std::min(progress.BytesFetched, progress.BytesToFetch);
        form_.Bottom.ProgressBar->setValue(progress.BytesToFetch > 0
                                               ? percent(fetched, progress.BytesToFetch)
                                               : percent(progress.Copied, progress.ToCopy));
        form_.SetPanelText(2, Tr(DeletionTexts::CopyingProgress, form_.GermanUI())
                                  .arg(progress.Copied)
                                  .arg(progress.ToCopy)
                                  .arg(size(fetched), size(progress.BytesToFetch)));
        return;
    }
    form_.Bottom.ProgressBar->setValue(percent(progress.Deleted, progress.ToDelete));
    if (n != 0)
        form_.SetPanelText(2, Tr(Texts::DeletingMail, form_.GermanUI()) + QString::number(n) +
                                  Tr(DeletionTexts::DeletingProgress, form_.GermanUI())
                                      .arg(progress.Deleted)
                                      .arg(progress.ToDelete));
}

void TWindowDeletion::TellEnd() {
    const TMbxPOP::TQuitState quit = form_.pop3.QuitState();
    if (quit == TMbxPOP::TQuitState::Taken)
        return;
    // Without QUIT the server keeps every mail; with it, it may have removed those it took a
    // DELE for, whatever it answered.
    if (quit == TMbxPOP::TQuitState::NotSent || accepted_.empty()) {
        form_.StatusAppendText(Texts::NoneDeleted);
        return;
    }
    form_.StatusAppendText(DeletionTexts::QuitUnconfirmed);
    if (copies_ > 0)
        form_.StatusAppend(Tr(DeletionTexts::CopiesKept, form_.GermanUI()).arg(copies_));
    if (form_.Parts.Any([this](TComponent& part) { return part.DeletionUnconfirmed(accepted_); }))
        form_.StatusAppendText(DeletionTexts::NextListingTells);
}

bool TWindowDeletion::Finish(TMbxPOP::TPassEnd end, const std::vector<TMsgNumber>& numbers,
                             const TMarkedMails& marked) {
    if (form_.Aborted())
        return false;
    if (end != TMbxPOP::TPassEnd::Complete) {
        // The session was closed without QUIT, so nothing at all was deleted and every row
        // still stands for a mail on the server.
        form_.StatusAppendText(Texts::Terminated);
        form_.StatusAppendText(Texts::NoneDeleted);
        form_.ShowCancelButton(false);
        form_.QuitSession();
        form_.ShowMarkedSummary();
        return false;
    }
    form_.StatusAppendText(Texts::Terminated);
    // Cancel stays while QUIT is answered: a server removing many mails may take long.
    const bool quitTaken = form_.QuitSession();
    form_.ShowCancelButton(false);
    if (form_.Aborted())
        return false;
    if (!quitTaken) {
        // A refused QUIT: the server need not have carried out the deletions, or may have.
        form_.StatusAppendText(Texts::Terminated);
        TellEnd();
        form_.ShowMarkedSummary();
        return false;
    }
    RemoveRows(numbers);
    form_.Parts.ForEach([&](TComponent& part) { part.RowsRemoved(numbers); });
    form_.MailCount -= marked.Count;
    form_.SetPanelText(0, QString::number(form_.MailCount) + QStringLiteral(" Mails"));
    long long size = 0;
    if (marked.SizeKnown && !form_.MailboxSizeText.empty() &&
        std::all_of(form_.MailboxSizeText.begin(), form_.MailboxSizeText.end(), ::isdigit))
        size = std::stoll(form_.MailboxSizeText) - marked.Octets;
    form_.MailboxSizeText = std::to_string(std::max(size, 0LL));
    form_.SetPanelText(1, marked.SizeKnown ? FromBytes(DisplaySize(form_.MailboxSizeText))
                                           : QString());
    form_.ShowMarkedSummary();
    form_.StatusClear();
    form_.StatusAppendText(Texts::AllDeleted);
    form_.StatusAppendText(Texts::Terminated);
    return true;
}

// The rows of the mails the server has just removed, whatever is marked now.
void TWindowDeletion::RemoveRows(const std::vector<TMsgNumber>& deleted) {
    form_.mail_list->RemoveRows(
        RowsOfNumbers(*form_.mail_list, std::vector<int>(deleted.begin(), deleted.end())));
}
