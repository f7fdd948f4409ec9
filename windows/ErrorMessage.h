#pragma once

#include <QString>

#include <functional>

class QWidget;

// The one place where the program shows an error to the user: a message box by default.
void ShowErrorMessage(QWidget* parent, const QString& text);

// Replaces how errors are shown (tests record them instead); an empty function restores
// the message box.
using TErrorDisplay = std::function<void(QWidget* parent, const QString& text)>;
void SetErrorDisplay(TErrorDisplay display);
