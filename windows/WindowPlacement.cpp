#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void PlaceOverOwner(QWidget* dialog, QSize wanted) {
    const QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    const QScreen* screen = owner && owner->screen() ? owner->screen() : dialog->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame (title bar, borders) needs room too.
    const QMargins frame(dialog->geometry().left() - dialog->frameGeometry().left(),
                         dialog->geometry().top() - dialog->frameGeometry().top(),
                         dialog->frameGeometry().right() - dialog->geometry().right(),
                         dialog->frameGeometry().bottom() - dialog->geometry().bottom());
    const QSize room = area.size().shrunkBy(frame);
    const QSize size = wanted.boundedTo(room).expandedTo(dialog->minimumSize()).boundedTo(room);
    dialog->resize(size);
    const QPoint centre =
        owner && owner->isVisible() ? owner->frameGeometry().center() : area.center();
    QRect placed(QPoint(0, 0), size.grownBy(frame));
    placed.moveCenter(centre);
    placed.moveLeft(std::clamp(placed.left(), area.left(), area.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), area.top(), area.bottom() + 1 - placed.height()));
    dialog->move(placed.topLeft());
}
