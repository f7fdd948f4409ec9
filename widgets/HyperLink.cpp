#include "HyperLink.h"

#include <QDesktopServices>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

// Room for one thin system border around the measured caption.
constexpr int kBorder = 1;

} // namespace

THyperLink::THyperLink(QWidget* parent) : QLabel(parent) {
    OpenUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    setFocusPolicy(Qt::StrongFocus); // takes part in Tab order like any control
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    SetColor(FColor);
    ShowColor(FNotPressedColor);
    resize(55, 14);
    AdjustBounds();
}

QUrl THyperLink::TargetUrl(const QString& href) {
    return QUrl::fromUserInput(href, QString(), QUrl::AssumeLocalFile);
}

void THyperLink::SetCaption(const QString& caption) {
    setText(caption);
    AdjustBounds();
}

void THyperLink::SetNotPressedColor(const QColor& color) {
    FNotPressedColor = color;
    if (!FPressed && !FOver)
        ShowColor(color);
}

void THyperLink::SetOverColor(const QColor& color) {
    FOverColor = color;
    if (FOver && !FPressed)
        ShowColor(color);
}

void THyperLink::SetColor(const QColor& color) {
    FColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    FSettingColor = true;
    setPalette(p);
    FSettingColor = false;
}

QColor THyperLink::CaptionColor() const {
    return palette().color(QPalette::WindowText);
}

void THyperLink::SetFontColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p); // changeEvent adopts it as NotPressedColor when the link rests
}

void THyperLink::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    switch (style) {
    case TBorderStyle::None:
        setFrameStyle(QFrame::NoFrame);
        break;
    case TBorderStyle::Single:
        setFrameStyle(QFrame::Box | QFrame::Plain);
        break;
    case TBorderStyle::Sunken:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    }
    AdjustBounds();
}

void THyperLink::ShowColor(const QColor& color) {
    FShownColor = color;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    FSettingColor = true;
    setPalette(p);
    FSettingColor = false;
    update();
}

bool THyperLink::Inside(const QPoint& p) const {
    // Both edges count as inside, as the link has always measured it.
    return p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height();
}

QLabel* THyperLink::StatusPanel() const {
    if (!FStatusBar || FStatusPanelNo < 0)
        return nullptr;
    const auto panels = FStatusBar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    return FStatusPanelNo < panels.size() ? panels[FStatusPanelNo] : nullptr;
}

void THyperLink::AdjustBounds() {
    if (!FAutoSize)
        return;
    const QFontMetrics fm(font());
    // An italic caption leans past its last character: measure one more.
    const QString measured = font().italic() ? text() + QLatin1Char(',') : text();
    const int border = FBorderStyle == TBorderStyle::None ? kBorder : 4 * kBorder;
    resize(fm.horizontalAdvance(measured) + border + 2 * frameWidth(),
           fm.height() + border + 2 * frameWidth());
}

void THyperLink::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    FPressed = true;
    FOver = false;
    ShowColor(FPressedColor);
}

void THyperLink::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    if (event->buttons() & (Qt::LeftButton | Qt::MiddleButton)) {
        if (Inside(at) && !FInsideWhileDragging) {
            FInsideWhileDragging = true;
            FPressed = true;
            ShowColor(FPressedColor);
        } else if (!Inside(at) && FInsideWhileDragging) {
            FInsideWhileDragging = false;
            FPressed = false;
            ShowColor(FNotPressedColor);
        }
    } else {
        FOver = true;
        FPressed = false;
        ShowColor(FOverColor);
    }
    if (at.x() <= width() && at.y() <= height()) {
        if (QLabel* panel = StatusPanel())
            panel->setText(FHREF);
    }
}

void THyperLink::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    if (isEnabled() && FOver) {
        FOver = false;
        ShowColor(FNotPressedColor);
    }
}

void THyperLink::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    Release(event->button(), event->position().toPoint());
}

void THyperLink::Release(Qt::MouseButton button, const QPoint& at) {
    FPressed = false;
    FInsideWhileDragging = false;
    ShowColor(FNotPressedColor);
    repaint(); // the normal look before the shell takes its time
    if (button != Qt::LeftButton || !Inside(at))
        return;
    emit Clicked();
    if (!FHREF.isEmpty() && OpenUrl)
        OpenUrl(TargetUrl(FHREF)); // a target that cannot be opened is not reported
}

void THyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Release(Qt::LeftButton, QPoint(1, 1));
        return;
    }
    QLabel::keyPressEvent(event);
}

void THyperLink::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    if (QLabel* panel = StatusPanel()) {
        FSavedPanelText = panel->text();
        panel->setText(FHREF);
    }
    update();
}

void THyperLink::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    FOver = false;
    ShowColor(FNotPressedColor);
    // Someone else may have written the panel meanwhile; leave their text alone.
    if (QLabel* panel = StatusPanel(); panel && panel->text() == FHREF)
        panel->setText(FSavedPanelText);
    update();
}

void THyperLink::paintEvent(QPaintEvent* event) {
    // A focused link looks hovered until it loses the focus.
    if (hasFocus() && !FPressed && (!FOver || FShownColor != FOverColor)) {
        FOver = true;
        ShowColor(FOverColor);
    }
    QLabel::paintEvent(event);
    QPainter painter(this);
    painter.setPen(FColor);
    painter.drawRect(rect().adjusted(0, 0, -1, -1)); // erases an earlier focus rectangle
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = FColor;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void THyperLink::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        AdjustBounds();
    } else if (event->type() == QEvent::PaletteChange && !FSettingColor && !FPressed && !FOver) {
        const QColor outside = palette().color(QPalette::WindowText);
        if (outside != FShownColor) {
            FNotPressedColor = outside;
            FShownColor = outside;
        }
    }
}
