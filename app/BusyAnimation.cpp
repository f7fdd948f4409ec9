#include "BusyAnimation.h"

#include <QPainter>
#include <QtMath>

TBusyAnimation::TBusyAnimation(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(120);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % FrameCount;
        update();
    });
    setFixedSize(48, 40);
    hide();
}

void TBusyAnimation::SetActive(bool active) {
    if (active) {
        frame_ = 0;
        timer_.start();
        show();
    } else {
        timer_.stop();
        hide();
    }
}

void TBusyAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();

    // The computer: a screen on a small stand.
    const QRectF screen(8, 6, 32, 22);
    painter.setPen(QPen(pal.color(QPalette::WindowText), 1.5));
    painter.setBrush(pal.color(QPalette::Base));
    painter.drawRoundedRect(screen, 2, 2);
    painter.drawLine(QPointF(24, 28), QPointF(24, 33));
    painter.drawLine(QPointF(17, 34), QPointF(31, 34));

    // The glass walks round the screen's centre, one eighth of a turn per frame.
    const double angle = frame_ * 2.0 * M_PI / FrameCount;
    const QPointF centre(24 + 9 * qCos(angle), 17 + 6 * qSin(angle));
    painter.setBrush(QColor(120, 170, 230, 140));
    painter.setPen(QPen(pal.color(QPalette::Highlight), 2));
    painter.drawEllipse(centre, 6, 6);
    painter.setPen(QPen(pal.color(QPalette::WindowText), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(4.5, 4.5), centre + QPointF(9, 9));
}
