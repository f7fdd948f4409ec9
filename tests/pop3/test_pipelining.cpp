// The listing and deletion passes with commands in flight (PIPELINING) and one at a time.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/socket.h>

#include "SessionFixture.h"

namespace {

const std::string kPipelining = "+OK\r\nTOP\r\nPIPELINING\r\n.\r\n";

std::string TopAnswer(unsigned n) {
    return "+OK\r\nSubject: mail " + std::to_string(n) + "\r\n..dotted\r\n\r\n.\r\n";
}
std::string ListAnswer(unsigned n) {
    return "+OK " + std::to_string(n) + " " + std::to_string(n * 100) + "\r\n";
}
std::string Row(unsigned n) {
    return std::to_string(n) + " " + std::to_string(n * 100) + " Subject: mail " +
           std::to_string(n) + "\r\n..dotted\r\n\r\n.\r\n";
}

// Greeting, USER, PASS and the CAPA after login.
void ScriptLogin(ScriptedServer& server, const std::string& capa) {
    server.Send("+OK ready\r\n");
    for (const char* answer : {"+OK\r\n", "+OK in\r\n"}) {
        server.AwaitLine();
        server.Send(answer);
    }
    server.AwaitLine();
    server.Send(capa);
}

class Pipelining : public SessionTest {
protected:
    void LogIn() {
        StartAndConnect();
        pop.UserId = "bob";
        pop.UserPasswd = "pw";
        ASSERT_TRUE(pop.Login());
    }
    TMbxPOP::TPassEnd List(TMsgNumber count, unsigned cancelAfter = 0) {
        return pop.ListMails(
            count,
            [&](TMsgNumber n, const std::string& header, const std::string& size) {
                rows.push_back(std::to_string(n) + " " + size + " " + header);
            },
            [&] { return cancelAfter > 0 && rows.size() >= cancelAfter; });
    }
    // The commands after the login's USER, PASS and CAPA.
    std::vector<std::string> Commands() {
        const auto heard = ServerHeard();
        return std::vector<std::string>(heard.begin() + std::min<size_t>(3, heard.size()),
                                        heard.end());
    }
    std::vector<std::string> rows;
};

// A mailbox of count mails that exists only in its answers, each header padded to at least
// headerBytes: every line is answered on demand, in order.
std::function<std::string(const std::string&)> MailboxOf(unsigned count, size_t headerBytes = 0) {
    return [count, headerBytes](const std::string& line) -> std::string {
        const auto number = [&](size_t at) { return std::stoul(line.substr(at)); };
        if (line == "CAPA")
            return kPipelining;
        if (line == "STAT")
            return "+OK " + std::to_string(count) + " " + std::to_string(count * 100ull) + "\r\n";
        if (line.starts_with("TOP ")) {
            std::string header = "Subject: mail " + std::to_string(number(4)) + "\r\n";
            if (header.size() < headerBytes)
                header += "X-Pad: " + std::string(headerBytes - header.size(), 'p') + "\r\n";
            return "+OK\r\n" + header + "\r\n.\r\n";
        }
        if (line.starts_with("list "))
            return "+OK " + std::to_string(number(5)) + " 100\r\n";
        return "+OK\r\n"; // USER, PASS, DELE, QUIT
    };
}

// A client logged in to the server, which must have been started.
void LogInTo(TMbxPOP& client, const ScriptedServer& server) {
    PointAt(client, server);
    client.UserId = "bob";
    client.UserPasswd = "pw";
    client.Connect();
    ASSERT_TRUE(client.Connected()) << client.OpenError();
    ASSERT_TRUE(client.Login());
    ASSERT_TRUE(client.Capabilities().Pipelining);
}

std::vector<std::string> ListingCommands(unsigned from, unsigned to) {
    std::vector<std::string> lines;
    for (unsigned n = from; n <= to; ++n) {
        lines.push_back("TOP " + std::to_string(n) + " 0");
        lines.push_back("list " + std::to_string(n));
    }
    return lines;
}

} // namespace

