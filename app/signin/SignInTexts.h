#pragma once

#include "LanguageTexts.h"

// Texts of the sign-in choice and of the OAuth2 sign-in in the browser.
namespace Texts {

inline constexpr TText SignInLabel{"Anmeldung:", "Sign-in:"};
// In the order of TSignIn: Password, OAuth2.
inline constexpr TText SignInChoices[2] = {
    {"Passwort", "Password"},
    {"OAuth2 (Browser)", "OAuth2 (Browser)"},
};
inline constexpr TText TipSignIn{
    "Passwort: Anmeldung mit Benutzername und Passwort; OAuth2: Anmeldung beim Anbieter im "
    "Browser, das Programm erhält nur ein Zugangstoken",
    "Password: sign in with user name and password; OAuth2: sign in at the provider in your "
    "browser, the program gets an access token only"};

inline constexpr TText WaitingForBrowser{"\rWarte auf die Anmeldung im Browser…",
                                         "\rWaiting for the sign-in in your browser…"};
inline constexpr TText RefreshingToken{"\rDas Zugangstoken wird erneuert ....",
                                       "\rRenewing the access token ...."};
inline constexpr TText NoProvider{
    "\rFehler: Für diesen Server ist kein OAuth2-Anbieter bekannt - tragen Sie ihn unter "
    "Server > OAuth2-Anbieter ein",
    "\rError: No OAuth2 provider is known for this server - enter it under Server > OAuth2 "
    "provider"};
inline constexpr TText NoClientId{
    "\rFehler: Für diesen Anbieter fehlt eine Client-ID - tragen Sie Ihre unter Server > "
    "OAuth2-Anbieter ein",
    "\rError: This provider needs a client ID - enter yours under Server > OAuth2 provider"};
inline constexpr TText SignInFailed{"\rFehler: Die Anmeldung beim Anbieter ist gescheitert: %1",
                                    "\rError: The sign-in at the provider failed: %1"};
inline constexpr TText SignInTimedOut{
    "\rFehler: Die Anmeldung im Browser kam nicht innerhalb von 5 Minuten zurück.",
    "\rError: The sign-in in your browser did not come back within 5 minutes."};
inline constexpr TText SignInAgain{
    "\rDer Anbieter hat die gespeicherte Anmeldung abgelehnt; bitte melden Sie sich neu an.",
    "\rThe provider refused the remembered sign-in; please sign in again."};
// A sign-in with the access token that the server refused or could not begin.
inline constexpr TText TokenLoginRefused{"Die Anmeldung mit dem Zugangstoken ist gescheitert.",
                                         "The sign-in with the access token failed."};
// After the server refused the access token.
inline constexpr TText TokenDroppedRefresh{
    "\rDas Zugangstoken wird nicht mehr verwendet; die nächste Verbindung holt ein neues beim "
    "Anbieter.",
    "\rThe access token is dropped; the next connect gets a new one from the provider."};
inline constexpr TText TokenDroppedSignIn{
    "\rDas Zugangstoken wird nicht mehr verwendet; die nächste Verbindung öffnet die Anmeldung "
    "im Browser.",
    "\rThe access token is dropped; the next connect opens the sign-in in your browser."};
// Shown once per run after a browser sign-in without a keyring.
inline constexpr TText SignInNotKept{
    "\rKein Schlüsselbund: Die Anmeldung gilt nur bis zum Programmende, beim nächsten Start "
    "melden Sie sich neu an.",
    "\rNo keyring: the sign-in lasts until the program ends; you will sign in again at the next "
    "start."};
inline constexpr TText SignInNotStored{
    "\rDie Anmeldung konnte nicht im Schlüsselbund gespeichert werden (%1); sie gilt bis zum "
    "Programmende.",
    "\rThe sign-in could not be stored in the keyring (%1); it lasts until the program ends."};
// The page the browser shows when it came back to the program.
inline constexpr TText SignInDonePage{
    "<html><body><p>Die Anmeldung ist abgeschlossen. Sie können dieses Fenster schließen und "
    "zu InboxPruner zurückkehren.</p></body></html>",
    "<html><body><p>The sign-in is complete. You may close this window and return to "
    "InboxPruner.</p></body></html>"};

// The provider dialog.
inline constexpr TText ProviderMenu{"OAuth2-&Anbieter…", "OAuth2 &provider…"};
inline constexpr TText ProviderTitle{"OAuth2-Anbieter für %1", "OAuth2 provider for %1"};
inline constexpr TText ProviderFields[5] = {
    {"Anmelde-URL:", "Authorization URL:"}, {"Token-URL:", "Token URL:"},
    {"Client-ID:", "Client ID:"},           {"Client-Secret:", "Client secret:"},
    {"Berechtigungen:", "Scopes:"},
};
inline constexpr TText ProviderBadUrl{
    "Die %1 muss mit https:// beginnen (http:// nur für diesen Rechner: 127.0.0.1 oder "
    "localhost).",
    "The %1 must begin with https:// (http:// only for this computer: 127.0.0.1 or "
    "localhost)."};
inline constexpr TText ProviderNoClientId{"Die Client-ID fehlt.", "The client ID is missing."};
inline constexpr TText ProviderNeedsServer{"\rFehler: Zuerst einen Server eintragen",
                                           "\rError: Enter a server first"};

} // namespace Texts
