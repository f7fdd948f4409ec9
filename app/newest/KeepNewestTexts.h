#pragma once

#include "TextPair.h"

// The texts of keeping only the newest mails of a sender or a list.
namespace KeepNewestTexts {

// %1 the sender's address, or the list's id.
inline constexpr TText From{"Nur die neuesten von %1 behalten…", "Keep only the newest from %1…"};
// The same when the current row names none.
inline constexpr TText FromThisSender{"Nur die neuesten von diesem Absender behalten…",
                                      "Keep only the newest from this sender…"};
inline constexpr TText FromThisList{"Nur die neuesten dieser Liste behalten…",
                                    "Keep only the newest from this list…"};
inline constexpr TText AskTitle{"Nur die neuesten behalten", "Keep only the newest"};
// %1 the sender or the list.
inline constexpr TText AskCount{"Wie viele der neuesten e-mails von %1 bleiben unmarkiert?",
                                "How many of the newest mails from %1 stay unmarked?"};
// %1 count marked, %2 sender or list, %3 their size, %4 kept count.
inline constexpr TText Marked{"\r%1 ältere e-mails von %2 markiert (%3); die %4 neuesten bleiben.",
                              "\r%1 older mails from %2 marked (%3); the newest %4 stay."};
// Mails without a date, or kept by the rules, are never marked: %1 how many.
inline constexpr TText Undated{" %1 ohne Datum bleiben unmarkiert.",
                               " %1 without a date stay unmarked."};
inline constexpr TText KeptByRules{" %1 behalten die Regeln.", " %1 are kept by the rules."};

} // namespace KeepNewestTexts
