#include "Application.h"

#include "CommandOutcome.h"
#include "ErrorMessage.h"
#include "FailureTexts.h"
#include "Main.h"
#include "Timeouts.h"

bool DeliverShowingErrors(const std::function<bool()>& deliver, const TForm1* form) {
    try {
        return deliver();
    } catch (const std::exception&) {
        const bool german = form && form->GermanUI;
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
