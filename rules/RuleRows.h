#pragma once

// The rules dialog's rows: field, comparison, value and action, joined by "all" or "any",
// written into a script as a block of their own after the sender lists and read back from it.
// The rest of the script stays the text it is.
//
//   # begin rules: written by the rules dialog
//   # rule: NAME
//   if anyof (header :contains "subject" "Sale", size :over 5M) {
//       discard;
//   }
//   # end rules
//
// With "any", rows in a row with the same action share one rule; with "all", the rows of each
// action make one rule. An age in days is a date test with the days in a comment line before
// it (RelativeAges.h), so that it counts from the day the script runs.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "SieveText.h"

enum class TRowField { From, To, Cc, Subject, Header, Size, Age, SpamScore };
enum class TRowComparison {
    Contains,
    Is,
    Matches,
    NotContains,
    IsNot,
    Over,    // size
    Under,   // size
    Older,   // age
    Younger, // age
    AtLeast  // spam score
};
enum class TRowAction { Mark, Keep };

struct TRuleRow {
    TRowField field = TRowField::Subject;
    std::string header; // the field's name, for Header
    TRowComparison comparison = TRowComparison::Contains;
    // Text; a size as bytes with K, M or G; days; a spam score 0 to 10.
    std::string value;
    TRowAction action = TRowAction::Mark;

    bool operator==(const TRuleRow&) const = default;
};

struct TRuleSet {
    bool all = false; // every row of an action must hold; else any
    std::string name; // of the rules it makes; may be empty
    std::vector<TRuleRow> rows;

    bool operator==(const TRuleSet&) const = default;
};

// The comparisons a field offers, the usual one first.
std::vector<TRowComparison> ComparisonsOf(TRowField field);

// std::invalid_argument saying what is wrong: a comparison the field does not offer, an empty
// value, one with control characters or that is no UTF-8, a size, age or score that is no
// number in range, a header name that is none, a name over more than one line.
void CheckRuleRows(const TRuleSet& set);

// The rows' block, with its first and last comment lines; empty without rows. Checked first.
std::string RuleRowsText(const TRuleSet& set, std::chrono::sys_days today);

// Where the block stands in the script. ERuleError when it has no end line.
TScriptBlock RuleRowsBlock(std::string_view script);

// What a script's block gives the dialog.
struct TRuleRowsRead {
    enum class Kind { None, Rows, Text };
    Kind kind = Kind::None; // no block; the rows; a block the rows cannot show
    TRuleSet set;
    int line = 0; // Text: where the block stops being one the rows wrote
};

// Ages are read as the days of their comments, the dates written from today. ERuleError when
// the script itself is not usable.
TRuleRowsRead ReadRuleRows(std::string_view script, std::chrono::sys_days today);

// The script with its rows' block replaced, or put after the sender lists (or the require
// commands) when it has none, and with the extensions the rows need required. Without rows the
// block goes. ERuleError when the rest of the script is not usable, std::invalid_argument for
// rows that CheckRuleRows refuses.
std::string WithRuleRows(std::string_view script, const TRuleSet& set, std::chrono::sys_days today);
