#pragma once

#include "TextPair.h"

// The texts of the space view.
namespace SpaceTexts {

inline constexpr TText Entry{"&Speicherplatz…", "&Space…"};
inline constexpr TText Title{"Speicherplatz", "Space"};
// The tool bar's button: caption, tooltip, hint in the status bar.
inline constexpr TText Button{"Speicherplatz", "Space"};
inline constexpr TText ButtonTip{"Wo der Speicherplatz bleibt", "Where the space goes"};
inline constexpr TText ButtonHint{
    "Zeigt, welche Absender, Verteiler und Jahre den Platz belegen ...",
    "Shows which senders, lists and years take the space ..."};
inline constexpr TText GroupBy{"Gruppiert nach:", "Group by:"};
inline constexpr TText BySender{"Absender", "Sender"};
inline constexpr TText ByDomain{"Domain", "Domain"};
inline constexpr TText ByList{"Verteiler", "List"};
inline constexpr TText ByYear{"Jahr und Monat", "Year and month"};
inline constexpr TText BySize{"Größe", "Size"};
inline constexpr TText ByAttachments{"Mit Anhängen", "With attachments"};
// The table's columns.
inline constexpr TText ColGroup{"Gruppe", "Group"};
inline constexpr TText ColMails{"E-Mails", "Mails"};
inline constexpr TText ColBytes{"Größe", "Size"};
inline constexpr TText ColShare{"Anteil", "Share"};
inline constexpr TText ColOldest{"Älteste", "Oldest"};
inline constexpr TText ColNewest{"Neueste", "Newest"};
inline constexpr TText ColMarked{"Markiert", "Marked"};
// The groups of mails that have none of what is grouped by.
inline constexpr TText NoSender{"(ohne Absender)", "(no sender)"};
inline constexpr TText NoList{"(kein Verteiler)", "(no list)"};
inline constexpr TText NoDate{"(ohne Datum)", "(no date)"};
inline constexpr TText WithFiles{"mit Anhängen", "with attachments"};
inline constexpr TText WithoutFiles{"ohne Anhänge", "without attachments"};
inline constexpr TText Huge{"10 MB und mehr", "10 MB and more"};
inline constexpr TText Large{"1–10 MB", "1–10 MB"};
inline constexpr TText Medium{"100 KB–1 MB", "100 KB–1 MB"};
inline constexpr TText Small{"unter 100 KB", "below 100 KB"};
inline constexpr TText Mark{"&Markieren", "&Mark"};
inline constexpr TText Show{"&Anzeigen", "&Show"};
inline constexpr TText ShowAll{"A&lle anzeigen", "Show a&ll"};
// Unsubscribing from the list of the chosen groups' newest mail that offers it.
inline constexpr TText Unsubscribe{"A&bmelden…", "&Unsubscribe…"};
inline constexpr TText NoUnsubscribe{"Keine der gewählten E-Mails bietet eine Abmeldung an.",
                                     "None of the chosen mails offers to unsubscribe."};
inline constexpr TText Export{"Liste &exportieren…", "&Export list…"};
inline constexpr TText Close{"Schließen", "Close"};
inline constexpr TText Quota{"Kontingent:", "Quota:"};
inline constexpr TText NoQuota{"keines", "none"};
// %1 used of %2 (%3 %), each with its unit ("1.51 GB").
inline constexpr TText Meter{"%1 von %2 (%3 %)", "%1 of %2 (%3 %)"};
inline constexpr TText MeterAfter{"nach dem Löschen der markierten: %1 (%2 %)",
                                  "after deleting the marked: %1 (%2 %)"};
// The tooltip of a tile: group, mails, size, share.
inline constexpr TText Tip{"%1\n%2 E-Mails, %3 (%4 %)", "%1\n%2 mails, %3 (%4 %)"};
inline constexpr TText ExportTitle{"Liste exportieren", "Export list"};
inline constexpr TText ExportFilter{"CSV-Dateien (*.csv)", "CSV files (*.csv)"};
// %1 mails, the file's name.
inline constexpr TText Exported{"%1 E-Mails nach %2 exportiert", "%1 mails exported to %2"};
inline constexpr TText ExportFailed{"Die Liste konnte nicht nach %1 geschrieben werden: %2",
                                    "The list could not be written to %1: %2"};

} // namespace SpaceTexts
