// The rules dialog's import, export and OK: what reaches a file, and nothing that takes a
// friend's protection away unasked.
#include "RulesDialog.h"

#include "ListingRules.h"
#include "Parser.h"
#include "RuleError.h"
#include "RulesDialogTexts.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextBlock>

#include <algorithm>
#include <optional>
#include <vector>

namespace T = RulesDialogTexts;

QStringList TRulesDialog::DroppedFriends() const {
    const auto friendsOf = [](const std::string& script) {
        try {
            return std::optional(ReadSenderLists(script).friends);
        } catch (const ERuleError&) {
            return std::optional<std::vector<std::string>>();
        }
    };
    // A file whose lists cannot be read has no friends to lose here; lists changed by hand
    // into something else may have lost them all.
    const auto before = friendsOf(originals_[scope_]);
    const auto after = friendsOf(scripts_[scope_]).value_or(std::vector<std::string>());
    QStringList dropped;
    for (const std::string& entry : before.value_or(std::vector<std::string>()))
        if (std::find(after.begin(), after.end(), entry) == after.end())
            dropped << QString::fromStdString(entry);
    return dropped;
}

bool TRulesDialog::AskDropped(const QStringList& dropped) {
    QMessageBox box(QMessageBox::Warning, Text(T::Title),
                    Text(T::DropFriends).arg(dropped.join(QStringLiteral(", "))),
                    QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton* save = box.addButton(Text(T::SaveAnyway), QMessageBox::AcceptRole);
    box.addButton(Text(T::KeepEditing), QMessageBox::RejectRole);
    box.exec();
    return box.clickedButton() == save;
}

void TRulesDialog::ImportFile() {
    const QString file = ChooseFile(false);
    if (file.isEmpty())
        return;
    std::string text;
    QString why;
    if (!ReadRulesFile(file, text, why)) {
        ShowError(Text(T::NotRead).arg(file, why));
        return;
    }
    ShowError({});
    scripts_[scope_] = std::move(text);
    ShowScript();
}

void TRulesDialog::ExportFile() {
    if (!TakeTab())
        return;
    const QString file = ChooseFile(true);
    if (file.isEmpty())
        return;
    QString why;
    if (!WriteRulesFile(file, scripts_[scope_], why))
        ShowError(Text(T::NotWritten).arg(file, why));
    else
        ShowError({});
}

void TRulesDialog::accept() {
    if (!TakeTab())
        return;
    const std::string& script = scripts_[scope_];
    try {
        ParseScript(script);
    } catch (const ERuleError& e) {
        {
            const QSignalBlocker blocker(Tabs);
            Tabs->setCurrentIndex(SievePage);
        }
        shownTab_ = SievePage;
        ShowScript();
        ShowError(Text(T::ScriptError)
                      .arg(e.Line)
                      .arg(e.Column)
                      .arg(QString::fromStdString(e.Text.In(german_))));
        const QTextBlock line = SieveText->document()->findBlockByNumber(e.Line - 1);
        QTextCursor cursor(line);
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                            std::max(0, std::min(e.Column - 1, line.length() - 1)));
        SieveText->setTextCursor(cursor);
        SieveText->setFocus();
        return;
    }
    // An unchanged script is not written: the scope chosen alone changes nothing.
    if (script == originals_[scope_]) {
        QDialog::accept();
        return;
    }
    const QStringList dropped = DroppedFriends();
    if (!dropped.isEmpty() && !ConfirmDropped(dropped))
        return;
    QString why;
    if (!WriteRulesFile(File(), script, why)) {
        ShowError(Text(T::NotWritten).arg(File(), why));
        return;
    }
    QDialog::accept();
}
