#pragma once

#include "TextPair.h"

// The texts of the rules in the window: the rule column, mark alike, the sender lists.
namespace RulesTexts {

inline constexpr TText Column{"Regel", "Rule"};
// %1 the rule's name or line, for the row's tooltip.
inline constexpr TText MarkedBy{"Markiert durch die Regel %1", "Marked by the rule %1"};
inline constexpr TText KeptBy{"Behalten durch die Regel %1", "Kept by the rule %1"};
// A rule without a name is called by its line.
inline constexpr TText LineName{"in Zeile %1", "in line %1"};
// %1 file, %2 line, %3 column, %4 the reason.
inline constexpr TText ScriptError{
    "\rRegeln: Fehler in %1 bei %2:%3: %4 - es wird nichts markiert.",
    "\rRules: error in %1 at %2:%3: %4 - nothing is marked."};
inline constexpr TText ScriptUnreadable{"\rRegeln: %1 kann nicht gelesen werden (%2).",
                                        "\rRules: %1 cannot be read (%2)."};
inline constexpr TText ScriptUnwritable{"\rRegeln: %1 kann nicht geschrieben werden (%2).",
                                        "\rRules: %1 cannot be written (%2)."};
inline constexpr TText ListRefused{"\rRegeln: %1", "\rRules: %1"};

inline constexpr TText AlikeSender{"Alle von diesem Absender markieren",
                                   "Mark all from this sender"};
inline constexpr TText AlikeDomain{"Alle von der Domain dieses Absenders markieren",
                                   "Mark all from this sender's domain"};
inline constexpr TText AlikeSubject{"Alle mit diesem Betreff markieren",
                                    "Mark all with this subject"};
inline constexpr TText AlikeLarger{"Alle größeren als diese markieren",
                                   "Mark all larger than this mail"};
inline constexpr TText AlikeOlder{"Alle älteren als diese markieren",
                                  "Mark all older than this mail"};
// %1 the sender's address.
inline constexpr TText AlwaysKeep{"Immer behalten: Mails von %1", "Always keep mails from %1"};
inline constexpr TText AlwaysMark{"Immer markieren: Mails von %1", "Always mark mails from %1"};
// The same without a sender to name.
inline constexpr TText AlwaysKeepNone{"Immer behalten: Mails von …", "Always keep mails from …"};
inline constexpr TText AlwaysMarkNone{"Immer markieren: Mails von …", "Always mark mails from …"};

// In the delete question: %1 of the marked mails were marked by the rules.
inline constexpr TText FromRules{"\n%1 davon durch Regeln markiert.",
                                 "\n%1 of them marked by rules."};

} // namespace RulesTexts