TEST_F(Pipelining, AnswersInOnePacketOrOneByteAtATimeGiveTheSameRows) {
    for (const bool byteByByte : {false, true}) {
        SCOPED_TRACE(byteByByte ? "one byte per receive" : "all answers in one packet");
        ScriptedServer server;
        server.SetPaced(true);
        ScriptLogin(server, kPipelining);
        std::string answers;
        for (unsigned n = 1; n <= 3; ++n) {
            server.AwaitLine();
            server.AwaitLine();
            answers += TopAnswer(n) + ListAnswer(n);
        }
        if (byteByByte) {
            for (const char c : answers)
                server.Send(std::string(1, c));
        } else {
            server.Send(answers);
        }
        server.Start();
        TMbxPOP client;
        PointAt(client, server);
        size_t receives = 0;
        client.OnReceiveTextFromSocket = [&](TObject*, const std::string& s) {
            ++receives;
            server.NoteClientRead(s.size());
        };
        client.Connect();
        ASSERT_TRUE(client.Login());
        std::vector<std::string> got;
        EXPECT_EQ(
            client.ListMails(3,
                             [&](TMsgNumber n, const std::string& header, const std::string& size) {
                                 got.push_back(std::to_string(n) + " " + size + " " + header);
                             },
                             {}),
            TMbxPOP::TPassEnd::Complete);
        EXPECT_EQ(got, (std::vector<std::string>{Row(1), Row(2), Row(3)}));
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
        if (byteByByte) {
            EXPECT_GE(receives, answers.size());
        }
        EXPECT_TRUE(client.Connected());
    }
}

TEST_F(Pipelining, CancelReadsTheAnswersInFlightAndKeepsTheSessionInStep) {
    pop.PipelineBytes = 40; // two mails in flight (17 bytes each)
    ScriptLogin(server, kPipelining);
    for (int i = 0; i < 4; ++i)
        server.AwaitLine();
    server.Send(TopAnswer(1) + ListAnswer(1));
    server.Send(TopAnswer(2) + ListAnswer(2));
    server.AwaitLine(); // QUIT
    server.Send("+OK bye\r\n");
    LogIn();
    EXPECT_EQ(List(6, 1), TMbxPOP::TPassEnd::Cancelled);
    EXPECT_EQ(rows, (std::vector<std::string>{Row(1), Row(2)})); // both were asked for
    pop.Quit();
    EXPECT_FALSE(pop.Failed()) << "QUIT got the answer to a listing command";
    auto expected = ListingCommands(1, 2);
    expected.push_back("QUIT");
    EXPECT_EQ(Commands(), expected);
}

TEST_F(Pipelining, RefusedTopInTheWindowEndsTheSessionAfterReadingTheRest) {
    ScriptLogin(server, kPipelining);
    for (int i = 0; i < 6; ++i)
        server.AwaitLine();
    server.Send(TopAnswer(1) + ListAnswer(1) + "-ERR mail 2 is gone\r\n" + ListAnswer(2) +
                TopAnswer(3) + ListAnswer(3));
    server.AwaitClientClose();
    LogIn();
    EXPECT_EQ(List(3), TMbxPOP::TPassEnd::SessionEnded);
    EXPECT_EQ(rows, (std::vector<std::string>{Row(1)}));
    EXPECT_FALSE(pop.Connected());
    EXPECT_EQ(events,
              (std::vector<std::string>{"connect", "quit", "error pop 2005 mail 2 is gone"}));
    EXPECT_EQ(Commands(), ListingCommands(1, 3));
}

TEST_F(Pipelining, RefusedDeleInTheWindowSendsNoQuit) {
    ScriptLogin(server, kPipelining);
    for (int i = 0; i < 4; ++i)
        server.AwaitLine();
    server.Send("+OK\r\n-ERR locked\r\n+OK\r\n+OK\r\n");
    server.AwaitClientClose();
    LogIn();
    std::vector<TMsgNumber> deleted;
    EXPECT_EQ(pop.DeleteMails({5, 4, 3, 2}, [&](TMsgNumber n) { deleted.push_back(n); }),
              TMbxPOP::TPassEnd::SessionEnded);
    EXPECT_EQ(deleted, (std::vector<TMsgNumber>{5}));
    pop.Quit(); // nothing to do any more
    EXPECT_EQ(events,
              (std::vector<std::string>{"connect", "delete 5", "quit", "error pop 2003 locked"}));
    EXPECT_EQ(Commands(), (std::vector<std::string>{"DELE 5", "DELE 4", "DELE 3", "DELE 2"}));
}

