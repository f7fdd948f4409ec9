#include "ViewerDialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

TViewerDialog::TViewerDialog(QWidget* parent, int clientWidth, int clientHeight)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setFixedSize(clientWidth, clientHeight);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
}

void TViewerDialog::done(int result) {
    Empty();
    QDialog::done(result);
}

void TViewerDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // restored from the task bar, not a new showing
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormActivate();
}
