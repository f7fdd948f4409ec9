#pragma once

#include "Component.h"
#include "MarkHistory.h"

#include <QObject>

#include <optional>

class QAction;
class TFrame;

// Undo for marks (Ctrl+Z), "Unmark all", "Invert marks" and "Show only marked" in the Server
// menu. Marks are the list's selection, so a stray click or PageDown replaces them all: every
// change that took marks away is kept (TMarkHistory) and can be undone.
class TMarkCommands : public QObject, public TComponent {
    Q_OBJECT
public:
    // The entries go into the Server menu before its options; the window owns them and takes
    // the shortcut.
    explicit TMarkCommands(TFrame& frame);

    void LanguageChanged(bool germanUI) override;
    // The entries work while a listing is shown and no command runs. When the session ended,
    // the list shows every mail again.
    void StateChanged(int state) override;
    // The mails shown while only marked ones are shown (those marked when it began); null
    // while every mail may be shown.
    const TNumberRuns* ShownOnly() const { return shownOnly_ ? &*shownOnly_ : nullptr; }

    void UndoMarks();
    // True while an undo puts the marks back: they are restored, not made anew.
    bool Undoing() const { return undoing_; }
    // Every mark goes, hidden rows' too.
    void UnmarkAll();
    // Of the shown rows the marked ones are unmarked and the others marked.
    void InvertMarks();
    void ShowOnlyMarked(bool on);

    QAction* Undo;
    QAction* Unmark;
    QAction* Invert;
    QAction* OnlyMarked; // checkable

signals:
    // Showing only marked began or ended: the list's filter changed.
    void FilterChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One click may change the marks in steps: they are noted once it is done.
    void MarksChanged();
    // The marks as they are now go into the history: as the user's change, unless marks
    // changed by a command or rows went since the last note.
    void NoteMarks();
    // Marks exactly these mails; `undone`: the history has them already.
    void PutMarks(const TNumberRuns& marks, bool undone);
    void ShowStates();

    TMailRows& rows_;
    TMarkHistory history_;
    std::optional<TNumberRuns> shownOnly_;
    bool usable_ = false;
    bool noteQueued_ = false;
    bool undoing_ = false;
    bool taken_ = false; // the next note takes the marks as they are, as no change of the user's
};
