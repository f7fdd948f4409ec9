#pragma once

#include "TextPair.h"

#include <QString>
#include <QStringList>

// Every user-visible text of the main window exists as a fixed German and English pair (TText);
// the window picks one by its language flag when it shows the text. Status messages begin
// with a carriage return, which starts a new line on screen.
inline QString Tr(const TText& text, bool germanUI) {
    return QString::fromUtf8(Pick(text, germanUI));
}

// German for the first UI language "de-DE", "de-CH" or plain "de"; English otherwise
// (other German variants such as "de-AT", or no language at all, included).
bool IsGermanUiLanguage(const QStringList& uiLanguages);

// The introduction shown until the first connect, one line per entry.
QStringList IntroductionLines(bool germanUI);

namespace Texts {

// Status messages of connect and listing.
inline constexpr TText NoServer{"\rFehler: POP3 Server fehlt", "\rError: No POP server specified"};
inline constexpr TText NoUser{"\rFehler: Username fehlt", "\rError: You will need an username"};
inline constexpr TText NoPassword{"\rFehler: Passwort fehlt",
                                  "\rError: You will also need a password"};
inline constexpr TText BadServer{
    "\rFehler: Ungültiger Server - erlaubt sind Name, Name:Port oder [IPv6-Adresse]:Port",
    "\rError: Invalid server - use name, name:port or [IPv6-address]:port"};
inline constexpr TText Connecting{"\rVerbindung wird aufgebaut, bitte warten ....",
                                  "\rConnecting to server, please wait ...."};
inline constexpr TText ConnectFailed[4] = {
    {"\rFehler: Keine Verbindung zum Server möglich !!!!",
     "\rError: a connection to the server cannot be established !!!!"},
    {"\r     - Sind Sie mit dem Internet verbunden?",
     "\r     - Are you connected to the Internet?"},
    {"\r     - Haben Sie den korrekten Server eingetragen?",
     "\r     - Do you use the correct server namen?"},
    {"\r     - Eventuell ist der Server gerade nicht erreichbar!",
     "\r     - Maybe the server is temporarily not available!"},
};
// A connect that timed out: the likely cause. The caption is that of the security choice.
inline constexpr TText SecurityMayNotFit{
    "\r     - Vermutlich passt die Wahl unter \"Sicherheit:\" nicht zu diesem Server und Port.",
    "\r     - Probably the \"Security:\" choice does not fit this server and port."};
// USER or PASS refused; the server's own text follows as a detail.
inline constexpr TText LoginRefused{"Der Server hat den Benutzernamen oder das Passwort abgelehnt.",
                                    "The server refused the user name or password."};
inline constexpr TText Terminated{"\rIhre Verbindung zum Server wurde getrennt.",
                                  "\rYour connection has been terminated."};
inline constexpr TText NothingToDelete{"\rEs sind keine e-mails zum Löschen vorhanden.",
                                       "\rThere is no need to delete e-mails."};
inline constexpr TText CountOnlyListing{"\rEs wird lediglich die Anzahl der e-mails angezeigt",
                                        "\rOnly the number of e-mails will be displayed."};
// How many of the mails a listing cut short listed.
inline constexpr TText ListedOf{"\rEs wurden %1 von %2 e-mails aufgelistet.",
                                "\r%1 of %2 e-mails are listed."};
inline constexpr TText ListedOfPanel{"%1 von %2 Mails", "%1 of %2 Mails"};
inline constexpr TText FullListing{"\rAbsender, Betreff, Datum und Größe werden angezeigt ...",
                                   "\rSender, Subject, Size, and Date are displayed ..."};
inline constexpr TText ErrorPrefix{"\rFehler: ", "\rError: "};

// Showing a mail on a server that refused TOP, so that RETR had to fetch it.
inline constexpr TText FetchedWithRetr{
    "\rDieser Server gibt e-mails nur mit RETR heraus: er kann diese e-mail nun als "
    "heruntergeladen betrachten.",
    "\rThis server hands out mails with RETR only: it may now count this mail as downloaded."};

// A settings file that cannot be read; %1 is its name.
inline constexpr TText SettingsDamaged{
    "Die Einstellungen in %1 sind beschädigt und werden nicht verwendet; es gelten die "
    "Voreinstellungen.",
    "The settings in %1 are damaged and are not used; the defaults apply."};

// The keyring; %1 is its own description of the fault.
inline constexpr TText KeyringWriteFailed{
    "\rDas Passwort konnte nicht im Schlüsselbund gespeichert werden und bleibt in der "
    "Einstellungsdatei (%1).",
    "\rThe password could not be stored in the keyring and stays in the settings file (%1)."};
inline constexpr TText KeyringUnusable{"\rDer Schlüsselbund ist nicht zugänglich (%1).",
                                       "\rThe keyring cannot be used (%1)."};

// Deletion.
inline constexpr TText DeletingMail{"Lösche Mail Nr.: ", "Deleting mail # "};
inline constexpr TText AllDeleted{"\rAlle gewünschten e-mail(s) wurden erfolgreich gelöscht.",
                                  "\rAll marked mails were deleted."};
// A deletion pass that ended without QUIT: the server keeps every mail.
inline constexpr TText NoneDeleted{"\rEs wurde keine e-mail gelöscht.", "\rNo e-mail was deleted."};

// Hints in the third status bar panel.
inline constexpr TText HintConnect{"Verbindung zum Server aufbauen ...",
                                   "Establish connection to server ..."};
inline constexpr TText HintDisconnect{"Verbindung vom Server trennen ...",
                                      "Terminate connection ..."};
inline constexpr TText HintDelete{"Markierte e-mails vom Server löschen ...",
                                  "Delete marked e-mails from Server ..."};
inline constexpr TText HintMark{"Alle e-mails markieren ...", "Mark all e-mails ..."};
inline constexpr TText HintInfo{"Information zu InboxPruner - Release: 28. Mai 2000",
                                "About InboxPruner - Release: 28 May 2000"};
inline constexpr TText HintClose{"InboxPruner beenden ...", "End InboxPruner ..."};
inline constexpr TText HintPassword{"Eigenes Passwort ...", "Your own password ..."};
inline constexpr TText HintCancel{"Bricht die laufende Übertragung ab ...",
                                  "Stop current transmition ..."};
inline constexpr TText HintHeader{"Header der Mail anzeigen ...", "Show e-mail's header ..."};
inline constexpr TText HintMail{"Mail anzeigen ...", "Show e-mail ..."};

// Captions, tooltips and menu texts set when the language is chosen.
inline constexpr TText HeaderNeinCaption{"Kein Absender / Betreff / Größe / Datum anzeigen",
                                         "Don't show Sender / Subject / Date / Size of Mail"};
inline constexpr TText TipConnect{"Verbindung zum Server", "Connect to Server"};
inline constexpr TText TipDisconnect{"Verbindung trennen", "Disconnect from Server"};
inline constexpr TText TipDelete{"Markierte Mails löschen", "Delete marked e-mails"};
inline constexpr TText TipMark{"Alle Mails markieren", "Mark all e-mails"};
inline constexpr TText TipInfo{"Über diese Programm", "About this program"};
inline constexpr TText TipClose{"Programm beenden", "Close programm"};
inline constexpr TText PasswordLabel{"Passwort:", "Password:"};
inline constexpr TText RememberPasswordCaption{"Passwort merken", "Remember password"};
inline constexpr TText MenuShowHeader{"Header anzeigen", "Show header"};
inline constexpr TText MenuShowMail{"e-mail anzeigen", "Show e-mail"};
inline constexpr TText MenuServer{"&Server", "&Server"};
inline constexpr TText MenuConnect{"&Verbinde", "Co&nnect"};
inline constexpr TText MenuDisconnect{"&Trenne Verbindung", "&Disconnect"};
inline constexpr TText MenuDelete{"&Lösche e-mails", "D&elete e-mails"};
inline constexpr TText MenuMarkAll{"&Markiere alle e-mails", "&Mark all e-mails"};
inline constexpr TText MenuHeaderTextsAsSent{"Kopfzeilen &wie vom Server gesendet",
                                             "Header texts as the server &sent them"};
inline constexpr TText MenuClose{"&Programm beenden", "&Close"};
inline constexpr TText MenuHelp{"Hilfe", "Help"};
inline constexpr TText MenuAbout{"&Über", "&About"};
inline constexpr TText CaptionConnect{"Verbinden", "Connect"};
inline constexpr TText CaptionDisconnect{"Trennen", "Disconnect"};
inline constexpr TText CaptionDelete{"Löschen", "Delete"};
inline constexpr TText CaptionMark{"Alle markieren", "Mark all"};
inline constexpr TText CaptionClose{"Verlassen", "Close"};
inline constexpr TText CaptionCancel{"Abbrechen", "Cancel"};
inline constexpr TText ListHeaderCaptions[5] = {
    {"", ""}, {"Größe", "Size"}, {"Datum", "Date"}, {"Absender", "From"}, {"Betreff", "Subject"},
};

} // namespace Texts
