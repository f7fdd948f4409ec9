#pragma once

#include <chrono>

// Every wait of the POP3 transport is bounded; the values live here and nowhere else.
// Instances copy them and tests may shorten their own copy.
namespace pop3_timeouts {

// Opening the TCP connection, per address tried.
inline constexpr std::chrono::milliseconds kConnect{30000};
// Each single receive: a server silent for this long is treated as gone.
inline constexpr std::chrono::milliseconds kReceive{60000};
// Length of one poll slice; the event hook runs between slices so the window stays alive.
inline constexpr std::chrono::milliseconds kSlice{50};

} // namespace pop3_timeouts
