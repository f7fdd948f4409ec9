// Delete the marked mails, mark all, and disconnect.
#include "ByteText.h"
#include "DeleteConfirmation.h"
#include "DeletionTexts.h"
#include "IdleSession.h"
#include "KeptCopyPass.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MainDeletion.h"
#include "MainErrors.h"
#include "MultiLst.h"

#include <QProgressBar>

#include <algorithm>
#include <cctype>
#include <vector>

bool TForm1::DeleteAtHand() const {
    return ControlState() == StateListed ||
           (ControlState() == StateIdle && Commands.SessionLost && FRows->Count() > 0);
}

void TForm1::BtnDeleteClick() {
    if (!DeleteAtHand())
        return;
    const int state = ControlState();
    TMarkedMails marked = MarkedMails(*FRows);
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
    if (!ConfirmDeletion(this, marked, GermanUI(), note) || ControlState() != state)
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
    TCommandOutcome outcome;
    // A session the server gave up while the user was marking is found before any DELE.
    const bool alive = IdleSessionAlive(pop3);
    if (alive)
        outcome = RunExchange([&] { deletion.Run(numbers, marked); });
    // The connection lost before the server took any DELE (and so before QUIT): once more in
    // a new session. A refusal is the server's answer, not a loss: it is not asked again.
    const bool again =
        !alive || (outcome.IsFailed() && outcome.Transport && deletion.NothingDone());
    if (again)
        outcome = RunExchange([&] { deletion.RunInNewSession(numbers); });
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
    Commands.SessionLost = !pop3.Connected();
    const bool taken = pop3.Quit();
    FRows->SetHeadersAside();
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

bool TWindowDeletion::NothingDone() const {
    return accepted_.empty() && form_.pop3.QuitState() == TMbxPOP::TQuitState::NotSent;
}

bool TWindowDeletion::Aborted() const {
    return form_.Aborted();
}

void TWindowDeletion::FoundAgain(const TMarksNow& now) {
    foundAgain_ = true;
    listedOf_.clear();
    for (const TMarksNow::TFound& mail : now.Found)
        listedOf_.emplace(mail.Now, mail.Listed);
}

TMsgNumber TWindowDeletion::ListedNumberOf(TMsgNumber n) const {
    if (!foundAgain_)
        return n;
    const auto listed = listedOf_.find(n);
    return listed == listedOf_.end() ? 0 : listed->second;
}

std::vector<TMsgNumber> TWindowDeletion::Listed(const std::vector<TMsgNumber>& numbers) const {
    std::vector<TMsgNumber> listed;
    listed.reserve(numbers.size());
    for (const TMsgNumber n : numbers)
        listed.push_back(ListedNumberOf(n));
    return listed;
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
        form_.SetPanelText(2, Tr(Texts::DeletingMail, form_.GermanUI()) +
                                  QString::number(ListedNumberOf(n)) +
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
    const std::vector<TMsgNumber> listed = Listed(numbers);
    RemoveRows(listed);
    form_.Parts.ForEach([&](TComponent& part) { part.RowsRemoved(listed); });
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
