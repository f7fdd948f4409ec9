// What the rules decide for listed headers: decoded texts, odd addresses, missing fields,
// dates, sizes, spam scores, and a keep that no later discard undoes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Rules.h"

namespace {

const char* const kHeader = "From: =?ISO-8859-1?Q?J=F6rg_M=FCller?= <Joerg@Example.ORG>\r\n"
                            "To: \"Doe, Jane\" <jane@corp.example>, team: a@x.example,\r\n"
                            "\tb@y.example;, undisclosed-recipients:;\r\n"
                            "Subject: =?UTF-8?B?w4RSR0VSIG1pdCBkZXIgUmVjaG51bmc=?=\r\n"
                            "Date: Tue, 1 Dec 2026 23:30:00 -0200 (comment)\r\n"
                            "Received: one\r\nReceived: two\r\n"
                            "\r\n.\r\n";

} // namespace

TEST(RulesDecide, TestsOnOneHeader) {
    const struct {
        std::string test;
        bool holds;
    } rows[] = {
        // Encoded words decoded and converted, compared without case, beyond ASCII too.
        {"header :contains \"subject\" \"ärger\"", true},
        {"header :is \"subject\" \"Ärger mit der Rechnung\"", true},
        {"header :is :comparator \"i;octet\" \"subject\" \"ärger mit der rechnung\"", false},
        {"header :matches \"from\" \"j?rg m*ller <*@example.org>\"", true},
        {"header :matches \"subject\" \"*rechnung\"", true},
        {"header :matches \"subject\" \"?rger\"", false},
        {"header :is \"received\" \"two\"", true}, // every occurrence
        {"header :is \"x-missing\" \"\"", false},
        {"not exists \"x-missing\"", true},
        {"exists [\"to\", \"x-missing\"]", false},
        // Addresses: display names with commas, groups, case of domains.
        {"address :is \"from\" \"joerg@example.org\"", true},
        {"address :localpart :is \"from\" \"joerg\"", true},
        {"address :domain :is \"to\" [\"y.example\"]", true},
        {"address :all :is \"to\" \"doe\"", false},
        {"address :domain :is \"to\" \"corp.example\"", true},
        {"address :domain :is \"to\" \"undisclosed-recipients\"", false},
        // Dates in their own zone, in another, and in the relational form.
        {"date :originalzone \"date\" \"date\" \"2026-12-01\"", true},
        {"date :zone \"+0000\" \"date\" \"date\" \"2026-12-02\"", true},
        {"date :zone \"+0000\" \"date\" \"weekday\" \"3\"", true},
        {"date :originalzone \"date\" \"julian\" \"61375\"", true},
        {"date :originalzone \"date\" \"std11\" \"Tue, 01 Dec 2026 23:30:00 -0200\"", true},
        {"date :value \"lt\" :originalzone \"date\" \"date\" \"2027-01-01\"", true},
        {"date :value \"lt\" :originalzone \"date\" \"date\" \"2026-01-01\"", false},
        {"date :zone \"+0000\" \"x-missing\" \"year\" \"2026\"", false},
        // The listed size and the spam score.
        {"size :over 1000", true},
        {"size :under 1000", false},
        {"size :over 1K", false},
        {"spamtest :value \"ge\" :comparator \"i;ascii-numeric\" \"7\"", true},
        {"spamtest :value \"ge\" :comparator \"i;ascii-numeric\" \"10\"", false},
        {"header :value \"gt\" :comparator \"i;ascii-numeric\" \"received\" \"5\"", true},
    };
    const std::string require = "require [\"date\", \"relational\", \"spamtest\", "
                                "\"comparator-i;ascii-numeric\"];\n";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.test);
        const TRules rules(require + "if " + row.test + " { discard; }");
        const TRuleDecision d = rules.Decide({kHeader, 1001, 8});
        EXPECT_EQ(d.action, row.holds ? TRuleAction::Discard : TRuleAction::None);
    }
}

