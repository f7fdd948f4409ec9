#include "CommandOutcome.h"

#include "ErrorTexts.h"

#include <QStringDecoder>

#include <exception>

TCommandOutcome TCommandOutcome::FromCurrentException() {
    try {
        throw;
    } catch (const ESocketError& failure) {
        return {TKind::Failed, true, failure.Cause, failure.what()};
    } catch (const std::exception& error) {
        return {TKind::Failed, false, TFailureCause::Other, error.what()};
    }
}

QString FailureDisplayText(const TCommandOutcome& failure, bool germanUI, int seconds) {
    // The layer's own text names an API; the user gets the reason in the window's words.
    if (failure.Transport)
        return FailureMessage(failure.Cause, failure.Why, germanUI, seconds);
    const QByteArray bytes(failure.Why.data(), static_cast<qsizetype>(failure.Why.size()));
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}
