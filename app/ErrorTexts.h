#pragma once

#include "SocketError.h"

#include <QString>

#include <chrono>

#include <string>

// The one place where a transport failure becomes words for the user, in the window's
// language: what happened, then the system's own text as a detail line. The socket layer's
// texts name the API and the platform; neither belongs in the window.

// The system's text of a failure, without the socket layer's frame ("...-Fehler: ", "auf API").
QString FailureDetail(const std::string& layerText);

// Status lines for a failure of the given cause: `lead` + the reason, then "\r" + the detail in
// brackets; `seconds` is the time-out that ran out (used for Timeout only).
QString FailureLines(const QString& lead, TFailureCause cause, const std::string& layerText,
                     bool germanUI, int seconds);

// The same as one plain text for a message box: the reason, then the detail on its own line.
QString FailureMessage(TFailureCause cause, const std::string& layerText, bool germanUI,
                       int seconds);

// Whole seconds of a time-out, rounded up.
int TimeoutSeconds(std::chrono::milliseconds timeout);

// The receive time-out of the session in use, for failures that reach the program's error
// display without passing the window (an exception leaving an event handler).
void SetSessionTimeout(std::chrono::milliseconds timeout);
int SessionTimeoutSeconds();
