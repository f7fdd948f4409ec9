// An account's rules add to the shared ones: a keep in either protects, and the scripts are
// read from the data folder in one way for the window and mbxpop. Errors in both languages.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "AccountRules.h"
#include "RelativeAges.h"
#include "RuleError.h"
#include "SenderLists.h"

namespace {

const std::chrono::sys_days kToday{std::chrono::year(2026) / 12 / 9};

const std::string kFriend = "From: Anna <anna@pals.example>\r\nSubject: news\r\n";
const std::string kOther = "From: shop@sale.example\r\nSubject: news\r\n";

} // namespace

TEST(AccountRules, AKeepInEitherScriptWinsAndNamesItsRule) {
    const std::string friends = WithSenderLists("", {{"anna@pals.example"}, {}});
    const std::string blocked = WithSenderLists("", {{}, {"pals.example"}});
    const std::string news =
        "# rule: news\nif header :contains \"subject\" \"news\" { discard; }\n";
    const std::string keepNews = "# rule: mine\nif true { keep; }\n";
    const struct {
        std::string shared, account, header;
        TRuleAction action;
        std::string name;
    } rows[] = {
        // The friend of the shared script against a discard of the account's.
        {friends, news, kFriend, TRuleAction::Keep, "friends"},
        {friends, news, kOther, TRuleAction::Discard, "news"},
        // The account's keep against the shared discard, and the blocked list of both.
        {news, keepNews, kOther, TRuleAction::Keep, "mine"},
        {blocked, friends, kFriend, TRuleAction::Keep, "friends"},
        {blocked, "", kFriend, TRuleAction::Discard, "blocked"},
        // The first discard names the rule: the shared script runs first.
        {news, blocked, kFriend, TRuleAction::Discard, "news"},
        {"", "", kFriend, TRuleAction::None, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shared + "|" + row.account + "|" + row.header);
        TAccountRules rules;
        rules.Add(row.shared);
        rules.Add(row.account);
        const TRuleDecision d = rules.Decide({row.header, 10, {}});
        EXPECT_EQ(d.action, row.action);
        EXPECT_EQ(d.name, row.name);
    }
}

TEST(AccountRules, LoadsTheSharedAndTheAccountsFile) {
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) /
                                         ("account-rules-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(folder / name) << text;
        return (folder / name).string();
    };
    EXPECT_EQ(AccountRulesName("pop.mail.example:995", "anna/x"),
              "rules-pop.mail.example_995-anna_x.sieve");
    EXPECT_EQ(AccountRulesName("pöp", "a"), "rules-p_p-a.sieve"); // one '_' per character

    TAccountRules rules;
    TRulesLoad load = LoadAccountRules(folder.string(), "pop.example", "anna", rules, kToday);
    EXPECT_TRUE(load.files.empty());
    EXPECT_FALSE(load.Usable());
    EXPECT_TRUE(load.failed.empty());

    const std::string shared =
        write("rules.sieve", WithSenderLists("", {{"anna@pals.example"}, {}}));
    const std::string account =
        write(AccountRulesName("pop.example", "anna"), "# rule: all\nif true { discard; }\n");
    load = LoadAccountRules(folder.string(), "pop.example", "anna", rules, kToday);
    ASSERT_TRUE(load.Usable());
    EXPECT_EQ(load.files, (std::vector<std::string>{shared, account}));
    EXPECT_EQ(rules.Decide({kFriend, 10, {}}).action, TRuleAction::Keep);
    EXPECT_EQ(rules.Decide({kOther, 10, {}}).name, "all");

    // An error in either script: nothing at all is judged, and the file is named.
    write(AccountRulesName("pop.example", "anna"), "if true { fileinto \"x\"; }\n");
    load = LoadAccountRules(folder.string(), "pop.example", "anna", rules, kToday);
    EXPECT_FALSE(load.Usable());
    EXPECT_EQ(load.failed, account);
    EXPECT_EQ(load.line, 1);
    ASSERT_TRUE(load.error);
    EXPECT_TRUE(rules.Empty());

    // A file given by name must be there.
    load = LoadRulesFiles({shared + ".none"}, rules, kToday, TMissingRules::Fail);
    EXPECT_EQ(load.failed, shared + ".none");
    EXPECT_FALSE(load.readError.empty());
    std::filesystem::remove_all(folder);
}

TEST(AccountRules, ErrorsInBothLanguages) {
    const struct {
        std::string script, english, german;
    } rows[] = {
        {"fileinto \"x\";",
         "unsupported command 'fileinto': only require, if, elsif, else, keep, discard and stop "
         "are known",
         "nicht unterstützter Befehl 'fileinto': bekannt sind nur require, if, elsif, else, keep, "
         "discard und stop"},
        {"if header \"subject\" [\"a\" { discard; }", "',' expected, not '{'",
         "',' erwartet, nicht '{'"},
        {"if header :is :is \"subject\" \"a\" { discard; }", "a second match type",
         "Vergleichstyp zum zweiten Mal"},
        {"if date \"date\" \"year\" \"2026\" { discard; }", "the date test needs require \"date\"",
         "der Test date braucht require \"date\""},
        {"if header \"subject\" \"a\"", "'{' expected, not the end of the script",
         "'{' erwartet, nicht das Ende des Skripts"},
        {"if exists \"a\" \"b\" { discard; }",
         "exists takes 1 string list after its tags, this one is too many",
         "exists nimmt nach seinen Tags eine Liste von Zeichenketten, dies ist eine zu viel"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        try {
            TAccountRules rules;
            rules.Add(row.script);
            ADD_FAILURE() << "no error";
        } catch (const ERuleError& e) {
            EXPECT_EQ(e.Text.In(false), row.english);
            EXPECT_EQ(e.what(), row.english);
            EXPECT_EQ(e.Text.In(true), row.german);
        }
    }
    // A value the rows or lists refuse, in both.
    try {
        SenderEntry("two words");
        ADD_FAILURE() << "taken";
    } catch (const ERuleValueError& e) {
        EXPECT_EQ(e.Text.In(false), "no address or domain: \"two words\"");
        EXPECT_EQ(e.Text.In(true), "keine Adresse oder Domain: \"two words\"");
    }
    // The sender lists' names in the list follow the language; others stay as written.
    EXPECT_EQ(ShownRuleName("friends", true), "Freunde");
    EXPECT_EQ(ShownRuleName("blocked", true), "Gesperrt");
    EXPECT_EQ(ShownRuleName("blocked", false), "blocked");
    EXPECT_EQ(ShownRuleName("news", true), "news");
}
