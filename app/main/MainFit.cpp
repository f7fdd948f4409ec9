// Every caption whole in either language: controls grow to their text, the tool bar moves up.
#include "Main.h"
#include "MultiLst.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace {

// The window may be made this small; the list still shows a few rows.
constexpr int MinimumClientHeight = 300;
// What the hint panel gets beyond its least width where the screen has room: enough for
// "12 markiert: 40.3 MByte".
constexpr int HintPanelRoom = 60;
// Room between a caption and its field.
constexpr int RowGap = 4;

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

    // Options and labels of the login row end at their text's end.
    for (QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QCheckBox*>(child) || qobject_cast<QLabel*>(child))
            GrowToHint(child);
    }
    // Each control of a row starts at its design place or a gap after the one before it, so
    // that a longer caption never touches its field.
    std::vector<QWidget*> choices;
    for (const auto& [caption, field] : FLoginChoices)
        choices.insert(choices.end(), {caption, field});
    for (const auto& row :
         {std::vector<QWidget*>{Label1, servername, label2, Username, Label3, Password}, choices}) {
        const QWidget* before = nullptr;
        for (QWidget* control : row) {
            if (before)
                control->move(std::max(control->x(), before->geometry().right() + 1 + RowGap),
                              control->y());
            before = control;
        }
    }

    int right = 0;
    for (const QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        right = std::max(right, child->geometry().right() + 1);
    FCaptionsWidth = right + 4;
    setMinimumSize(FCaptionsWidth, MinimumClientHeight);
    if (!FStatusBarWatched) {
        FStatusBarWatched = true;
        Status_leiste->installEventFilter(this);
    }
    FitWidth();
}

void TForm1::FitWidth() {
    // The panels' texts whole and the list's columns readable: the window is at least as wide
    // as they need, but never wider than its screen.
    int needed = std::max(FCaptionsWidth, Status_leiste->minimumSizeHint().width() + HintPanelRoom);
    if (mail_list->isVisible())
        needed = std::max(needed, mail_list->NeededWidth() + width() - mail_list->width());
    if (const QScreen* shown = screen())
        needed = std::min(needed, shown->availableGeometry().width());
    needed = std::max(FCaptionsWidth, needed);
    if (needed != minimumWidth())
        setMinimumWidth(needed);
}

void TForm1::KeepOnScreen() {
    // A maximised window is placed by the desktop.
    if (isMaximized() || isFullScreen())
        return;
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return;
    const QRect area = shown->availableGeometry();
    const QMargins frame(geometry().left() - frameGeometry().left(),
                         geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    const QSize room = area.size().shrunkBy(frame);
    // A stored or designed place is kept while the window fits the screen and most of it is
    // on the screen; else it is made smaller where the screen is, and moved wholly onto it.
    const bool fits = size().width() <= room.width() && size().height() <= room.height();
    const QRect seen = area.intersected(frameGeometry());
    const qint64 seenArea = qint64(seen.width()) * seen.height();
    const qint64 wholeArea = qint64(frameGeometry().width()) * frameGeometry().height();
    if (fits && seenArea * 4 >= wholeArea * 3)
        return;
    if (!fits)
        resize(size().boundedTo(room).expandedTo(minimumSize()));
    QRect placed = frameGeometry();
    placed.moveLeft(std::clamp(placed.left(), area.left(),
                               std::max(area.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::clamp(placed.top(), area.top(),
                              std::max(area.top(), area.bottom() + 1 - placed.height())));
    move(placed.topLeft());
}
