#pragma once

#include <string>
#include <string_view>

// HZ (RFC 1843) writes GB2312 in 7 bits: "~{" starts a run of byte pairs with their high bits
// cleared, "~}" ends it, "~~" is a "~" and "~" before a line end joins the lines. This undoes
// the framing only, giving EUC-CN (GB2312 in 8 bits) for iconv to convert; a "~" before any
// other byte stays as it is.
std::string HzToEucCn(std::string_view hz);
