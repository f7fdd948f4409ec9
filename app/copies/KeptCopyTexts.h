#pragma once

#include "TextPair.h"

// The texts of kept copies of deleted mail.
namespace CopyTexts {

inline constexpr TText MenuKeepCopies{"&Kopie gelöschter Mails behalten",
                                      "&Keep a copy of deleted mails"};
inline constexpr TText MenuRecentlyDeleted{"&Zuletzt gelöscht …", "&Recently deleted …"};
inline constexpr TText KeptFor{"Von jeder Mail wird %1 Tage lang eine Kopie behalten.",
                               "A copy of each mail is kept for %1 days."};
inline constexpr TText OverLimitOne{"1 Mail über %2 MB wird nicht behalten.",
                                    "1 mail over %2 MB will not be kept."};
inline constexpr TText OverLimitMany{"%1 Mails über %2 MB werden nicht behalten.",
                                     "%1 mails over %2 MB will not be kept."};
inline constexpr TText SizeUnknownOne{
    "Die Größe von 1 Mail ist nicht bekannt: ist sie über %2 MB, wird sie nicht behalten.",
    "The size of 1 mail is not known: if it is over %2 MB, it will not be kept."};
inline constexpr TText SizeUnknownMany{
    "Die Größe von %1 Mails ist nicht bekannt: die über %2 MB werden nicht behalten.",
    "The size of %1 mails is not known: those over %2 MB will not be kept."};
// The confirmation: %1 the sum of the sizes of the mails that get a copy.
inline constexpr TText DiskAbout{"Die Kopien belegen etwa %1 auf der lokalen Festplatte.",
                                 "The copies take about %1 of local disk."};
inline constexpr TText DiskAtLeast{"Die Kopien belegen mindestens %1 auf der lokalen Festplatte.",
                                   "The copies take at least %1 of local disk."};
inline constexpr TText NotDeleted{"\rNicht gelöscht, da keine Kopie geschrieben werden konnte:",
                                  "\rNot deleted, as no copy could be written:"};
inline constexpr TText NotDeletedMail{"\r   Mail %1: %2", "\r   Mail %1: %2"};
inline constexpr TText OthersDeleted{"\rDie übrigen e-mail(s) wurden gelöscht.",
                                     "\rThe other e-mail(s) were deleted."};
inline constexpr TText CopiesNotRemoved{"\rAlte Kopien gelöschter Mails: %1",
                                        "\rOld copies of deleted mails: %1"};

// The window of kept copies.
inline constexpr TText RecentTitle{"Zuletzt gelöscht", "Recently deleted"};
// Deleted, the mail's own date, sender, subject, size, account.
inline constexpr TText RecentColumns[6] = {{"Gelöscht", "Deleted"}, {"Datum", "Date"},
                                           {"Absender", "Sender"},  {"Betreff", "Subject"},
                                           {"Größe", "Size"},       {"Konto", "Account"}};
inline constexpr TText RecentSearch{"Absender oder Betreff suchen", "Search sender or subject"};
inline constexpr TText RecentTotals{"%1 Mails, zusammen %2", "%1 mails, %2 in all"};
inline constexpr TText RecentTotalsShown{"%1 von %2 Mails, zusammen %3",
                                         "%1 of %2 mails, %3 in all"};
inline constexpr TText RecentOpen{"Ö&ffnen", "&Open"};
inline constexpr TText RecentSaveAs{"&Speichern unter …", "&Save as …"};
inline constexpr TText RecentRemove{"&Jetzt entfernen", "&Remove now"};
inline constexpr TText RecentClose{"S&chließen", "&Close"};
inline constexpr TText RecentNote{
    "POP3 kann keine Mail auf den Server zurücklegen: speichern Sie eine Kopie als .eml und "
    "öffnen Sie sie in Ihrem Mailprogramm.",
    "POP3 cannot put a mail back on the server: save a copy as .eml and open it in your mail "
    "program."};
inline constexpr TText RecentUnreadable{"Die Kopien können nicht gelesen werden: %1",
                                        "The copies cannot be read: %1"};
inline constexpr TText RecentNotRemoved{"Die Kopie kann nicht entfernt werden: %1",
                                        "The copy cannot be removed: %1"};
inline constexpr TText RecentNotSaved{"Die Kopie kann nicht gespeichert werden: %1",
                                      "The copy cannot be saved: %1"};

} // namespace CopyTexts
