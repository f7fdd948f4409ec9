#include "MailDate.h"

#include <array>
#include <cstdio>
#include <vector>

#include "MbxMIME.h"

namespace {

constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 13> kParts = {"year",  "month",  "day",    "date", "julian",
                                                "hour",  "minute", "second", "time", "iso8601",
                                                "std11", "zone",   "weekday"};

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar (H. Hinnant's formula).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct TCivil {
    int64_t year;
    unsigned month, day;
};

TCivil CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

bool Digits(std::string_view s, size_t min, size_t max, int& value) {
    if (s.size() < min || s.size() > max)
        return false;
    value = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// The words of a date: comments dropped, split at blanks and commas; "03:07:22" stays one word.
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    int comment = 0;
    for (const char c : text) {
        if (c == '(') {
            ++comment;
        } else if (c == ')' && comment > 0) {
            --comment;
        } else if (comment == 0 && c != ' ' && c != '\t' && c != ',' && c != '\r' && c != '\n') {
            word += c;
            continue;
        }
        if (!word.empty())
            words.push_back(std::move(word));
        word.clear();
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

std::optional<int> NamedZone(const std::string& name) {
    const std::pair<const char*, int> zones[] = {
        {"UT", 0},        {"GMT", 0},       {"Z", 0},         {"EST", -5 * 60},
        {"EDT", -4 * 60}, {"CST", -6 * 60}, {"CDT", -5 * 60}, {"MST", -7 * 60},
        {"MDT", -6 * 60}, {"PST", -8 * 60}, {"PDT", -7 * 60}};
    const std::string upper = AsciiUpper(name);
    for (const auto& [zone, minutes] : zones)
        if (upper == zone)
            return minutes;
    // Military zones: RFC 5322 reads them as -0000, their meaning being lost.
    if (upper.size() == 1 && upper[0] >= 'A' && upper[0] <= 'Z' && upper[0] != 'J')
        return 0;
    return std::nullopt;
}

std::string TwoDigits(unsigned v) {
    return {static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

std::string ZoneText(int minutes) {
    const int a = minutes < 0 ? -minutes : minutes;
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%c%02d%02d", minutes < 0 ? '-' : '+', a / 60 % 100,
                  a % 60);
    return buffer;
}

} // namespace

std::optional<int> ZoneMinutes(std::string_view text) {
    int hhmm = 0;
    if (text.size() != 5 || (text[0] != '+' && text[0] != '-') ||
        !Digits(text.substr(1), 4, 4, hhmm) || hhmm % 100 > 59 || hhmm / 100 > 23)
        return std::nullopt;
    const int minutes = hhmm / 100 * 60 + hhmm % 100;
    return text[0] == '-' ? -minutes : minutes;
}

std::optional<TMailDate> ParseMailDate(std::string_view text) {
    std::vector<std::string> w = Words(text);
    // A day name, with or without its comma.
    if (!w.empty() && !w[0].empty() && w[0][0] > '9')
        w.erase(w.begin());
    if (w.size() < 4)
        return std::nullopt;
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(w[0], 1, 2, day) || day < 1 || day > 31 || !Digits(w[2], 2, 4, year))
        return std::nullopt;
    unsigned month = 0;
    const std::string lower = AsciiLower(w[1]);
    for (unsigned m = 0; m < kMonths.size(); ++m)
        if (lower == kMonths[m])
            month = m + 1;
    if (month == 0)
        return std::nullopt;
    if (w[2].size() == 2)
        year += year < 50 ? 2000 : 1900;
    else if (w[2].size() == 3)
        year += 1900;
    const std::string& clock = w[3];
    const size_t colon = clock.find(':');
    const size_t colon2 = clock.find(':', colon + 1);
    if (colon == std::string::npos || !Digits(clock.substr(0, colon), 1, 2, hour) ||
        !Digits(clock.substr(colon + 1, colon2 == std::string::npos ? colon2 : colon2 - colon - 1),
                2, 2, minute) ||
        (colon2 != std::string::npos && !Digits(clock.substr(colon2 + 1), 2, 2, second)) ||
        hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    int zone = 0;
    if (w.size() > 4) {
        const auto numeric = ZoneMinutes(w[4]);
        const auto named = numeric ? numeric : NamedZone(w[4]);
        if (!named)
            return std::nullopt;
        zone = *named;
    }
    const int64_t days = DaysFromCivil(year, month, static_cast<unsigned>(day));
    TMailDate date;
    date.zoneMinutes = zone;
    date.utcSeconds = days * 86400 + hour * 3600 + minute * 60 + second - zone * 60;
    return date;
}

bool IsDatePart(std::string_view part) {
    for (const char* p : kParts)
        if (part == p)
            return true;
    return false;
}

std::string DatePartText(int64_t utcSeconds, int zoneMinutes, std::string_view part) {
    const int64_t local = utcSeconds + int64_t{zoneMinutes} * 60;
    const int64_t days = FloorDiv(local, 86400);
    const auto secs = static_cast<unsigned>(local - days * 86400);
    const TCivil c = CivilFromDays(days);
    const std::string year = std::to_string(c.year);
    const auto date = [&] { return year + "-" + TwoDigits(c.month) + "-" + TwoDigits(c.day); };
    const auto time = [&] {
        return TwoDigits(secs / 3600) + ":" + TwoDigits(secs / 60 % 60) + ":" +
               TwoDigits(secs % 60);
    };
    const auto weekday = static_cast<unsigned>((days % 7 + 7 + 4) % 7); // 1970-01-01: Thursday
    if (part == "year")
        return year;
    if (part == "month")
        return TwoDigits(c.month);
    if (part == "day")
        return TwoDigits(c.day);
    if (part == "date")
        return date();
    if (part == "julian")
        return std::to_string(days + 40587); // the Modified Julian Day of 1970-01-01
    if (part == "hour")
        return TwoDigits(secs / 3600);
    if (part == "minute")
        return TwoDigits(secs / 60 % 60);
    if (part == "second")
        return TwoDigits(secs % 60);
    if (part == "time")
        return time();
    if (part == "iso8601") {
        const std::string zone = ZoneText(zoneMinutes);
        return date() + "T" + time() + zone.substr(0, 3) + ":" + zone.substr(3);
    }
    if (part == "zone")
        return ZoneText(zoneMinutes);
    if (part == "weekday")
        return std::to_string(weekday);
    // std11
    return std::string(kWeekdays[weekday]) + ", " + TwoDigits(c.day) + " " +
           static_cast<char>(kMonths[c.month - 1][0] - 32) + (kMonths[c.month - 1] + 1) + " " +
           year + " " + time() + " " + ZoneText(zoneMinutes);
}
