#pragma once

#include <chrono>
#include <cstdint>

// Every wait and every answer size of the POP3 transport is bounded; the values live here and
// nowhere else. Instances copy them and tests may shorten their own copy.
namespace pop3_timeouts {

// Opening the TCP connection, per address tried.
inline constexpr std::chrono::milliseconds kConnect{30000};
// A server silent for this long is treated as gone; a status line (greeting, single-line
// answer, first line of a multi-line answer) must be complete within it in total.
inline constexpr std::chrono::milliseconds kReceive{60000};
// Auto's guess of plain text on a port: a greeting not begun within this (nor within the connect
// time-out, when that is shorter) means the port waits for a TLS handshake.
inline constexpr std::chrono::milliseconds kGreetingProbe{5000};
// Length of one poll slice; the event hook runs between slices so the window stays alive.
inline constexpr std::chrono::milliseconds kSlice{50};

// A multi-line answer that has run longer than kReceive must average at least this many bytes
// per second since it began: a modem-era 2.4 kbit/s link still passes, a server that drips a
// byte every few seconds does not.
inline constexpr uint64_t kMinAnswerRate = 1024;
// A status line longer than this without its line end is not POP3.
inline constexpr uint64_t kMaxStatusLine = 64 * 1024;
// A capability list is a few dozen short lines.
inline constexpr uint64_t kMaxCapabilityAnswer = 64 * 1024;
// A header answer (TOP n 0) is held in memory, and a listing asks for one per mail: one this
// large is a server streaming without end. At the minimum rate it ends within some 17 minutes.
inline constexpr uint64_t kMaxHeaderAnswer = 1024 * 1024;
// A listing that asks for body lines besides the header (TOP n L, for a spam scorer) keeps this
// much of the body per mail; the rest of the answer is read and dropped, so a body without line
// breaks costs its bytes on the line but never the listing.
inline constexpr uint64_t kMaxListedBody = 64 * 1024;
// A retrieval may hold kRetrieveSizeFactor times the listed size plus kRetrieveSlack (room for
// line-end and dot-stuffing differences between the listed and the sent form) ...
inline constexpr uint64_t kRetrieveSizeFactor = 2;
inline constexpr uint64_t kRetrieveSlack = 1024 * 1024;
// ... or this much when the listed size is not a number, or 0.
inline constexpr uint64_t kUnlistedRetrieveBudget = 1024 * 1024 * 1024;

} // namespace pop3_timeouts
