// Sorting the data rows of a TMultiList by one column, the spacer item staying in place.
#pragma once

#include <QVariant>

// A row's sort key for column k is its data at TMultiListSortKeyRole + k when the row has one
// (a number or a time compares as such), else the column's text without regard to case.
inline constexpr int TMultiListSortKeyRole = Qt::UserRole + 16;

// Orders two keys: negative, zero or positive. Numbers before texts when kinds differ.
int CompareSortKeys(const QVariant& a, const QVariant& b);
