// Rows in bulk: adding, removing and marking many at once.
#include "MultiLst.h"

#include "MultiListMarks.h"

#include <QItemSelection>
#include <QSignalBlocker>

#include <algorithm>

void TMultiList::AddRows(const QStringList& texts,
                         const std::function<void(int index, QListWidgetItem& row)>& fill) {
    if (texts.isEmpty())
        return;
    const int first = count();
    insertItems(first, texts);
    if (fill) {
        // The rows are new to the view: their data needs no change notice of its own.
        const QSignalBlocker quiet(model());
        for (int i = 0; i < static_cast<int>(texts.size()); ++i)
            fill(i, *item(first + i));
    }
    ApplySortOrder();
}

void TMultiList::RemoveRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [this](int row) { return row < 1 || row >= count(); }),
               rows.end());
    // From the end, one run of neighbouring rows at a time.
    auto end = rows.end();
    while (end != rows.begin()) {
        auto start = end - 1;
        while (start != rows.begin() && *(start - 1) == *start - 1)
            --start;
        model()->removeRows(*start, static_cast<int>(end - start));
        end = start;
    }
}

void TMultiList::MarkAll() {
    CheckSpacer();
    if (count() < 2)
        return;
    selectionModel()->select(QItemSelection(model()->index(1, 0), model()->index(count() - 1, 0)),
                             QItemSelectionModel::Select);
}

std::vector<char> TMultiList::MarkFlags() const {
    std::vector<char> flags(static_cast<std::size_t>(count()), 0);
    // Ranges may overlap after clicks with Ctrl: each row counts once.
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        const int last = std::min(range.bottom(), count() - 1);
        for (int row = std::max(range.top(), 0); row <= last; ++row)
            flags[static_cast<std::size_t>(row)] = 1;
    }
    return flags;
}

std::vector<int> TMultiList::MarkedRows() const {
    const std::vector<char> flags = MarkFlags();
    std::vector<int> rows;
    for (int row = 1; row < static_cast<int>(flags.size()); ++row) {
        if (flags[static_cast<std::size_t>(row)])
            rows.push_back(row);
    }
    return rows;
}

void TMultiList::SelectFlagged(const std::vector<char>& flags) {
    QItemSelection selection;
    const int rows = static_cast<int>(flags.size());
    for (int row = 0; row < rows;) {
        if (!flags[static_cast<std::size_t>(row)]) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < rows && flags[static_cast<std::size_t>(last + 1)])
            ++last;
        selection.select(model()->index(row, 0), model()->index(last, 0));
        row = last + 1;
    }
    m_marks->Exactly([&] { m_marks->select(selection, QItemSelectionModel::ClearAndSelect); });
}

void TMultiList::SetMarks(const QItemSelection& rows) {
    m_marks->Exactly([&] { m_marks->select(rows, QItemSelectionModel::ClearAndSelect); });
}

bool TMultiList::SettingMarks() const {
    return m_marks->Exact();
}
