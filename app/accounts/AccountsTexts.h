#pragma once

#include "TextPair.h"

// The texts of the accounts window and its checks in the background.
namespace AccountsTexts {

inline constexpr TText MenuEntry{"Alle &Konten …", "All accoun&ts …"};
inline constexpr TText Title{"Alle Konten", "All accounts"};
inline constexpr TText ColServer{"Server", "Server"};
inline constexpr TText ColUser{"Benutzer", "User"};
inline constexpr TText ColState{"Zustand", "State"};
inline constexpr TText ColMails{"E-Mails", "Mails"};
inline constexpr TText ColSize{"Größe", "Size"};
inline constexpr TText ColQuota{"Vom Kontingent", "Of the quota"};
inline constexpr TText ColNew{"Neu", "New"};
inline constexpr TText ColMarked{"Die Regeln markieren", "The rules mark"};
inline constexpr TText ColSpam{"Spam", "Spam"};
inline constexpr TText ColChecked{"Zuletzt geprüft", "Last check"};
inline constexpr TText CheckAll{"Alle &prüfen", "&Check all"};
inline constexpr TText CheckChosen{"Gewählte &prüfen", "&Check chosen"};
inline constexpr TText Prune{"Nach den Regeln &löschen …", "&Prune …"};
inline constexpr TText Open{"Im Hauptfenster ö&ffnen", "&Open"};
inline constexpr TText CheckEvery{"Alle", "Check every"};
inline constexpr TText Minutes{" Minuten prüfen", " minutes"};
inline constexpr TText PruneAfterCheck{"Nach jeder Prüfung nach den Regeln löschen",
                                       "Prune by the rules after each check"};
inline constexpr TText Close{"Schließen", "Close"};

inline constexpr TText Waiting{"wartet", "waiting"};
inline constexpr TText Checking{"wird geprüft …", "checking …"};
inline constexpr TText Pruning{"wird bereinigt …", "pruning …"};
inline constexpr TText Done{"fertig", "done"};
// %1 the count of mails, %2 their size.
inline constexpr TText MarkedCell{"%1 (%2)", "%1 (%2)"};
inline constexpr TText SignInOnce{
    "keine OAuth2-Anmeldung gemerkt: bitte einmal im Hauptfenster anmelden",
    "no OAuth2 sign-in remembered: sign in once in the main window"};
inline constexpr TText SignInRefused{
    "der Anbieter lehnt die gemerkte Anmeldung ab: bitte einmal im Hauptfenster anmelden",
    "the provider refuses the remembered sign-in: sign in once in the main window"};
// %1 the provider's or the network's words.
inline constexpr TText NoAccessToken{"kein Zugangstoken vom Anbieter: %1",
                                     "no access token from the provider: %1"};
inline constexpr TText NoPassword{"kein Passwort gemerkt: bitte im Hauptfenster öffnen",
                                  "no password remembered: open it in the main window"};
inline constexpr TText NoTool{"mbxpop ist nicht zu finden", "mbxpop cannot be found"};

inline constexpr TText ConfirmTitle{"Nach den Regeln löschen", "Prune by the rules"};
inline constexpr TText ConfirmHead{"Diese e-mails, die die Regeln markieren, löschen? Kopien "
                                   "werden aufbewahrt, wie das Hauptfenster sie aufbewahrt.",
                                   "Delete these mails the rules mark? Copies are kept as the "
                                   "main window keeps them."};
// %1 the account, %2 the count of mails, %3 their size.
inline constexpr TText ConfirmLine{"%1: %2 e-mails (%3)", "%1: %2 mails (%3)"};
inline constexpr TText NothingToPrune{"Die Regeln markieren in den gewählten Konten nichts.",
                                      "The rules mark nothing in the chosen accounts."};

// The notification: %1 new mails, %2 accounts; then the marks.
inline constexpr TText NoticeTitle{"InboxPruner", "InboxPruner"};
inline constexpr TText NoticeNew{"%1 neue e-mail(s) in %2 Konto/Konten",
                                 "%1 new mail(s) in %2 account(s)"};
inline constexpr TText NoticeMarked{"; die Regeln markierten %1 (%2)",
                                    "; the rules marked %1 (%2)"};
inline constexpr TText NoticePruned{"; nach den Regeln gelöscht: %1 (%2)",
                                    "; pruned by the rules: %1 (%2)"};
inline constexpr TText NoticeFailed{"; %1 Konto/Konten fehlgeschlagen", "; %1 account(s) failed"};

} // namespace AccountsTexts
