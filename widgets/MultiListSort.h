// Sorting the data rows of a TMultiList by one column, the spacer item staying in place.
#pragma once

#include <QVariant>

// A row's sort key for column k is its data at TMultiListSortKeyRole + k when the row has one,
// else what the list's sort key source gives (a number or a time compares as such, before any
// text), else the column's text without regard to case.
inline constexpr int TMultiListSortKeyRole = Qt::UserRole + 16;
