// The pool and the training against real scorers: a private spamd, bogofilter with a word list
// of the test's own, a scorer that hangs and one that is not there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "Learn.h"
#include "ScorerProblem.h"
#include "SpamScorer.h"
#include "SpamdServer.h"
#include "StuckListener.h"
#include "TempFile.h"

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "From: Anna <anna@example.org>\r\n"
                            "To: Bert <bert@example.org>\r\n"
                            "Date: Mon, 7 Dec 2026 10:00:00 +0000\r\n"
                            "Message-ID: <m1@example.org>\r\n";
const std::string kGtube =
    kHeader + "Subject: offer\r\n\r\n"
              "XJS*C4JDBQADN1.NSBN3*2IDNEN*GTUBE-STANDARD-ANTI-UBE-TEST-EMAIL*C.34X\r\n";
const std::string kHam = kHeader + "Subject: Lunch on Friday\r\n\r\n"
                                   "Hi Bert, shall we meet at noon at the usual place? Anna\r\n";

// Scores the mails, ids 1 to n; the results in id order.
std::vector<TScoreResult> ScoreAll(TSpamScorer& scorer, const std::vector<std::string>& mails) {
    for (size_t i = 0; i < mails.size(); ++i)
        scorer.Score(i + 1, mails[i]);
    scorer.WaitIdle();
    auto results = scorer.TakeResults();
    std::sort(results.begin(), results.end(),
              [](const TScoreResult& a, const TScoreResult& b) { return a.Id < b.Id; });
    return results;
}

struct TempDir {
    fs::path Path = fs::path(::testing::TempDir()) /
                    ("spam-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::create_directories(Path); }
    ~TempDir() { fs::remove_all(Path); }
};

TEST(Scorers, SpamdRatesGtubeAsSpamAndAPlainMailAsHam) {
    if (!SpamdServer::Installed())
        GTEST_SKIP() << "spamd is not installed (Debian: spamd, spamc)";
    SpamdServer spamd;
    TScorerConfig config;
    config.Address = spamd.address();
    config.Timeout = std::chrono::seconds(60);
    TSpamScorer scorer(config);
    const auto results = ScoreAll(scorer, {kGtube, kHam});
    ASSERT_EQ(results.size(), 2u) << spamd.Log();
    ASSERT_TRUE(results[0].Score) << ScorerProblemText(*results[0].Problem, false);
    ASSERT_TRUE(results[1].Score) << ScorerProblemText(*results[1].Problem, false);
    EXPECT_TRUE(results[0].Score->IsSpam);
    EXPECT_EQ(results[0].Score->Rules.at(0).Name, "GTUBE");
    EXPECT_EQ(results[0].Score->Normalised, 10);
    EXPECT_FALSE(results[1].Score->IsSpam);
    EXPECT_LT(results[1].Score->Normalised, 5);
    EXPECT_EQ(scorer.TakeProblem(), std::nullopt);

    const TLearnOutcome learned = LearnMail(config, TLearnAs::Ham, kHam);
    EXPECT_FALSE(learned.Problem) << ScorerProblemText(*learned.Problem, false);
    EXPECT_NE(learned.Reply.find("learned"), std::string::npos) << learned.Reply;
}

TEST(Scorers, BogofilterTrainedByTheTestSeparatesSpamFromHam) {
    if (::access("/usr/bin/bogofilter", X_OK) != 0)
        GTEST_SKIP() << "bogofilter is not installed";
    TempDir dir;
    TScorerConfig config;
    config.Kind = TScorerKind::Bogofilter;
    config.WordListDir = dir.Path.string();
    for (int i = 0; i < 3; ++i) {
        for (const auto& [mail, as] : {std::pair{kGtube, TLearnAs::Spam}, {kHam, TLearnAs::Ham}}) {
            const TLearnOutcome outcome = LearnMail(config, as, mail);
            ASSERT_FALSE(outcome.Problem) << ScorerProblemText(*outcome.Problem, false);
        }
    }
    TSpamScorer scorer(config);
    const auto results = ScoreAll(scorer, {kGtube, kHam});
    ASSERT_TRUE(results[0].Score && results[1].Score);
    EXPECT_TRUE(results[0].Score->IsSpam);
    EXPECT_GT(results[0].Score->Normalised, 9);
    EXPECT_FALSE(results[1].Score->IsSpam);
    EXPECT_LT(results[1].Score->Normalised, 1);
}

// Whatever is wrong with the scorer, every mail gets its result, the problem is told once,
// and a scorer that cannot be started is not tried again.
TEST(Scorers, AFailingScorerIsToldOnceAndTheListCompletes) {
    TempDir dir;
    const fs::path sleeper = dir.Path / "hangs";
    {
        std::ofstream script(sleeper);
        script << "#!/bin/sh\ncat >/dev/null\nsleep 60\n";
    }
    fs::permissions(sleeper, fs::perms::owner_all);
    StuckListener refused;
    struct Row {
        const char* what;
        std::string program, address;
        TScorerFailure cause;
        const char* said;
        std::chrono::milliseconds timeout{300};
    };
    const std::vector<Row> rows = {
        {"hangs", sleeper.string(), "", TScorerFailure::Timeout, "no answer within 1 s"},
        {"missing", (dir.Path / "spamc").string(), "", TScorerFailure::NotFound,
         "the program was not found"},
        {"no spamd", "spamc", "127.0.0.1:" + std::to_string(refused.port()), TScorerFailure::Failed,
         "failed (spamd cannot be reached)", std::chrono::seconds(20)}, // spamc retries for 2 s
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.program == "spamc" && ::access("/usr/bin/spamc", X_OK) != 0)
            continue;
        TScorerConfig config;
        config.Program = row.program;
        config.Address = row.address;
        config.Timeout = row.timeout;
        config.Parallel = 2;
        TSpamScorer scorer(config);
        const auto results = ScoreAll(scorer, std::vector<std::string>(4, kHam));
        ASSERT_EQ(results.size(), 4u);
        for (const auto& r : results) {
            EXPECT_FALSE(r.Score);
            ASSERT_TRUE(r.Problem);
            EXPECT_EQ(r.Problem->Cause, row.cause);
        }
        const auto problem = scorer.TakeProblem();
        ASSERT_TRUE(problem);
        EXPECT_NE(ScorerProblemText(*problem, false).find(row.said), std::string::npos)
            << ScorerProblemText(*problem, false);
        EXPECT_EQ(scorer.TakeProblem(), std::nullopt);
    }
}

// A scorer or learner sees the mail on its input only: neither the temporary file a mail
// was fetched into nor any other descriptor left open without close-on-exec.
TEST(Scorers, AChildGetsNoOpenFileOfOurs) {
    const TempFile mail = TempFile::create();
    // Closed at exec for children started otherwise too (popen).
    EXPECT_NE(::fcntl(mail.fd(), F_GETFD) & FD_CLOEXEC, 0);
    const int stray = ::open(mail.path().c_str(), O_RDONLY);
    ASSERT_GE(stray, 0);
    const TChildResult run =
        RunChild({"/bin/sh", "-c", "for f in /proc/$$/fd/*; do readlink \"$f\"; done"}, "mail",
                 std::chrono::seconds(20));
    ::close(stray);
    EXPECT_EQ(run.StartError, 0);
    EXPECT_FALSE(run.Output.empty()) << run.Errors;
    EXPECT_EQ(run.Output.find(mail.path()), std::string::npos) << run.Output;
}

} // namespace
