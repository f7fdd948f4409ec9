#pragma once

#include "TextPair.h"

// The texts of mark alike and of the sender lists in the row's context menu.
namespace MarkAlikeTexts {

inline constexpr TText Sender{"Alle von diesem Absender markieren", "Mark all from this sender"};
inline constexpr TText Domain{"Alle von der Domain dieses Absenders markieren",
                              "Mark all from this sender's domain"};
inline constexpr TText Subject{"Alle mit diesem Betreff markieren", "Mark all with this subject"};
inline constexpr TText Larger{"Alle größeren als diese Mail markieren",
                              "Mark all larger than this mail"};
inline constexpr TText Older{"Alle älteren als diese Mail markieren",
                             "Mark all older than this mail"};
// %1 the sender's address or domain; "…" when the row names none.
inline constexpr TText AlwaysKeep{"Mails von %1 immer behalten", "Always keep mails from %1"};
inline constexpr TText AlwaysMark{"Mails von %1 immer markieren", "Always mark mails from %1"};
inline constexpr TText NoSender{"…", "…"};

// %1 mails marked, %2 left unmarked because the rules keep them.
inline constexpr TText Marked{"\r%1 Mails markiert.", "\r%1 mails marked."};
inline constexpr TText MarkedKept{
    "\r%1 Mails markiert, %2 durch Regeln behalten und nicht markiert.",
    "\r%1 mails marked, %2 kept by rules and not marked."};
inline constexpr TText NoSenderAddress{"\rDiese Mail nennt keinen Absender.",
                                       "\rThis mail names no sender."};
inline constexpr TText NoSize{"\rDie Größe dieser Mail ist nicht bekannt.",
                              "\rThe size of this mail is not known."};
inline constexpr TText NoDate{"\rDiese Mail hat kein lesbares Datum.",
                              "\rThis mail has no date that can be read."};
inline constexpr TText NoSubject{"\rDer Betreff dieser Mail ist nicht bekannt.",
                                 "\rThe subject of this mail is not known."};

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

} // namespace MarkAlikeTexts
