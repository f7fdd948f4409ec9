#include "MultiListSort.h"

#include "MultiListItem.h"
#include "MultiLst.h"

#include <QDateTime>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

bool IsNumber(const QVariant& key) {
    switch (key.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

} // namespace

int CompareSortKeys(const QVariant& a, const QVariant& b) {
    const bool aNumber = IsNumber(a);
    const bool bNumber = IsNumber(b);
    if (aNumber && bNumber) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (aNumber != bNumber)
        return aNumber ? -1 : 1;
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime) {
        const qint64 x = a.toDateTime().toMSecsSinceEpoch();
        const qint64 y = b.toDateTime().toMSecsSinceEpoch();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    return a.toString().compare(b.toString(), Qt::CaseInsensitive);
}

QVariant TMultiList::SortKey(const QListWidgetItem* row, int column) const {
    const QVariant key = row->data(TMultiListSortKeyRole + column);
    if (key.isValid())
        return key;
    const TMultiListItem fields = ParseItem(row->text(), m_separator);
    const auto index = static_cast<std::size_t>(column);
    return index < fields.Fields.size() ? fields.Fields[index].trimmed() : QString();
}

void TMultiList::SortByColumn(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortOrder = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder;
    m_sortColumn = column;
    if (m_header)
        m_header->setSortIndicator(column, m_sortOrder);
    CheckSpacer();
    if (count() < 3)
        return;

    // Rows leave the list and come back in order; marks and the current row go with them.
    const QListWidgetItem* current = currentItem();
    struct Row {
        std::unique_ptr<QListWidgetItem> item;
        QVariant key;
        bool marked;
    };
    std::vector<Row> rows;
    for (int n = count() - 1; n >= 1; --n) {
        const bool marked = item(n)->isSelected();
        std::unique_ptr<QListWidgetItem> taken(takeItem(n));
        QVariant key = SortKey(taken.get(), column);
        rows.push_back({std::move(taken), std::move(key), marked});
    }
    std::reverse(rows.begin(), rows.end());
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::stable_sort(rows.begin(), rows.end(), [descending](const Row& a, const Row& b) {
        const int order = CompareSortKeys(a.key, b.key);
        return descending ? order > 0 : order < 0;
    });
    QListWidgetItem* newCurrent = nullptr;
    for (Row& row : rows) {
        QListWidgetItem* placed = row.item.release();
        addItem(placed);
        placed->setSelected(row.marked);
        if (placed == current)
            newCurrent = placed;
    }
    if (newCurrent)
        setCurrentItem(newCurrent, QItemSelectionModel::NoUpdate);
    viewport()->update();
}
