#include "MailRows.h"

#include "ByteText.h"
#include "ListColumns.h"
#include "MbxMIME.h"
#include "MultiLst.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QListWidgetItem>

namespace {

constexpr int NumberRole = TMultiListSortKeyRole + 0;
constexpr int OctetsRole = TMultiListSortKeyRole + 1;
constexpr int DateRole = TMultiListSortKeyRole + 2;
// Room for the cell's indent and a little air on both sides of the number.
constexpr int NumberColumnPadding = 10;

// The time of a header's Date field; invalid when the field is missing or not a date.
QDateTime HeaderDate(const std::string& header) {
    std::string line;
    if (!FindHeader("DATE:", MailLines(header), line))
        return {};
    std::string value = Trim(line.substr(5));
    // Comments such as "(CEST)" after the zone are not part of the date.
    const std::size_t comment = value.find('(');
    if (comment != std::string::npos)
        value = Trim(value.substr(0, comment));
    return QDateTime::fromString(
        QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())), Qt::RFC2822Date);
}

} // namespace

void SetRowData(QListWidgetItem& row, int number, long long octets, const std::string& header) {
    row.setData(NumberRole, number);
    if (octets >= 0)
        row.setData(OctetsRole, octets);
    const QDateTime date = HeaderDate(header);
    if (date.isValid())
        row.setData(DateRole, date.toMSecsSinceEpoch());
}

int MessageNumberOf(const QListWidgetItem& row) {
    const QVariant number = row.data(NumberRole);
    if (number.isValid())
        return number.toInt();
    // " N |...": the number field of a row added without data.
    return row.text().section(u'|', 0, 0).trimmed().toInt();
}

long long OctetsOf(const QListWidgetItem& row) {
    const QVariant octets = row.data(OctetsRole);
    return octets.isValid() ? octets.toLongLong() : -1;
}

TMarkedMails MarkedMails(const TMultiList& list) {
    TMarkedMails marked;
    for (int n = 1; n < list.count(); ++n) {
        const QListWidgetItem& row = *list.item(n);
        if (!row.isSelected())
            continue;
        ++marked.Count;
        const long long octets = OctetsOf(row);
        if (octets < 0)
            marked.SizeKnown = false;
        else
            marked.Octets += octets;
    }
    return marked;
}

QString SizeText(const TMarkedMails& mails) {
    if (!mails.SizeKnown)
        return {};
    return FromBytes(DisplaySize(std::to_string(mails.Octets)));
}

int NumberColumnWidth(const TMultiList& list, int largestNumber) {
    const QFontMetrics metrics(list.font());
    const QString widest = QStringLiteral(" %1 ").arg(largestNumber);
    return metrics.horizontalAdvance(widest) + NumberColumnPadding;
}
