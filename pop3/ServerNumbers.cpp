#include "ServerNumbers.h"

#include <algorithm>

namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A server's text inside an error message: at most a line's worth, control bytes shown as '?'.
std::string Shown(std::string_view word) {
    constexpr size_t kShown = 40;
    std::string shown(word.substr(0, kShown));
    std::replace_if(
        shown.begin(), shown.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
    return word.size() > kShown ? shown + "..." : shown;
}

} // namespace

TServerNumber ReadServerNumber(std::string_view word, const std::string& what, uint64_t max) {
    const std::string named = "the server's " + what + " ";
    if (word.empty())
        return {0, "the server sent no " + what};
    if (word.front() == '-' && AllDigits(word.substr(1)))
        return {0, named + std::string(word) + " is negative"};
    if (!AllDigits(word))
        return {0, named + "\"" + Shown(word) + "\" is not a number"};
    uint64_t value = 0;
    for (const char c : word) {
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (max - digit) / 10)
            return {0, named + Shown(word) + " is not a number this program can hold (at most " +
                           std::to_string(max) + ")"};
        value = value * 10 + digit;
    }
    return {value, std::nullopt};
}

std::pair<std::string_view, std::string_view> FirstTwoWords(std::string_view text) {
    const size_t blank = text.find(' ');
    const std::string_view rest = blank == std::string_view::npos ? "" : text.substr(blank + 1);
    return {text.substr(0, blank), rest.substr(0, rest.find(' '))};
}
