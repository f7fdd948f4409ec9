#include "MultiListItem.h"

#include <algorithm>

namespace {
// Column 0 and the 16 columns after it that the painter walks through.
constexpr int MaxFields = 17;
} // namespace

int ImageSlotOfPrefix(QChar first) {
    if (first >= u'0' && first <= u'9')
        return first.unicode() - u'0';
    switch (first.unicode()) {
    case u'*':
        return 10;
    case u'!':
        return 11;
    case u'@':
        return 12;
    case u'#':
        return 13;
    case u'$':
        return 14;
    case u'%':
        return 15;
    default:
        return -1;
    }
}

namespace {

// Calls take(start, length) for field 0, 1, ... in turn while it returns true.
template <class Take>
void WalkFields(const QString& item, QChar separator, Take take) {
    if (item.isEmpty())
        return;
    const bool hasPrefix = ImageSlotOfPrefix(item.front()) >= 0 || item.front() == u'~';
    // The first separator is searched from the first character, a prefix included.
    const qsizetype first = item.indexOf(separator);
    if (first < 0)
        return;
    const qsizetype start = hasPrefix ? 1 : 0;
    if (!take(start, std::max<qsizetype>(first - start, 0)))
        return;
    qsizetype pos = first + 1;
    for (int field = 1; field < MaxFields; ++field) {
        const qsizetype next = item.indexOf(separator, pos);
        if (next < 0 || !take(pos, next - pos))
            return;
        pos = next + 1;
    }
}

} // namespace

TMultiListItem ParseItem(const QString& item, QChar separator) {
    TMultiListItem result;
    if (!item.isEmpty())
        result.ImageSlot = ImageSlotOfPrefix(item.front());
    WalkFields(item, separator, [&](qsizetype start, qsizetype length) {
        result.Fields.push_back(item.mid(start, length));
        return true;
    });
    return result;
}

QString FieldOf(const QString& item, QChar separator, int column) {
    QString field;
    int index = 0;
    WalkFields(item, separator, [&](qsizetype start, qsizetype length) {
        if (index++ < column)
            return true;
        field = item.mid(start, length);
        return false;
    });
    return field;
}
