#pragma once

#include <cstddef>
#include <string>

#include "MailLines.h"

// The first uuencode begin line ("begin 644 name") at or after index From: its index and the
// name it gives (at most 64 characters, not trimmed).
bool FindUUBegin(LineRange Lines, size_t From, size_t& Index, std::string& Name);

// Decodes a uuencoded block (its begin line first) and appends the bytes to Data. Stops at
// "end", at "`" or at the last line. Throws EUUDecodeError for a character outside the
// alphabet; the bytes of the lines before stay in Data.
void UUDecodeLines(LineRange Lines, std::string& Data);
