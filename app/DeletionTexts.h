#pragma once

#include "TextPair.h"

// The texts of a deletion's progress and of its end when QUIT was not confirmed: the window
// shows them, and the next listing tells what became of the mails.
namespace DeletionTexts {

// Progress of a deletion: %1 copies written of %2, %3 fetched of %4 (sizes); after the
// "Deleting mail # n", %1 DELEs taken of %2.
inline constexpr TText CopyingProgress{"Kopie %1 von %2: %3 von %4", "Copy %1 of %2: %3 of %4"};
inline constexpr TText DeletingProgress{" (%1 von %2)", " (%1 of %2)"};
// QUIT went out and the server did not confirm it: it may have removed the mails or not.
inline constexpr TText QuitUnconfirmed{
    "\rQUIT wurde gesendet, aber nicht bestätigt: ob der Server die e-mail(s) gelöscht hat, ist "
    "nicht bekannt.",
    "\rQUIT was sent but not confirmed: whether the server deleted the e-mail(s) is not known."};
// %1 the count of copies kept.
inline constexpr TText CopiesKept{
    "\rDie Kopien von %1 e-mail(s) bleiben erhalten (Zuletzt gelöscht …).",
    "\rThe copies of %1 e-mail(s) were kept (Recently deleted …)."};
inline constexpr TText NextListingTells{
    "\rDie nächste Liste zeigt, welche davon wirklich gelöscht sind.",
    "\rThe next listing tells which of them are really gone."};
// At that listing: %1 mails not confirmed, %2 of them gone; %3 the numbers of those still there.
inline constexpr TText UnconfirmedAllGone{
    "\rDie %1 e-mail(s), deren Löschung nicht bestätigt wurde, sind vom Server gelöscht.",
    "\rThe %1 e-mail(s) whose deletion was not confirmed are gone from the server."};
inline constexpr TText UnconfirmedSomeLeft{
    "\rVon den %1 e-mail(s), deren Löschung nicht bestätigt wurde, sind %2 vom Server gelöscht; "
    "noch auf dem Server: Mail %3",
    "\rOf the %1 e-mail(s) whose deletion was not confirmed, %2 are gone from the server; "
    "still there: mail %3"};
inline constexpr TText UnconfirmedNotNoted{
    "\rDie Kennungen dieser e-mail(s) können nicht gespeichert werden: %1",
    "\rThe ids of these e-mail(s) cannot be saved: %1"};

// Delete found the listing's session ended by the server: a new one for the marked mails.
inline constexpr TText ConnectingAgain{
    "\rDer Server hatte die Verbindung getrennt; neue Verbindung zum Löschen …",
    "\rThe server had ended the session; connecting again to delete …"};
inline constexpr TText NotConnectedAgain{
    "\rKeine neue Verbindung: nichts wurde gelöscht, die Liste und ihre Markierungen bleiben.",
    "\rNo new session: nothing was deleted; the list and its marks stay."};
// %1 marked mails deleted (in place of the line that all were).
inline constexpr TText SomeDeleted{"\r%1 der markierten e-mail(s) wurden gelöscht.",
                                   "\r%1 of the marked e-mail(s) were deleted."};
// %1 marked mails no longer on the server.
inline constexpr TText GoneAlready{
    "\r%1 der markierten e-mail(s) waren schon nicht mehr auf dem Server.",
    "\r%1 of the marked e-mail(s) had gone from the server already."};
inline constexpr TText ChangedNotDeleted{
    "\rNicht gelöscht, weil unter ihrer Nummer jetzt eine andere e-mail liegt:",
    "\rNot deleted, since another e-mail has its number now:"};
// %1 the listed number, %2 the sender, %3 the subject.
inline constexpr TText ChangedMail{"\r     Mail %1: %2 – %3", "\r     Mail %1: %2 – %3"};

} // namespace DeletionTexts
