#pragma once

// Where a test's private server lives: a free loopback port and a folder of its own.

#include <cstdint>
#include <string>

// A loopback port that was free a moment ago: whoever binds it later retries if it was taken.
// Throws std::runtime_error when no socket can be bound.
uint16_t FreePort();

// A new folder "<prefix>-XXXXXX" under $TMPDIR (else /tmp); throws std::runtime_error.
std::string MakeServerFolder(const std::string& prefix);
