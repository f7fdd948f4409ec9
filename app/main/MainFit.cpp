// Every caption whole in either language: controls grow to their text, the tool bar moves up.
#include "Main.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

namespace {

// The window may be made this small; the list still shows a few rows.
constexpr int MinimumClientHeight = 300;

// Widens the control to its size hint; returns by how much it grew.
int GrowToHint(QWidget* control) {
    const int grow = std::max(0, control->sizeHint().width() - control->width());
    control->resize(control->width() + grow, control->height());
    return grow;
}

} // namespace

void TForm1::FitCaptions() {
    // Design places, each button at least there and never over the one before it.
    const std::pair<QToolButton*, int> buttons[] = {
        {BtnConnect, 0},   {BtnDisconnect, 64}, {BtnDelete, 128}, {BtnMark, 192},
        {btn_header, 264}, {btn_mail, 328},     {BtnInfo, 416},   {BtnClose, 480},
    };
    int nextLeft = 0;
    for (const auto& [button, designLeft] : buttons) {
        if (button == BtnInfo) {
            // The divider stands between the mail button and the information button.
            const int dividerLeft = std::max(403, nextLeft + 8);
            Bevel1->move(dividerLeft, Bevel1->y());
            nextLeft = dividerLeft + 13;
        }
        const int left = std::max(designLeft, nextLeft);
        GrowToHint(button);
        button->move(left, button->y());
        if (button == BtnDisconnect) {
            GrowToHint(btn_cancel);
            const int width = std::max(button->width(), btn_cancel->width());
            button->resize(width, button->height());
            btn_cancel->setGeometry(button->geometry());
        }
        nextLeft = left + button->width() - 1;
    }

    if (const int grow = GrowToHint(Label3))
        Password->move(Password->x() + grow, Password->y());
    // Options and labels of the login row end at their text's end.
    for (QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QCheckBox*>(child) || qobject_cast<QLabel*>(child))
            GrowToHint(child);
    }

    int right = 0;
    for (const QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        right = std::max(right, child->geometry().right() + 1);
    setMinimumSize(right + 4, MinimumClientHeight);
}

void TForm1::KeepOnScreen() {
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return;
    const QRect area = shown->availableGeometry();
    const QMargins frame(geometry().left() - frameGeometry().left(),
                         geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    const QSize room = area.size().shrunkBy(frame);
    // A stored or designed place is kept as long as the window fits the screen at all.
    if (size().width() <= room.width() && size().height() <= room.height())
        return;
    resize(size().boundedTo(room).expandedTo(minimumSize()));
    QRect placed = frameGeometry();
    placed.moveLeft(std::clamp(placed.left(), area.left(),
                               std::max(area.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::clamp(placed.top(), area.top(),
                              std::max(area.top(), area.bottom() + 1 - placed.height())));
    move(placed.topLeft());
}
