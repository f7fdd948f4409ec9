#pragma once

// Dates of mail headers (RFC 5322 section 3.3, with the obsolete forms of RFC 5322 4.3) and
// the date parts of RFC 5260 that the date test compares.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TMailDate {
    int64_t utcSeconds = 0; // since 1970-01-01 00:00 UTC
    int zoneMinutes = 0;    // the zone it was written in, east of UTC
};

// "[Wed,] 9 Dec 2026 03:07[:22] +0100", comments and odd spacing allowed; two- and three-digit
// years and the zone names of RFC 822 read as RFC 5322 says. Nothing for anything else.
std::optional<TMailDate> ParseMailDate(std::string_view text);

// "+0100" / "-0530" as minutes east of UTC.
std::optional<int> ZoneMinutes(std::string_view text);

// year, month, day, date, julian, hour, minute, second, time, iso8601, std11, zone, weekday.
bool IsDatePart(std::string_view part);

// The date part as RFC 5260 writes it ("2026-12-09", "03", "+0100", ...), the date shown in the
// zone zoneMinutes east of UTC; part must pass IsDatePart.
std::string DatePartText(int64_t utcSeconds, int zoneMinutes, std::string_view part);
