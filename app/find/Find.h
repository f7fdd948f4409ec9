#pragma once

#include "Component.h"
#include "FindFilter.h"

#include <QObject>

#include <optional>

class QAction;
class QItemSelection;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TFrame;
class TMarkAlikeEntries;
class TMarkCommands;
class TMultiList;

// Find over the list: a row below it with a field that hides the rows whose sender and subject
// do not hold its text, the count of rows shown, and a button that marks them. Showing only
// marked mails (the marks' command) filters as well; Ctrl+F goes to the field.
class TFind : public QObject, public TComponent {
    Q_OBJECT
public:
    // alike marks the rows shown as mark alike does, leaving out those the rules keep.
    TFind(TFrame& frame, const TMarkCommands& marks, TMarkAlikeEntries& alike);

    void LanguageChanged(bool germanUI) override;

    // The row and its controls, children of the window; the shortcut's action is the window's.
    QWidget* Row;
    QLineEdit* Field;
    QLabel* Count;
    QPushButton* BtnMarkShown;
    QAction* Find_F;

    // The list shows the rows whose sender or subject holds the field's text.
    void FindChanged();
    // Marks the rows shown, adding to the marks there are.
    void BtnMarkShownClick();
    // Only these mails are shown (the space view's groups), as far as the field and showing
    // only marked let them; none: every mail again.
    void ShowGroup(std::optional<TNumberRuns> numbers);

private:
    TRowFilter Filter() const;
    void KeepHiddenRowsUnmarked(const QItemSelection& selected);
    void ShowCount();

    TFrame& frame_;
    const TMarkCommands& marks_;
    TMarkAlikeEntries& alike_;
    TMultiList& list_; // the filter hides and shows its rows
    std::optional<TNumberRuns> group_;
};
