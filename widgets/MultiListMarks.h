// The marks of a TMultiList: its selection model.
#pragma once

#include <QItemSelectionModel>

#include <functional>

class TMultiList;

// A click or a moving key replaces the marks with a Clear; here that Clear spares the rows
// the list hides, so that a filter over the list never costs the marks nobody can see. A
// replacement takes time linear in the rows, however scattered the marks are.
class TMultiListMarks : public QItemSelectionModel {
public:
    explicit TMultiListMarks(TMultiList* list);

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, SelectionFlags command) override;

    // Runs `change` with Clear taking every mark, hidden rows' too.
    void Exactly(const std::function<void()>& change);
    bool Exact() const { return exact_; }
    // The list is going: its last changes are plain ones.
    void Detach() { list_ = nullptr; }

private:
    // The marked rows that are hidden, as runs of neighbours.
    QItemSelection HiddenMarks() const;
    // Every mark replaced by `marks`. Qt would compare the old ranges with the new ones pair
    // by pair: seconds for thousands of scattered marks.
    void Replace(const QItemSelection& marks);
    // With no marks: `runs` (ascending, apart, as Replace's) become the marks.
    void SelectIntoNone(const QItemSelection& runs);

    TMultiList* list_;
    bool exact_ = false;
};
