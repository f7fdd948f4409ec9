#include "MultiListSort.h"

#include "MultiListItem.h"
#include "MultiLst.h"

#include <QDateTime>
#include <QScopedValueRollback>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// A key read once per row, so that comparing costs no variant or case conversion.
struct TSortKey {
    bool Number = false;
    double Value = 0;
    QString Text; // case-folded
};

TSortKey MakeKey(const QVariant& key) {
    switch (key.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return {true, key.toDouble(), {}};
    case QMetaType::QDateTime:
        return {true, static_cast<double>(key.toDateTime().toMSecsSinceEpoch()), {}};
    default:
        return {false, 0, key.toString().toCaseFolded()};
    }
}

// Negative, zero or positive; numbers before texts when the kinds differ.
int Compare(const TSortKey& a, const TSortKey& b) {
    if (a.Number && b.Number)
        return a.Value < b.Value ? -1 : (b.Value < a.Value ? 1 : 0);
    if (a.Number != b.Number)
        return a.Number ? -1 : 1;
    return a.Text.compare(b.Text);
}

} // namespace

void TMultiList::SortByColumn(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortOrder = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder;
    m_sortColumn = column;
    if (m_header)
        m_header->setSortIndicator(column, m_sortOrder);
    ApplySortOrder();
    if (count() > 1)
        setCurrentRow(1, QItemSelectionModel::NoUpdate);
    scrollToTop();
}

void TMultiList::ApplySortOrder() {
    if (m_sortColumn < 0)
        return;
    CheckSpacer();
    const int rows = count() - 1;
    if (rows < 2)
        return;
    std::vector<TSortKey> keys;
    keys.reserve(static_cast<std::size_t>(rows));
    for (int n = 1; n <= rows; ++n) {
        const QListWidgetItem* row = item(n);
        QVariant key = row->data(TMultiListSortKeyRole + m_sortColumn);
        if (!key.isValid() && m_sortKeySource)
            key = m_sortKeySource(*row, m_sortColumn);
        keys.push_back(key.isValid()
                           ? MakeKey(key)
                           : MakeKey(FieldOf(row->text(), m_separator, m_sortColumn).trimmed()));
    }
    std::vector<int> order(static_cast<std::size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int by =
            Compare(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
        return descending ? by > 0 : by < 0;
    });
    bool moved = false;
    for (int i = 0; i < rows && !moved; ++i)
        moved = order[static_cast<std::size_t>(i)] != i;
    if (!moved)
        return;

    // The rows' contents move, not the items: one pass without a signal per row. Marks and
    // the current row go with their contents.
    const std::vector<char> marked = MarkFlags();
    const int current = currentRow();
    std::vector<QListWidgetItem> contents;
    contents.reserve(static_cast<std::size_t>(rows));
    for (int n = 1; n <= rows; ++n)
        contents.emplace_back(*item(n));
    std::vector<char> placedMarks(marked.size(), 0);
    int newCurrent = current;
    const QScopedValueRollback moving(m_movingRows, true);
    for (int i = 0; i < rows; ++i) {
        const int from = order[static_cast<std::size_t>(i)] + 1;
        *item(i + 1) = contents[static_cast<std::size_t>(from - 1)];
        placedMarks[static_cast<std::size_t>(i + 1)] = marked[static_cast<std::size_t>(from)];
        if (from == current)
            newCurrent = i + 1;
    }
    SelectFlagged(placedMarks);
    if (newCurrent != current && newCurrent >= 0)
        setCurrentRow(newCurrent, QItemSelectionModel::NoUpdate);
    emit RowsReordered();
    viewport()->update();
}
