// The words for each cause of a transport failure, in both languages.
#include "ClientSocket.h"
#include "ErrorTexts.h"

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

TEST(ErrorTexts, DetailLinesNameNeitherThePlatformNorTheApi) {
    EXPECT_EQ(FailureDetail(SocketErrorText(ECONNREFUSED, "connect")), "Connection refused (111)");
    EXPECT_EQ(FailureDetail("Name or service not known"), "Name or service not known");
    EXPECT_EQ(FailureDetail("Windows error 5"), "error 5");
    EXPECT_EQ(FailureMessage(TFailureCause::Refused, "", false, 1),
              "The server refused the connection.")
        << "no detail line without a system text";
    EXPECT_EQ(TimeoutSeconds(std::chrono::milliseconds(1500)), 2);
}

} // namespace
