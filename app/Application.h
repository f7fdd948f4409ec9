#pragma once

#include <QApplication>

#include <functional>

class TForm1;

// Qt's own texts (file dialogs, standard buttons, key names such as "Strg+Umschalt+A") in the
// window's language: Qt's German translation installed for German, removed for English. False
// when German was asked for and the translation could not be loaded (Qt then speaks English).
bool UseQtTexts(bool german);

// Runs one event delivery; an exception that leaves it is shown to the user through the
// program's error display, in the main window's language and with its session's time-out
// (the defaults without one), and the delivery counts as handled.
bool DeliverShowingErrors(const std::function<bool()>& deliver, const TForm1* form);

// The program's application object: the one place where exceptions that leave an event
// handler are turned into a message box, so the event loop keeps running. The message speaks
// the main window's language.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    void SetMainWindow(const TForm1* form) { form_ = form; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    const TForm1* form_ = nullptr;
};
