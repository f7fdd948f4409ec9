#pragma once

#include "TextPair.h"

// The texts of spam scores in the window: the setting's dialog, the menu entries, the
// verdict in a row's tooltip and the status lines of marking and training.
namespace SpamTexts {

inline constexpr TText MenuSetting{"Spam-&Bewertung…", "Spam sc&oring…"};
inline constexpr TText MenuMarkSpam{"&Spam markieren", "M&ark spam"};
inline constexpr TText MenuIsSpam{"Das ist Spam", "This is spam"};
inline constexpr TText MenuIsHam{"Das ist kein Spam", "This is not spam"};

// The dialog.
inline constexpr TText Title{"Spam-Bewertung", "Spam scoring"};
inline constexpr TText ScorerLabel{"Bewertung durch:", "Scored by:"};
inline constexpr TText Off{"aus", "off"};
inline constexpr TText SpamAssassin{"SpamAssassin (spamc)", "SpamAssassin (spamc)"};
inline constexpr TText Rspamd{"rspamd (rspamc)", "rspamd (rspamc)"};
inline constexpr TText Bogofilter{"bogofilter", "bogofilter"};
inline constexpr TText SpamdPlace{"spamd (Host:Port oder Socket):", "spamd (host:port or socket):"};
inline constexpr TText RspamdPlace{"rspamd (Host:Port):", "rspamd (host:port):"};
inline constexpr TText WordListPlace{"Ordner der Wortliste:", "Word list folder:"};
inline constexpr TText ProgramLabel{"Programm (leer: aus PATH):", "Program (empty: from PATH):"};
inline constexpr TText BodyLinesLabel{"Zeilen des Textes (0: nur Kopf):",
                                      "Body lines (0: header only):"};
inline constexpr TText TimeoutLabel{"Zeitlimit je Mail (s):", "Time-out per mail (s):"};

// The row's tooltip: %1 score, %2 threshold; the rules follow on a line of their own.
inline constexpr TText VerdictSpam{"Spam: %1 von %2", "Spam: %1 of %2"};
inline constexpr TText VerdictHam{"Kein Spam: %1 von %2", "Not spam: %1 of %2"};
// bogofilter names no threshold: %1 its spamicity.
inline constexpr TText VerdictSpamNoThreshold{"Spam: %1", "Spam: %1"};
inline constexpr TText VerdictHamNoThreshold{"Kein Spam: %1", "Not spam: %1"};
inline constexpr TText VerdictRules{"Regeln: %1", "Rules: %1"};
inline constexpr TText Unscored{"Nicht bewertet: %1", "Not scored: %1"};

// Status lines.
inline constexpr TText Problem{"\r%1", "\r%1"};
inline constexpr TText Marked{"\r%1 Mail(s) als Spam markiert.", "\r%1 mail(s) marked as spam."};
inline constexpr TText LearnedSpam{"\rMail %1 als Spam gelernt.", "\rMail %1 learned as spam."};
inline constexpr TText LearnedHam{"\rMail %1 als kein Spam gelernt.",
                                  "\rMail %1 learned as not spam."};
inline constexpr TText NotLearned{"\rMail %1 nicht gelernt: %2", "\rMail %1 not learned: %2"};
// The remembered scores: %1 the file, %2 why.
inline constexpr TText MemoryUnusable{
    "\rDie gemerkten Spam-Bewertungen %1 sind nicht brauchbar: %2\rDie Mails werden neu "
    "bewertet; die Datei wird danach ersetzt.",
    "\rThe remembered spam scores %1 are unusable: %2\rThe mails are scored afresh; the file "
    "is replaced afterwards."};
inline constexpr TText MemoryNotSaved{"\rDie Spam-Bewertungen können nicht gemerkt werden: %1",
                                      "\rThe spam scores cannot be remembered: %1"};
inline constexpr TText NoScorer{"\rEs ist keine Spam-Bewertung eingestellt (Server-Menü).",
                                "\rNo spam scoring is set (Server menu)."};

} // namespace SpamTexts
