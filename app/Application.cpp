#include "Application.h"

#include "ErrorMessage.h"
#include "ErrorTexts.h"
#include "ProgramLanguage.h"

#include <QStringDecoder>

QString ExceptionText(const std::exception& error) {
    const QByteArray bytes(error.what());
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

bool DeliverShowingErrors(const std::function<bool()>& deliver) {
    try {
        return deliver();
    } catch (const ESocketError& error) {
        // The layer's own text names an API; the user gets the reason in the window's words.
        ShowErrorMessage(
            QApplication::activeWindow(),
            FailureMessage(error.Cause, error.what(), ProgramGermanUI(), SessionTimeoutSeconds()));
    } catch (const std::exception& error) {
        ShowErrorMessage(QApplication::activeWindow(), ExceptionText(error));
    } catch (...) {
        ShowErrorMessage(QApplication::activeWindow(), QStringLiteral("Unknown error"));
    }
    return true;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    return DeliverShowingErrors([&] { return QApplication::notify(receiver, event); });
}