TEST_F(Pipelining, WithoutPipeliningEveryCommandWaitsForTheAnswerBefore) {
    struct Row {
        std::string name, capa;
        bool allow;
    } const table[] = {
        {"not listed", "+OK\r\nTOP\r\n.\r\n", true},
        {"CAPA refused", "-ERR what\r\n", true},
        {"listed, not allowed", kPipelining, false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        server.SetLockStepCheck(true);
        ScriptLogin(server, row.capa);
        for (unsigned n = 1; n <= 3; ++n) {
            server.AwaitLine();
            server.Send(TopAnswer(n));
            server.AwaitLine();
            server.Send(ListAnswer(n));
        }
        for (int i = 0; i < 2; ++i) {
            server.AwaitLine();
            server.Send("+OK\r\n");
        }
        server.Start();
        TMbxPOP client;
        PointAt(client, server);
        client.AllowPipelining = row.allow;
        client.Connect();
        ASSERT_TRUE(client.Login());
        int rows = 0;
        EXPECT_EQ(client.ListMails(
                      3, [&](TMsgNumber, const std::string&, const std::string&) { ++rows; }, {}),
                  TMbxPOP::TPassEnd::Complete);
        EXPECT_EQ(rows, 3);
        EXPECT_EQ(client.DeleteMails({3, 1}, {}), TMbxPOP::TPassEnd::Complete);
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
        EXPECT_TRUE(client.Connected());
    }
}

TEST_F(Pipelining, AnswersInFlightKeepTheBoundsOfEveryAnswer) {
    // A receive of up to 1 KiB may hold the start of later answers, and counts for this one.
    pop.AnswerLimits.MaxHeaderAnswer = 1100;
    ScriptLogin(server, kPipelining);
    for (int i = 0; i < 4; ++i)
        server.AwaitLine();
    server.Send(TopAnswer(1) + ListAnswer(1) + "+OK\r\nSubject: " + std::string(3000, 'x'));
    server.AwaitClientClose();
    LogIn();
    try {
        List(2);
        ADD_FAILURE() << "a header past its budget was taken";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.Cause, TFailureCause::Bounds);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{Row(1)}));
    EXPECT_FALSE(pop.Connected());
}

TEST(BigMailbox, SeventyThousandMailsAreListedInOrderAndTheLastIsDeletedExactly) {
    constexpr TMsgNumber kCount = 70000; // past what 16 bits hold
    ScriptedServer server;
    server.Send("+OK ready\r\n");
    server.AnswerEachLine(MailboxOf(kCount), "QUIT");
    server.Start();
    TMbxPOP pop;
    ASSERT_NO_FATAL_FAILURE(LogInTo(pop, server));
    pop.Stat();
    ASSERT_EQ(pop.MessageCount(), kCount);
    TMsgNumber next = 1;
    size_t wrong = 0;
    EXPECT_EQ(pop.ListMails(
                  pop.MessageCount(),
                  [&](TMsgNumber n, const std::string& header, const std::string& size) {
                      wrong += n != next || size != "100" ||
                               header != "Subject: mail " + std::to_string(n) + "\r\n\r\n.\r\n";
                      ++next;
                  },
                  {}),
              TMbxPOP::TPassEnd::Complete);
    EXPECT_EQ(next, kCount + 1);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(pop.DeleteMails({kCount}, {}), TMbxPOP::TPassEnd::Complete);
    EXPECT_EQ(pop.MessageCount(), kCount - 1);
    pop.Quit();
    EXPECT_FALSE(pop.Failed());
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    const auto heard = server.ReceivedLines();
    std::vector<std::string> deletes;
    std::copy_if(heard.begin(), heard.end(), std::back_inserter(deletes),
                 [](const std::string& line) { return line.starts_with("DELE"); });
    EXPECT_EQ(deletes, std::vector<std::string>{"DELE 70000"});
    EXPECT_EQ(heard.back(), "QUIT");
}

TEST(BigMailbox, AServerThatDoesNotReadWhileItWritesCannotBlockTheListing) {
    // The smallest buffers on both sides hold far less than the commands in flight, and the
    // answers to one read of commands are far more than the client's socket takes: a client
    // that waited to send everything before it reads would wait for ever.
    constexpr TMsgNumber kCount = 3000;
    ScriptedServer server;
    server.UseSmallestBuffers();
    server.Send("+OK ready\r\n");
    server.AnswerEachLine(MailboxOf(kCount, 2048), "QUIT");
    server.Start();
    TMbxPOP pop;
    pop.ReceiveTimeout = std::chrono::seconds(20);
    pop.OnConnect = [&](TObject*) {
        const int smallest = 1;
        ::setsockopt(pop.ClientSocket().Socket()->Handle(), SOL_SOCKET, SO_SNDBUF, &smallest,
                     sizeof smallest);
    };
    ASSERT_NO_FATAL_FAILURE(LogInTo(pop, server));
    TMsgNumber rows = 0;
    EXPECT_EQ(pop.ListMails(kCount, [&](TMsgNumber, const std::string&, const std::string&) { ++rows; },
                            {}),
              TMbxPOP::TPassEnd::Complete);
    EXPECT_EQ(rows, kCount);
    pop.Quit();
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
}
