#include "FindFilter.h"

#include "MailRows.h"
#include "MultiLst.h"

#include <QStringView>

#include <algorithm>

namespace {

constexpr int SenderColumn = 3;
constexpr int SubjectColumn = 4;

} // namespace

QStringView RowField(QStringView text, int column) {
    qsizetype start = 0;
    for (int k = 0; k < column; ++k) {
        const qsizetype end = text.indexOf(u'|', start);
        if (end < 0)
            return {};
        start = end + 1;
    }
    const qsizetype end = text.indexOf(u'|', start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

bool RowMatchesFind(const QString& rowText, const QString& needle) {
    if (needle.isEmpty())
        return true;
    return RowField(rowText, SenderColumn).contains(needle, Qt::CaseInsensitive) ||
           RowField(rowText, SubjectColumn).contains(needle, Qt::CaseInsensitive);
}

bool RowShown(const QString& rowText, int number, const TRowFilter& filter) {
    return (!filter.Only || filter.Only->Contains(number)) &&
           (!filter.Group || filter.Group->Contains(number)) &&
           RowMatchesFind(rowText, filter.Needle);
}

void ApplyFind(TMultiList& list, const TRowFilter& filter, int first, int last) {
    const int end = last < 0 ? list.count() - 1 : std::min(last, list.count() - 1);
    // One layout for the whole pass, not one per hidden row.
    const bool updates = list.updatesEnabled();
    list.setUpdatesEnabled(false);
    for (int row = std::max(first, 1); row <= end; ++row) {
        const QListWidgetItem& item = *list.item(row);
        const bool hide =
            !RowShown(item.text(), filter.Only || filter.Group ? MessageNumberOf(item) : 0, filter);
        if (hide != list.isRowHidden(row))
            list.setRowHidden(row, hide);
    }
    list.setUpdatesEnabled(updates);
}

int ShownRowCount(const TMultiList& list) {
    int shown = 0;
    for (int row = 1; row < list.count(); ++row)
        shown += list.isRowHidden(row) ? 0 : 1;
    return shown;
}

QItemSelection RowRuns(const TMultiList& list, int first, int last, bool hidden) {
    QItemSelection runs;
    const int end = std::min(last, list.count() - 1);
    for (int row = std::max(first, 1); row <= end;) {
        if (list.isRowHidden(row) != hidden) {
            ++row;
            continue;
        }
        int runEnd = row;
        while (runEnd + 1 <= end && list.isRowHidden(runEnd + 1) == hidden)
            ++runEnd;
        runs.select(list.model()->index(row, 0), list.model()->index(runEnd, 0));
        row = runEnd + 1;
    }
    return runs;
}
