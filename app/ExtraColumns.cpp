#include "ExtraColumns.h"

#include <QListWidgetItem>

int TExtraColumns::End() const {
    int end = FirstExtraColumn;
    for (int i = 0; i < ExtraColumnCount; ++i)
        if (shown_[i])
            end = FirstExtraColumn + i + 1;
    return end;
}

std::string TExtraColumns::Cells(const std::array<std::string, ExtraColumnCount>& cells) const {
    std::string tail;
    for (int column = FirstExtraColumn; column < End(); ++column)
        tail += cells[column - FirstExtraColumn] + "|";
    return tail;
}

namespace {

// Each part is kept in a role of its own; the tooltip is their lines joined.
constexpr int FirstTipRole = Qt::UserRole + 40;

int TipRole(TRowTip part) {
    return FirstTipRole + static_cast<int>(part);
}

} // namespace

void SetRowTip(QListWidgetItem& row, TRowTip part, const QString& text) {
    if (RowTip(row, part) != text)
        row.setData(TipRole(part), text);
}

void SetRowTips(QListWidgetItem& row, const std::array<QString, RowTipPartCount>& parts) {
    for (int k = 0; k < RowTipPartCount; ++k) {
        const QString& line = parts[static_cast<std::size_t>(k)];
        if (!line.isEmpty())
            row.setData(FirstTipRole + k, line);
    }
}

QString RowToolTip(const QListWidgetItem& row) {
    QString joined;
    for (int k = 0; k < RowTipPartCount; ++k) {
        const QString line = row.data(FirstTipRole + k).toString();
        if (line.isEmpty())
            continue;
        if (!joined.isEmpty())
            joined += u'\n';
        joined += line;
    }
    return joined;
}

QString RowTip(const QListWidgetItem& row, TRowTip part) {
    return row.data(TipRole(part)).toString();
}

void SetRowCell(QListWidgetItem& row, int column, const QString& text) {
    QStringList cells = row.text().split(u'|');
    // A text ending with "|" splits into its cells and one empty tail.
    if (!cells.isEmpty() && cells.back().isEmpty())
        cells.removeLast();
    while (cells.size() <= column)
        cells << QString();
    cells[column] = text;
    row.setText(cells.join(u'|') + u'|');
}
