#pragma once

// An age the rules dialog writes ("older than 30 days") stays relative: its test in the rows'
// block carries a comment line with the days just before it,
//
//   # age: 30 days
//   date :value "lt" "date" "date" "2026-11-09"
//
// and whatever runs the script first writes each such date anew from the day it runs. Dates
// without that comment, and everything outside the block, stay as written.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kMaxAgeDays = 36500;

// "2026-11-09": the date days before today.
std::string AgeDate(std::chrono::sys_days today, int days);

// The comment line of an age, with its line break.
std::string AgeNoteLine(int days);

// An age test of a block: its date string (quotes included) and the days of its comment.
struct TAgeNote {
    size_t offset = 0; // in the block
    size_t size = 0;
    int days = 0;
};

// The age tests in the text of a block, in order: each an age comment line followed by a date
// test of the form above. ERuleError when the block is not Sieve tokens.
std::vector<TAgeNote> AgeNotes(std::string_view block);

// The script with the date of each age test in the rules dialog's block written from today.
// A script whose block cannot be read is given back as it is; running it tells why.
std::string WithAgesFrom(std::string_view script, std::chrono::sys_days today);

// Today where the user is (the local time zone).
std::chrono::sys_days LocalToday();
