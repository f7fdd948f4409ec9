#pragma once

// How a one-click unsubscribe ended, in both languages.

#include "TextPair.h"

namespace oneclick_texts {

// The status code and the server's reason phrase follow.
inline constexpr TText Accepted{"Der Server der Liste hat angenommen: ",
                                "The list's server accepted: "};
inline constexpr TText Refused{"Der Server der Liste hat abgelehnt: ",
                               "The list's server refused: "};
// The target follows.
inline constexpr TText Redirected{
    "Der Server der Liste leitet weiter (das verbietet RFC 8058), der Weiterleitung wird nicht "
    "gefolgt: ",
    "The list's server redirects (RFC 8058 forbids that); the redirect was not followed: "};
inline constexpr TText TimedOut{"Der Server der Liste hat nicht rechtzeitig geantwortet",
                                "The list's server did not answer in time"};
// Qt's description of the failure follows.
inline constexpr TText Failed{"Keine Antwort vom Server der Liste: ",
                              "No answer from the list's server: "};
inline constexpr TText Certificate{"Das Zertifikat des Servers der Liste ist nicht gültig: ",
                                   "The certificate of the list's server is not valid: "};
inline constexpr TText NotHttps{
    "Nur über https wird abgemeldet: die Adresse wäre unterwegs lesbar und änderbar",
    "Unsubscribing goes over https only: the address could be read and changed on the way"};
// The file follows.
inline constexpr TText NoCaFile{"Keine Zertifikate lesbar aus ", "No certificates readable from "};

} // namespace oneclick_texts
