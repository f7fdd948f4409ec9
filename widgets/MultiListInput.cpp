// Keys, clicks and tooltips on a TMultiList: Home and End, and the lock while a command runs.
#include "MultiLst.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>

QModelIndex TMultiList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Item 0 is the hidden spacer: the first row a user can reach is item 1.
    const int first = count() > 0 && item(0)->text() == SpacerText() ? 1 : 0;
    if ((action == MoveHome || action == MoveEnd) && count() > first)
        return model()->index(action == MoveHome ? first : count() - 1, 0);
    return QListWidget::moveCursor(action, modifiers);
}

void TMultiList::SetLocked(bool locked) {
    m_locked = locked;
}

bool TMultiList::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        // Locked: a click neither marks nor moves the current row (the wheel still scrolls).
        if (m_locked) {
            event->accept();
            return true;
        }
        break;
    case QEvent::ToolTip:
        if (m_toolTipSource) {
            const auto* help = static_cast<QHelpEvent*>(event);
            const QListWidgetItem* row = itemAt(help->pos());
            const QString tip =
                row && row->text() != SpacerText() ? m_toolTipSource(*row) : QString();
            if (tip.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), tip, viewport(), visualItemRect(row));
            return true;
        }
        break;
    default:
        break;
    }
    return QListWidget::viewportEvent(event);
}

void TMultiList::keyPressEvent(QKeyEvent* event) {
    if (!m_locked)
        return QListWidget::keyPressEvent(event);
    // Locked: the moving keys scroll the view and leave the marks and the current row alone.
    QScrollBar* bar = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up:
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        return event->ignore();
    }
    event->accept();
}
