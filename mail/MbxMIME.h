#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MailLines.h"
#include "TempFile.h"

// True for four decimal numbers from 0 to 255 joined by dots ("10.0.0.1").
bool IsDottedQuad(const std::string& s);
// A dotted quad with its numbers in plain decimal ("010.000.0.01" gives "10.0.0.1"), as the
// address conversion takes it; s must pass IsDottedQuad.
std::string DottedQuadDecimal(const std::string& s);

// Word n (1-based, blank-separated) of s as a decimal integer; def when there is no such
// word or it is not a number. Used with n = 2 to read the size from a LIST answer.
int32_t WordAsInt(const std::string& s, uint16_t n, int32_t def);

// A new, empty, owner-only temporary file with the prefix "mbx"; deleted with its owner.
TempFile MakeTempFileName();

// Text helpers shared by the routines above and the mail parser.
// Drops bytes <= ' ' at both ends, but ESC, SO and SI (shifts of 7-bit character sets).
std::string Trim(const std::string& s);
std::string_view TrimView(std::string_view s);
bool ParseInt32(const std::string& s, int32_t& out); // optional sign, decimal digits only

// The lines of a text: a line ends at CR LF, a lone CR or a lone LF. A NUL is an ordinary byte.
std::vector<std::string> SplitLines(std::string_view text);
// The text of a list of lines: each line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
// Several runs of lines as one text, one after the other, each line followed by CR LF.
std::string JoinLineRuns(const std::vector<LineRange>& runs);

// ASCII case mapping: only the letters a-z / A-Z change; other bytes stay as they are.
std::string AsciiUpper(std::string s);
std::string AsciiLower(std::string s);
// True when text begins with prefix, the letters compared without their ASCII case, in place.
bool AsciiStartsNoCase(std::string_view text, std::string_view prefix);
// True when the line is empty after trimming.
bool IsBlankLine(std::string_view line);

// Header lookup. Name is upper case with its colon ("SUBJECT:"). Searches the first block of
// Lines (after leading empty lines, up to the next empty line) for the first line starting
// with Name in any case; Line receives it with its continuation lines trimmed and appended.
bool FindHeader(const std::string& Name, LineRange Lines, std::string& Line);
// The value after the first occurrence of Key (upper case) in Line, trimmed, up to the first ";".
std::string GetHeaderValue(const std::string& Key, const std::string& Line);
// Index of the body of a part: after its leading non-blank lines and the blank lines after them.
size_t PartBodyStart(LineRange Lines);
// Drops the part header and the blank lines after it.
void StripPartHeader(std::vector<std::string>& Lines);
// The delimiter line ("--" + boundary) named by a Content-Type line.
std::string GetBoundary(const std::string& Line);

// A header value as UTF-8: encoded words (=?charset?Q|B?text?=) decoded and converted from
// their character set, white space between two of them dropped, words of one character set
// converted together; the text around them as UnlabelledToUtf8 reads it.
std::string DecodeEncodedWords(const std::string& S);
// Without one leading and one trailing quote (double or single).
std::string StripQuotes(std::string S);
std::string RemoveChar(std::string S, char C);
// The display name of one mailbox, in double quotes when Quote.
std::string NamePart(std::string S, bool Quote);
// The address of one mailbox, in angle brackets when Angle.
std::string AddressPart(std::string S, bool Angle);
// The items of an address list, split at its commas; quoted strings (display names that may
// hold commas) are left out of the items.
std::vector<std::string> SplitAddressList(const std::string& S);
// Rewrites an address list as "name" <address> items joined by ", ".
std::string NormalizeAddressList(const std::string& S);
