// Drawing one cell of a TMultiList row: ampersand mnemonics, tab stops and an end-ellipsis.
#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QPainter;

struct TMnemonicText {
    QString Text;
    // Positions in Text of the characters to underline.
    QList<int> Underlined;
};

// "&x" underlines x, "&&" shows one "&", a lone "&" at the end is dropped.
TMnemonicText ResolveMnemonics(const QString& text);

// Draws `text` with the painter's font and pen, clipped to `rect`, from its top edge. Lines
// that do not fit end with an ellipsis; tab stops lie every 3 average character widths.
void DrawCellText(QPainter& painter, const QRect& rect, const QString& text,
                  Qt::Alignment alignment);
