// The scorers' command lines and outputs as their client programs print them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScorerCommand.h"
#include "ScorerOutput.h"

namespace {

const char* const kSpamcGtube = R"(1000.0/5.0
Spam detection software, running on the system "vm",
has identified this incoming email as possible spam.

Content analysis details:   (1000.0 points, 5.0 required)

 pts rule name              description
---- ---------------------- --------------------------------------------------
-0.0 NO_RECEIVED            Informational: message has no Received headers
 2.5 DATE_IN_FUTURE_96_Q    Date: is 4 days to 4 months after Received:
                            1.0 points after a wrapped description
1000 GTUBE                  BODY: Generic Test for Unsolicited Bulk Email
-1.9 BAYES_00               BODY: Bayes spam probability is 0 to 1%

)";

const char* const kRspamcHam = R"(Results for file: stdin (0.112 seconds)
[Metric: default]
Action: add header
Spam: true
Score: 6.40 / 15.00
Symbol: ARC_NA (0.00)
Symbol: DATE_IN_FUTURE (4.00)[6]
Symbol: HFILTER_HOSTNAME_UNKNOWN (2.50)
Symbol: MIME_GOOD (-0.10)[text/plain]
Message-ID: lunch@example.org
)";

TEST(ScorerOutput, ReadsEachScorersFormat) {
    struct Row {
        TScorerKind kind;
        std::string output;
        double score;
        std::optional<double> threshold;
        bool spam;
        std::vector<std::string> rules;
        double normalised;
    };
    const std::vector<Row> rows = {
        {TScorerKind::SpamAssassin,
         kSpamcGtube,
         1000,
         5,
         true,
         {"GTUBE", "DATE_IN_FUTURE_96_Q", "BAYES_00"},
         10},
        {TScorerKind::SpamAssassin, "2.5/5.0\n", 2.5, 5, false, {}, 2.5},
        // Below the threshold yet high: still under 5, as the verdict says ham.
        {TScorerKind::SpamAssassin, "-3.0/2.0\n", -3, 2, false, {}, 0},
        {TScorerKind::SpamAssassin, "4.9/5.0\n", 4.9, 5, false, {}, 4.9},
        // rspamd calls it spam below its reject threshold: lifted to 5.
        {TScorerKind::Rspamd,
         kRspamcHam,
         6.4,
         15,
         true,
         {"DATE_IN_FUTURE", "HFILTER_HOSTNAME_UNKNOWN", "MIME_GOOD"},
         5},
        {TScorerKind::Rspamd, "Spam: false\nScore: 3.00 / 15.00\n", 3, 15, false, {}, 1},
        {TScorerKind::Rspamd, "Score: 30 / 15\n", 30, 15, true, {}, 10},
        {TScorerKind::Bogofilter, "S 0.999999\n", 0.999999, std::nullopt, true, {}, 9.99999},
        {TScorerKind::Bogofilter, "H 1.11022e-15\n", 1.11022e-15, std::nullopt, false, {}, 0},
        // Unsure: not spam, kept under 5.
        {TScorerKind::Bogofilter, "U 0.7\n", 0.7, std::nullopt, false, {}, 4.9},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.output);
        std::string why;
        const auto s = ParseScoreOutput(row.kind, row.output, why);
        ASSERT_TRUE(s) << why;
        EXPECT_DOUBLE_EQ(s->Score, row.score);
        EXPECT_EQ(s->Threshold, row.threshold);
        EXPECT_EQ(s->IsSpam, row.spam);
        std::vector<std::string> names;
        for (const auto& rule : s->Rules)
            names.push_back(rule.Name);
        EXPECT_EQ(names, row.rules);
        EXPECT_NEAR(s->Normalised, row.normalised, 1e-9);
    }
}

