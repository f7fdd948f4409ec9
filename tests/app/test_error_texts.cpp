// The words for each cause of a transport failure, in both languages.
#include "ClientSocket.h"
#include "ErrorTexts.h"
#include "FailureTexts.h"
#include "MbxPOP3.h"
#include "Security.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ErrorTexts, EachCauseHasItsOwnReasonInBothLanguagesWithTheSystemsTextBelow) {
    struct Case {
        TFailureCause cause;
        const char* english;
        const char* german;
    };
    const Case cases[] = {
        {TFailureCause::Timeout, "The server did not answer within 30 seconds.",
         "Der Server hat nicht innerhalb von 30 Sekunden geantwortet."},
        {TFailureCause::Refused, "The server refused the connection.",
         "Der Server hat die Verbindung abgelehnt."},
        {TFailureCause::HostNotFound, "The server name was not found.",
         "Der Servername wurde nicht gefunden."},
        {TFailureCause::ConnectionLost, "The connection to the server was lost.",
         "Die Verbindung zum Server ist abgebrochen."},
        {TFailureCause::Tls, "The encrypted connection could not be established.",
         "Die verschlüsselte Verbindung konnte nicht aufgebaut werden."},
        {TFailureCause::Certificate, "The server's certificate is not trusted.",
         "Dem Zertifikat des Servers wird nicht vertraut."},
        {TFailureCause::Insecure, "The server offers no encryption.",
         "Der Server bietet keine Verschlüsselung an."},
        {TFailureCause::Bounds, "The server's answer was too large or came too slowly.",
         "Die Antwort des Servers war zu groß oder kam zu langsam."},
        {TFailureCause::Other, "The connection to the server failed.",
         "Die Verbindung zum Server ist fehlgeschlagen."},
    };
    const std::string layerText = SocketErrorText(ETIMEDOUT, "recv");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        EXPECT_EQ(FailureMessage(c.cause, layerText, false, 30),
                  QString::fromUtf8(c.english) + "\nConnection timed out (110)");
        EXPECT_EQ(FailureLines("\r- ", c.cause, layerText, true, 30),
                  "\r- " + QString::fromUtf8(c.german) + "\r       (Connection timed out (110))");
    }
}

TEST(ErrorTexts, DetailLinesNameNeitherThePlatformNorTheApiAndSpeakTheLanguage) {
    struct Row {
        std::string layerText;
        const char* english;
        const char* german;
    };
    const std::string untrusted = std::string(kTextCertificateUntrusted) + ": certificate expired";
    const Row rows[] = {
        {SocketErrorText(ECONNREFUSED, "connect"), "Connection refused (111)",
         "Connection refused (111)"},
        {"Name or service not known", "Name or service not known", "Name or service not known"},
        {"Windows error 5", "error 5", "error 5"},
        {"TLS-Fehler: wrong version number", "wrong version number", "wrong version number"},
        {untrusted, "The server's certificate is not trustworthy: certificate expired",
         untrusted.c_str()},
        {kTextStlsRefused, "The server refused STLS", kTextStlsRefused},
        {kTextClosedMidAnswer, "The server closed the connection before the answer was complete",
         kTextClosedMidAnswer},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FailureDetail(row.layerText, false), row.english);
        EXPECT_EQ(FailureDetail(row.layerText, true), row.german);
    }
    EXPECT_EQ(FailureMessage(TFailureCause::Refused, "", false, 1),
              "The server refused the connection.")
        << "no detail line without a system text";
    EXPECT_EQ(TimeoutSeconds(std::chrono::milliseconds(1500)), 2);
}

TEST(ErrorTexts, ARefusedLoginSaysSoWithTheServersTextBelow) {
    EXPECT_EQ(LoginRefusedLines("\rError: ", "[AUTH] Authentication failed.", false),
              "\rError: The server refused the user name or password.\r       ([AUTH] "
              "Authentication failed.)");
    EXPECT_EQ(LoginRefusedLines("\rFehler: ", "", true),
              "\rFehler: Der Server hat den Benutzernamen oder das Passwort abgelehnt.");
}

} // namespace
