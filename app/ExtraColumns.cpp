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
