#include "RulesOnListing.h"

#include "ByteText.h"
#include "ExtraColumns.h"
#include "Frame.h"
#include "MailRows.h"
#include "MultiLst.h"
#include "RulesDialog.h"
#include "RulesDialogTexts.h"
#include "RulesTexts.h"
#include "SenderLists.h"

#include <QAction>
#include <QItemSelection>
#include <QMainWindow>
#include <QMenu>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace {

QString RuleName(const TRuleDecision& decision, bool germanUI) {
    if (!decision.name.empty())
        return QString::fromStdString(ShownRuleName(decision.name, germanUI));
    return Tr(RulesTexts::LineName, germanUI).arg(decision.line);
}

QString RuleTip(const TRuleDecision& decision, bool germanUI) {
    if (decision.action == TRuleAction::None)
        return {};
    return Tr(decision.action == TRuleAction::Discard ? RulesTexts::MarkedBy : RulesTexts::KeptBy,
              germanUI)
        .arg(RuleName(decision, germanUI));
}

// The rule cell: the name of the rule that decided, empty when none did.
QString RuleCellText(const TRuleDecision& decision, bool germanUI) {
    return decision.action == TRuleAction::None ? QString() : RuleName(decision, germanUI);
}

QString DataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace

TRulesOnListing::TRulesOnListing(TFrame& frame, std::function<bool()> undoing)
    : Datei_R(new QAction(&frame.Window())), frame_(frame), undoing_(std::move(undoing)) {
    frame.SetColumnLook(RuleColumn, RulesTexts::Column, "Zeile 999");
    Datei_R->setObjectName(QStringLiteral("Datei_R"));
    frame.ServerMenu().insertAction(frame.ServerEnd(), Datei_R);
    connect(Datei_R, &QAction::triggered, this, &TRulesOnListing::Datei_RClick);
    FollowMarks();
}

void TRulesOnListing::LanguageChanged(bool germanUI) {
    Datei_R->setText(Tr(RulesDialogTexts::MenuEntry, germanUI));
}

QString TRulesOnListing::RulesUser() const {
    // Before a login, and after one has ended, the login row names the account.
    TMbxPOP& session = frame_.Session();
    return session.Connected() ? FromBytes(session.UserId) : frame_.UserText();
}

void TRulesOnListing::ListingBegins(const TListingStart&) {
    Load();
}

void TRulesOnListing::Load() {
    ShowLoad(ListingRules.Load(DataFolder(), frame_.ServerText(), RulesUser()));
}

void TRulesOnListing::ShowLoad(const TListingRules::TLoad& load) {
    FRuleMarked.clear();
    FRuleTaken.clear();
    // The rule column is there only while rules run.
    frame_.ShowColumn(RuleColumn, load.Usable);
    if (load.Usable || load.File.isEmpty())
        return;
    const bool german = frame_.GermanUI();
    if (!load.Error)
        frame_.StatusAppend(Tr(RulesTexts::ScriptUnreadable, german).arg(load.File, load.Why));
    else
        frame_.StatusAppend(Tr(RulesTexts::ScriptError, german)
                                .arg(load.File)
                                .arg(load.Line)
                                .arg(load.Column)
                                .arg(QString::fromStdString(load.Error->In(german))));
}

bool TRulesOnListing::Blocked(int number) const {
    return IsBlockedListRule(ListingRules.DecisionOf(number).name);
}

void TRulesOnListing::MailListed(const TListedMail& mail, TMailAnswer& answer) {
    if (!ListingRules.Active())
        return;
    const TRuleDecision decision = ListingRules.Decide(
        mail.Number, mail.Header, mail.Octets < 0 ? 0 : static_cast<uint64_t>(mail.Octets));
    if (decision.action == TRuleAction::None)
        return;
    const bool german = frame_.GermanUI();
    answer.Cells[RuleColumn - FirstExtraColumn] = RuleCellText(decision, german).toStdString();
    answer.Tips[static_cast<int>(TRowTip::Rule)] = RuleTip(decision, german);
    if (decision.action == TRuleAction::Discard) {
        FRuleMarked.insert(mail.Number);
        answer.Mark = true;
    }
}

void TRulesOnListing::CountMarked(TMarkedMails& marked) {
    const TNumberRuns shown = frame_.Rows().Marked();
    int count = 0;
    for (const int number : FRuleMarked)
        count += shown.Contains(number) ? 1 : 0;
    marked.FromRules = count;
}

