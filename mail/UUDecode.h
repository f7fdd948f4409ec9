#pragma once

#include <cstddef>
#include <span>
#include <string>

// The first uuencode begin line ("begin 644 name") at or after index From: its index and the
// name it gives (at most 64 characters, not trimmed).
bool FindUUBegin(std::span<const std::string> Lines, size_t From, size_t& Index, std::string& Name);

// Decodes a uuencoded block (its begin line first) and appends the bytes to Data. Stops at
// "end", at "`" or at the last line. Throws EUUDecodeError for a character outside the
// alphabet; the bytes of the lines before stay in Data.
void UUDecodeLines(std::span<const std::string> Lines, std::string& Data);
