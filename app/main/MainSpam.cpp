// Spam scores from the user's own scorer: the setting, scores while listing (the Spam column,
// its tooltip, the rules' spamtest), marking what the scorer calls spam, training it.
#include "ByteText.h"
#include "ExtraColumns.h"
#include "ListingScores.h"
#include "MailRows.h"
#include "Main.h"
#include "MarksCountLine.h"
#include "MultiLst.h"
#include "SpamSettingsDialog.h"
#include "SpamTexts.h"

#include <QAction>
#include <QCheckBox>
#include <QItemSelection>
#include <QMenu>

namespace {

QString ProblemText(const TScorerProblem& problem, bool germanUI) {
    QString text = QString::fromStdString(ScorerProblemText(problem, germanUI));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

void TForm1::BuildSpamEntries() {
    Datei_S = new QAction(this);
    Datei_S->setObjectName(QStringLiteral("Datei_S"));
    Datei_P = new QAction(this);
    Datei_P->setObjectName(QStringLiteral("Datei_P"));
    Datei->insertActions(Datei_E, {Datei_S, Datei_P});
    connect(Datei_S, &QAction::triggered, this, &TForm1::Datei_SClick);
    connect(Datei_P, &QAction::triggered, this, &TForm1::Datei_PClick);

    men_spam = new QAction(this);
    men_spam->setObjectName(QStringLiteral("men_spam"));
    men_ham = new QAction(this);
    men_ham->setObjectName(QStringLiteral("men_ham"));
    popmen_header->addActions({men_spam, men_ham});
    connect(men_spam, &QAction::triggered, this, [this] { LearnCurrentMail(TLearnAs::Spam); });
    connect(men_ham, &QAction::triggered, this, [this] { LearnCurrentMail(TLearnAs::Ham); });
}

void TForm1::ApplySpamTexts() {
    Datei_S->setText(Tr(SpamTexts::MenuSetting, GermanUI()));
    Datei_P->setText(Tr(SpamTexts::MenuMarkSpam, GermanUI()));
    men_spam->setText(Tr(SpamTexts::MenuIsSpam, GermanUI()));
    men_ham->setText(Tr(SpamTexts::MenuIsHam, GermanUI()));
}

void TForm1::Datei_SClick() {
    TSpamSettingsDialog dialog(this, SpamSetting, GermanUI());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Takes effect at the next connect; the session's scorer stays as it was.
    SpamSetting = dialog.Setting();
    WriteSpamSetting(FSettings, SpamSetting);
    FSettings.Flush();
}

void TForm1::SpamSessionState(int state) {
    men_spam->setEnabled(state == StateListed);
    men_ham->setEnabled(state == StateListed);
    if (state == StateIdle) {
        FScorer.reset();
        pop3.ListBodyLines = 0;
    }
}

void TForm1::StartSpamScoring() {
    FScorer.reset();
    FListingScores.Clear();
    const bool scoring = SpamSetting.On() && !Header_Nein->isChecked();
    pop3.ListBodyLines = scoring ? static_cast<uint32_t>(SpamSetting.BodyLines) : 0;
    ExtraColumns.SetShown(SpamColumn, scoring);
    ShowExtraColumns();
    if (!scoring)
        return;
    // Called on the scorer's thread: one event at a time reaches the window's thread.
    FScorer = std::make_unique<TSpamScorer>(SpamSetting.Config(), [this] {
        if (!FScoresPosted.exchange(true))
            QMetaObject::invokeMethod(
                this, [this] { TakeSpamScores(); }, Qt::QueuedConnection);
    });
}

std::string TForm1::ScoreListed(TMsgNumber number, const std::string& listed) {
    if (!FScorer)
        return listed;
    FListingScores.Sent(static_cast<int>(number), listed);
    FScorer->Score(number, listed);
    return std::string(HeaderOfListed(listed));
}

void TForm1::TakeSpamScores() {
    FScoresPosted = false;
    if (!FScorer)
        return;
    for (TScoreResult& result : FScorer->TakeResults())
        FListingScores.Arrived(std::move(result));
    if (const auto problem = FScorer->TakeProblem())
        StatusAppend(Tr(SpamTexts::Problem, GermanUI()).arg(ProblemText(*problem, GermanUI())));
    ShowWaitingScores();
}

void TForm1::ShowWaitingScores() {
    const auto& waiting = FListingScores.Waiting();
    if (waiting.empty())
        return;
    const std::vector<int> rows =
        RowsOfNumbers(*mail_list, std::vector<int>(waiting.begin(), waiting.end()));
    for (const int row : rows) {
        const int number = MessageNumberOf(*mail_list->item(row));
        ShowSpamScore(row, *FListingScores.ResultOf(number));
        FListingScores.Shown(number);
    }
    if (!rows.empty() && mail_list->SortColumn() == SpamColumn)
        mail_list->ApplySortOrder();
}

void TForm1::ShowSpamScore(int row, const TScoreResult& result) {
    QListWidgetItem& item = *mail_list->item(row);
    if (!result.Score) {
        SetRowCell(item, SpamColumn, QStringLiteral("-"));
        item.setData(TMultiListSortKeyRole + SpamColumn, QVariant());
        SetRowTip(
            item, TRowTip::Spam,
            result.Problem
                ? Tr(SpamTexts::Unscored, GermanUI()).arg(ProblemText(*result.Problem, GermanUI()))
                : QString());
        return;
    }
    SetRowCell(item, SpamColumn, ScoreCell(*result.Score));
    item.setData(TMultiListSortKeyRole + SpamColumn, result.Score->Normalised);
    JudgeWithSpamScore(row, *result.Score);
    SetRowTip(item, TRowTip::Spam, VerdictText(*result.Score, GermanUI()));
}

// The rules judge the mail again, now with spamtest answering; a changed decision is shown
// and marks (or unmarks) the row as the rules' decisions do while listing.
void TForm1::JudgeWithSpamScore(int row, const TSpamScore& score) {
    if (!ListingRules.Active())
        return;
    QListWidgetItem& item = *mail_list->item(row);
    const int number = MessageNumberOf(item);
    if (number < 1 || number > static_cast<int>(FRows->Headers().size()))
        return;
    ListingRules.SetSpamScore(number, SpamtestValue(score));
    const TRuleDecision before = ListingRules.DecisionOf(number);
    RuleCell(number, std::string(HeaderOf(number)), OctetsOf(item));
    const TRuleDecision& after = ListingRules.DecisionOf(number);
    if (after.action == before.action && after.line == before.line)
        return;
    QItemSelection mark;
    QItemSelection unmark;
    ShowChangedDecision(row, before.action, mark, unmark);
    mail_list->selectionModel()->select(unmark, QItemSelectionModel::Deselect);
    mail_list->selectionModel()->select(mark, QItemSelectionModel::Select);
}

void TForm1::Datei_PClick() {
    if (!SpamSetting.On()) {
        StatusAppendText(SpamTexts::NoScorer);
        return;
    }
    QItemSelection spam;
    int count = 0;
    for (int row = 1; row < mail_list->count(); ++row) {
        const int number = MessageNumberOf(*mail_list->item(row));
        const TScoreResult* result = FListingScores.ResultOf(number);
        if (!result || !result->Score || !result->Score->IsSpam || ListingRules.Kept(number))
            continue;
        spam.select(mail_list->model()->index(row, 0), mail_list->model()->index(row, 0));
        ++count;
    }
    mail_list->selectionModel()->select(spam, QItemSelectionModel::Select);
    MarksLine->Append(Tr(SpamTexts::Marked, GermanUI()).arg(count));
}

void TForm1::LearnCurrentMail(TLearnAs as) {
    const int number = CurrentMessageNumber(*mail_list);
    if (ControlState() != StateListed || number < 1)
        return;
    if (!SpamSetting.On()) {
        StatusAppendText(SpamTexts::NoScorer);
        return;
    }
    std::unique_ptr<TMbxMsg> msg;
    {
        TCommandScope scope(*this, StateListed);
        pop3.KeepRawMail = true;
        msg = FetchWholeMail(scope, number);
        pop3.KeepRawMail = false;
    }
    if (!msg)
        return;
    // The learner blocks for up to the time-out: it runs off the window's thread, which
    // hears of its end by an event.
    std::erase_if(FLearning, [](const std::future<void>& run) {
        return run.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    ++FLearningRuns;
    FLearning.push_back(
        std::async(std::launch::async, [this, number, as, config = SpamSetting.Config(),
                                        mail = std::string(msg->RawMail.Text())] {
            TLearnOutcome outcome = LearnMail(config, as, mail);
            QMetaObject::invokeMethod(
                this, [this, number, as, outcome] { LearnedMail(number, as, outcome); },
                Qt::QueuedConnection);
        }));
}

void TForm1::LearnedMail(int number, TLearnAs as, const TLearnOutcome& outcome) {
    --FLearningRuns;
    if (outcome.Problem) {
        StatusAppend(Tr(SpamTexts::NotLearned, GermanUI())
                         .arg(number)
                         .arg(ProblemText(*outcome.Problem, GermanUI())));
        return;
    }
    StatusAppend(Tr(as == TLearnAs::Spam ? SpamTexts::LearnedSpam : SpamTexts::LearnedHam, GermanUI())
                     .arg(number));
    // What the scorer says of the mail now.
    const std::string scored = FListingScores.ScoredText(number);
    if (FScorer && !scored.empty()) {
        FListingScores.Sent(number, scored);
        FScorer->Score(static_cast<uint64_t>(number), scored);
    }
}
