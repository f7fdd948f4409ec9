#include "SpamScores.h"

#include "AccountData.h"
#include "Frame.h"
#include "MailRows.h"
#include "MbxMsg.h"
#include "MbxPOP3.h"
#include "RulesOnListing.h"
#include "SettingsStore.h"
#include "SpamSettingsDialog.h"
#include "SpamTexts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMenu>

#include <chrono>
#include <exception>

namespace {

QString ProblemText(const TScorerProblem& problem, bool germanUI) {
    QString text = QString::fromStdString(ScorerProblemText(problem, germanUI));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QAction* MakeAction(TFrame& frame, const char* name) {
    auto* action = new QAction(&frame.Window());
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

TSpamScores::TSpamScores(TFrame& frame, TRulesOnListing& rules)
    : Datei_S(MakeAction(frame, "Datei_S")), Datei_P(MakeAction(frame, "Datei_P")),
      men_spam(MakeAction(frame, "men_spam")), men_ham(MakeAction(frame, "men_ham")),
      Setting(ReadSpamSetting(frame.Settings())), frame_(frame), rules_(rules) {
    frame.SetColumnLook(SpamColumn, {"Spam", "Spam"}, "99.9");
    frame.ServerMenu().insertActions(frame.ServerEnd(), {Datei_S, Datei_P});
    connect(Datei_S, &QAction::triggered, this, &TSpamScores::Datei_SClick);
    connect(Datei_P, &QAction::triggered, this, &TSpamScores::Datei_PClick);
    frame.RowMenu().addActions({men_spam, men_ham});
    connect(men_spam, &QAction::triggered, this, [this] { LearnCurrentMail(TLearnAs::Spam); });
    connect(men_ham, &QAction::triggered, this, [this] { LearnCurrentMail(TLearnAs::Ham); });
}

void TSpamScores::LanguageChanged(bool germanUI) {
    Datei_S->setText(Tr(SpamTexts::MenuSetting, germanUI));
    Datei_P->setText(Tr(SpamTexts::MenuMarkSpam, germanUI));
    men_spam->setText(Tr(SpamTexts::MenuIsSpam, germanUI));
    men_ham->setText(Tr(SpamTexts::MenuIsHam, germanUI));
}

void TSpamScores::Datei_SClick() {
    TSpamSettingsDialog dialog(&frame_.Window(), Setting, frame_.GermanUI());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Takes effect at the next connect; the session's scorer stays as it was.
    Setting = dialog.Setting();
    WriteSpamSetting(frame_.Settings(), Setting);
    frame_.Settings().Flush();
}

void TSpamScores::StateChanged(int state) {
    men_spam->setEnabled(state == TFrame::StateListed);
    men_ham->setEnabled(state == TFrame::StateListed);
    if (state == TFrame::StateIdle) {
        // The scores in so far are kept; those outstanding are scored next time.
        SaveMemory();
        memory_.reset();
        scorer_.reset();
        frame_.Session().ListBodyLines = 0;
    }
}

void TSpamScores::ListingBegins(const TListingStart& start) {
    SaveMemory();
    memory_.reset();
    ids_.clear();
    pendingNumber_ = 0;
    listingComplete_.reset();
    memoryDue_ = false;
    scorer_.reset();
    scores_.Clear();
    const bool scoring = Setting.On() && start.Full;
    frame_.Session().ListBodyLines = scoring ? static_cast<uint32_t>(Setting.BodyLines) : 0;
    frame_.ShowColumn(SpamColumn, scoring);
    if (!scoring)
        return;
    // Called on the scorer's thread: one event at a time reaches the window's thread.
    scorer_ = std::make_unique<TSpamScorer>(Setting.Config(), [this] {
        if (!scoresPosted_.exchange(true))
            QMetaObject::invokeMethod(
                this, [this] { TakeScores(); }, Qt::QueuedConnection);
    });
    // Without ids no mail can be known again.
    if (start.WithIds)
        LoadMemory();
}

void TSpamScores::LoadMemory() {
    const QString file = ScoreMemoryFile(frame_.AccountFolder());
    const auto unusable = [&](const std::string& why) {
        frame_.StatusAppend(
            Tr(SpamTexts::MemoryUnusable, frame_.GermanUI())
                .arg(QDir::toNativeSeparators(file), QString::fromLocal8Bit(why.c_str())));
    };
    try {
        memory_ = TScoreMemory::Load(
            QFile::encodeName(file).toStdString(),
            ScoreSettingKey(Setting.Config(), static_cast<uint32_t>(Setting.BodyLines)));
    } catch (const std::exception& e) {
        unusable(e.what());
        return;
    }
    if (!memory_->Problem().empty())
        unusable(memory_->Problem());
}

void TSpamScores::SaveMemory() {
    if (!memory_ || !listingComplete_ || !memoryDue_)
        return;
    memoryDue_ = false;
    try {
        memory_->Save(QFile::encodeName(ScoreMemoryFile(frame_.AccountFolder())).toStdString(),
                      *listingComplete_);
    } catch (const std::exception& e) {
        frame_.StatusAppend(
            Tr(SpamTexts::MemoryNotSaved, frame_.GermanUI()).arg(QString::fromLocal8Bit(e.what())));
    }
}

void TSpamScores::Send(int number, std::string scored) {
    scorer_->Score(static_cast<TMsgNumber>(number), scored);
    scores_.Sent(number, std::move(scored));
}

void TSpamScores::MailArrived(int number, std::string& listed) {
    if (!scorer_)
        return;
    if (memory_) {
        pendingNumber_ = number;
        pending_ = listed;
    } else {
        Send(number, listed);
    }
    listed = std::string(HeaderOfListed(listed));
}

void TSpamScores::MailListed(const TListedMail& mail, TMailAnswer& answer) {
    (void)answer;
    if (!scorer_ || !memory_ || pendingNumber_ != mail.Number)
        return;
    pendingNumber_ = 0;
    const std::string id(mail.Id);
    if (!id.empty()) {
        ids_[mail.Number] = id;
        memory_->Listed(id);
        if (const TSpamScore* known = memory_->Find(id)) {
            scores_.Known(mail.Number, std::move(pending_), *known);
            return;
        }
    }
    Send(mail.Number, std::move(pending_));
}

void TSpamScores::ListingEnded(bool complete) {
    if (!memory_)
        return;
    listingComplete_ = complete;
    // A complete listing forgets the mails gone from the server.
    memoryDue_ = true;
    if (scores_.Outstanding() == 0)
        SaveMemory();
}

void TSpamScores::TakeScores() {
    scoresPosted_ = false;
    if (!scorer_)
        return;
    for (TScoreResult& result : scorer_->TakeResults()) {
        const auto id = ids_.find(static_cast<int>(result.Id));
        if (memory_ && result.Score && id != ids_.end()) {
            memory_->Remember(id->second, *result.Score);
            memoryDue_ = true;
        }
        scores_.Arrived(std::move(result));
    }
    if (scores_.Outstanding() == 0)
        SaveMemory();
    if (const auto problem = scorer_->TakeProblem())
        frame_.StatusAppend(Tr(SpamTexts::Problem, frame_.GermanUI())
                                .arg(ProblemText(*problem, frame_.GermanUI())));
    RowsListed();
}

void TSpamScores::RowsListed() {
    const auto& waiting = scores_.Waiting();
    if (waiting.empty())
        return;
    TMailRows& rows = frame_.Rows();
    const std::vector<int> shown = rows.RowsOf(std::vector<int>(waiting.begin(), waiting.end()));
    for (const int row : shown) {
        const int number = rows.NumberAt(row);
        ShowScore(row, *scores_.ResultOf(number));
        scores_.Shown(number);
    }
    if (!shown.empty())
        rows.SortAgainBy(SpamColumn);
}

void TSpamScores::ShowScore(int row, const TScoreResult& result) {
    TMailRows& rows = frame_.Rows();
    const bool german = frame_.GermanUI();
    if (!result.Score) {
        rows.SetCellAt(row, SpamColumn, QStringLiteral("-"));
        rows.SetSortKeyAt(row, SpamColumn, QVariant());
        rows.SetTipAt(
            row, TRowTip::Spam,
            result.Problem
                ? Tr(SpamTexts::Unscored, german).arg(ProblemText(*result.Problem, german))
                : QString());
        return;
    }
    rows.SetCellAt(row, SpamColumn, ScoreCell(*result.Score));
    rows.SetSortKeyAt(row, SpamColumn, result.Score->Normalised);
    rules_.JudgeWithSpamtest(row, SpamtestValue(*result.Score));
    rows.SetTipAt(row, TRowTip::Spam, VerdictText(*result.Score, german));
}

void TSpamScores::Datei_PClick() {
    if (!Setting.On()) {
        frame_.StatusAppendText(SpamTexts::NoScorer);
        return;
    }
    const TMailRows& rows = frame_.Rows();
    std::vector<int> spam;
    for (int row = 1; row <= rows.Count(); ++row) {
        const int number = rows.NumberAt(row);
        const TScoreResult* result = scores_.ResultOf(number);
        if (!result || !result->Score || !result->Score->IsSpam || rules_.Kept(number))
            continue;
        spam.push_back(number);
    }
    frame_.Rows().Mark(TNumberRuns::Of(spam));
    frame_.StatusAppendMarks(
        Tr(SpamTexts::Marked, frame_.GermanUI()).arg(static_cast<int>(spam.size())));
}

void TSpamScores::LearnCurrentMail(TLearnAs as) {
    const int number = frame_.Rows().CurrentNumber();
    if (frame_.ControlState() != TFrame::StateListed || number < 1)
        return;
    if (!Setting.On()) {
        frame_.StatusAppendText(SpamTexts::NoScorer);
        return;
    }
    TMbxPOP& session = frame_.Session();
    session.KeepRawMail = true;
    const std::unique_ptr<TMbxMsg> msg = frame_.FetchWholeMail(number);
    session.KeepRawMail = false;
    if (!msg)
        return;
    // The learner blocks for up to the time-out: it runs off the window's thread, which
    // hears of its end by an event.
    std::erase_if(learning_, [](const std::future<void>& run) {
        return run.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    ++learningRuns_;
    learning_.push_back(std::async(std::launch::async, [this, number, as, config = Setting.Config(),
                                                        mail = std::string(msg->RawMail.Text())] {
        TLearnOutcome outcome = LearnMail(config, as, mail);
        QMetaObject::invokeMethod(
            this, [this, number, as, outcome] { Learned(number, as, outcome); },
            Qt::QueuedConnection);
    }));
}

void TSpamScores::Learned(int number, TLearnAs as, const TLearnOutcome& outcome) {
    --learningRuns_;
    const bool german = frame_.GermanUI();
    if (outcome.Problem) {
        frame_.StatusAppend(Tr(SpamTexts::NotLearned, german)
                                .arg(number)
                                .arg(ProblemText(*outcome.Problem, german)));
        return;
    }
    frame_.StatusAppend(
        Tr(as == TLearnAs::Spam ? SpamTexts::LearnedSpam : SpamTexts::LearnedHam, german)
            .arg(number));
    // What the scorer says of the mail now.
    const std::string scored = scores_.ScoredText(number);
    if (scorer_ && !scored.empty())
        Send(number, scored);
}
