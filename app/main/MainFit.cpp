// Every caption whole in either language: controls grow to their text, the tool bar moves up.
#include "MainFit.h"
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

void TWindowFit::Captions() {
    // Design places, each button at least there and never over the one before it.
    const std::pair<QToolButton*, int> buttons[] = {
        {form_.Tools.BtnConnect, 0}, {form_.Tools.BtnDisconnect, 64}, {form_.Tools.BtnDelete, 128},
        {form_.Tools.BtnMark, 192},  {form_.Tools.btn_header, 264},   {form_.Tools.btn_mail, 328},
        {form_.Tools.BtnInfo, 416},  {form_.Tools.BtnClose, 480},
    };
    int nextLeft = 0;
    for (const auto& [button, designLeft] : buttons) {
        if (button == form_.Tools.BtnInfo) {
            // The divider stands between the mail button and the information button.
            const int dividerLeft = std::max(403, nextLeft + 8);
            form_.Tools.Bevel1->move(dividerLeft, form_.Tools.Bevel1->y());
            nextLeft = dividerLeft + 13;
        }
        const int left = std::max(designLeft, nextLeft);
        GrowToHint(button);
        button->move(left, button->y());
        if (button == form_.Tools.BtnDisconnect) {
            GrowToHint(form_.Tools.btn_cancel);
            const int width = std::max(button->width(), form_.Tools.btn_cancel->width());
            button->resize(width, button->height());
            form_.Tools.btn_cancel->setGeometry(button->geometry());
        }
        nextLeft = left + button->width() - 1;
    }

    // Options and labels of the login row end at their text's end.
    for (QWidget* child : form_.Tools.Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QCheckBox*>(child) || qobject_cast<QLabel*>(child))
            GrowToHint(child);
    }
    // Each control of a row starts at its design place or a gap after the one before it, so
    // that a longer caption never touches its field.
    std::vector<QWidget*> choices;
    for (const auto& [caption, field] : form_.Login.Choices)
        choices.insert(choices.end(), {caption, field});
    for (const auto& row :
         {std::vector<QWidget*>{form_.Login.Label1, form_.Login.servername, form_.Login.label2,
                                form_.Login.Username, form_.Login.Label3, form_.Login.Password},
          choices}) {
        const QWidget* before = nullptr;
        for (QWidget* control : row) {
            if (before)
                control->move(std::max(control->x(), before->geometry().right() + 1 + RowGap),
                              control->y());
            before = control;
        }
    }

    int right = 0;
    for (const QWidget* child :
         form_.Tools.Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        right = std::max(right, child->geometry().right() + 1);
    form_.Fit.CaptionsWidth = right + 4;
    form_.setMinimumSize(form_.Fit.CaptionsWidth, MinimumClientHeight);
    if (!form_.Fit.StatusBarWatched) {
        form_.Fit.StatusBarWatched = true;
        form_.Bottom.Status_leiste->installEventFilter(&form_);
    }
    Width();
}

void TWindowFit::Width() {
    // The panels' texts whole and the list's columns readable: the window is at least as wide
    // as they need, but never wider than its screen.
    int needed = std::max(form_.Fit.CaptionsWidth,
                          form_.Bottom.Status_leiste->minimumSizeHint().width() + HintPanelRoom);
    if (form_.mail_list->isVisible())
        needed = std::max(needed, form_.mail_list->NeededWidth() + form_.width() -
                                      form_.mail_list->width());
    if (const QScreen* shown = form_.screen())
        needed = std::min(needed, shown->availableGeometry().width());
    needed = std::max(form_.Fit.CaptionsWidth, needed);
    if (needed != form_.minimumWidth())
        form_.setMinimumWidth(needed);
}

void TWindowFit::KeepOnScreen() {
    // A maximised window is placed by the desktop.
    if (form_.isMaximized() || form_.isFullScreen())
        return;
    const QScreen* shown = form_.screen() ? form_.screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return;
    const QRect area = shown->availableGeometry();
    const QMargins frame(form_.geometry().left() - form_.frameGeometry().left(),
                         form_.geometry().top() - form_.frameGeometry().top(),
                         form_.frameGeometry().right() - form_.geometry().right(),
                         form_.frameGeometry().bottom() - form_.geometry().bottom());
    const QSize room = area.size().shrunkBy(frame);
    // A stored or designed place is kept while the window fits the screen and most of it is
    // on the screen; else it is made smaller where the screen is, and moved wholly onto it.
    const bool fits =
        form_.size().width() <= room.width() && form_.size().height() <= room.height();
    const QRect seen = area.intersected(form_.frameGeometry());
    const qint64 seenArea = qint64(seen.width()) * seen.height();
    const qint64 wholeArea = qint64(form_.frameGeometry().width()) * form_.frameGeometry().height();
    if (fits && seenArea * 4 >= wholeArea * 3)
        return;
    if (!fits)
        form_.resize(form_.size().boundedTo(room).expandedTo(form_.minimumSize()));
    QRect placed = form_.frameGeometry();
    placed.moveLeft(std::clamp(placed.left(), area.left(),
                               std::max(area.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::clamp(placed.top(), area.top(),
                              std::max(area.top(), area.bottom() + 1 - placed.height())));
    form_.move(placed.topLeft());
}
