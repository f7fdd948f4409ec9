// How failures reach the user: the POP3 component's errors and broken connections as lines
// of the status label, in the window's language.
#include "MainErrors.h"
#include "ByteText.h"
#include "ErrorTexts.h"
#include "Main.h"

void TForm1::pop3Error(TObject*, int Error, const std::string& Msg) {
    // A connection dropped on purpose is reported as cancelled by the command itself.
    if (Aborted())
        return;
    StatusClear();
    if (Error == kErrLogin) {
        const QString lead = Tr(Texts::ErrorPrefix, GermanUI());
        StatusAppend(pop3.Auth == TAuthMethod::Password ? LoginRefusedLines(lead, Msg, GermanUI())
                                                        : TokenRefusedLines(lead, Msg, GermanUI()));
        return;
    }
    if (Error >= kErrLogin && Error <= kErrCommand) {
        StatusAppend(Tr(Texts::ErrorPrefix, GermanUI()) + FromBytes(Msg));
        return;
    }
    // The transport failed (the error is its errno); Msg names what failed and why.
    StatusAppend(FailureLines(Tr(Texts::ErrorPrefix, GermanUI()), FailureCauseOf(Error), Msg,
                              GermanUI(), TimeoutSeconds(pop3.ReceiveTimeout)));
}

void ReportTransportFailure(TFrame& frame, const TCommandOutcome& outcome) {
    // The exception knows the cause better than the error code passed before it.
    frame.StatusClear();
    frame.StatusAppend(FailureLines(Tr(Texts::ErrorPrefix, frame.GermanUI()), outcome.Cause,
                                    outcome.Why, frame.GermanUI(),
                                    TimeoutSeconds(frame.Session().ReceiveTimeout)));
}

void ReportConnectFailure(TFrame& frame, TFailureCause cause, const std::string& why,
                          std::chrono::milliseconds waited) {
    frame.StatusClear();
    frame.StatusAppendText(Texts::ConnectFailed[0]);
    // A greeting answered with -ERR, or a failure of no known cause: the general hints.
    if (why.empty() || cause == TFailureCause::Other) {
        for (std::size_t line = 1; line < std::size(Texts::ConnectFailed); ++line)
            frame.StatusAppendText(Texts::ConnectFailed[line]);
    }
    if (!why.empty())
        frame.StatusAppend(FailureLines(QStringLiteral("\r     - "), cause, why, frame.GermanUI(),
                                        TimeoutSeconds(waited)));
    // A port that speaks TLS waits for the handshake, a plain one for the client's command.
    if (cause == TFailureCause::Timeout)
        frame.StatusAppendText(Texts::SecurityMayNotFit);
}
