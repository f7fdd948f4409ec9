#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "TempFile.h"

// True for four decimal numbers from 0 to 255 joined by dots ("10.0.0.1").
bool IsDottedQuad(const std::string& s);

// Word n (1-based, blank-separated) of s as a decimal integer; def when there is no such
// word or it is not a number. Used with n = 2 to read the size from a LIST answer.
int32_t WordAsInt(const std::string& s, uint16_t n, int32_t def);

// A new, empty, owner-only temporary file with the prefix "mbx"; deleted with its owner.
TempFile MakeTempFileName();

// Text helpers shared by the routines above and the mail parser.
std::string Trim(const std::string& s);              // drops bytes <= ' ' at both ends
bool ParseInt32(const std::string& s, int32_t& out); // optional sign, decimal digits only

// The lines of a text: a line ends at CR LF, a lone CR or a lone LF; a NUL byte ends the text.
std::vector<std::string> SplitLines(std::string_view text);
// The text of a list of lines: each line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
