#include "MarkCommands.h"

#include "LanguageTexts.h"
#include "MailRows.h"
#include "MarkTexts.h"
#include "MultiLst.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMetaObject>
#include <QWidget>

namespace {

QAction* MakeEntry(QWidget* window, const char* name) {
    auto* action = new QAction(window);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

TMarkCommands::TMarkCommands(TMultiList* list, QMenu* menu, QAction* before, QWidget* window)
    : QObject(window), Undo(MakeEntry(window, "Datei_Undo")),
      Unmark(MakeEntry(window, "Datei_Unmark")), Invert(MakeEntry(window, "Datei_Invert")),
      OnlyMarked(MakeEntry(window, "Datei_OnlyMarked")), list_(list) {
    Undo->setShortcut(QKeySequence::Undo);
    Undo->setShortcutContext(Qt::WindowShortcut);
    window->addAction(Undo);
    OnlyMarked->setCheckable(true);
    menu->insertActions(before, {Undo, Unmark, Invert, OnlyMarked});

    connect(Undo, &QAction::triggered, this, &TMarkCommands::UndoMarks);
    connect(Unmark, &QAction::triggered, this, &TMarkCommands::UnmarkAll);
    connect(Invert, &QAction::triggered, this, &TMarkCommands::InvertMarks);
    connect(OnlyMarked, &QAction::triggered, this, &TMarkCommands::ShowOnlyMarked);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TMarkCommands::MarksChanged);
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
    // Deleted mails take their marks along; that is no change to undo.
    connect(list->model(), &QAbstractItemModel::rowsRemoved, this, [this] {
        taken_ = true;
        MarksChanged();
    });
    // A new listing: marks and changes of the last one mean nothing for its numbers. (Showing
    // only marked ended with that session.)
    connect(list->model(), &QAbstractItemModel::modelReset, this, [this] {
        history_.Forget();
        taken_ = false;
        ShowStates();
    });
    ShowStates();
}

bool TMarkCommands::eventFilter(QObject*, QEvent* event) {
    // A click or key starts a change of its own: the one before is noted first.
    const QEvent::Type type = event->type();
    if (noteQueued_ && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                        type == QEvent::KeyPress))
        NoteMarks();
    return false;
}

void TMarkCommands::ApplyTexts(bool germanUI) {
    Undo->setText(Tr(MarkTexts::Undo, germanUI));
    Unmark->setText(Tr(MarkTexts::UnmarkAll, germanUI));
    Invert->setText(Tr(MarkTexts::Invert, germanUI));
    OnlyMarked->setText(Tr(MarkTexts::OnlyMarked, germanUI));
}

void TMarkCommands::SetUsable(bool usable, bool sessionEnded) {
    usable_ = usable;
    if (usable_ && taken_)
        NoteMarks();
    if (sessionEnded && shownOnly_)
        ShowOnlyMarked(false);
    ShowStates();
}

void TMarkCommands::MarksChanged() {
    // While a command runs the marks are its own (rules, deletion), never the user's.
    if (!usable_) {
        taken_ = true;
        return;
    }
    if (noteQueued_)
        return;
    noteQueued_ = true;
    QMetaObject::invokeMethod(this, &TMarkCommands::NoteMarks, Qt::QueuedConnection);
}

void TMarkCommands::NoteMarks() {
    noteQueued_ = false;
    const TNumberRuns marks = MarkedNumbers(*list_);
    if (taken_)
        history_.Take(marks);
    else
        history_.Note(marks);
    taken_ = false;
    ShowStates();
}

void TMarkCommands::PutMarks(const TNumberRuns& marks, bool undone) {
    // A change still waiting to be noted stays a change of its own.
    if (noteQueued_ && !undone)
        NoteMarks();
    list_->SetMarks(RowRunsOf(*list_, marks));
    if (undone)
        taken_ = true;
    NoteMarks();
}

void TMarkCommands::UndoMarks() {
    if (!usable_)
        return;
    if (noteQueued_)
        NoteMarks();
    if (history_.Steps() > 0) {
        undoing_ = true;
        PutMarks(history_.Undo(), true);
        undoing_ = false;
    }
}

void TMarkCommands::UnmarkAll() {
    if (usable_)
        PutMarks({}, false);
}

void TMarkCommands::InvertMarks() {
    if (usable_)
        PutMarks(InvertedMarks(MarkedNumbers(*list_), ShownNumbers(*list_)), false);
}

void TMarkCommands::ShowOnlyMarked(bool on) {
    if (on)
        shownOnly_ = MarkedNumbers(*list_);
    else
        shownOnly_.reset();
    OnlyMarked->setChecked(on);
    emit FilterChanged();
}

void TMarkCommands::ShowStates() {
    Undo->setEnabled(usable_ && history_.Steps() > 0);
    for (QAction* action : {Unmark, Invert, OnlyMarked})
        action->setEnabled(usable_);
}
