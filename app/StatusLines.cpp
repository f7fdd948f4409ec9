#include "StatusLines.h"

#include <QItemSelection>

#include <algorithm>
#include <utility>
#include <vector>

QString LastStatusLine(const QString& message) {
    return QString(message).replace(u'\r', u'\n').section(u'\n', -1);
}

bool ReplaceStatusLine(QString& shown, const QString& line, const QString& by) {
    QStringList lines = shown.split(u'\n');
    const qsizetype at = lines.lastIndexOf(line);
    if (at < 0)
        return false;
    lines[at] = by;
    shown = lines.join(u'\n');
    return true;
}

bool RemoveStatusLine(QString& shown, const QString& line) {
    QStringList lines = shown.split(u'\n');
    const qsizetype at = lines.lastIndexOf(line);
    if (at < 0)
        return false;
    lines.removeAt(at);
    shown = lines.join(u'\n');
    return true;
}

int MarkedRowCount(const QItemSelection& selection) {
    // Ranges selected one after the other may overlap: each row counts once.
    std::vector<std::pair<int, int>> runs;
    runs.reserve(static_cast<std::size_t>(selection.size()));
    for (const QItemSelectionRange& range : selection)
        runs.emplace_back(std::max(range.top(), 1), range.bottom());
    std::sort(runs.begin(), runs.end());
    int count = 0;
    int counted = 0; // rows up to this one are counted
    for (const auto& [top, bottom] : runs) {
        const int from = std::max(top, counted + 1);
        if (bottom >= from) {
            count += bottom - from + 1;
            counted = bottom;
        }
    }
    return count;
}
