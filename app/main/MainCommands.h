#pragma once

#include "CommandOutcome.h"

#include <QString>

#include <optional>

class TForm1;

// The state of the window's commands, written by the command machinery only.
struct TCommandState {
    int State = 0; // the control state (TFrame's StateIdle, StateBusy, StateListed)
    int Running = 0;
    bool Aborted = false;         // set by AbortExchange until the next command starts
    bool CancelRequested = false; // Cancel during a listing: stop between two messages
    bool ListingRunning = false;
    bool CloseRequested = false;
    // The rows are those of a session that ended without QUIT (the server dropped it, or
    // Cancel did): Delete connects again for their marked mails.
    bool SessionLost = false;
};

// Marks a command of the main window as running. Commands nest (the POP3 waits process
// window events), so a close asked for meanwhile is carried out when the outermost ends; an
// exception leaving a command brings the window back to a usable state first. The outermost
// command starts with no cancel pending.
class TCommandScope {
public:
    TCommandScope(TForm1& form, int stateIfConnected);
    ~TCommandScope();
    TCommandScope(const TCommandScope&) = delete;
    TCommandScope& operator=(const TCommandScope&) = delete;

    // Ends the command after its exchange broke off: the status says why (a broken
    // connection), the window is back in a usable state, and the error display tells the
    // user once the command is over.
    void Fail(const TCommandOutcome& failure);

private:
    TForm1& form_;
    int stateIfConnected_;
    int uncaughtAtStart_;
    std::optional<QString> failureText_;
};

// A full listing runs: Cancel (and a close) then ask it to stop between two messages.
class TListingRun {
public:
    explicit TListingRun(TForm1& form);
    ~TListingRun();
    TListingRun(const TListingRun&) = delete;
    TListingRun& operator=(const TListingRun&) = delete;

private:
    TForm1& form_;
};
