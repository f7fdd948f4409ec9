// Friends and blocked senders written into a script, read back, and acted on.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "RuleError.h"
#include "Rules.h"
#include "SenderLists.h"

TEST(SenderLists, WrittenReadBackAndActedOn) {
    const std::string own = "require \"relational\";\n# rule: big\nif size :over 1 { discard; }\n";
    const TSenderLists lists{{"anna@example.org", "friends.example"}, {"spam.example"}};
    const struct {
        std::string own, without; // the script, and what it is once the lists are gone again
    } scripts[] = {
        {own, own},
        // A require line that ends the script without a line break.
        {"require \"relational\";", "require \"relational\";\n"},
    };
    for (const auto& s : scripts) {
        SCOPED_TRACE(s.own);
        const std::string script = WithSenderLists(s.own, lists);
        // The block follows the require and comes before the script's own rules.
        EXPECT_EQ(script.find("require"), 0u);
        EXPECT_LT(script.find("# rule: blocked"), script.find("# rule: big"));

        const TSenderLists back = ReadSenderLists(script);
        EXPECT_EQ(back.friends, lists.friends);
        EXPECT_EQ(back.blocked, lists.blocked);
        // Replaced, not added again; empty lists take the block away.
        EXPECT_EQ(WithSenderLists(script, lists), script);
        EXPECT_EQ(WithSenderLists(script, {}), s.without);
    }
    const std::string script = WithSenderLists(own, lists);

    const struct {
        std::string from;
        TRuleAction action;
        std::string rule;
    } rows[] = {
        {"Anna <ANNA@example.org>", TRuleAction::Keep, "friends"},
        {"x@friends.example", TRuleAction::Keep, "friends"},
        {"x@sub.friends.example", TRuleAction::Discard, "big"},
        {"x@spam.example", TRuleAction::Discard, "blocked"},
        {"bob@example.org", TRuleAction::Discard, "big"},
    };
    const TRules rules(script);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.from);
        const std::string header = "From: " + row.from + "\r\n";
        const TRuleDecision d = rules.Decide({header, 10, {}});
        EXPECT_EQ(d.action, row.action);
        EXPECT_EQ(d.name, row.rule);
    }
}

TEST(SenderLists, AlwaysKeepAndAlwaysMarkMoveTheSender) {
    std::string script = "if true { discard; }\n";
    const std::string bob =
        SenderOf("Subject: x\r\nFrom: \"Bob, B.\" (home) <Bob@Example.org>\r\n");
    EXPECT_EQ(bob, "bob@example.org");
    EXPECT_EQ(SenderOf("Subject: x\r\n\r\nFrom: a@b.example\r\n"), "");
    script = AlwaysMarkFrom(script, " <" + bob + "> ");
    script = AlwaysKeepFrom(script, "friends.example");
    EXPECT_EQ(ReadSenderLists(script).blocked, std::vector<std::string>{"bob@example.org"});
    script = AlwaysKeepFrom(script, "bob@example.org");
    const TSenderLists lists = ReadSenderLists(script);
    EXPECT_EQ(lists.friends, (std::vector<std::string>{"bob@example.org", "friends.example"}));
    EXPECT_TRUE(lists.blocked.empty());
    EXPECT_EQ(TRules(script).Decide({"From: bob@example.org\r\n", 1, {}}).action,
              TRuleAction::Keep);

    for (const char* bad : {"", "  ", "a b@c", "x\"@y", "back\\slash"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(AlwaysKeepFrom(script, bad), std::invalid_argument);
    }
}

TEST(SenderLists, AChangedBlockIsAnErrorWithItsLine) {
    const std::string block = SenderListsText({{"a@b.example"}, {}});
    const struct {
        std::string script;
        int line;
    } rows[] = {
        {"keep;\n" + block.substr(0, block.find("# end")), 2},
        {"keep;\n" + std::string(block).replace(block.find("keep;"), 5, "discard;"), 4},
        {"keep;\n" + std::string(block).replace(block.find(":is"), 3, ":contains"), 4},
        {"keep;\n" + std::string(block).replace(block.find("friends"), 7, "pals"), 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        try {
            ReadSenderLists(row.script);
            ADD_FAILURE() << "read without an error";
        } catch (const ERuleError& e) {
            EXPECT_EQ(e.Line, row.line) << e.what();
        }
    }
}
