#pragma once

#include "TextPair.h"

// The texts of undo for marks, unmark all, invert and show only marked.
namespace MarkTexts {

inline constexpr TText Undo{"Markierung &rückgängig", "&Undo marking"};
inline constexpr TText UnmarkAll{"Alle Markierungen au&fheben", "Unmark a&ll"};
inline constexpr TText Invert{"Markierungen &umkehren", "&Invert marks"};
inline constexpr TText OnlyMarked{"Nur markierte a&nzeigen", "Show onl&y marked"};

} // namespace MarkTexts
