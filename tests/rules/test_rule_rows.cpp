// The rules dialog's rows written into a script, read back, and acted on.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "RelativeAges.h"
#include "RuleError.h"
#include "RuleRows.h"
#include "Rules.h"
#include "SenderLists.h"

namespace {

using F = TRowField;
using C = TRowComparison;
using A = TRowAction;

const std::chrono::sys_days kToday{std::chrono::year(2026) / 12 / 9};

std::string Removed(std::string text, const std::string& part) {
    const size_t at = text.find(part);
    return at == std::string::npos ? text : text.erase(at, part.size());
}

} // namespace

TEST(RuleRows, WrittenReadBackAndActedOn) {
    const std::string own = "# rule: big\nif size :over 50M { discard; }\n";
    const struct {
        TRuleSet set;
        std::string back; // a value as read back when it is written otherwise
        std::string header;
        uint64_t size;
        TRuleAction action;
    } rows[] = {
        {{false,
          "news",
          {{F::Subject, "", C::Contains, R"(Say "hi" \ back)", A::Mark},
           {F::From, "", C::Is, "Anna@Example.org", A::Keep},
           {F::To, "", C::NotContains, "Über-Liste", A::Mark},
           {F::Header, "List-Id", C::Matches, "*news*", A::Mark}}},
         "",
         "From: Anna <anna@example.org>\r\nSubject: Say \"hi\" \\ back\r\n",
         10,
         TRuleAction::Keep},
        {{false, "", {{F::To, "", C::NotContains, "über-liste", A::Mark}}},
         "",
         "To: =?UTF-8?Q?=C3=9Cber-Liste?= <l@x.example>\r\n",
         10,
         TRuleAction::None},
        {{true,
          "old and big",
          {{F::Size, "", C::Over, "5M", A::Mark},
           {F::Age, "", C::Older, "30", A::Mark},
           {F::Cc, "", C::IsNot, "boss@example.org", A::Mark},
           {F::SpamScore, "", C::AtLeast, "10", A::Keep}}},
         "",
         "Date: Mon, 1 Jun 2026 10:00:00 +0000\r\nCc: other@example.org\r\n",
         6 << 20,
         TRuleAction::Discard},
        {{true,
          "",
          {{F::Size, "", C::Under, "1024K", A::Mark}, {F::Age, "", C::Younger, "7", A::Mark}}},
         "1M",
         "Date: Sat, 5 Dec 2026 10:00:00 +0000\r\n",
         1000,
         TRuleAction::Discard},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(RuleRowsText(row.set, kToday));
        const std::string script =
            WithRuleRows(WithSenderLists(own, {{"friend@example.org"}, {}}), row.set, kToday);
        // After the sender lists, before the script's own rules.
        EXPECT_LT(script.find("# end sender lists"), script.find("# begin rules"));
        EXPECT_LT(script.find("# end rules"), script.find("# rule: big"));

        const TRuleRowsRead read = ReadRuleRows(script, kToday);
        ASSERT_EQ(read.kind, TRuleRowsRead::Kind::Rows);
        TRuleSet expected = row.set;
        if (!row.back.empty())
            expected.rows[0].value = row.back;
        EXPECT_EQ(read.set, expected);
        // Written again, nothing changes; without rows, the script is what it was.
        EXPECT_EQ(WithRuleRows(script, read.set, kToday), script);
        EXPECT_EQ(ReadSenderLists(WithRuleRows(script, {}, kToday)).friends,
                  std::vector<std::string>{"friend@example.org"});
        EXPECT_EQ(TRules(script).Decide({row.header, row.size, 9}).action, row.action);
    }
}