void TRulesOnListing::ShowChangedDecision(int row, TRuleAction before, std::vector<int>& mark,
                                          std::vector<int>& unmark) {
    TMailRows& rows = frame_.Rows();
    const int number = rows.NumberAt(row);
    const TRuleDecision& decision = ListingRules.DecisionOf(number);
    rows.SetCellAt(row, RuleColumn, RuleCellText(decision, frame_.GermanUI()));
    rows.SetTipAt(row, TRowTip::Rule, RuleTip(decision, frame_.GermanUI()));
    if (decision.action == TRuleAction::Discard) {
        // A newly discarded mail the user marked already stays the user's mark.
        if (!FRuleMarked.contains(number) && before != TRuleAction::Discard &&
            !rows.MarkedAt(row)) {
            FRuleMarked.insert(number);
            mark.push_back(number);
        }
    } else {
        FRuleTaken.remove(number);
        // Only marks the rules made are taken back.
        if (FRuleMarked.remove(number) && rows.MarkedAt(row))
            unmark.push_back(number);
    }
}

void TRulesOnListing::JudgeWithSpamtest(int row, int spamtest) {
    if (!ListingRules.Active())
        return;
    TMailRows& rows = frame_.Rows();
    const int number = rows.NumberAt(row);
    if (number < 1 || number > static_cast<int>(rows.Headers().size()))
        return;
    ListingRules.SetSpamScore(number, spamtest);
    const TRuleDecision before = ListingRules.DecisionOf(number);
    const long long octets = rows.OctetsAt(row);
    const TRuleDecision after = ListingRules.Decide(number, rows.HeaderOf(number),
                                                    octets < 0 ? 0 : static_cast<uint64_t>(octets));
    if (after.action == before.action && after.line == before.line)
        return;
    std::vector<int> mark;
    std::vector<int> unmark;
    ShowChangedDecision(row, before.action, mark, unmark);
    rows.Unmark(TNumberRuns::Of(std::move(unmark)));
    rows.Mark(TNumberRuns::Of(std::move(mark)));
}

void TRulesOnListing::Rerun() {
    TMailRows& rows = frame_.Rows();
    std::vector<TRuleAction> before(static_cast<std::size_t>(rows.Count() + 1));
    for (int row = 1; row <= rows.Count(); ++row)
        before[static_cast<std::size_t>(row)] = ListingRules.DecisionOf(rows.NumberAt(row)).action;
    const QSet<int> ruleMarked = FRuleMarked;
    const QSet<int> ruleTaken = FRuleTaken;
    // The login row may name another account by now: the session's script is read again.
    ShowLoad(ListingRules.Reload());
    FRuleMarked = ruleMarked;
    FRuleTaken = ruleTaken;
    std::vector<int> mark;
    std::vector<int> unmark;
    for (int row = 1; row <= rows.Count(); ++row) {
        const int number = rows.NumberAt(row);
        const long long octets = rows.OctetsAt(row);
        ListingRules.Decide(number, rows.HeaderOf(number),
                            octets < 0 ? 0 : static_cast<uint64_t>(octets));
        ShowChangedDecision(row, before[static_cast<std::size_t>(row)], mark, unmark);
    }
    rows.Unmark(TNumberRuns::Of(std::move(unmark)));
    rows.Mark(TNumberRuns::Of(std::move(mark)));
}

void TRulesOnListing::FollowMarks() {
    TMultiList& list = frame_.Rows().List();
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, &list](const QItemSelection& selected, const QItemSelection& deselected) {
                // A new order carries the marks along; nobody took them away.
                if ((FRuleMarked.isEmpty() && FRuleTaken.isEmpty()) || list.MovingRows())
                    return;
                const TMailRows& rows = frame_.Rows();
                const auto numbers = [&rows](const QItemSelection& changed, const auto& each) {
                    for (const QItemSelectionRange& range : changed)
                        for (int row = std::max(range.top(), 1);
                             row <= std::min(range.bottom(), rows.Count()); ++row)
                            each(rows.NumberAt(row));
                };
                numbers(deselected, [this](int n) {
                    if (FRuleMarked.remove(n))
                        FRuleTaken.insert(n);
                });
                // An undo gives the rules their marks back; a mark set anew is the user's.
                const bool undoing = undoing_();
                numbers(selected, [this, undoing](int n) {
                    if (FRuleTaken.remove(n) && undoing)
                        FRuleMarked.insert(n);
                });
            });
}

void TRulesOnListing::Datei_RClick() {
    // The account whose rules the listing reads.
    TRulesDialog dialog(DataFolder(), frame_.ServerText(), RulesUser(), frame_.GermanUI(),
                        &frame_.Window());
    if (dialog.exec() == QDialog::Accepted)
        RulesChanged();
}

void TRulesOnListing::RulesChanged() {
    // A listed mailbox is judged again at once; otherwise the next listing reads the rules.
    if (frame_.ControlState() == TFrame::StateListed)
        Rerun();
    else
        Load();
}
