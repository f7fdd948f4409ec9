#pragma once

#include "TextPair.h"

// The texts of the headers remembered from one listing to the next.
namespace MemoryTexts {

inline constexpr TText MenuListAfresh{"Verbinden und alles neu vom Server lesen",
                                      "Connect and read everything afresh from the server"};
// %1 the file, %2 why.
inline constexpr TText FileUnusable{
    "\rDie gemerkten Kopfzeilen %1 sind nicht brauchbar: %2\rDiesmal werden alle vom Server "
    "gelesen; die Datei wird nach dieser Liste ersetzt.",
    "\rThe remembered headers %1 cannot be used: %2\rThis time all are read from the server; "
    "the file is replaced after this listing."};
inline constexpr TText NotSaved{"\rDie Kopfzeilen können nicht gemerkt werden: %1",
                                "\rThe headers cannot be remembered: %1"};

} // namespace MemoryTexts
