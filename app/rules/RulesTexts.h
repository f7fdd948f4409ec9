#pragma once

#include "TextPair.h"

// The texts of the rules in the window: the rule column, its tooltips, script errors.
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
// In the delete question: %1 of the marked mails were marked by the rules.
inline constexpr TText FromRules{"\n%1 davon durch Regeln markiert.",
                                 "\n%1 of them marked by rules."};

} // namespace RulesTexts
