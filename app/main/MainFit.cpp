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
#include <climits>
#include <vector>

namespace {

// The window may be made this small; the list still shows a few rows.
constexpr int MinimumClientHeight = 300;
// What the hint panel gets beyond its least width where the screen has room: enough for
// "12 markiert: 40.3 MByte".
constexpr int HintPanelRoom = 60;
// Room between a caption and its field.
constexpr int RowGap = 4;
// Room right of the rightmost control.
constexpr int RightMargin = 4;

// Widens the control to its size hint; returns by how much it grew.
int GrowToHint(QWidget* control) {
    const int grow = std::max(0, control->sizeHint().width() - control->width());
    control->resize(control->width() + grow, control->height());
    return grow;
}

// The tool bar's buttons at their design places and widths, or close together; returns the
// right end of the last.
int PlaceToolButtons(TToolBar& tools, bool designPlaces) {
    // Design places and widths, each button at least there and never over the one before it;
    // those components added follow the mail button. Close together, each is as wide as its
    // caption.
    struct TPlace {
        QToolButton* Button;
        int Left;
        int Width;
    };
    std::vector<TPlace> buttons = {
        {tools.BtnConnect, 0, 65}, {tools.BtnDisconnect, 64, 65}, {tools.BtnDelete, 128, 65},
        {tools.BtnMark, 192, 73},  {tools.btn_header, 264, 65},   {tools.btn_mail, 328, 65},
    };
    for (const TToolBar::TAdded& added : tools.Added)
        buttons.push_back({added.Button, 0, 65});
    buttons.insert(buttons.end(), {{tools.BtnInfo, 416, 65}, {tools.BtnClose, 480, 65}});
    const auto widthOf = [designPlaces](const TPlace& place, const QToolButton* button) {
        return std::max(designPlaces ? place.Width : 0, button->sizeHint().width());
    };
    int nextLeft = 0;
    for (const TPlace& place : buttons) {
        QToolButton* button = place.Button;
        if (button == tools.BtnInfo) {
            // The divider stands between the mail buttons and the information button.
            const int dividerLeft = designPlaces ? std::max(403, nextLeft + 8) : nextLeft + 4;
            tools.Bevel1->move(dividerLeft, tools.Bevel1->y());
            nextLeft = dividerLeft + (designPlaces ? 13 : 5);
        }
        const int left = designPlaces ? std::max(place.Left, nextLeft) : nextLeft;
        int width = widthOf(place, button);
        if (button == tools.BtnDisconnect) {
            width = std::max(width, widthOf(place, tools.btn_cancel));
            tools.btn_cancel->setGeometry(left, button->y(), width, button->height());
        }
        button->setGeometry(left, button->y(), width, button->height());
        nextLeft = left + width - 1;
    }
    return nextLeft + 1;
}

} // namespace

void TWindowFit::Captions() {
    // A screen too narrow for the design places (German at scale factor 2) gets the buttons
    // close together.
    const QScreen* shown = form_.screen();
    const int frame = form_.frameGeometry().width() - form_.width();
    if (PlaceToolButtons(form_.Tools, true) + RightMargin + frame >
        (shown ? shown->availableGeometry().width() : INT_MAX))
        PlaceToolButtons(form_.Tools, false);

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
    form_.Fit.CaptionsWidth = right + RightMargin;
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
