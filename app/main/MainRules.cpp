// Rules on listing: the account's script is read at each connect and judges each header as
// it arrives; the mails it discards are marked, and their row names the rule.
#include "ByteText.h"
#include "ExtraColumns.h"
#include "ListingRules.h"
#include "MailRows.h"
#include "Main.h"
#include "MarkCommands.h"
#include "MultiLst.h"
#include "RulesTexts.h"
#include "SenderLists.h"

#include <QComboBox>
#include <QItemSelection>
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

} // namespace

QString TForm1::RulesUser() const {
    // Before a login, and after one has ended, the login row names the account.
    return pop3.Connected() ? FromBytes(pop3.UserId) : Username->currentText();
}

void TForm1::LoadListingRules() {
    ShowListingRules(
        ListingRules.Load(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                          servername->currentText().trimmed(), RulesUser()));
}

void TForm1::ShowListingRules(const TListingRules::TLoad& load) {
    FRuleMarked.clear();
    FRuleTaken.clear();
    // The rule column is there only while rules run.
    ExtraColumns.SetShown(RuleColumn, load.Usable);
    ShowExtraColumns();
    if (load.Usable || load.File.isEmpty())
        return;
    if (!load.Error)
        StatusAppend(Tr(RulesTexts::ScriptUnreadable, GermanUI()).arg(load.File, load.Why));
    else
        StatusAppend(Tr(RulesTexts::ScriptError, GermanUI())
                         .arg(load.File)
                         .arg(load.Line)
                         .arg(load.Column)
                         .arg(QString::fromStdString(load.Error->In(GermanUI()))));
}

std::string TForm1::RuleCell(int number, const std::string& header, long long octets) {
    ListingRules.Decide(number, header, octets < 0 ? 0 : static_cast<uint64_t>(octets));
    return RuleCellText(ListingRules.DecisionOf(number), GermanUI()).toStdString();
}

void TForm1::MarkRuleDecisions(int newRows) {
    if (!ListingRules.Active() || newRows <= 0)
        return;
    // Unsorted, the new rows are the last ones; sorted in, they may be anywhere.
    const int first = mail_list->SortColumn() < 0 ? std::max(mail_list->count() - newRows, 1) : 1;
    QItemSelection discarded;
    for (int row = first; row < mail_list->count(); ++row)
        ShowRuleDecision(row, discarded);
    mail_list->selectionModel()->select(discarded, QItemSelectionModel::Select);
}

void TForm1::ShowRuleDecision(int row, QItemSelection& discarded) {
    QListWidgetItem& item = *mail_list->item(row);
    const int number = MessageNumberOf(item);
    const TRuleDecision& decision = ListingRules.DecisionOf(number);
    // A row whose decision is shown already is done: a mark taken away by the user stays away.
    if (decision.action == TRuleAction::None || !RowTip(item, TRowTip::Rule).isEmpty())
        return;
    SetRowTip(item, TRowTip::Rule, RuleTip(decision, GermanUI()));
    if (decision.action == TRuleAction::Discard) {
        FRuleMarked.insert(number);
        discarded.select(mail_list->model()->index(row, 0), mail_list->model()->index(row, 0));
    }
}

void TForm1::ShowChangedDecision(int row, TRuleAction before, QItemSelection& mark,
                                 QItemSelection& unmark) {
    QListWidgetItem& item = *mail_list->item(row);
    const int number = MessageNumberOf(item);
    const TRuleDecision& decision = ListingRules.DecisionOf(number);
    SetRowCell(item, RuleColumn, RuleCellText(decision, GermanUI()));
    SetRowTip(item, TRowTip::Rule, RuleTip(decision, GermanUI()));
    const QModelIndex index = mail_list->model()->index(row, 0);
    if (decision.action == TRuleAction::Discard) {
        // A newly discarded mail the user marked already stays the user's mark.
        if (!FRuleMarked.contains(number) && before != TRuleAction::Discard && !item.isSelected()) {
            FRuleMarked.insert(number);
            mark.select(index, index);
        }
    } else {
        FRuleTaken.remove(number);
        // Only marks the rules made are taken back.
        if (FRuleMarked.remove(number) && item.isSelected())
            unmark.select(index, index);
    }
}

void TForm1::RerunListingRules() {
    std::vector<TRuleAction> before(static_cast<std::size_t>(std::max(mail_list->count(), 1)));
    for (int row = 1; row < mail_list->count(); ++row)
        before[static_cast<std::size_t>(row)] =
            ListingRules.DecisionOf(MessageNumberOf(*mail_list->item(row))).action;
    const QSet<int> ruleMarked = FRuleMarked;
    const QSet<int> ruleTaken = FRuleTaken;
    // The login row may name another account by now: the session's script is read again.
    ShowListingRules(ListingRules.Reload());
    FRuleMarked = ruleMarked;
    FRuleTaken = ruleTaken;
    QItemSelection mark;
    QItemSelection unmark;
    for (int row = 1; row < mail_list->count(); ++row) {
        QListWidgetItem& item = *mail_list->item(row);
        const int number = MessageNumberOf(item);
        RuleCell(number, std::string(HeaderOf(number)), OctetsOf(item));
        ShowChangedDecision(row, before[static_cast<std::size_t>(row)], mark, unmark);
    }
    mail_list->selectionModel()->select(unmark, QItemSelectionModel::Deselect);
    mail_list->selectionModel()->select(mark, QItemSelectionModel::Select);
}

void TForm1::WireRuleMarks() {
    connect(mail_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                // A new order carries the marks along; nobody took them away.
                if ((FRuleMarked.isEmpty() && FRuleTaken.isEmpty()) || mail_list->MovingRows())
                    return;
                const auto numbers = [this](const QItemSelection& rows, const auto& each) {
                    for (const QItemSelectionRange& range : rows)
                        for (int row = range.top(); row <= range.bottom(); ++row)
                            if (const QListWidgetItem* item = mail_list->item(row))
                                each(MessageNumberOf(*item));
                };
                numbers(deselected, [this](int n) {
                    if (FRuleMarked.remove(n))
                        FRuleTaken.insert(n);
                });
                // An undo gives the rules their marks back; a mark set anew is the user's.
                const bool undoing = Part<TMarkCommands>().Undoing();
                numbers(selected, [this, undoing](int n) {
                    if (FRuleTaken.remove(n) && undoing)
                        FRuleMarked.insert(n);
                });
            });
}

int TForm1::MarkedByRules() const {
    int count = 0;
    for (const int row : mail_list->MarkedRows())
        count += FRuleMarked.contains(MessageNumberOf(*mail_list->item(row))) ? 1 : 0;
    return count;
}
