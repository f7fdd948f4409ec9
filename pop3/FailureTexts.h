#pragma once

// What a failure of the connection means, in words for the user, for the window and the
// tools alike: the reason by its cause, and the layer's text as a detail without the socket
// layer's frame (platform and API names), in the chosen language.

#include <chrono>
#include <string>

#include "SocketError.h"

// The reason for a cause; `seconds` is the time-out that ran out (Timeout only).
std::string FailureReason(TFailureCause cause, bool german, int seconds);

// The layer's text of a failure as a detail: the system's own words without the frame
// ("...-Fehler: ", ", auf API '...'", "Windows"); in English, the client's own sentences
// are put into English.
std::string FailureDetail(const std::string& layerText, bool german);

// Whole seconds of a time-out, rounded up.
int TimeoutSeconds(std::chrono::milliseconds timeout);
