#include "ErrorTexts.h"

#include "FailureTexts.h"
#include "LanguageTexts.h"
#include "SignInTexts.h"

namespace {

QString Reason(TFailureCause cause, bool germanUI, int seconds) {
    return QString::fromStdString(FailureReason(cause, germanUI, seconds));
}

QString Detail(const std::string& layerText, bool germanUI) {
    return QString::fromStdString(FailureDetail(layerText, germanUI));
}

// The lines so far, then the detail in brackets on a line of its own.
QString WithDetailLine(QString lines, const QString& detail) {
    if (!detail.isEmpty())
        lines += QStringLiteral("\r       (") + detail + u')';
    return lines;
}

} // namespace

QString FailureLines(const QString& lead, TFailureCause cause, const std::string& layerText,
                     bool germanUI, int seconds) {
    return WithDetailLine(lead + Reason(cause, germanUI, seconds), Detail(layerText, germanUI));
}

QString FailureMessage(TFailureCause cause, const std::string& layerText, bool germanUI,
                       int seconds) {
    QString message = Reason(cause, germanUI, seconds);
    const QString detail = Detail(layerText, germanUI);
    if (!detail.isEmpty())
        message += u'\n' + detail;
    return message;
}

QString LoginRefusedLines(const QString& lead, const std::string& serverText, bool germanUI) {
    return WithDetailLine(
        lead + Tr(Texts::LoginRefused, germanUI),
        QString::fromUtf8(serverText.data(), static_cast<qsizetype>(serverText.size())));
}

QString TokenRefusedLines(const QString& lead, const std::string& layerText, bool germanUI) {
    return WithDetailLine(lead + Tr(Texts::TokenLoginRefused, germanUI),
                          Detail(layerText, germanUI));
}
