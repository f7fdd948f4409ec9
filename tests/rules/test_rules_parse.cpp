// Scripts the rules accept, and where and why they refuse the others.
#include <gtest/gtest.h>

#include <string>

#include "RuleError.h"
#include "Rules.h"

namespace {

struct Refusal {
    int line = 0, column = 0;
    std::string text;
};

Refusal RefusalOf(const std::string& script) {
    try {
        TRules rules(script);
    } catch (const ERuleError& e) {
        return {e.Line, e.Column, e.what()};
    }
    return {};
}

} // namespace

TEST(RulesParse, AcceptsTheSubset) {
    const char* const scripts[] = {
        "",
        "# nothing but a comment\n/* and\n another */",
        "keep; discard; stop;",
        "require [\"date\", \"relational\"];\n"
        "if date :value \"lt\" :originalzone \"date\" \"date\" \"2020-01-01\" { discard; }",
        "require \"spamtest\"; require \"relational\"; require \"comparator-i;ascii-numeric\";\n"
        "if spamtest :value \"ge\" :comparator \"i;ascii-numeric\" \"7\" { discard; }",
        "if allof (not exists \"x-spam\", anyof (true, false)) { keep; } elsif size :over 10K "
        "{ discard; } else { stop; }",
        "if address :domain :contains [\"from\", \"sender\"] \"example\" { discard; }",
        "if header :matches :comparator \"i;octet\" \"subject\" text:\n*Sale*\n.\n{ discard; }",
    };
    for (const char* script : scripts) {
        SCOPED_TRACE(script);
        EXPECT_EQ(RefusalOf(script).line, 0) << RefusalOf(script).text;
    }
}

TEST(RulesParse, RefusalsNameLineAndColumn) {
    const struct {
        std::string script;
        int line, column;
        std::string text;
    } rows[] = {
        {"keep;\nfileinto \"Junk\";", 2, 1, "unsupported command 'fileinto'"},
        {"if body :contains \"x\" { discard; }", 1, 4, "unsupported test 'body'"},
        {"if header :regex \"subject\" \"x\" { discard; }", 1, 11, "unsupported tag :regex"},
        {"if header :count \"ge\" \"to\" \"3\" { discard; }", 1, 11, "unsupported tag :count"},
        {"require \"vacation\";", 1, 9, "unsupported extension \"vacation\""},
        {"if date :value \"lt\" \"date\" \"date\" \"2020\" {}", 1, 4, "needs require \"date\""},
        {"require \"date\";\nif date :value \"lt\" \"date\" \"date\" \"2020\" {}", 2, 4,
         "needs require \"relational\""},
        {"if header :comparator \"i;ascii-numeric\" \"x\" \"1\" {}", 1, 4,
         "needs require \"comparator-i;ascii-numeric\""},
        {"require \"date\";\nif date \"date\" \"fortnight\" \"1\" {}", 2, 16, "unknown date part"},
        {"keep;\nrequire \"date\";", 2, 1, "require must come before"},
        {"keep", 1, 5, "';' expected"},
        {"if true { keep; ", 1, 17, "'}' expected"},
        {"if header \"subject\" { keep; }", 1, 4, "takes 2 string lists"},
        {"if header :is :contains \"a\" \"b\" {}", 1, 15, "a second match type"},
        {"if size 100 {}", 1, 9, "size takes :over or :under"},
        {"if size :over 99999999999999999999 {}", 1, 15, "too large"},
        {"else { keep; }", 1, 1, "without an if"},
        {"if header \"sub ject\" \"x\" {}", 1, 11, "no header field name"},
        {"if header \"subject\" \"unclosed {}", 1, 21, "never closed"},
        {"keep; /* open", 1, 7, "never closed"},
        {"if true { keep; } \x01", 1, 19, "unexpected character '\\x01'"},
        {"if " + std::string(40, '(') + "true", 1, 4, "a test expected"},
        {std::string(40, ' ') + "if " +
             [] {
                 std::string s;
                 for (int i = 0; i < 40; ++i)
                     s += "not ";
                 return s;
             }() +
             "true {}",
         1, 168, "nested deeper than 32"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        const Refusal r = RefusalOf(row.script);
        EXPECT_EQ(r.line, row.line) << r.text;
        EXPECT_EQ(r.column, row.column) << r.text;
        EXPECT_NE(r.text.find(row.text), std::string::npos) << r.text;
    }
}

TEST(RulesParse, ScriptsPastTheSizeLimitAreRefused) {
    const Refusal r = RefusalOf(std::string(2 * 1024 * 1024, ' '));
    EXPECT_EQ(r.line, 1);
    EXPECT_NE(r.text.find("larger than"), std::string::npos) << r.text;
}
