#include "MarkAlike.h"

#include "Addresses.h"
#include "ByteText.h"
#include "FindFilter.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "MbxMIME.h"
#include "MultiLst.h"
#include "SenderLists.h"

#include <QListWidgetItem>

#include <array>
#include <cstdint>

namespace {

constexpr int SubjectColumn = 4;

// The length of a leading reply or forward prefix ("Re:", "aw :"), 0 for none.
qsizetype PrefixLength(QStringView text) {
    static constexpr std::array<QStringView, 5> prefixes = {u"re", u"fwd", u"fw", u"aw", u"wg"};
    for (const QStringView prefix : prefixes) {
        if (!text.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        qsizetype at = prefix.size();
        while (at < text.size() && text[at] == u' ')
            ++at;
        if (at < text.size() && text[at] == u':')
            return at + 1;
    }
    return 0;
}

// Rows of a count-only listing have no header and so no subject either.
bool HasHeader(const QListWidgetItem& row, const TAlikeSource& source) {
    return !TrimView(source.Header(MessageNumberOf(row))).empty();
}

QString RowSubject(const QListWidgetItem& row, const TAlikeSource& source) {
    if (!source.TextsAsSent)
        return AlikeSubject(RowField(row.text(), SubjectColumn));
    // Date, sender, subject: the decoded subject is the third cell.
    const std::string header(source.Header(MessageNumberOf(row)));
    const QString cells = FromMailText(filter(header, false));
    return AlikeSubject(RowField(cells, 2));
}

std::string RowSender(const QListWidgetItem& row, const TAlikeSource& source) {
    return SenderOf(source.Header(MessageNumberOf(row)));
}

} // namespace

QString AlikeSubject(QStringView subject) {
    QStringView rest = subject.trimmed();
    for (qsizetype length = PrefixLength(rest); length > 0; length = PrefixLength(rest))
        rest = rest.mid(length).trimmed();
    return rest.toString().toCaseFolded();
}

std::string DomainOf(std::string_view address) {
    std::string_view domain;
    return AddressPartOf(address, TAddressPart::Domain, domain) ? std::string(domain)
                                                                : std::string();
}

TAlikeRows MarkableRows(const TMultiList& list, const std::function<bool(int row)>& alike,
                        const std::function<bool(int number)>& kept) {
    TAlikeRows result;
    int runStart = -1;
    const auto endRun = [&](int lastRow) {
        // A run of one row holds its index once: every other mail of a group is common.
        if (runStart > 0 && runStart == lastRow)
            result.Rows.append(QItemSelectionRange(list.model()->index(runStart, 0)));
        else if (runStart > 0)
            result.Rows.select(list.model()->index(runStart, 0), list.model()->index(lastRow, 0));
        runStart = -1;
    };
    for (int row = 1; row < list.count(); ++row) {
        const bool take = !list.isRowHidden(row) && alike(row);
        if (take && kept(MessageNumberOf(*list.item(row)))) {
            ++result.Kept;
            endRun(row - 1);
        } else if (take) {
            ++result.Count;
            if (runStart < 0)
                runStart = row;
        } else {
            endRun(row - 1);
        }
    }
    endRun(list.count() - 1);
    return result;
}

TAlikeRows AlikeRows(const TMailRows& rows, int chosenRow, TAlike kind,
                     const TAlikeSource& source) {
    const TMultiList& list = rows.List();
    TAlikeRows none;
    none.Comparable = false;
    if (chosenRow < 1 || chosenRow >= list.count())
        return none;
    const QListWidgetItem& chosen = *list.item(chosenRow);
    std::function<bool(int)> alike;
    switch (kind) {
    case TAlike::Sender:
    case TAlike::Domain: {
        const bool domain = kind == TAlike::Domain;
        std::string key = RowSender(chosen, source);
        if (domain)
            key = DomainOf(key);
        if (key.empty())
            return none;
        alike = [&, key, domain](int row) {
            const std::string sender = RowSender(*list.item(row), source);
            return (domain ? DomainOf(sender) : sender) == key;
        };
        break;
    }
    case TAlike::Subject: {
        if (!HasHeader(chosen, source))
            return none;
        const QString key = RowSubject(chosen, source);
        alike = [&, key](int row) {
            const QListWidgetItem& item = *list.item(row);
            return HasHeader(item, source) && RowSubject(item, source) == key;
        };
        break;
    }
    case TAlike::Larger: {
        const long long octets = rows.OctetsAt(chosenRow);
        if (octets < 0)
            return none;
        alike = [&, octets](int row) { return rows.OctetsAt(row) > octets; };
        break;
    }
    case TAlike::Older: {
        const std::optional<std::int64_t> date = rows.DateAt(chosenRow);
        if (!date)
            return none;
        alike = [&, date](int row) {
            const std::optional<std::int64_t> other = rows.DateAt(row);
            return other && *other < *date;
        };
        break;
    }
    }
    return MarkableRows(list, alike, source.Kept);
}
