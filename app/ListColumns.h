#pragma once

#include <string>

// Short size text of an octet count given as decimal digits, in decimal units:
// "999 Byte", "2 KByte", "1.3 MByte" (rounded half up). Only the leading digits of the
// text count, so a reply with extra words still gives its number; no digits give "".
std::string DisplaySize(const std::string& SizeText);

// The date, sender and subject columns of a list row, taken from a message's header text:
// date + "|" + sender + "|" + subject + "|". Texts are shown as the server sent them.
std::string filter(const std::string& HeaderText, bool GermanUI);
