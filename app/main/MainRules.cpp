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

namespace {

constexpr int RuleColumn = 5;

QString RuleName(const TRuleDecision& decision, bool germanUI) {
    if (!decision.name.empty())
        return QString::fromStdString(decision.name);
    return Tr(RulesTexts::LineName, germanUI).arg(decision.line);
}

} // namespace

QString TForm1::RulesUser() const {
    // Before a login, and after one has ended, the login row names the account.
    return pop3.Connected() ? FromBytes(pop3.UserId) : Username->currentText();
}

void TForm1::LoadListingRules() {
    const TListingRules::TLoad load =
        ListingRules.Load(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                          servername->currentText().trimmed(), RulesUser());
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
        const bool discard = decision.action == TRuleAction::Discard;
        item.setToolTip(Tr(discard ? RulesTexts::MarkedBy : RulesTexts::KeptBy, GermanUI)
                            .arg(RuleName(decision, GermanUI)));
        if (discard) {
            FRuleMarked.insert(number);
            discarded.select(mail_list->model()->index(row, 0), mail_list->model()->index(row, 0));
        }
    }
    mail_list->selectionModel()->select(discarded, QItemSelectionModel::Select);
}

int TForm1::MarkedByRules() const {
    int count = 0;
    for (const int row : mail_list->MarkedRows())
        count += FRuleMarked.contains(MessageNumberOf(*mail_list->item(row))) ? 1 : 0;
    return count;
}
