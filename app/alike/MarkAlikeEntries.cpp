#include "MarkAlikeEntries.h"

#include "Frame.h"
#include "MailRows.h"
#include "MarkAlikeTexts.h"
#include "MultiLst.h"
#include "RulesOnListing.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>

#include <utility>

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

QAction* AddAlikeAction(TFrame& frame, const char* name, Qt::Key key) {
    QMainWindow& window = frame.Window();
    auto* action = new QAction(&window);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | key));
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
    frame.RowMenu().addAction(action);
    return action;
}

} // namespace

TMarkAlikeEntries::TMarkAlikeEntries(TFrame& frame, const TRulesOnListing& rules)
    : frame_(frame), rules_(rules) {
    frame.RowMenu().addSeparator();
    men_alike_sender = AddAlikeAction(frame, "men_alike_sender", Qt::Key_A);
    men_alike_domain = AddAlikeAction(frame, "men_alike_domain", Qt::Key_D);
    men_alike_subject = AddAlikeAction(frame, "men_alike_subject", Qt::Key_S);
    men_alike_larger = AddAlikeAction(frame, "men_alike_larger", Qt::Key_L);
    men_alike_older = AddAlikeAction(frame, "men_alike_older", Qt::Key_O);
    new TMenuClick(&frame.Rows().List());

    const std::pair<QAction*, TAlike> alike[] = {{men_alike_sender, TAlike::Sender},
                                                 {men_alike_domain, TAlike::Domain},
                                                 {men_alike_subject, TAlike::Subject},
                                                 {men_alike_larger, TAlike::Larger},
                                                 {men_alike_older, TAlike::Older}};
    for (const auto& [action, kind] : alike)
        connect(action, &QAction::triggered, this, [this, kind = kind] { MarkAlike(kind); });
}

void TMarkAlikeEntries::LanguageChanged(bool germanUI) {
    men_alike_sender->setText(Tr(MarkAlikeTexts::Sender, germanUI));
    men_alike_domain->setText(Tr(MarkAlikeTexts::Domain, germanUI));
    men_alike_subject->setText(Tr(MarkAlikeTexts::Subject, germanUI));
    men_alike_larger->setText(Tr(MarkAlikeTexts::Larger, germanUI));
    men_alike_older->setText(Tr(MarkAlikeTexts::Older, germanUI));
}

std::function<bool(int)> TMarkAlikeEntries::KeptByRules() const {
    return [this](int number) { return rules_.Kept(number); };
}

void TMarkAlikeEntries::MarkAlike(TAlike kind) {
    if (frame_.ControlState() != TFrame::StateListed)
        return;
    const TMailRows& mails = frame_.Rows();
    TAlikeSource source;
    source.Header = [&mails](int number) { return mails.HeaderOf(number); };
    source.Kept = KeptByRules();
    source.TextsAsSent = frame_.HeaderTextsAsSent();
    const TAlikeRows rows = AlikeRows(mails, mails.List().currentRow(), kind, source);
    frame_.StatusClear();
    if (!rows.Comparable) {
        const TText* why = &MarkAlikeTexts::NoSenderAddress;
        if (kind == TAlike::Subject)
            why = &MarkAlikeTexts::NoSubject;
        else if (kind == TAlike::Larger)
            why = &MarkAlikeTexts::NoSize;
        else if (kind == TAlike::Older)
            why = &MarkAlikeTexts::NoDate;
        frame_.StatusAppendText(*why);
        return;
    }
    MarkRows(rows);
}

void TMarkAlikeEntries::MarkRows(const TAlikeRows& rows) {
    frame_.Rows().List().selectionModel()->select(rows.Rows, QItemSelectionModel::Select);
    const bool german = frame_.GermanUI();
    if (rows.Kept == 0)
        frame_.StatusAppendMarks(Tr(MarkAlikeTexts::Marked, german).arg(rows.Count));
    else
        frame_.StatusAppendMarks(
            Tr(MarkAlikeTexts::MarkedKept, german).arg(rows.Count).arg(rows.Kept));
}
