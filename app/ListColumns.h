#pragma once

#include <optional>
#include <string>
#include <string_view>

// Short size text of an octet count given as decimal digits, in decimal units:
// "999 Byte", "2 KByte", "1.3 MByte" (rounded half up). Only the leading digits of the
// text count, so a reply with extra words still gives its number; no digits give "".
std::string DisplaySize(const std::string& SizeText);

// The date, sender and subject columns of a list row, taken from a message's header text:
// date + "|" + sender + "|" + subject + "|", as UTF-8. The texts are decoded (folded lines
// joined, encoded words decoded and converted); with AsSent they stay as the server sent
// them, their bytes read as UTF-8 when valid, else as windows-1252. Each field is read from
// its own header line only (its name in any case): a mail without it gets an empty cell. The
// date shows as "01 May 2000", a two-digit year completed (00-49 in the 2000s, 50-99 in the
// 1900s); a date that cannot be read shows as sent.
std::string filter(const std::string& HeaderText, bool GermanUI, bool AsSent = false);

// The value of the header's first field called name (with its colon, e.g. "Date:", in any
// case), folded lines joined, bytes as sent; nullopt when the header has no such field.
std::optional<std::string> HeaderFieldValue(const std::string& header, std::string_view name);
