#pragma once

#include "TextPair.h"

// The texts of unsubscribing from a row's mailing list.
namespace UnsubscribeTexts {

// %1 the list.
inline constexpr TText Entry{"Von %1 abmelden…", "Unsubscribe from %1…"};
inline constexpr TText EntryNone{"Abmelden (die e-mail bietet es nicht an)",
                                 "Unsubscribe (the mail does not offer it)"};
inline constexpr TText Title{"Abmelden", "Unsubscribe"};
inline constexpr TText Confirm{"Abmelden", "Unsubscribe"};
inline constexpr TText OpenPage{"Seite öffnen", "Open page"};
inline constexpr TText WriteMail{"e-mail schreiben", "Write mail"};
inline constexpr TText BlockSender{"Absender sperren", "Block sender"};

// %1 sender, %2 list, %3 host (or the address of a mailto).
inline constexpr TText Question{
    "Vom Verteiler abmelden?\n\nAbsender: %1\nVerteiler: %2\nServer: %3",
    "Unsubscribe from this list?\n\nSender: %1\nList: %2\nServer: %3"};
inline constexpr TText HowOneClick{
    "Mit einem Klick: das Programm sendet dem Server der Liste nur „List-Unsubscribe=One-Click“ "
    "über https, ohne Cookies und ohne Angaben zu Ihnen.",
    "One click: the program sends the list's server only \"List-Unsubscribe=One-Click\" over "
    "https, without cookies or anything about you."};
inline constexpr TText HowPage{
    "Die Liste bietet nur eine Seite an: sie wird im Browser geöffnet, dort melden Sie sich ab.",
    "The list offers only a page: it opens in your browser, where you unsubscribe."};
inline constexpr TText HowMail{
    "Die Liste nimmt Abmeldungen per e-mail an: Ihr e-mail-Programm öffnet sie, Sie senden sie "
    "ab. Dieses Programm sendet keine e-mail.",
    "The list takes unsubscribe requests by mail: your mail client opens one for you to send. "
    "This program sends no mail."};
inline constexpr TText HowHttp{
    "Warnung: die Adresse ist http, unverschlüsselt. Unterwegs kann sie jeder lesen und ändern, "
    "und die Seite kann Sie woandershin führen. Nur öffnen, wenn Sie dem Absender trauen.",
    "Warning: the address is http, unencrypted. Anyone on the way can read and change it, and "
    "the page may lead you elsewhere. Open it only if you trust the sender."};
// %1 the signing domain.
inline constexpr TText DkimCovers{
    "Die DKIM-Signatur von %1 (der Domain des Absenders) deckt die Abmeldefelder ab.",
    "The DKIM signature of %1 (the sender's domain) covers the unsubscribe fields."};
inline constexpr TText DkimLeavesOut{
    "Die DKIM-Signatur von %1 deckt die Abmeldefelder nicht ab: sie könnten unterwegs "
    "hinzugefügt sein.",
    "The DKIM signature of %1 does not cover the unsubscribe fields: they may have been added "
    "on the way."};
inline constexpr TText DkimOther{
    "Nur %1, nicht die Domain des Absenders, signiert die e-mail (DKIM).",
    "Only %1, not the sender's domain, signs the mail (DKIM)."};
inline constexpr TText DkimNone{
    "Keine DKIM-Signatur: ob die Abmeldefelder vom Absender stammen, ist nicht zu erkennen.",
    "No DKIM signature: whether the unsubscribe fields come from the sender cannot be told."};
inline constexpr TText DkimUnverified{" (Die Signatur selbst wird nicht geprüft.)",
                                      " (The signature itself is not verified.)"};

// Why there is no unsubscribe; "Block sender" is offered instead.
inline constexpr TText SpamInstead{
    "Ihr Spamfilter hält diese e-mail für Spam. Eine Abmeldung bestätigt Spammern nur, dass "
    "Ihre Adresse gelesen wird: sperren Sie den Absender stattdessen.",
    "Your spam filter rates this mail as spam. Unsubscribing only tells spammers that your "
    "address is read: block the sender instead."};
inline constexpr TText BlockedInstead{
    "Der Absender steht schon auf der Liste der gesperrten Absender: eine Abmeldung würde nur "
    "bestätigen, dass Ihre Adresse gelesen wird.",
    "The sender is already on the blocked senders' list: unsubscribing would only confirm that "
    "your address is read."};
// %1 the date of the unsubscribe.
inline constexpr TText StillSendingNote{
    "Sie haben sich am %1 abgemeldet, und der Verteiler sendet noch: sperren Sie den Absender.",
    "You unsubscribed on %1 and the list is still sending: block the sender."};

// The Rule column's cell and the tooltip of a mail from a list unsubscribed from.
inline constexpr TText StillSendingCell{"sendet noch", "still sending"};
// %1 the list, %2 the date.
inline constexpr TText StillSendingTip{
    "Sendet noch: von %1 am %2 abgemeldet, mehr als 48 Stunden vor dieser e-mail",
    "Still sending: unsubscribed from %1 on %2, more than 48 hours before this mail"};

// Status lines. %1 the host.
inline constexpr TText PostingTo{"\rAbmeldung bei %1 …", "\rUnsubscribing at %1 …"};
// %1 the outcome (the list's server's answer).
inline constexpr TText Outcome{"\rAbmeldung: %1", "\rUnsubscribe: %1"};
inline constexpr TText HandedOver{"\rAbmeldung an %1 übergeben: %2",
                                  "\rUnsubscribe handed to %1: %2"};
inline constexpr TText Browser{"den Browser", "the browser"};
inline constexpr TText MailClient{"das e-mail-Programm", "the mail client"};
inline constexpr TText NotHandedOver{"\rAbmeldung: %1 konnte nicht geöffnet werden (%2).",
                                     "\rUnsubscribe: %1 could not be opened (%2)."};
// %1 file, %2 reason.
inline constexpr TText NotRemembered{
    "\rDie Abmeldung ist nicht vermerkt: %1 kann nicht geschrieben werden (%2).",
    "\rThe unsubscribe is not remembered: %1 cannot be written (%2)."};
inline constexpr TText MemoryUnusable{
    "\rDie Liste der Abmeldungen %1 ist nicht lesbar (%2): keine e-mail wird als „sendet noch“ "
    "erkannt.",
    "\rThe list of unsubscribes %1 cannot be read (%2): no mail is flagged as \"still "
    "sending\"."};

} // namespace UnsubscribeTexts