TEST(RuleRows, AgesCountFromTheDayTheScriptRuns) {
    const std::chrono::sys_days later = kToday + std::chrono::days(40);
    const std::string own = "require [\"date\", \"relational\"];\n# rule: new year\n"
                            "if date :value \"ge\" \"date\" \"date\" \"2027-01-01\" { keep; }\n";
    const TRuleSet set{false, "old", {{F::Age, "", C::Older, "30", A::Mark}}};
    // Saved today, run today and 40 days later.
    const std::string script = WithRuleRows(own, set, kToday);
    const struct {
        std::chrono::sys_days day;
        std::string date;
        TRuleAction action;
        std::string rule;
    } rows[] = {
        {kToday, "Fri, 20 Nov 2026 10:00:00 +0000", TRuleAction::None, ""},
        {kToday, "Sun, 1 Nov 2026 10:00:00 +0000", TRuleAction::Discard, "old"},
        {later, "Fri, 20 Nov 2026 10:00:00 +0000", TRuleAction::Discard, "old"},
        {later, "Fri, 25 Dec 2026 10:00:00 +0000", TRuleAction::None, ""},
        // The date written by hand outside the block stays what it is.
        {later, "Sun, 10 Jan 2027 10:00:00 +0000", TRuleAction::Keep, "new year"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.date);
        const TRuleDecision d =
            TRules(WithAgesFrom(script, row.day)).Decide({"Date: " + row.date + "\r\n", 1, {}});
        EXPECT_EQ(d.action, row.action);
        EXPECT_EQ(d.name, row.rule);
    }
    // Later, the block is as if saved then, the rest untouched, and the dialog still shows 30.
    EXPECT_EQ(Removed(WithAgesFrom(script, later), RuleRowsText(set, later)), own);
    EXPECT_EQ(ReadRuleRows(script, later).set, set);
    // Without its days, the date is one written by hand.
    const std::string fixed = Removed(script, AgeNoteLine(30));
    ASSERT_NE(fixed, script);
    EXPECT_EQ(WithAgesFrom(fixed, later), fixed);
    EXPECT_EQ(ReadRuleRows(fixed, later).kind, TRuleRowsRead::Kind::Text);
}

TEST(RuleRows, HandEditsStayText) {
    const TRuleSet set{false, "n", {{F::Subject, "", C::Contains, "Sale", A::Mark}}};
    const std::string own = "require \"relational\";\n# mine\nif false { keep; }\n";
    const std::string script = WithRuleRows(own, set, kToday);
    // The rest of the script is untouched around the block.
    EXPECT_EQ(Removed(script, RuleRowsText(set, kToday)), own);
    // Written by hand with other spacing, the rows still show it.
    const std::string respaced = Removed(script, "\n    ");
    ASSERT_NE(respaced, script);
    EXPECT_EQ(ReadRuleRows(respaced, kToday).set, set);

    const struct {
        std::string from, to;
        int line; // of the script where the rows stop
    } edits[] = {
        {"\"subject\"", "[\"subject\", \"to\"]", 4},
        {"header :contains \"subject\"", "header :is \"from\"", 4},
        {"header :contains", "not header :matches", 4},
        {"discard;", "discard; stop;", 5},
        {"}\n# end", "}\n# rule: other\nif anyof (size :over 1) { keep; }\n# end", 8},
        {"anyof (", "anyof (true, ", 4},
        {"# end rules\n", "", 2},
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.to);
        const std::string edited =
            std::string(script).replace(script.find(edit.from), edit.from.size(), edit.to);
        const TRuleRowsRead read = ReadRuleRows(edited, kToday);
        EXPECT_EQ(read.kind, TRuleRowsRead::Kind::Text);
        EXPECT_EQ(read.line, edit.line);
        // Edited, it still runs.
        EXPECT_NO_THROW(TRules{edited});
    }
    EXPECT_EQ(ReadRuleRows(own, kToday).kind, TRuleRowsRead::Kind::None);
    EXPECT_THROW(ReadRuleRows(script + "fileinto \"x\";\n", kToday), ERuleError);
}

TEST(RuleRows, InvalidRowsAreRefused) {
    const TRuleRow rows[] = {
        {F::Subject, "", C::Contains, "", A::Mark},
        {F::Subject, "", C::Contains, "two\nlines", A::Mark},
        {F::Subject, "", C::Contains, "\xC3\x28", A::Mark},
        {F::Subject, "", C::Over, "5", A::Mark},
        {F::Header, "", C::Is, "x", A::Mark},
        {F::Header, "X Spam", C::Is, "x", A::Mark},
        {F::Size, "", C::Over, "5T", A::Mark},
        {F::Size, "", C::Over, "99999999999999999999", A::Mark},
        {F::Size, "", C::Over, "-1", A::Mark},
        {F::Age, "", C::Older, "ten", A::Mark},
        {F::SpamScore, "", C::AtLeast, "11", A::Mark},
    };
    for (const TRuleRow& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_THROW(WithRuleRows("", {false, "", {row}}, kToday), std::invalid_argument);
    }
    EXPECT_THROW(RuleRowsText({false, "a\nb", {}}, kToday), std::invalid_argument);
}
