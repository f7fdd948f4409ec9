#pragma once

#include "SocketError.h"

#include <QString>

#include <string>

// How a command's exchange with the server ended. A refusal by the server is not a failure
// here: the POP3 component returns it (false, nullptr, the end of a pass) and has reported the
// server's text through OnError already. Failed means the exchange broke off: the transport
// failed (Transport, with its cause), or the component threw for another reason.
struct TCommandOutcome {
    enum class TKind { Done, Cancelled, Failed };
    TKind Kind = TKind::Done;
    bool Transport = false;
    TFailureCause Cause = TFailureCause::Other;
    std::string Why; // the layer's or the exception's own text

    static TCommandOutcome Cancelled() {
        return {TKind::Cancelled, false, TFailureCause::Other, {}};
    }
    // The outcome of the exception being handled; call it inside a catch block. An exception
    // of no known type goes on.
    static TCommandOutcome FromCurrentException();

    bool IsDone() const { return Kind == TKind::Done; }
    bool IsCancelled() const { return Kind == TKind::Cancelled; }
    bool IsFailed() const { return Kind == TKind::Failed; }
};

// The words of the error display for a failure: a broken connection by its cause in the
// window's language (seconds: the time-out that ran out), anything else in its own text, read
// as UTF-8 where it is valid UTF-8 and else as Latin-1.
QString FailureDisplayText(const TCommandOutcome& failure, bool germanUI, int seconds);
