#include "SenderListEntries.h"

#include "Frame.h"
#include "ListingRules.h"
#include "MailRows.h"
#include "MarkAlike.h"
#include "RuleError.h"
#include "RulesOnListing.h"
#include "RulesTexts.h"
#include "SenderListTexts.h"
#include "SenderLists.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>

namespace {

QAction* AddEntry(TFrame& frame, const char* name) {
    auto* action = new QAction(&frame.Window());
    action->setObjectName(QLatin1String(name));
    frame.RowMenu().addAction(action);
    return action;
}

} // namespace

TSenderListEntries::TSenderListEntries(TFrame& frame, TRulesOnListing& rules)
    : frame_(frame), rules_(rules) {
    frame.RowMenu().addSeparator();
    men_keep_sender = AddEntry(frame, "men_keep_sender");
    men_mark_sender = AddEntry(frame, "men_mark_sender");
    men_keep_domain = AddEntry(frame, "men_keep_domain");
    men_mark_domain = AddEntry(frame, "men_mark_domain");
    connect(men_keep_sender, &QAction::triggered, this, [this] { AlwaysFrom(true, false); });
    connect(men_mark_sender, &QAction::triggered, this, [this] { AlwaysFrom(false, false); });
    connect(men_keep_domain, &QAction::triggered, this, [this] { AlwaysFrom(true, true); });
    connect(men_mark_domain, &QAction::triggered, this, [this] { AlwaysFrom(false, true); });
    connect(&frame.RowMenu(), &QMenu::aboutToShow, this, &TSenderListEntries::ApplyTexts);
}

void TSenderListEntries::LanguageChanged(bool) {
    ApplyTexts();
}

void TSenderListEntries::ApplyTexts() {
    const bool german = frame_.GermanUI();
    const std::string sender = CurrentSender();
    const QString address =
        sender.empty() ? Tr(SenderListTexts::NoSender, german) : QString::fromStdString(sender);
    const std::string domain = DomainOf(sender);
    const QString domainText =
        domain.empty() ? Tr(SenderListTexts::NoSender, german) : QString::fromStdString(domain);
    men_keep_sender->setText(Tr(SenderListTexts::AlwaysKeep, german).arg(address));
    men_mark_sender->setText(Tr(SenderListTexts::AlwaysMark, german).arg(address));
    men_keep_domain->setText(Tr(SenderListTexts::AlwaysKeep, german).arg(domainText));
    men_mark_domain->setText(Tr(SenderListTexts::AlwaysMark, german).arg(domainText));
    const bool listed = frame_.ControlState() == TFrame::StateListed;
    for (QAction* action : {men_keep_sender, men_mark_sender})
        action->setEnabled(listed && !sender.empty());
    for (QAction* action : {men_keep_domain, men_mark_domain})
        action->setEnabled(listed && !domain.empty());
}

std::string TSenderListEntries::CurrentSender() const {
    const TMailRows& rows = frame_.Rows();
    return SenderOf(rows.HeaderOf(rows.CurrentNumber()));
}

void TSenderListEntries::AlwaysFrom(bool keep, bool domain) {
    const std::string sender = CurrentSender();
    const std::string entry = domain ? DomainOf(sender) : sender;
    const QString file = rules_.File();
    if (frame_.ControlState() != TFrame::StateListed || entry.empty() || file.isEmpty())
        return;
    frame_.StatusClear();
    const bool german = frame_.GermanUI();
    std::string script;
    QString why;
    if (QFileInfo::exists(file) && !ReadRulesFile(file, script, why)) {
        frame_.StatusAppend(Tr(RulesTexts::ScriptUnreadable, german).arg(file, why));
        return;
    }
    const QString shown = QString::fromStdString(entry);
    std::string changed;
    try {
        // Only a script the listing can run is changed, and errors are told at their place
        // in the file as it is.
        const TRules before(script);
        changed = keep ? AlwaysKeepFrom(script, entry) : AlwaysMarkFrom(script, entry);
        const TRules after(changed);
    } catch (const ERuleError& error) {
        frame_.StatusAppend(Tr(SenderListTexts::ListsNotChanged, german)
                                .arg(file)
                                .arg(error.Line)
                                .arg(error.Column)
                                .arg(QString::fromStdString(error.Text.In(german))));
        return;
    } catch (const ERuleValueError& error) {
        frame_.StatusAppend(Tr(SenderListTexts::NoEntry, german)
                                .arg(shown, QString::fromStdString(error.Text.In(german))));
        return;
    }
    if (!WriteRulesFile(file, changed, why)) {
        frame_.StatusAppend(Tr(SenderListTexts::NotWritten, german).arg(file, why));
        return;
    }
    frame_.StatusAppend(
        Tr(keep ? SenderListTexts::NowKept : SenderListTexts::NowMarked, german).arg(shown, file));
    rules_.Rerun();
}
