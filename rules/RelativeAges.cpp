#include "RelativeAges.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "Lexer.h"
#include "MbxMIME.h"
#include "RuleError.h"
#include "RuleRows.h"
#include "SieveText.h"

namespace {

using std::chrono::sys_days;

constexpr std::string_view kNote = "age:";
constexpr std::string_view kUnit = "days";

// The days of a comment line "# age: N days"; -1 for any other line.
int NoteDays(std::string_view line) {
    line = TrimView(line);
    if (line.empty() || line.front() != '#')
        return -1;
    line = TrimView(line.substr(1));
    if (line.substr(0, kNote.size()) != kNote || line.size() < kNote.size() + kUnit.size() ||
        line.substr(line.size() - kUnit.size()) != kUnit)
        return -1;
    const std::string_view digits =
        TrimView(line.substr(kNote.size(), line.size() - kNote.size() - kUnit.size()));
    int days = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), days);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
        days > kMaxAgeDays)
        return -1;
    return days;
}

bool IsDate(std::string_view text) {
    int y = 0;
    unsigned m = 0, d = 0;
    char rest = 0;
    const std::string copy(text);
    if (copy.size() != 10 || std::sscanf(copy.c_str(), "%4d-%2u-%2u%c", &y, &m, &d, &rest) != 3)
        return false;
    return std::chrono::year_month_day{std::chrono::year(y), std::chrono::month(m),
                                       std::chrono::day(d)}
        .ok();
}

// The date string of `date :value "lt"|"gt" "date" "date" "YYYY-MM-DD"` starting at token i, as
// the dialog writes it; nullptr for anything else.
const TToken* AgeDateToken(const std::vector<TToken>& t, size_t i, std::string_view block) {
    using K = TToken::Kind;
    const auto is = [&](size_t k, K kind, std::string_view text) {
        return i + k < t.size() && t[i + k].kind == kind && t[i + k].text == text;
    };
    if (!is(0, K::Identifier, "date") || !is(1, K::Tag, "value") ||
        !(is(2, K::String, "lt") || is(2, K::String, "gt")) || !is(3, K::String, "date") ||
        !is(4, K::String, "date") || i + 5 >= t.size() || t[i + 5].kind != K::String)
        return nullptr;
    const TToken& date = t[i + 5];
    // Plainly quoted, so that the new date can take its place byte for byte.
    if (!IsDate(date.text) || block.substr(date.offset, 12) != "\"" + date.text + "\"")
        return nullptr;
    return &date;
}

} // namespace

std::string AgeDate(sys_days today, int days) {
    const std::chrono::year_month_day ymd{today - std::chrono::days(days)};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()));
    return text;
}

std::string AgeNoteLine(int days) {
    return "# " + std::string(kNote) + " " + std::to_string(days) + " " + std::string(kUnit) + "\n";
}

std::vector<TAgeNote> AgeNotes(std::string_view block) {
    const std::vector<TToken> tokens = Tokenize(block);
    std::vector<TAgeNote> notes;
    for (size_t pos = 0; pos < block.size();) {
        size_t next = block.find('\n', pos);
        next = next == std::string_view::npos ? block.size() : next + 1;
        const int days = NoteDays(block.substr(pos, next - pos));
        pos = next;
        if (days < 0)
            continue;
        // The test right after the comment: the first token past its line.
        const auto after =
            std::lower_bound(tokens.begin(), tokens.end(), next,
                             [](const TToken& t, size_t offset) { return t.offset < offset; });
        if (const TToken* date = AgeDateToken(tokens, after - tokens.begin(), block))
            notes.push_back({date->offset, date->text.size() + 2, days});
    }
    return notes;
}

std::string WithAgesFrom(std::string_view script, sys_days today) {
    std::string current(script);
    try {
        const TScriptBlock block = RuleRowsBlock(script);
        if (!block.Found())
            return current;
        const std::vector<TAgeNote> notes =
            AgeNotes(script.substr(block.begin, block.end - block.begin));
        // From the last one, so that the offsets before stay where they are.
        for (auto n = notes.rbegin(); n != notes.rend(); ++n)
            current.replace(block.begin + n->offset, n->size, SieveQuoted(AgeDate(today, n->days)));
    } catch (const ERuleError&) {
        return std::string(script);
    }
    return current;
}

sys_days LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return sys_days{std::chrono::year(local.tm_year + 1900) /
                    static_cast<unsigned>(local.tm_mon + 1) / static_cast<unsigned>(local.tm_mday)};
}
