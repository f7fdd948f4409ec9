// Mark alike and the sender lists from a row's context menu: mark the mails that share the
// row's sender, domain or subject, or are larger or older; put the sender on the friends or
// the blocked list and run the rules again.
#include "ListingRules.h"
#include "MailRows.h"
#include "Main.h"
#include "MarkAlike.h"
#include "MarkAlikeTexts.h"
#include "MarksCountLine.h"
#include "MultiLst.h"
#include "RuleError.h"
#include "RulesTexts.h"
#include "SenderLists.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>

#include <stdexcept>

namespace {

// A right click makes its row the current one for the menu and leaves the marks as they
// are: the menu's commands add to the marks, so the click must not take others away first.
class TMenuClick : public QObject {
public:
    explicit TMenuClick(TMultiList* list) : QObject(list), list_(list) {
        list->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
            type != QEvent::MouseButtonRelease)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton || list_->Locked())
            return false;
        const QModelIndex index = list_->indexAt(mouse->position().toPoint());
        if (type == QEvent::MouseButtonPress && index.isValid() && index.row() >= 1)
            list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        return true;
    }

private:
    TMultiList* list_;
};

QAction* AddAlikeAction(QMenu* menu, QWidget* window, const char* name, Qt::Key key) {
    auto* action = new QAction(window);
    action->setObjectName(QLatin1String(name));
    if (key != Qt::Key_unknown) {
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | key));
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
    }
    menu->addAction(action);
    return action;
}

} // namespace

void TForm1::BuildAlikeMenu() {
    popmen_header->addSeparator();
    men_alike_sender = AddAlikeAction(popmen_header, this, "men_alike_sender", Qt::Key_A);
    men_alike_domain = AddAlikeAction(popmen_header, this, "men_alike_domain", Qt::Key_D);
    men_alike_subject = AddAlikeAction(popmen_header, this, "men_alike_subject", Qt::Key_S);
    men_alike_larger = AddAlikeAction(popmen_header, this, "men_alike_larger", Qt::Key_L);
    men_alike_older = AddAlikeAction(popmen_header, this, "men_alike_older", Qt::Key_O);
    popmen_header->addSeparator();
    men_keep_sender = AddAlikeAction(popmen_header, this, "men_keep_sender", Qt::Key_unknown);
    men_mark_sender = AddAlikeAction(popmen_header, this, "men_mark_sender", Qt::Key_unknown);
    men_keep_domain = AddAlikeAction(popmen_header, this, "men_keep_domain", Qt::Key_unknown);
    men_mark_domain = AddAlikeAction(popmen_header, this, "men_mark_domain", Qt::Key_unknown);
    new TMenuClick(mail_list);

    const std::pair<QAction*, TAlike> alike[] = {{men_alike_sender, TAlike::Sender},
                                                 {men_alike_domain, TAlike::Domain},
                                                 {men_alike_subject, TAlike::Subject},
                                                 {men_alike_larger, TAlike::Larger},
                                                 {men_alike_older, TAlike::Older}};
    for (const auto& [action, kind] : alike)
        connect(action, &QAction::triggered, this, [this, kind = kind] { MarkAlike(kind); });
    connect(men_keep_sender, &QAction::triggered, this, [this] { AlwaysFrom(true, false); });
    connect(men_mark_sender, &QAction::triggered, this, [this] { AlwaysFrom(false, false); });
    connect(men_keep_domain, &QAction::triggered, this, [this] { AlwaysFrom(true, true); });
    connect(men_mark_domain, &QAction::triggered, this, [this] { AlwaysFrom(false, true); });
    connect(popmen_header, &QMenu::aboutToShow, this, &TForm1::ApplyAlikeTexts);
}

