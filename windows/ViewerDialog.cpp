#include "ViewerDialog.h"

#include "WindowPlacement.h"

#include <QShowEvent>

TViewerDialog::TViewerDialog(QWidget* parent, int clientWidth, int clientHeight)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      FDesignSize(clientWidth, clientHeight) {
    // Resizable down to a size where every control still has room; the design size is
    // where it starts, as far as the screen allows.
    setSizeGripEnabled(true);
    setMinimumSize(clientWidth / 2, clientHeight / 2);
    resize(clientWidth, clientHeight);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
}

void TViewerDialog::done(int result) {
    Empty();
    QDialog::done(result);
}

void TViewerDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

void TViewerDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // restored from the task bar, not a new showing
    FormActivate();
    PlaceOverOwner(this, FDesignSize.expandedTo(minimumSize()));
}
