#pragma once

#include "FailureTexts.h"
#include "SocketError.h"

#include <QString>

#include <string>

// The one place where a failure becomes words for the user, in the window's language: what
// happened, then the system's (or the server's) own text as a detail line. The words are the
// ones the tools use too (FailureTexts.h).

// Status lines for a failure of the given cause: `lead` + the reason, then "\r" + the detail in
// brackets (FailureDetail); `seconds` is the time-out that ran out (used for Timeout only).
QString FailureLines(const QString& lead, TFailureCause cause, const std::string& layerText,
                     bool germanUI, int seconds);

// The same as one plain text for a message box: the reason, then the detail on its own line.
QString FailureMessage(TFailureCause cause, const std::string& layerText, bool germanUI,
                       int seconds);

// Status lines for a login that the server refused (USER or PASS): `lead` + what that means,
// then "\r" + the server's own text in brackets.
QString LoginRefusedLines(const QString& lead, const std::string& serverText, bool germanUI);
// The same for a sign-in with an access token: the detail is the client's own sentence (the
// provider's reason, or why the token did not go out), in the window's language.
QString TokenRefusedLines(const QString& lead, const std::string& layerText, bool germanUI);
