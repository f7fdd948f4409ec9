#pragma once

#include "LanguageTexts.h"

// Texts of the connection's security: the choice in the login row, the outcome of a
// question declined, and what the status bar says about the open session.
namespace Texts {

inline constexpr TText SecurityLabel{"Sicherheit:", "Security:"};
// In the order of TSecurity: Auto, Tls, StartTls, None.
inline constexpr TText SecurityChoices[4] = {
    {"Automatisch", "Automatic"},
    {"SSL/TLS", "SSL/TLS"},
    {"STARTTLS", "STARTTLS"},
    {"Keine", "None"},
};
inline constexpr TText TipSecurity{
    "Verschlüsselung der Verbindung: Automatisch nimmt TLS (Port 995) oder STARTTLS (Port 110) "
    "und fragt, bevor unverschlüsselt gesendet wird",
    "Encryption of the connection: Automatic uses TLS (port 995) or STARTTLS (port 110) and asks "
    "before anything is sent unencrypted"};

// The user declined a certificate or an unencrypted connection.
inline constexpr TText SecurityDeclined{
    "\rVerbindung abgebrochen, Ihr Passwort wurde nicht gesendet.",
    "\rConnection cancelled, your password was not sent."};

// Status bar while a session is open; %1 names TLS version, cipher and certificate subject.
inline constexpr TText EncryptedTip{"Verschlüsselte Verbindung: %1", "Encrypted connection: %1"};
inline constexpr TText PlainSession{"Passwort und Mails unverschlüsselt",
                                    "Password and mails unencrypted"};
inline constexpr TText PlainSessionTip{"Passwort und e-mails werden unverschlüsselt übertragen.",
                                       "The password and the e-mails travel unencrypted."};

} // namespace Texts
