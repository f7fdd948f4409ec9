#include "FailureTexts.h"

#include <cctype>
#include <string_view>

#include "AnswerReader.h"
#include "ClientSocket.h"
#include "MbxMIME.h"
#include "MbxPOP3.h"
#include "OAuthSasl.h"
#include "Security.h"
#include "TextPair.h"

namespace {

struct TCauseText {
    TFailureCause cause;
    TText reason;
};
constexpr TCauseText kReasons[] = {
    {TFailureCause::Timeout,
     {"Der Server hat nicht innerhalb von %1 Sekunden geantwortet.",
      "The server did not answer within %1 seconds."}},
    {TFailureCause::Refused,
     {"Der Server hat die Verbindung abgelehnt.", "The server refused the connection."}},
    {TFailureCause::HostNotFound,
     {"Der Servername wurde nicht gefunden.", "The server name was not found."}},
    {TFailureCause::ConnectionLost,
     {"Die Verbindung zum Server ist abgebrochen.", "The connection to the server was lost."}},
    {TFailureCause::Tls,
     {"Die verschlüsselte Verbindung konnte nicht aufgebaut werden.",
      "The encrypted connection could not be established."}},
    {TFailureCause::Certificate,
     {"Dem Zertifikat des Servers wird nicht vertraut.",
      "The server's certificate is not trusted."}},
    {TFailureCause::Insecure,
     {"Der Server bietet keine Verschlüsselung an.", "The server offers no encryption."}},
    {TFailureCause::Bounds,
     {"Die Antwort des Servers war zu groß oder kam zu langsam.",
      "The server's answer was too large or came too slowly."}},
};
// Every other cause.
constexpr TText kOther{"Die Verbindung zum Server ist fehlgeschlagen.",
                       "The connection to the server failed."};

// The client's own failure sentences (German, as the layers write them) in English.
constexpr TText kLayerSentences[] = {
    {kTextClosedMidAnswer, "The server closed the connection before the answer was complete"},
    {kTextAnswerTooSlow, "The server sent its answer too slowly"},
    {kTextOverListedSize, "The server sent more than twice the size it listed"},
    {kTextNoAddress, "No address given"},
    {kTextNoSocket, "No new socket can be created"},
    {kTextChangeWhileActive, "The value cannot be changed while the socket is active"},
    {kTextTlsFailed, "The TLS handshake failed"},
    {kTextTlsClosed, "The server closed the connection during the TLS handshake"},
    {kTextTlsTimeout, "Time-out: the server did not finish the TLS handshake"},
    {kTextCertificateUntrusted, "The server's certificate is not trustworthy"},
    {kTextNoEncryption,
     "The server offers no encryption (no STLS); nothing is sent unencrypted without consent"},
    {kTextStlsNotOffered, "The server does not offer STLS"},
    {kTextStlsRefused, "The server refused STLS"},
    {kTextInjected, "Data came after the answer to STLS before the TLS handshake; the connection "
                    "is not used"},
    {kTextNoGreeting, "The server sent no greeting (it probably expects TLS)"},
    {kTextSaslNeedsTls,
     "Signing in with an access token needs an encrypted connection; nothing was sent"},
    {kTextSaslNotOffered, "The server does not offer this sign-in"},
    {kTextSaslNoContinuation, "The server did not begin the sign-in with an access token"},
    {kTextTokenRefused, "The provider refused the access token"},
    {kTextChallengeUnreadable, "The server refused the sign-in with a reason that cannot be read"},
};

void Replace(std::string& text, std::string_view what, std::string_view with) {
    const size_t at = text.find(what);
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
}

} // namespace

std::string FailureReason(TFailureCause cause, bool german, int seconds) {
    const TText* reason = &kOther;
    for (const TCauseText& r : kReasons)
        if (r.cause == cause)
            reason = &r.reason;
    std::string text = Pick(*reason, german);
    Replace(text, "%1", std::to_string(seconds));
    return text;
}

std::string FailureDetail(const std::string& layerText, bool german) {
    std::string detail = layerText;
    // The frames of the socket and TLS layers: "Windows-Socket-Fehler: ", "TLS-Fehler: ".
    const size_t frame = detail.find("-Fehler: ");
    if (frame != std::string::npos && detail.find(' ') > frame)
        detail.erase(0, frame + 9);
    const size_t api = detail.rfind(", auf API '");
    if (api != std::string::npos && detail.back() == '\'')
        detail.erase(api);
    // A platform name has no place here, whatever layer wrote the text.
    for (size_t at = 0; (at = detail.find("Windows", at)) != std::string::npos;) {
        const bool word = at == 0 || !std::isalnum(static_cast<unsigned char>(detail[at - 1]));
        size_t end = at + 7;
        if (!word) {
            at = end;
            continue;
        }
        if (end < detail.size() && (detail[end] == '-' || detail[end] == ' '))
            ++end;
        detail.erase(at, end - at);
    }
    if (!german) {
        for (const TText& sentence : kLayerSentences) {
            if (detail.rfind(sentence.German, 0) == 0) {
                detail.replace(0, std::string_view(sentence.German).size(), sentence.English);
                break;
            }
        }
    }
    return Trim(detail);
}

int TimeoutSeconds(std::chrono::milliseconds timeout) {
    return static_cast<int>((timeout.count() + 999) / 1000);
}
