#pragma once

#include "TextPair.h"

// The texts of mark alike in the row's context menu.
namespace MarkAlikeTexts {

inline constexpr TText Sender{"Alle von diesem Absender markieren", "Mark all from this sender"};
inline constexpr TText Domain{"Alle von der Domain dieses Absenders markieren",
                              "Mark all from this sender's domain"};
inline constexpr TText Subject{"Alle mit diesem Betreff markieren", "Mark all with this subject"};
inline constexpr TText Larger{"Alle größeren als diese Mail markieren",
                              "Mark all larger than this mail"};
inline constexpr TText Older{"Alle älteren als diese Mail markieren",
                             "Mark all older than this mail"};
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

} // namespace MarkAlikeTexts
