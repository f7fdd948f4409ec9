#pragma once

// Numbers read from the server's answers. A server may send anything: a number is decimal
// digits only and within what the program holds, else the session cannot go on with it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// What the program holds of each kind of number.
inline constexpr uint64_t kMaxMailCount = 2147483647; // the window counts rows in an int
inline constexpr uint64_t kMaxMailSize = 2147483647;  // a mail's size, as rows keep it
inline constexpr uint64_t kMaxMailboxSize = 9223372036854775807ULL; // the mailbox's total

// The value of word, or why it is not one: "the server's <what> <word> is not a number", ...
// is negative", "... is not a number this program can hold (at most <max>)"; an empty word:
// "the server sent no <what>".
struct TServerNumber {
    uint64_t Value = 0;
    std::optional<std::string> Error;
};
TServerNumber ReadServerNumber(std::string_view word, const std::string& what, uint64_t max);

// The first two blank-separated words of a reply text ("3 1200" of STAT, "7 120" of list 7).
std::pair<std::string_view, std::string_view> FirstTwoWords(std::string_view text);