TEST(RulesDecide, KeepBeatsLaterDiscardAndNamesTheRule) {
    const std::string script = "require \"spamtest\";\n"
                               "# rule: friends\n"
                               "if address :domain :is \"from\" \"friends.example\" { keep; }\n"
                               "\n"
                               "# rule: offers\n"
                               "if header :contains \"subject\" \"offer\" { discard; }\n"
                               "if size :over 1M { discard; stop; }\n"
                               "if spamtest :is \"9\" { discard; }\n";
    const TRules rules(script);
    const struct {
        std::string header;
        uint64_t size;
        std::optional<int> score;
        TRuleAction action;
        int line;
        std::string name;
    } rows[] = {
        {"From: a@friends.example\r\nSubject: offer\r\n", 5, {}, TRuleAction::Keep, 3, "friends"},
        {"From: a@friends.example\r\nSubject: big\r\n", 2 << 20, 9, TRuleAction::Keep, 3,
         "friends"},
        {"From: a@else.example\r\nSubject: An Offer\r\n", 5, {}, TRuleAction::Discard, 6, "offers"},
        {"From: a@else.example\r\n", 2 << 20, {}, TRuleAction::Discard, 7, ""},
        {"From: a@else.example\r\n", 5, 9, TRuleAction::Discard, 8, ""},
        // No score given: spamtest is false.
        {"From: a@else.example\r\n", 5, {}, TRuleAction::None, 0, ""},
        // No From at all, a header that is no header: nothing decided, nothing thrown.
        {"", 5, 0, TRuleAction::None, 0, ""},
        {"garbage\r\n\tmore\r\n:\r\n", 5, 0, TRuleAction::None, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.header);
        const TRuleDecision d = rules.Decide({row.header, row.size, row.score});
        EXPECT_EQ(d.action, row.action);
        EXPECT_EQ(d.line, row.line);
        EXPECT_EQ(d.name, row.name);
    }
}

// Date fields in the forms mail really has, and the wildcards of :matches.
TEST(RulesDecide, DateFormsAndWildcards) {
    const struct {
        std::string date;
        std::string iso8601; // in the original zone; empty: no date, the test is false
    } dates[] = {
        {"Tue, 1 Dec 2026 23:30:00 -0200", "2026-12-01T23:30:00-02:00"},
        {"1 Dec 26 23:30 EST", "2026-12-01T23:30:00-05:00"},
        {"Thu, 02 Jan 099 01:02:03 GMT", "1999-01-02T01:02:03+00:00"},
        {"Mon,2 Feb 2026 10:00:00 +0530 (IST)", "2026-02-02T10:00:00+05:30"},
        {"(early) 29 Feb 2028 00:00:60 z", "2028-02-29T00:01:00+00:00"},
        {"32 Dec 2026 10:00 +0000", ""},
        {"1 Dez 2026 10:00 +0000", ""},
        {"1 Dec 2026 10:00 +2500", ""},
        {"yesterday", ""},
    };
    for (const auto& row : dates) {
        SCOPED_TRACE(row.date);
        const std::string header = "Date: " + row.date + "\r\n";
        const TRules exact("require \"date\";\nif date :originalzone \"date\" \"iso8601\" \"" +
                           row.iso8601 + "\" { discard; }\n");
        const TRules any(
            "require \"date\";\nif date :matches :originalzone \"date\" \"year\" \"*\" "
            "{ discard; }\n");
        EXPECT_EQ(any.Decide({header, 1, {}}).action,
                  row.iso8601.empty() ? TRuleAction::None : TRuleAction::Discard);
        if (!row.iso8601.empty()) {
            EXPECT_EQ(exact.Decide({header, 1, {}}).action, TRuleAction::Discard);
        }
    }

    const struct {
        std::string subject, pattern;
        bool matches;
    } globs[] = {
        {"abc", "a*c", true},
        {"abc", "a*b", false},
        {"", "*", true},
        {"a*c", "a\\\\*c", true},
        {"abc", "a\\\\*c", false},
        {"aXbXc", "*x*x*", true},
        {"straße", "stra?e", true},
        {"aaaa", "*a*a*a*a*a", false},
        {"a?", "a\\\\?", true},
        {"abab", "*ab*ab", true},
        {"aab", "a*?b", true},
        {"ab", "a*?b", false},
        {"xay", "*?a?*", true},
        {"", "?", false},
        {"ä", "?", true},
        {"bahnsteig", "*ß*", false},
        {"straßenbahn", "*ß*?n", true},
        // A long subject: the pieces between stars are found, at the start, the end and between.
        {std::string(1 << 20, 'a') + "b", "*a?b", true},
        {std::string(1 << 20, 'a') + "b", "a*aab", true},
        {std::string(1 << 20, 'a') + "b", "*ab*b", false},
        {"ab" + std::string(1 << 20, 'x') + "needle" + std::string(1 << 20, 'y') + "cd",
         "ab*ne?dle*?cd", true},
        {"ab" + std::string(1 << 20, 'x') + "cd", "ab*needle*cd", false},
    };
    for (const auto& row : globs) {
        SCOPED_TRACE(row.subject.substr(0, 20) + " ~ " + row.pattern);
        const std::string header = "Subject: " + row.subject + "\r\n";
        const TRules rules("if header :matches \"subject\" \"" + row.pattern + "\" { discard; }");
        EXPECT_EQ(rules.Decide({header, 1, {}}).action,
                  row.matches ? TRuleAction::Discard : TRuleAction::None);
    }
}
