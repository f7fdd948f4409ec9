#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

// The text of an exception for the user: UTF-8 when it is valid UTF-8, else Latin-1 bytes.
QString ExceptionText(const std::exception& error);

// Runs one event delivery; an exception that leaves it is shown to the user through the
// program's error display and the delivery counts as handled.
bool DeliverShowingErrors(const std::function<bool()>& deliver);

// The program's application object: the one place where exceptions that leave an event
// handler are turned into a message box, so the event loop keeps running.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
