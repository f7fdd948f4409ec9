#include "SecurityIndicator.h"

#include "SecurityTexts.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A closed padlock, drawn so that it needs no picture file.
QPixmap LockPicture(int size, qreal scale) {
    QPixmap picture(QSize(size, size) * scale);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    QPen shackle(QColor(90, 90, 90), 1.8 * unit);
    painter.setPen(shackle);
    painter.setBrush(Qt::NoBrush);
    QPainterPath bow;
    bow.moveTo(4.5 * unit, 8 * unit);
    bow.lineTo(4.5 * unit, 5 * unit);
    bow.arcTo(QRectF(4.5 * unit, 1.5 * unit, 7 * unit, 7 * unit), 180, -180);
    bow.lineTo(11.5 * unit, 8 * unit);
    painter.drawPath(bow);
    painter.setPen(QPen(QColor(120, 90, 0), unit));
    painter.setBrush(QColor(230, 180, 40));
    painter.drawRoundedRect(QRectF(2.5 * unit, 7.5 * unit, 11 * unit, 8 * unit), unit, unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 60, 0));
    painter.drawEllipse(QPointF(8 * unit, 11 * unit), 1.3 * unit, 1.3 * unit);
    return picture;
}

} // namespace

TSecurityIndicator::TSecurityIndicator(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("Status_sicherheit"));
    setTextFormat(Qt::PlainText);
    setContentsMargins(2, 0, 2, 0);
    hide();
}

void TSecurityIndicator::ShowEncrypted(const QString& summary, bool germanUI) {
    FShown = TShown::Encrypted;
    setText(QString());
    setPixmap(LockPicture(14, devicePixelRatioF()));
    setToolTip(Tr(Texts::EncryptedTip, germanUI).arg(summary));
    show();
}

void TSecurityIndicator::ShowPlain(bool germanUI) {
    FShown = TShown::Plain;
    setPixmap(QPixmap());
    setText(Tr(Texts::PlainSession, germanUI));
    QPalette warning = palette();
    warning.setColor(QPalette::WindowText, QColor(176, 0, 0));
    setPalette(warning);
    setToolTip(Tr(Texts::PlainSessionTip, germanUI));
    show();
}

void TSecurityIndicator::ShowClosed() {
    FShown = TShown::Closed;
    clear();
    setToolTip(QString());
    hide();
}
