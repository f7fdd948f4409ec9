#pragma once

// A rules script, parsed once and then asked about each listed mail. The subset of Sieve
// (RFC 5228) that a header-only listing can answer: require, if/elsif/else, allof, anyof,
// not, header, address, exists, size, true, false, date (RFC 5260, with :value of RFC 5231),
// spamtest (RFC 5235); the actions keep, discard and stop.
//
//   TRules rules(scriptText);                // ERuleError (line, column) when not usable
//   TRuleDecision d = rules.Decide({header, size, score});
//
// A discard marks the mail for deletion; a keep protects it: a mail kept by any rule that ran
// is never marked by the rules, even when a later rule discards it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Ast.h"

// What the rules are told of one mail.
struct TMailFacts {
    std::string_view header;      // the header lines as TOP n 0 gives them
    uint64_t size = 0;            // the listed size
    std::optional<int> spamScore; // normalised 0..10; none: spamtest is false
};

enum class TRuleAction { None, Keep, Discard };

// The outcome for one mail and the rule (top-level command) that decided it.
struct TRuleDecision {
    TRuleAction action = TRuleAction::None;
    int line = 0;     // of the rule; 0 with None
    std::string name; // from its "# rule: NAME" comment; may be empty
};

class TRules {
public:
    explicit TRules(std::string_view script);

    TRuleDecision Decide(const TMailFacts& mail) const;
    const TScript& Script() const { return script_; }

private:
    TScript script_;
};
