#pragma once

// What mbxpop tells on stderr, in the language of the locale as the window chooses its own
// (UiLanguage.h); failures in the window's words (FailureTexts.h). The usage stays English, as
// the command line itself.

#include <string>

#include "SocketError.h"
#include "TextPair.h"

namespace mbxpop_texts {

// The host follows.
inline constexpr TText CannotConnect{"keine Verbindung zu ", "cannot connect to "};
inline constexpr TText SessionRefused{"der Server hat die Sitzung abgelehnt: ",
                                      "the server refused the session: "};
inline constexpr TText Refused{"abgelehnt: ", "refused: "};
inline constexpr TText FetchedWithRetr{
    "die e-mail wurde mit RETR geholt: der Server kann sie nun als heruntergeladen betrachten",
    "the mail was fetched with RETR: the server may count it as downloaded"};
// The mail's number, then why its copy could not be written.
inline constexpr TText NotDeletedWithoutCopy{"ohne Kopie nicht gelöscht: e-mail ",
                                             "not deleted without a copy: mail "};
// How a deletion ended when QUIT was not confirmed: the count of mails comes between
// QuitUnconfirmed and QuitUnconfirmedEnd, the folder after CopiesKeptIn.
inline constexpr TText QuitUnconfirmed{
    "QUIT wurde gesendet, aber nicht bestätigt: ob der Server die ",
    "QUIT was sent but not confirmed: whether the server deleted the "};
inline constexpr TText QuitUnconfirmedEnd{" e-mails gelöscht hat, ist nicht bekannt",
                                          " mails is not known"};
inline constexpr TText CopiesKeptIn{"; ihre Kopien bleiben in ", "; their copies are kept in "};
inline constexpr TText EndedBeforeQuit{"die Sitzung endete vor QUIT: keine e-mail wurde gelöscht",
                                       "the session ended before QUIT: no mail was deleted"};
inline constexpr TText Interrupted{"abgebrochen", "interrupted"};
inline constexpr TText SecurityMayNotFit{
    "vermutlich passt --security nicht zu diesem Server und Port",
    "probably the --security choice does not fit this server and port"};
inline constexpr TText RememberedMayNotFit{
    "die Sicherheit hat das Fenster für dieses Konto gemerkt; --security auto sucht sie neu",
    "the security mode is the one the window remembered for this account; --security auto "
    "looks for it anew"};
// The settings file's name comes between the two.
inline constexpr TText WindowSettingsDamaged{"die Einstellungen des Fensters in ",
                                             "the window's settings in "};
inline constexpr TText WindowSettingsDamagedEnd{" sind beschädigt: den Scorer mit --scorer nennen",
                                                " are damaged: name the scorer with --scorer"};

// prune's outcome; the count of mails and bytes comes before MarkedDryRun and Deleted, the
// line number after RuleLine.
inline constexpr TText NothingMarked{"keine e-mail ist nach den Regeln markiert",
                                     "no mail is marked by the rules"};
inline constexpr TText MarkedDryRun{
    " e-mails markiert, Probelauf: nichts gelöscht (--yes löscht sie)",
    " mails marked, a dry run: nothing deleted (--yes deletes them)"};
inline constexpr TText Deleted{" e-mails gelöscht", " mails deleted"};
inline constexpr TText RuleLine{"Zeile ", "line "};

// Deleting after the server ended the session before any DELE: the mails found again.
inline constexpr TText ConnectingAgain{
    "der Server hat die Sitzung beendet, bevor etwas gelöscht war: neue Verbindung",
    "the server ended the session before anything was deleted: connecting again"};
// The count of marked mails no longer on the server follows.
inline constexpr TText GoneAlready{"schon nicht mehr auf dem Server: ",
                                   "gone from the server already: "};
// The mail's line (number, size, sender, subject) follows.
inline constexpr TText ChangedNotDeleted{
    "nicht gelöscht, unter ihrer Nummer liegt jetzt eine andere e-mail: ",
    "not deleted, another mail has its number now: "};
// delete --uid: the id follows.
inline constexpr TText NoSuchId{"keine e-mail mit der Kennung ", "no mail with the unique id "};
inline constexpr TText NoIds{"der Server nennt keine Kennungen (UIDL): nichts gelöscht",
                             "the server gives no unique ids (UIDL): nothing deleted"};

// The remembered headers: the file, then why, come between the two.
inline constexpr TText MemoryUnusable{"die gemerkten Kopfzeilen ", "the remembered headers "};
inline constexpr TText MemoryUnusableEnd{" sind nicht brauchbar; alle werden vom Server gelesen",
                                         " cannot be used; all are read from the server"};
inline constexpr TText MemoryNotSaved{"die Kopfzeilen können nicht gemerkt werden: ",
                                      "the headers cannot be remembered: "};
// list --score: the remembered scores (the file's problem follows).
inline constexpr TText ScoresUnusable{"die gemerkten Spam-Bewertungen sind nicht brauchbar, die "
                                      "Mails werden neu bewertet: ",
                                      "the remembered spam scores are unusable, the mails are "
                                      "scored afresh: "};
inline constexpr TText ScoresNotSaved{"die Spam-Bewertungen können nicht gemerkt werden: ",
                                      "the spam scores cannot be remembered: "};

// unsubscribe N
inline constexpr TText NoOneClick{
    "die e-mail bietet keine Abmeldung mit einem Klick (https mit List-Unsubscribe-Post): "
    "nichts gesendet",
    "the mail offers no one-click unsubscribe (https with List-Unsubscribe-Post): nothing sent"};
inline constexpr TText NoUnsubscribe{"die e-mail bietet keine Abmeldung an: nichts gesendet",
                                     "the mail offers no way to unsubscribe: nothing sent"};
inline constexpr TText OneClickNeedsYes{"nichts gesendet: --yes meldet mit einem Klick ab",
                                        "nothing sent: --yes makes the one-click unsubscribe"};
inline constexpr TText NoHttp{"dieses mbxpop ist ohne Qt Network gebaut und kann nicht abmelden",
                              "this mbxpop was built without Qt Network and cannot unsubscribe"};

} // namespace mbxpop_texts

// The reason, then the layer's text in brackets (escaped, EscapedLine.h), on one line; `seconds`
// for a time-out.
std::string FailureLine(TFailureCause cause, const std::string& layerText, bool german,
                        int seconds);
