#pragma once

#include "TextPair.h"

// The texts of the sender lists in the row's context menu.
namespace SenderListTexts {

// %1 the sender's address or domain; "…" when the row names none.
inline constexpr TText AlwaysKeep{"Mails von %1 immer behalten", "Always keep mails from %1"};
inline constexpr TText AlwaysMark{"Mails von %1 immer markieren", "Always mark mails from %1"};
inline constexpr TText NoSender{"…", "…"};

// %1 the address or domain, %2 the script file.
inline constexpr TText NowKept{"\rMails von %1 werden immer behalten (%2).",
                               "\rMails from %1 are always kept (%2)."};
inline constexpr TText NowMarked{"\rMails von %1 werden immer markiert (%2).",
                                 "\rMails from %1 are always marked (%2)."};
// %1 file, %2 line, %3 column, %4 the reason.
inline constexpr TText ListsNotChanged{
    "\rRegeln: Fehler in %1 bei %2:%3: %4 - die Listen bleiben unverändert.",
    "\rRules: error in %1 at %2:%3: %4 - the lists were not changed."};
// %1 the sender, %2 the reason.
inline constexpr TText NoEntry{"\r%1 kann nicht in die Listen: %2.",
                               "\r%1 cannot go on the lists: %2."};
// %1 file, %2 the reason.
inline constexpr TText NotWritten{"\rRegeln: %1 kann nicht geschrieben werden (%2).",
                                  "\rRules: %1 cannot be written (%2)."};

} // namespace SenderListTexts
