#include "ErrorMessage.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace {

TErrorDisplay& CurrentErrorDisplay() {
    static TErrorDisplay display;
    return display;
}

} // namespace

void ShowErrorMessage(QWidget* parent, const QString& text) {
    if (CurrentErrorDisplay()) {
        CurrentErrorDisplay()(parent, text);
        return;
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

void SetErrorDisplay(TErrorDisplay display) {
    CurrentErrorDisplay() = std::move(display);
}
