#include "MultiListMarks.h"

#include "MultiLst.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <algorithm>
#include <vector>

namespace {

// Marking or unmarking more ranges than this at once goes by flags, in time linear in the rows.
constexpr int FewRanges = 16;

// One flag per item: marked or not.
std::vector<char> Flags(const QItemSelection& marks, int rows) {
    std::vector<char> flags(static_cast<std::size_t>(std::max(rows, 0)), 0);
    for (const QItemSelectionRange& range : marks) {
        const int last = std::min(range.bottom(), rows - 1);
        for (int row = std::max(range.top(), 0); row <= last; ++row)
            flags[static_cast<std::size_t>(row)] = 1;
    }
    return flags;
}

// The rows flagged in `these` and not in `those` (empty: none), as runs of neighbours.
QItemSelection Runs(const QAbstractItemModel& model, const std::vector<char>& these,
                    const std::vector<char>& those = {}) {
    QItemSelection runs;
    const auto rows = static_cast<int>(these.size());
    const auto only = [&](int row) {
        return these[static_cast<std::size_t>(row)] &&
               (those.empty() || !those[static_cast<std::size_t>(row)]);
    };
    for (int row = 0; row < rows;) {
        if (!only(row)) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < rows && only(last + 1))
            ++last;
        runs.append(QItemSelectionRange(model.index(row, 0), model.index(last, 0)));
        row = last + 1;
    }
    return runs;
}

// True when the ranges are of column 0, in ascending order, and neither touch nor overlap:
// as Runs gives them, so they can be the marks as they are.
bool AreRuns(const QItemSelection& ranges, int rows) {
    int lastBottom = -2;
    for (const QItemSelectionRange& range : ranges) {
        if (!range.isValid() || range.parent().isValid() || range.left() != 0 ||
            range.right() != 0 || range.top() <= lastBottom + 1 || range.bottom() >= rows)
            return false;
        lastBottom = range.bottom();
    }
    return true;
}

} // namespace

TMultiListMarks::TMultiListMarks(TMultiList* list)
    : QItemSelectionModel(list->model(), list), list_(list) {}

void TMultiListMarks::Exactly(const std::function<void()>& change) {
    const QScopedValueRollback exact(exact_, true);
    change();
}

QItemSelection TMultiListMarks::HiddenMarks() const {
    QItemSelection hidden;
    const int last = list_->count() - 1;
    for (const QItemSelectionRange& range : selection()) {
        const int bottom = std::min(range.bottom(), last);
        for (int row = std::max(range.top(), 1); row <= bottom;) {
            if (!list_->isRowHidden(row)) {
                ++row;
                continue;
            }
            int end = row;
            while (end < bottom && list_->isRowHidden(end + 1))
                ++end;
            hidden.append(QItemSelectionRange(model()->index(row, 0), model()->index(end, 0)));
            row = end + 1;
        }
    }
    return hidden;
}

void TMultiListMarks::Replace(const QItemSelection& marks) {
    const int rows = model()->rowCount();
    const std::vector<char> before = Flags(selection(), rows);
    {
        // From no marks the new ones are taken without comparing ranges; the change is told
        // below.
        const QSignalBlocker quiet(this);
        QItemSelectionModel::select(QItemSelection(), Clear);
        QItemSelectionModel::select(marks, Select);
    }
    const std::vector<char> after = Flags(selection(), rows);
    const QItemSelection selected = Runs(*model(), after, before);
    const QItemSelection deselected = Runs(*model(), before, after);
    if (!selected.isEmpty() || !deselected.isEmpty())
        emit selectionChanged(selected, deselected);
}

void TMultiListMarks::SelectIntoNone(const QItemSelection& runs) {
    {
        const QSignalBlocker quiet(this);
        QItemSelectionModel::select(runs, ClearAndSelect);
    }
    if (!runs.isEmpty())
        emit selectionChanged(runs, QItemSelection());
}

void TMultiListMarks::select(const QItemSelection& selection, SelectionFlags command) {
    if (!command.testFlag(Clear)) {
        // Qt merges range with range: seconds for the thousands that a filter or the rules
        // make of 100,000 rows.
        if ((command & (Select | Deselect)) && !(command & (Current | Toggle)) &&
            selection.size() > FewRanges) {
            const int rows = model()->rowCount();
            std::vector<char> flags = Flags(this->selection(), rows);
            // Marks added where there are none (a group marked at once): the runs given are
            // the marks and the change, without making them again.
            if (command.testFlag(Select) &&
                std::find(flags.begin(), flags.end(), 1) == flags.end() && AreRuns(selection, rows))
                return SelectIntoNone(selection);
            const std::vector<char> given = Flags(selection, rows);
            const char mark = command.testFlag(Select) ? 1 : 0;
            for (std::size_t row = 0; row < flags.size(); ++row) {
                if (given[row])
                    flags[row] = mark;
            }
            return Replace(Runs(*model(), flags));
        }
        return QItemSelectionModel::select(selection, command);
    }
    // A new order moves every mark with its row, and SetMarks puts what it is given: their
    // Clear takes every mark. A click's or a key's spares the hidden rows'.
    const bool whole = exact_ || !list_ || list_->MovingRows();
    const QItemSelection kept = whole ? QItemSelection() : HiddenMarks();
    const SelectionFlags rest = command & ~SelectionFlags(Clear);
    if (!(rest & (Current | Deselect | Toggle))) {
        QItemSelection marks = kept;
        if (rest.testFlag(Select))
            marks.merge(selection, Select);
        return Replace(marks);
    }
    QItemSelectionModel::select(kept, ClearAndSelect);
    // Without Current the hidden marks are settled before a current selection replaces
    // another one.
    QItemSelectionModel::select(QItemSelection(), Select);
    QItemSelectionModel::select(selection, rest);
}
