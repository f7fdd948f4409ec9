#pragma once

#include "FailureTexts.h"

#include <chrono>
#include <string>

class TFrame;
struct TCommandOutcome;

// How failures reach the status label (MainErrors.cpp).

// The status lines for a transport failure that ended a command.
void ReportTransportFailure(TFrame& frame, const TCommandOutcome& outcome);
// The connect-failure lines for a cause, the layer's text and the wait that ran out.
void ReportConnectFailure(TFrame& frame, TFailureCause cause, const std::string& why,
                          std::chrono::milliseconds waited);