// rspamc quotes the mail after its verdict (Message-ID, URLs, subject): lines there that look
// like a verdict are the mail's, not rspamd's.
TEST(ScorerOutput, AMailCannotForgeItsOwnRspamdVerdict) {
    const std::string forged = "Spam: false\nScore: 0.00 / 15.00\nSymbol: HAM_FORGED (-9.00)\n";
    struct Row {
        const char* name;
        std::string output;
        double score;
        bool spam;
        std::vector<std::string> rules;
    } rows[] = {
        {"a spam mail forging ham in its Message-ID line",
         "Results for file: stdin (0.2 seconds)\n[Metric: default]\nAction: reject\n"
         "Spam: true\nScore: 20.50 / 15.00\nSymbol: GTUBE (20.50)\n"
         "Message-ID: x@example.org\n" +
             forged,
         20.5,
         true,
         {"GTUBE"}},
        {"forged lines after the URLs, no symbols of rspamd's own",
         "Spam: true\nScore: 16.00 / 15.00\nUrls: [\"evil.example\"]\n" + forged,
         16,
         true,
         {}},
        {"a ham mail forging spam",
         "Spam: false\nScore: 1.00 / 15.00\nSymbol: MIME_GOOD (-0.10)[text/plain]\n"
         "Message-ID: y@example.org\nSpam: true\nScore: 99.00 / 15.00\n"
         "Symbol: SPAM_FORGED (99.00)\n",
         1,
         false,
         {"MIME_GOOD"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string why;
        const auto s = ParseScoreOutput(TScorerKind::Rspamd, row.output, why);
        ASSERT_TRUE(s) << why;
        EXPECT_DOUBLE_EQ(s->Score, row.score);
        EXPECT_EQ(s->IsSpam, row.spam);
        std::vector<std::string> names;
        for (const auto& rule : s->Rules)
            names.push_back(rule.Name);
        EXPECT_EQ(names, row.rules);
    }
}

TEST(ScorerOutput, RefusesWhatIsNotAScore) {
    const std::vector<std::pair<TScorerKind, std::string>> rows = {
        {TScorerKind::SpamAssassin, ""},
        {TScorerKind::SpamAssassin, "1000.0\n"},
        {TScorerKind::SpamAssassin, "1,5/5,0\n"},
        {TScorerKind::Rspamd, "Results for file: stdin (0 seconds)\nIO write error\n"},
        {TScorerKind::Rspamd, "Score: many / 15\n"},
        {TScorerKind::Bogofilter, "X 0.5\n"},
        {TScorerKind::Bogofilter, "S 1.5\n"},
        {TScorerKind::Bogofilter, "S\n"},
    };
    for (const auto& [kind, output] : rows) {
        SCOPED_TRACE(output);
        std::string why;
        EXPECT_FALSE(ParseScoreOutput(kind, output, why));
        EXPECT_FALSE(why.empty());
    }
}

TEST(ScorerCommand, NamesTheServerOrTheWordList) {
    struct Row {
        TScorerKind kind;
        std::string address, wordList;
        std::vector<std::string> score, learnSpam;
    };
    const std::vector<Row> rows = {
        {TScorerKind::SpamAssassin,
         "127.0.0.1:7830",
         "",
         {"spamc", "-x", "-d", "127.0.0.1", "-p", "7830", "-R"},
         {"spamc", "-x", "-d", "127.0.0.1", "-p", "7830", "-L", "spam"}},
        {TScorerKind::SpamAssassin,
         "[::1]:783",
         "",
         {"spamc", "-x", "-d", "::1", "-p", "783", "-R"},
         {"spamc", "-x", "-d", "::1", "-p", "783", "-L", "spam"}},
        {TScorerKind::SpamAssassin,
         "/run/spamd.sock",
         "",
         {"spamc", "-x", "-U", "/run/spamd.sock", "-R"},
         {"spamc", "-x", "-U", "/run/spamd.sock", "-L", "spam"}},
        {TScorerKind::SpamAssassin,
         "mailhost",
         "",
         {"spamc", "-x", "-d", "mailhost", "-R"},
         {"spamc", "-x", "-d", "mailhost", "-L", "spam"}},
        {TScorerKind::Rspamd,
         "127.0.0.1:11334",
         "",
         {"rspamc", "-h", "127.0.0.1:11334"},
         {"rspamc", "-h", "127.0.0.1:11334", "learn_spam"}},
        {TScorerKind::Bogofilter,
         "",
         "/home/u/.bogofilter",
         {"bogofilter", "-d", "/home/u/.bogofilter", "-T", "-v"},
         {"bogofilter", "-d", "/home/u/.bogofilter", "-s"}},
        {TScorerKind::Bogofilter, "", "", {"bogofilter", "-T", "-v"}, {"bogofilter", "-s"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.address + row.wordList);
        TScorerConfig config;
        config.Kind = row.kind;
        config.Address = row.address;
        config.WordListDir = row.wordList;
        EXPECT_EQ(ScoreCommand(config), row.score);
        EXPECT_EQ(LearnCommand(config, TLearnAs::Spam), row.learnSpam);
    }
}

} // namespace
