#include "ErrorTexts.h"

#include "LanguageTexts.h"
#include "Timeouts.h"

#include <QRegularExpression>

namespace {

// The reasons, in the words of the status messages.
constexpr TText FailTimeout{"Der Server hat nicht innerhalb von %1 Sekunden geantwortet.",
                            "The server did not answer within %1 seconds."};
constexpr TText FailRefused{"Der Server hat die Verbindung abgelehnt.",
                            "The server refused the connection."};
constexpr TText FailHostNotFound{"Der Servername wurde nicht gefunden.",
                                 "The server name was not found."};
constexpr TText FailConnectionLost{"Die Verbindung zum Server ist abgebrochen.",
                                   "The connection to the server was lost."};
constexpr TText FailTls{"Die verschlüsselte Verbindung konnte nicht aufgebaut werden.",
                        "The encrypted connection could not be established."};
constexpr TText FailCertificate{"Dem Zertifikat des Servers wird nicht vertraut.",
                                "The server's certificate is not trusted."};
constexpr TText FailInsecure{"Der Server bietet keine Verschlüsselung an.",
                             "The server offers no encryption."};
constexpr TText FailBounds{"Die Antwort des Servers war zu groß oder kam zu langsam.",
                           "The server's answer was too large or came too slowly."};
constexpr TText FailOther{"Die Verbindung zum Server ist fehlgeschlagen.",
                          "The connection to the server failed."};

QString Reason(TFailureCause cause, bool germanUI, int seconds) {
    switch (cause) {
    case TFailureCause::Timeout:
        return Tr(FailTimeout, germanUI).arg(seconds);
    case TFailureCause::Refused:
        return Tr(FailRefused, germanUI);
    case TFailureCause::HostNotFound:
        return Tr(FailHostNotFound, germanUI);
    case TFailureCause::ConnectionLost:
        return Tr(FailConnectionLost, germanUI);
    case TFailureCause::Tls:
        return Tr(FailTls, germanUI);
    case TFailureCause::Certificate:
        return Tr(FailCertificate, germanUI);
    case TFailureCause::Insecure:
        return Tr(FailInsecure, germanUI);
    case TFailureCause::Bounds:
        return Tr(FailBounds, germanUI);
    case TFailureCause::Other:
        break;
    }
    return Tr(FailOther, germanUI);
}

std::chrono::milliseconds& SessionTimeout() {
    static std::chrono::milliseconds timeout = pop3_timeouts::kReceive;
    return timeout;
}

} // namespace

int TimeoutSeconds(std::chrono::milliseconds timeout) {
    return static_cast<int>((timeout.count() + 999) / 1000);
}

void SetSessionTimeout(std::chrono::milliseconds timeout) {
    SessionTimeout() = timeout;
}

int SessionTimeoutSeconds() {
    return TimeoutSeconds(SessionTimeout());
}

QString FailureDetail(const std::string& layerText) {
    QString detail = QString::fromUtf8(layerText.data(), static_cast<qsizetype>(layerText.size()));
    static const QRegularExpression frame(QStringLiteral("^\\S*-Socket-Fehler: "));
    static const QRegularExpression api(QStringLiteral(", auf API '[^']*'$"));
    detail.remove(frame);
    detail.remove(api);
    // A platform name has no place in the window, whatever layer wrote the text.
    static const QRegularExpression platform(QStringLiteral("\\bWindows\\b[- ]?"),
                                             QRegularExpression::CaseInsensitiveOption);
    detail.remove(platform);
    return detail.trimmed();
}

QString FailureLines(const QString& lead, TFailureCause cause, const std::string& layerText,
                     bool germanUI, int seconds) {
    QString lines = lead + Reason(cause, germanUI, seconds);
    const QString detail = FailureDetail(layerText);
    if (!detail.isEmpty())
        lines += QStringLiteral("\r       (") + detail + u')';
    return lines;
}

QString FailureMessage(TFailureCause cause, const std::string& layerText, bool germanUI,
                       int seconds) {
    QString message = Reason(cause, germanUI, seconds);
    const QString detail = FailureDetail(layerText);
    if (!detail.isEmpty())
        message += u'\n' + detail;
    return message;
}
