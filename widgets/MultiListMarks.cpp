#include "MultiListMarks.h"

#include "MultiLst.h"

#include <QScopedValueRollback>

#include <algorithm>

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

void TMultiListMarks::select(const QItemSelection& selection, SelectionFlags command) {
    // A new order moves every mark with its row: its Clear is meant whole.
    if (!command.testFlag(Clear) || exact_ || !list_ || list_->MovingRows())
        return QItemSelectionModel::select(selection, command);
    const QItemSelection kept = HiddenMarks();
    if (kept.isEmpty())
        return QItemSelectionModel::select(selection, command);
    const SelectionFlags rest = command & ~SelectionFlags(Clear);
    if (!(rest & (Current | Deselect | Toggle))) {
        // A click or a key: one change, the hidden rows' marks among the new ones.
        QItemSelection marks = kept;
        if (rest.testFlag(Select))
            marks.merge(selection, Select);
        return QItemSelectionModel::select(marks, rest | ClearAndSelect);
    }
    QItemSelectionModel::select(kept, ClearAndSelect);
    // Without Current the hidden marks are settled before a current selection replaces
    // another one.
    QItemSelectionModel::select(QItemSelection(), Select);
    QItemSelectionModel::select(selection, rest);
}
