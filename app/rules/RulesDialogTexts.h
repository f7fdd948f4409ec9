#pragma once

#include "TextPair.h"

// The texts of the rules dialog and its menu entry.
namespace RulesDialogTexts {

inline constexpr TText MenuEntry{"Regeln…", "Rules…"};
inline constexpr TText Title{"Regeln", "Rules"};

inline constexpr TText ForAccount{"für dieses Konto", "for this account"};
inline constexpr TText ForAll{"für alle Konten", "for all accounts"};
// The account's rules run together with those for all accounts.
inline constexpr TText AccountAddsRules{
    "Dieses Konto hat zusätzlich eigene Regeln; sie gelten neben diesen.",
    "This account also has rules of its own; they apply besides these."};
inline constexpr TText SharedApplyToo{
    "Die Regeln für alle Konten gelten auch hier; was eine von beiden behält, wird nicht markiert.",
    "The rules for all accounts apply here too; a mail either of them keeps is not marked."};

inline constexpr TText RulesTab{"Regeln", "Rules"};
inline constexpr TText ListsTab{"Freunde und Sperrliste", "Friends and blocked"};
inline constexpr TText SieveTab{"Sieve", "Sieve"};

inline constexpr TText WhenAll{"Wenn alle Zeilen einer Aktion zutreffen",
                               "When all rows of an action match"};
inline constexpr TText WhenAny{"Wenn eine Zeile zutrifft", "When any row matches"};
inline constexpr TText Name{"Name:", "Name:"};
inline constexpr TText Columns[] = {
    {"Feld", "Field"}, {"Vergleich", "Comparison"}, {"Wert", "Value"}, {"Aktion", "Action"}};
inline constexpr TText FieldTip{"Ein Feld aus der Liste oder der Name eines Kopffelds "
                                "(etwa List-Id)",
                                "A field of the list, or the name of any header field "
                                "(such as List-Id)"};
// In the order of TRowField, without Header (a field by its name).
inline constexpr TText Fields[] = {{"Von", "From"},
                                   {"An", "To"},
                                   {"Cc", "Cc"},
                                   {"Betreff", "Subject"},
                                   {"", ""},
                                   {"Größe", "Size"},
                                   {"Alter (Tage)", "Age (days)"},
                                   {"Spam-Wert", "Spam score"}};
// In the order of TRowComparison.
inline constexpr TText Comparisons[] = {{"enthält", "contains"},
                                        {"ist", "is"},
                                        {"passt auf (* ?)", "matches (* ?)"},
                                        {"enthält nicht", "does not contain"},
                                        {"ist nicht", "is not"},
                                        {"größer als", "over"},
                                        {"kleiner als", "under"},
                                        {"älter als", "older than"},
                                        {"jünger als", "younger than"},
                                        {"mindestens", "at least"}};
// In the order of TRowAction.
inline constexpr TText Actions[] = {{"markieren", "mark"}, {"behalten", "keep"}};
inline constexpr TText AddRow{"Hinzufügen", "Add"};
inline constexpr TText RemoveRow{"Entfernen", "Remove"};
inline constexpr TText RowUp{"Nach oben", "Move up"};
inline constexpr TText RowDown{"Nach unten", "Move down"};

inline constexpr TText Friends{"Freunde (immer behalten):", "Friends (always kept):"};
inline constexpr TText Blocked{"Sperrliste (immer markieren):", "Blocked (always marked):"};
inline constexpr TText Entry{"Adresse oder Domain", "Address or domain"};

inline constexpr TText Import{"Importieren…", "Import…"};
inline constexpr TText Export{"Exportieren…", "Export…"};
inline constexpr TText FileFilter{"Sieve-Skripte (*.sieve);;Alle Dateien (*)",
                                  "Sieve scripts (*.sieve);;All files (*)"};

// A tab that cannot show the script: why, then where it is edited instead.
inline constexpr TText ChangedByHand{"Von Hand geändert (Zeile %1).", "Changed by hand (line %1)."};
inline constexpr TText EditAsText{"Bearbeiten Sie den Text im Reiter Sieve.",
                                  "Edit the text on the Sieve tab."};
// %1 line, %2 column, %3 what is wrong.
inline constexpr TText ScriptError{"Fehler bei %1:%2: %3", "Error at %1:%2: %3"};
// %1 the row's number, %2 what is wrong.
inline constexpr TText BadRow{"Regelzeile %1: %2", "Rule row %1: %2"};
inline constexpr TText BadEntry{"Keine Adresse oder Domain: %1", "No address or domain: %1"};
// Saving takes friends off the list: %1 the addresses and domains.
inline constexpr TText DropFriends{
    "Diese Einträge werden von der Freundesliste genommen, ihre Mails sind dann nicht mehr "
    "geschützt: %1",
    "These entries are taken off the friends list, and their mails are no longer protected: %1"};
inline constexpr TText SaveAnyway{"Trotzdem speichern", "Save anyway"};
inline constexpr TText KeepEditing{"Weiter bearbeiten", "Keep editing"};
// %1 file, %2 the reason.
inline constexpr TText NotRead{"%1 kann nicht gelesen werden (%2).", "%1 cannot be read (%2)."};
inline constexpr TText NotWritten{"%1 kann nicht geschrieben werden (%2).",
                                  "%1 cannot be written (%2)."};

} // namespace RulesDialogTexts
