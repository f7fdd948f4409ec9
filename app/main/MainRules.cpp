// Rules on listing: the account's script is read at each connect and judges each header as
// it arrives; the mails it discards are marked, and their row names the rule.
#include "ByteText.h"
#include "ListingRules.h"
#include "MailRows.h"
#include "Main.h"
#include "MultiLst.h"
#include "RulesTexts.h"

#include <QComboBox>
#include <QItemSelection>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace {

constexpr int RuleColumn = 5;

QString RuleName(const TRuleDecision& decision, bool germanUI) {
    if (!decision.name.empty())
        return QString::fromStdString(decision.name);
    return Tr(RulesTexts::LineName, germanUI).arg(decision.line);
}

QString RuleTip(const TRuleDecision& decision, bool germanUI) {
    if (decision.action == TRuleAction::None)
        return {};
    return Tr(decision.action == TRuleAction::Discard ? RulesTexts::MarkedBy : RulesTexts::KeptBy,
              germanUI)
        .arg(RuleName(decision, germanUI));
}

// The row text with its rule cell replaced by cell (which ends in "|" unless empty).
QString WithRuleCell(const QString& text, const QString& cell) {
    qsizetype end = -1;
    for (int k = 0; k < RuleColumn; ++k) {
        end = text.indexOf(u'|', end + 1);
        if (end < 0)
            return text;
    }
    return text.left(end + 1) + cell;
}

} // namespace

void TForm1::LoadListingRules() {
    ShowListingRules(
        ListingRules.Load(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                          servername->currentText().trimmed(), FromBytes(pop3.UserId)));
}

void TForm1::ShowListingRules(const TListingRules::TLoad& load) {
    FRuleMarked.clear();
    // The rule column is there only while rules run.
    QStringList captions = mail_list->HeaderSections().mid(0, RuleColumn);
    if (load.Usable)
        captions << Tr(RulesTexts::Column, GermanUI);
    mail_list->SetHeaderSections(captions);
    mail_list->SetSectionWidth(RuleColumn, load.Usable ? 60 : 0);
    if (load.Usable || load.File.isEmpty())
        return;
    if (load.Line == 0)
        StatusAppend(Tr(RulesTexts::ScriptUnreadable, GermanUI).arg(load.File, load.Why));
    else
        StatusAppend(Tr(RulesTexts::ScriptError, GermanUI)
                         .arg(load.File)
                         .arg(load.Line)
                         .arg(load.Column)
                         .arg(load.Why));
}

std::string TForm1::RuleCell(int number, const std::string& header, long long octets) {
    const TRuleDecision decision =
        ListingRules.Decide(number, header, octets < 0 ? 0 : static_cast<uint64_t>(octets));
    if (!ListingRules.Active())
        return {};
    if (decision.action == TRuleAction::None)
        return "|";
    return RuleName(decision, GermanUI).toStdString() + "|";
}

void TForm1::MarkRuleDecisions(int newRows) {
    if (!ListingRules.Active() || newRows <= 0)
        return;
    // Unsorted, the new rows are the last ones; sorted in, they may be anywhere.
    const int first = mail_list->SortColumn() < 0 ? std::max(mail_list->count() - newRows, 1) : 1;
    QItemSelection discarded;
    for (int row = first; row < mail_list->count(); ++row) {
        QListWidgetItem& item = *mail_list->item(row);
        const int number = MessageNumberOf(item);
        const TRuleDecision& decision = ListingRules.DecisionOf(number);
        if (decision.action == TRuleAction::None || !item.toolTip().isEmpty())
            continue;
        item.setToolTip(RuleTip(decision, GermanUI));
        if (decision.action == TRuleAction::Discard) {
            FRuleMarked.insert(number);
            discarded.select(mail_list->model()->index(row, 0), mail_list->model()->index(row, 0));
        }
    }
    mail_list->selectionModel()->select(discarded, QItemSelectionModel::Select);
}

void TForm1::RerunListingRules() {
    std::vector<TRuleAction> before(static_cast<std::size_t>(std::max(mail_list->count(), 1)));
    for (int row = 1; row < mail_list->count(); ++row)
        before[static_cast<std::size_t>(row)] =
            ListingRules.DecisionOf(MessageNumberOf(*mail_list->item(row))).action;
    const QSet<int> ruleMarked = FRuleMarked;
    // The login row may name another account by now: the session's script is read again.
    ShowListingRules(ListingRules.Reload());
    // Only marks the rules made are taken back; a newly discarded mail the user marked
    // already stays the user's mark.
    QItemSelection mark;
    QItemSelection unmark;
    for (int row = 1; row < mail_list->count(); ++row) {
        QListWidgetItem& item = *mail_list->item(row);
        const int number = MessageNumberOf(item);
        const QString cell =
            QString::fromStdString(RuleCell(number, std::string(HeaderOf(number)), OctetsOf(item)));
        const QString text = WithRuleCell(item.text(), cell);
        if (text != item.text())
            item.setText(text);
        const TRuleDecision& decision = ListingRules.DecisionOf(number);
        const QString tip = RuleTip(decision, GermanUI);
        if (tip != item.toolTip())
            item.setToolTip(tip);
        const QModelIndex index = mail_list->model()->index(row, 0);
        const bool discard = decision.action == TRuleAction::Discard;
        if (discard && ruleMarked.contains(number)) {
            FRuleMarked.insert(number);
        } else if (discard && before[static_cast<std::size_t>(row)] != TRuleAction::Discard &&
                   !item.isSelected()) {
            FRuleMarked.insert(number);
            mark.select(index, index);
        } else if (!discard && ruleMarked.contains(number) && item.isSelected()) {
            unmark.select(index, index);
        }
    }
    mail_list->selectionModel()->select(unmark, QItemSelectionModel::Deselect);
    mail_list->selectionModel()->select(mark, QItemSelectionModel::Select);
}

int TForm1::MarkedByRules() const {
    int count = 0;
    for (const int row : mail_list->MarkedRows())
        count += FRuleMarked.contains(MessageNumberOf(*mail_list->item(row))) ? 1 : 0;
    return count;
}
