#pragma once

// TAnswerReader: receives the server's answers under their bounds in time and size.
//  - the status line (greeting, single-line answer, first line of a multi-line answer) must be
//    complete within the receive time-out in total, however the server spaces its bytes;
//  - no receive waits longer than the receive time-out (a silent server);
//  - an answer that has run longer than the receive time-out must average a minimum rate
//    since it began;
//  - an answer holds at most its budget of bytes; the bytes that would pass it are never
//    handed on.
// A broken bound ends the session through the owner's failure report, then throws ESocketError
// (cause Timeout for the status line, Bounds for rate, size and budget).

#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

#include "SocketError.h"
#include "Timeouts.h"

inline constexpr const char* kTextAnswerTooSlow = "Der Server hat die Antwort zu langsam gesendet";
inline constexpr const char* kTextOverListedSize =
    "Der Server hat mehr als das Doppelte der angegebenen Größe gesendet";

// The size and rate limits of a session's answers; an instance may shorten its copy.
struct TAnswerLimits {
    uint64_t MinRate = pop3_timeouts::kMinAnswerRate; // bytes per second; 0: none
    uint64_t MaxStatusLine = pop3_timeouts::kMaxStatusLine;
    uint64_t MaxHeaderAnswer = pop3_timeouts::kMaxHeaderAnswer;
    uint64_t MaxListedBody = pop3_timeouts::kMaxListedBody;
    uint64_t RetrieveSlack = pop3_timeouts::kRetrieveSlack;
    uint64_t UnlistedRetrieveBudget = pop3_timeouts::kUnlistedRetrieveBudget;
};

// How many bytes one answer may hold, and the failure text past them.
struct TAnswerBudget {
    uint64_t Bytes = std::numeric_limits<uint64_t>::max();
    std::string Text;
};

// The budget of a retrieval whose mail the server listed with listedSize (<= 0: not a number).
TAnswerBudget RetrievalBudget(int32_t listedSize, const TAnswerLimits& limits);

class TAnswerReader {
public:
    // One receive waiting at most `wait`; "" when nothing more can come. A wait that runs out
    // throws ESocketError (cause Timeout) after the session was closed.
    using TReceive = std::function<std::string(std::chrono::milliseconds wait)>;
    // Closes the session as a transport failure with this error number and cause text; the
    // reader throws next.
    using TEndSession = std::function<void(int errorNumber, const std::string& text)>;

    TAnswerReader(TReceive receive, TEndSession endSession);

    // A new answer begins now (right after its command went out): its clocks start, its counts
    // are zero.
    void Begin(std::chrono::milliseconds receiveTimeout, const TAnswerLimits& limits,
               TAnswerBudget budget = {});
    // One receive within the answer's bounds; "" when the server has closed (the caller judges).
    std::string Receive();
    // Counts and checks bytes of this answer that came with an earlier receive (the start of a
    // pipelined answer that followed the previous one in the same receive).
    void Count(std::string_view bytes);

    uint64_t Received() const { return received_; }
    bool StatusLineComplete() const { return !statusOpen_; }

private:
    using clock = std::chrono::steady_clock;
    [[noreturn]] void fail(int errorNumber, const std::string& text, TFailureCause cause);
    // The moment the answer falls below the minimum rate with the bytes it has now.
    clock::time_point rateDeadline() const;

    TReceive receive_;
    TEndSession endSession_;
    std::chrono::milliseconds receiveTimeout_ = pop3_timeouts::kReceive;
    TAnswerLimits limits_;
    TAnswerBudget budget_;
    clock::time_point begin_;
    uint64_t received_ = 0;
    bool statusOpen_ = true;
    bool lastWasCR_ = false;
};
