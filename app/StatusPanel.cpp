#include "StatusPanel.h"

#include <QPainter>

TStatusPanel::TStatusPanel(int designWidth, TFit fit, QWidget* parent)
    : QLabel(parent), FDesignWidth(designWidth), FFit(fit) {
    setTextFormat(Qt::PlainText);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
}

QSize TStatusPanel::sizeHint() const {
    return QLabel::sizeHint().expandedTo(QSize(FDesignWidth, 0));
}

QSize TStatusPanel::minimumSizeHint() const {
    if (FFit == TFit::Text)
        return sizeHint();
    return QSize(FDesignWidth, QLabel::minimumSizeHint().height());
}

void TStatusPanel::paintEvent(QPaintEvent* event) {
    // A framed label indents its text by half an "x" unless told otherwise.
    const int inset =
        margin() + (indent() >= 0 ? indent() : fontMetrics().horizontalAdvance(u'x') / 2);
    const QRect room = contentsRect().adjusted(inset, 0, -margin(), 0);
    const QString whole = text();
    if (FFit == TFit::Text || fontMetrics().horizontalAdvance(whole) <= room.width()) {
        setToolTip(QString());
        QLabel::paintEvent(event);
        return;
    }
    // Frame as a label draws it, the text cut at a letter with "…".
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(whole, Qt::ElideRight, room.width()));
    setToolTip(whole);
}
