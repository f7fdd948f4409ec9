// The rules dialog's script and its tabs: the text shown as rows and lists, and the tab being
// left written back into the text.
#include "RulesDialog.h"

#include "ListingRules.h"
#include "Parser.h"
#include "RelativeAges.h"
#include "RuleError.h"
#include "RulesDialogTexts.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include <initializer_list>

namespace T = RulesDialogTexts;

void TRulesDialog::ShowScript() {
    const std::string& script = scripts_[scope_];
    {
        const QSignalBlocker blocker(SieveText);
        SieveText->setPlainText(QString::fromStdString(script));
    }
    QString rowsNote, listsNote;
    TRuleSet set;
    TSenderLists lists;
    try {
        ParseScript(script);
        const TRuleRowsRead read = ReadRuleRows(script, LocalToday());
        if (read.kind == TRuleRowsRead::Kind::Text)
            rowsNote = Text(T::ChangedByHand).arg(read.line) + '\n' + Text(T::EditAsText);
        else
            set = read.set;
        try {
            lists = ReadSenderLists(script);
        } catch (const ERuleError& e) {
            listsNote = Text(T::ChangedByHand).arg(e.Line) + '\n' + Text(T::EditAsText);
        }
    } catch (const ERuleError& e) {
        // Neither tab can write into a script that does not parse.
        rowsNote = listsNote = Text(T::ScriptError)
                                   .arg(e.Line)
                                   .arg(e.Column)
                                   .arg(QString::fromStdString(e.Text.In(german_))) +
                               '\n' + Text(T::EditAsText);
    }
    rowsEditable_ = rowsNote.isEmpty();
    listsEditable_ = listsNote.isEmpty();
    SetRows(set);
    for (QWidget* w : std::initializer_list<QWidget*>{AllOrAny, RuleName, Table, AddRow, RemoveRow,
                                                      RowUp, RowDown})
        w->setEnabled(rowsEditable_);
    ShowNote(RowsNote, rowsNote);
    for (int i = 0; i < 2; ++i) {
        Lists[i]->clear();
        for (const std::string& e : i == 0 ? lists.friends : lists.blocked)
            Lists[i]->addItem(QString::fromStdString(e));
        for (QWidget* w :
             std::initializer_list<QWidget*>{Lists[i], Entries[i], AddEntry[i], RemoveEntry[i]})
            w->setEnabled(listsEditable_);
    }
    ShowNote(ListsNote, listsNote);
    // The account's rules run together with those for all accounts.
    ShowNote(ScopeNote, scope_ == AccountScope ? Text(T::SharedApplyToo)
                        : !files_[AccountScope].isEmpty() && QFileInfo::exists(files_[AccountScope])
                            ? Text(T::AccountAddsRules)
                            : QString());
}

bool TRulesDialog::TakeTab() {
    std::string& script = scripts_[scope_];
    if (shownTab_ == SievePage) {
        script = SieveText->toPlainText().toStdString();
        return true;
    }
    try {
        if (shownTab_ == RulesPage && rowsEditable_) {
            const TRuleSet set = ShownSet();
            for (size_t i = 0; i < set.rows.size(); ++i) {
                try {
                    CheckRuleRows({set.all, {}, {set.rows[i]}});
                } catch (const ERuleValueError& e) {
                    ShowError(
                        Text(T::BadRow).arg(i + 1).arg(QString::fromStdString(e.Text.In(german_))));
                    Table->setCurrentCell(static_cast<int>(i), ValueColumn);
                    return false;
                }
            }
            script = WithRuleRows(script, set, LocalToday());
        } else if (shownTab_ == ListsPage && listsEditable_) {
            script = WithSenderLists(script, ShownLists());
        }
    } catch (const ERuleValueError& e) {
        ShowError(QString::fromStdString(e.Text.In(german_)));
        return false;
    } catch (const ERuleError& e) {
        ShowError(Text(T::ScriptError)
                      .arg(e.Line)
                      .arg(e.Column)
                      .arg(QString::fromStdString(e.Text.In(german_))));
        return false;
    }
    return true;
}
