#include "MultiListItem.h"

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

TMultiListItem ParseItem(const QString& item, QChar separator) {
    TMultiListItem result;
    if (item.isEmpty())
        return result;
    result.ImageSlot = ImageSlotOfPrefix(item.front());
    const bool hasPrefix = result.ImageSlot >= 0 || item.front() == u'~';
    // The first separator is searched from the first character, a prefix included.
    const qsizetype first = item.indexOf(separator);
    if (first < 0)
        return result;
    const qsizetype start = hasPrefix ? 1 : 0;
    result.Fields.push_back(first > start ? item.mid(start, first - start) : QString());
    qsizetype pos = first + 1;
    while (static_cast<int>(result.Fields.size()) < MaxFields) {
        const qsizetype next = item.indexOf(separator, pos);
        if (next < 0)
            break;
        result.Fields.push_back(item.mid(pos, next - pos));
        pos = next + 1;
    }
    return result;
}
