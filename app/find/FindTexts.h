#pragma once

#include "TextPair.h"

// The texts of find over the mail list.
namespace FindTexts {

inline constexpr TText Placeholder{"Suchen", "Find"};
inline constexpr TText MarkShown{"Alle angezeigten markieren", "Mark all shown"};
// %1 rows shown of %2 listed.
inline constexpr TText Shown{"%1 von %2 angezeigt", "%1 of %2 shown"};

} // namespace FindTexts
