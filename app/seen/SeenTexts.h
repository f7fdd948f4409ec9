#pragma once

#include "TextPair.h"

// The texts of the mails new since the last complete listing.
namespace SeenTexts {

inline constexpr TText Column{"Neu", "New"};
// %1 a local date and time, in the row's tooltip.
inline constexpr TText OnServerSince{"Auf dem Server seit %1", "On the server since %1"};
inline constexpr TText NewOne{"1 neue Mail", "1 new mail"};
inline constexpr TText NewMany{"%1 neue Mails", "%1 new mails"};
// The first listing of an account knows nothing older to compare with.
inline constexpr TText FirstListing{"Neue Mails ab der nächsten Liste",
                                    "New mails from the next listing on"};
// %1 the file, %2 why.
inline constexpr TText FileUnusable{
    "\rDie Liste gesehener Mails %1 ist nicht brauchbar: %2\rNeue Mails werden diesmal nicht "
    "markiert; die Datei wird nach dieser Liste ersetzt.",
    "\rThe list of seen mails %1 cannot be used: %2\rNew mails are not marked this time; the "
    "file is replaced after this listing."};
inline constexpr TText NotSaved{"\rDie Liste gesehener Mails kann nicht gespeichert werden: %1",
                                "\rThe list of seen mails cannot be saved: %1"};
inline constexpr TText StayNew{
    "\rDie Liste ist unvollständig: neue Mails bleiben neu bis zur nächsten vollständigen Liste.",
    "\rThe listing is incomplete: new mails stay new until the next complete listing."};
inline constexpr TText IdsMissing{
    "\rDer Server nannte nicht für jede Mail eine eindeutige Kennung: die Liste gesehener Mails "
    "bleibt, wie sie war.",
    "\rThe server did not give every mail a unique id: the list of seen mails stays as it was."};

} // namespace SeenTexts
