#include "MarkCommands.h"

#include "Frame.h"
#include "LanguageTexts.h"
#include "MailRows.h"
#include "MarkTexts.h"
#include "MultiLst.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMetaObject>

namespace {

QAction* MakeEntry(QWidget* window, const char* name) {
    auto* action = new QAction(window);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

TMarkCommands::TMarkCommands(TFrame& frame)
    : Undo(MakeEntry(&frame.Window(), "Datei_Undo")),
      Unmark(MakeEntry(&frame.Window(), "Datei_Unmark")),
      Invert(MakeEntry(&frame.Window(), "Datei_Invert")),
      OnlyMarked(MakeEntry(&frame.Window(), "Datei_OnlyMarked")), rows_(frame.Rows()) {
    Undo->setShortcut(QKeySequence::Undo);
    Undo->setShortcutContext(Qt::WindowShortcut);
    frame.Window().addAction(Undo);
    OnlyMarked->setCheckable(true);
    frame.ServerMenu().insertActions(frame.ServerOptions(), {Undo, Unmark, Invert, OnlyMarked});

    connect(Undo, &QAction::triggered, this, &TMarkCommands::UndoMarks);
    connect(Unmark, &QAction::triggered, this, &TMarkCommands::UnmarkAll);
    connect(Invert, &QAction::triggered, this, &TMarkCommands::InvertMarks);
    connect(OnlyMarked, &QAction::triggered, this, &TMarkCommands::ShowOnlyMarked);
    TMultiList* list = &rows_.List();
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

void TMarkCommands::LanguageChanged(bool germanUI) {
    Undo->setText(Tr(MarkTexts::Undo, germanUI));
    Unmark->setText(Tr(MarkTexts::UnmarkAll, germanUI));
    Invert->setText(Tr(MarkTexts::Invert, germanUI));
    OnlyMarked->setText(Tr(MarkTexts::OnlyMarked, germanUI));
}

void TMarkCommands::StateChanged(int state) {
    usable_ = state == TFrame::StateListed;
    if (usable_ && taken_)
        NoteMarks();
    if (state == TFrame::StateIdle && shownOnly_)
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
    const TNumberRuns marks = rows_.Marked();
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
    rows_.SetMarks(marks);
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
        PutMarks(InvertedMarks(rows_.Marked(), rows_.Shown()), false);
}

void TMarkCommands::ShowOnlyMarked(bool on) {
    if (on)
        shownOnly_ = rows_.Marked();
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