// The list entries name the current row's sender, so they follow the row as well as the
// language.
void TForm1::ApplyAlikeTexts() {
    const auto tr = [this](const TText& text) { return Tr(text, GermanUI()); };
    men_alike_sender->setText(tr(MarkAlikeTexts::Sender));
    men_alike_domain->setText(tr(MarkAlikeTexts::Domain));
    men_alike_subject->setText(tr(MarkAlikeTexts::Subject));
    men_alike_larger->setText(tr(MarkAlikeTexts::Larger));
    men_alike_older->setText(tr(MarkAlikeTexts::Older));
    const std::string sender = CurrentSender();
    const QString address =
        sender.empty() ? tr(MarkAlikeTexts::NoSender) : QString::fromStdString(sender);
    const std::string domain = DomainOf(sender);
    const QString domainText =
        domain.empty() ? tr(MarkAlikeTexts::NoSender) : QString::fromStdString(domain);
    men_keep_sender->setText(tr(MarkAlikeTexts::AlwaysKeep).arg(address));
    men_mark_sender->setText(tr(MarkAlikeTexts::AlwaysMark).arg(address));
    men_keep_domain->setText(tr(MarkAlikeTexts::AlwaysKeep).arg(domainText));
    men_mark_domain->setText(tr(MarkAlikeTexts::AlwaysMark).arg(domainText));
    const bool listed = ControlState() == StateListed;
    for (QAction* action : {men_keep_sender, men_mark_sender})
        action->setEnabled(listed && !sender.empty());
    for (QAction* action : {men_keep_domain, men_mark_domain})
        action->setEnabled(listed && !domain.empty());
}

std::string_view TForm1::HeaderOf(int number) const {
    return FRows->HeaderOf(number);
    if (number < 1 || number > static_cast<int>(FRows->Headers().size()))
        return {};
    // The listing keeps each header with a "|" after it.
    std::string_view header = FRows->Headers()[static_cast<std::size_t>(number - 1)];
    if (!header.empty() && header.back() == '|')
        header.remove_suffix(1);
    return header;
}

std::string TForm1::CurrentSender() const {
    const int row = mail_list->currentRow();
    if (row < 1 || row >= mail_list->count())
        return {};
    return SenderOf(HeaderOf(MessageNumberOf(*mail_list->item(row))));
}

std::function<bool(int)> TForm1::KeptByRules() const {
    return [this](int number) { return ListingRules.Kept(number); };
}

void TForm1::MarkAlike(TAlike kind) {
    if (ControlState() != StateListed)
        return;
    TAlikeSource source;
    source.Header = [this](int number) { return HeaderOf(number); };
    source.Kept = KeptByRules();
    source.TextsAsSent = HeaderTextsAsSent();
    const TAlikeRows rows = AlikeRows(*mail_list, mail_list->currentRow(), kind, source);
    StatusClear();
    if (!rows.Comparable) {
        const TText* why = &MarkAlikeTexts::NoSenderAddress;
        if (kind == TAlike::Subject)
            why = &MarkAlikeTexts::NoSubject;
        else if (kind == TAlike::Larger)
            why = &MarkAlikeTexts::NoSize;
        else if (kind == TAlike::Older)
            why = &MarkAlikeTexts::NoDate;
        StatusAppendText(*why);
        return;
    }
    MarkRows(rows);
}

void TForm1::MarkRows(const TAlikeRows& rows) {
    mail_list->selectionModel()->select(rows.Rows, QItemSelectionModel::Select);
    if (rows.Kept == 0)
        MarksLine->Append(Tr(MarkAlikeTexts::Marked, GermanUI()).arg(rows.Count));
    else
        MarksLine->Append(Tr(MarkAlikeTexts::MarkedKept, GermanUI()).arg(rows.Count).arg(rows.Kept));
}

void TForm1::AlwaysFrom(bool keep, bool domain) {
    const std::string sender = CurrentSender();
    const std::string entry = domain ? DomainOf(sender) : sender;
    const QString file = ListingRules.File();
    if (ControlState() != StateListed || entry.empty() || file.isEmpty())
        return;
    StatusClear();
    std::string script;
    QString why;
    if (QFileInfo::exists(file) && !ReadRulesFile(file, script, why)) {
        StatusAppend(Tr(RulesTexts::ScriptUnreadable, GermanUI()).arg(file, why));
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
        StatusAppend(Tr(MarkAlikeTexts::ListsNotChanged, GermanUI())
                         .arg(file)
                         .arg(error.Line)
                         .arg(error.Column)
                         .arg(QString::fromStdString(error.Text.In(GermanUI()))));
        return;
    } catch (const ERuleValueError& error) {
        StatusAppend(Tr(MarkAlikeTexts::NoEntry, GermanUI())
                         .arg(shown, QString::fromStdString(error.Text.In(GermanUI()))));
        return;
    }
    if (!WriteRulesFile(file, changed, why)) {
        StatusAppend(Tr(MarkAlikeTexts::NotWritten, GermanUI()).arg(file, why));
        return;
    }
    StatusAppend(
        Tr(keep ? MarkAlikeTexts::NowKept : MarkAlikeTexts::NowMarked, GermanUI()).arg(shown, file));
    RerunListingRules();
}
