#include "Application.h"

#include "CommandOutcome.h"
#include "ErrorMessage.h"
#include "FailureTexts.h"
#include "Main.h"
#include "Timeouts.h"

#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

bool UseQtTexts(bool german) {
    // One translator for the program's run, owned by the application object.
    static QPointer<QTranslator> translator;
    if (!translator)
        translator = new QTranslator(QCoreApplication::instance());
    if (!german) {
        QCoreApplication::removeTranslator(translator);
        return true;
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->isEmpty() && !translator->load(QStringLiteral("qtbase_de"), folder)) {
        qWarning("InboxPruner: Qt's German texts (qtbase_de) are missing in %s",
                 qPrintable(folder));
        return false;
    }
    // Out and in again: installed once, whatever the window chose before.
    QCoreApplication::removeTranslator(translator);
    QCoreApplication::installTranslator(translator);
    return true;
}

bool DeliverShowingErrors(const std::function<bool()>& deliver, const TForm1* form) {
    try {
        return deliver();
    } catch (const std::exception&) {
        const bool german = form && form->GermanUI();
        const auto timeout = form ? form->pop3.ReceiveTimeout : pop3_timeouts::kReceive;
        ShowErrorMessage(QApplication::activeWindow(),
                         FailureDisplayText(TCommandOutcome::FromCurrentException(), german,
                                            TimeoutSeconds(timeout)));
    } catch (...) {
        ShowErrorMessage(QApplication::activeWindow(), QStringLiteral("Unknown error"));
    }
    return true;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    return DeliverShowingErrors([&] { return QApplication::notify(receiver, event); }, form_);
}
