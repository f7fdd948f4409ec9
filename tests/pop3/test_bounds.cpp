// Servers that trickle or never stop: every answer is bounded in time and in size.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <optional>

#include "SessionFixture.h"

namespace {

using namespace std::chrono_literals;
using clock_type = std::chrono::steady_clock;

const std::string kGreeting = "+OK ready\r\n";
// Far shorter than any trickle below, so a client that waits for its end is caught.
constexpr auto kShortReceive = 400ms;
constexpr auto kTrickleStep = 50ms;
constexpr int kTrickleSteps = 200; // 10 s of dripping
constexpr auto kWellBeforeTheTrickleEnds = 5s;

// `start`, then `drop` every kTrickleStep without end (as far as the client waits).
void Trickle(ScriptedServer& server, const std::string& start, const std::string& drop) {
    server.Send(start);
    for (int i = 0; i < kTrickleSteps; ++i) {
        server.Pause(kTrickleStep);
        server.Send(drop);
    }
}

struct Failure {
    TFailureCause cause = TFailureCause::Other;
    std::string text;
    clock_type::duration took{};
};

// The transport failure of `call`; nullopt when it returned.
std::optional<Failure> FailureOf(const std::function<void()>& call) {
    const auto start = clock_type::now();
    try {
        call();
    } catch (const ESocketError& e) {
        return Failure{e.Cause, e.what(), clock_type::now() - start};
    }
    return std::nullopt;
}

class Bounds : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(tmp.Files().empty()) << "a temporary file was left behind";
    }
    PrivateTempDir tmp;
};

std::string Header(TMbxPOP& pop) {
    std::string header;
    pop.GetMsgHeader(1, header);
    return header;
}

} // namespace

TEST_F(Bounds, StatusLinesAreCompleteWithinTheReceiveTimeoutInTotal) {
    struct Row {
        std::string name;
        std::string start, drop;
        std::function<void(TMbxPOP&)> call;
    };
    const std::vector<Row> rows = {
        {"greeting", "+OK rea", "d", [](TMbxPOP& p) { p.Connect(); }},
        {"single-line answer", "+OK 3 9", "9", [](TMbxPOP& p) { p.Stat(); }},
        {"first line of a multi-line answer", "+OK top fol", "l", [](TMbxPOP& p) { Header(p); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        const bool greeted = row.name != "greeting";
        if (greeted) {
            server.Send(kGreeting);
            server.AwaitLine();
        }
        Trickle(server, row.start, row.drop);
        server.Start();
        TMbxPOP pop;
        PointAt(pop, server);
        pop.ReceiveTimeout = kShortReceive;
        if (greeted)
            pop.Connect();
        const auto failure = FailureOf([&] { row.call(pop); });
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->cause, TFailureCause::Timeout);
        EXPECT_EQ(failure->text, SocketErrorText(ETIMEDOUT, "recv"));
        EXPECT_LT(failure->took, kWellBeforeTheTrickleEnds);
        EXPECT_FALSE(pop.Connected());
    }
}

TEST_F(Bounds, MultiLineAnswersKeepAMinimumAverageRate) {
    struct Row {
        std::string name;
        std::function<void(ScriptedServer&)> answer; // after the greeting
        std::function<void(TMbxPOP&)> call;
        bool passes;
    };
    const std::string drop = "X-Drip: x\r\n"; // some 220 bytes per second
    // 512 bytes every step: some 10 KiB/s, for longer than the receive time-out.
    std::string steady;
    for (int i = 0; i < 64; ++i)
        steady += std::string(62, 's') + "\r\n";
    const std::vector<Row> rows = {
        {"trickled header",
         [&](ScriptedServer& s) {
             s.AwaitLine();
             Trickle(s, "+OK\r\n", drop);
         },
         [](TMbxPOP& p) { Header(p); }, false},
        {"trickled retrieval",
         [&](ScriptedServer& s) {
             s.AwaitLine();
             s.Send("+OK 1 5000\r\n");
             s.AwaitLine();
             Trickle(s, "+OK\r\nSubject: slow\r\n\r\n", drop);
         },
         [](TMbxPOP& p) { p.Retrieve(1); }, false},
        {"slow but steady retrieval",
         [&](ScriptedServer& s) {
             s.AwaitLine();
             s.Send("+OK 1 15360\r\n");
             s.AwaitLine();
             s.Send("+OK\r\nSubject: steady\r\n\r\n");
             for (int i = 0; i < 30; ++i) {
                 s.Pause(kTrickleStep);
                 s.Send(steady);
             }
             s.Send(".\r\n");
         },
         [](TMbxPOP& p) {
             const auto msg = p.Retrieve(1);
             ASSERT_NE(msg, nullptr);
             EXPECT_EQ(msg->Subject, "steady");
             EXPECT_EQ(msg->Text.size(), 30u * 64u);
         },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        server.Send(kGreeting);
        row.answer(server);
        server.Start();
        TMbxPOP pop;
        PointAt(pop, server);
        pop.ReceiveTimeout = kShortReceive;
        pop.Connect();
        const auto failure = FailureOf([&] { row.call(pop); });
        EXPECT_EQ(pop.Connected(), row.passes);
        if (row.passes) {
            EXPECT_FALSE(failure) << failure->text;
            EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
            continue;
        }
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->cause, TFailureCause::Bounds);
        EXPECT_EQ(failure->text, kTextAnswerTooSlow);
        EXPECT_LT(failure->took, kWellBeforeTheTrickleEnds);
    }
}

TEST_F(Bounds, EndlessRetrievalStopsAtItsBudget) {
    struct Row {
        std::string listed;
        uint64_t budget;
    };
    TAnswerLimits limits;
    limits.RetrieveSlack = 64 * 1024;
    limits.UnlistedRetrieveBudget = 128 * 1024;
    const std::vector<Row> rows = {
        {"500", 2 * 500 + 64 * 1024}, {"many", 128 * 1024}, {"0", 128 * 1024}};
    std::string endless = "+OK\r\nSubject: endless\r\n\r\n";
    while (endless.size() < 1024 * 1024)
        endless += std::string(78, 'e') + "\r\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.listed);
        ScriptedServer server;
        server.Send(kGreeting);
        server.AwaitLine();
        server.Send("+OK 1 " + row.listed + "\r\n");
        server.AwaitLine();
        server.Send(endless);
        server.Start();
        TMbxPOP pop;
        PointAt(pop, server);
        pop.AnswerLimits = limits;
        uint64_t answered = 0;
        bool retrieving = false;
        pop.OnSendTextToSocket = [&](TObject*, const std::string& s) {
            retrieving = !s.starts_with("LIST"); // the mail comes by TOP or RETR
        };
        pop.OnReceiveTextFromSocket = [&](TObject*, const std::string& s) {
            answered += retrieving ? s.size() : 0;
        };
        std::vector<std::string> events;
        pop.OnQuit = [&](TObject*) { events.push_back("quit"); };
        pop.OnError = [&](TObject*, int code, const std::string&) {
            events.push_back("error " + std::to_string(code));
        };
        pop.Connect();
        const auto failure = FailureOf([&] { pop.Retrieve(1); });
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->cause, TFailureCause::Bounds);
        EXPECT_EQ(failure->text, kTextOverListedSize);
        // Read up to the receive that passed the budget, and not one further.
        EXPECT_GT(answered, row.budget);
        EXPECT_LE(answered, row.budget + 1024);
        EXPECT_EQ(events, (std::vector<std::string>{"quit", "error " + std::to_string(EMSGSIZE)}));
        EXPECT_TRUE(tmp.Files().empty());
    }
}
