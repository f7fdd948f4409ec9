// TMbxPOP against a scripted server: exact bytes, exact pieces, exact commands.
#include <gtest/gtest.h>

#include <stdexcept>

#include "SessionFixture.h"

namespace {

const std::string kGreeting = "+OK ready\r\n";

} // namespace

TEST(ReplyJudging, StatusAndTextOfTheFirstLine) {
    struct Row {
        std::string greeting, status, text;
        bool failed;
    } rows[] = {
        {"+OK ready\r\n", "+OK", "ready", false},
        {"+OK\r\n", "+OK", "", false}, // no text at all
        {"+OK   spaced out  \r\n", "+OK", "spaced out", false},
        {"-ERR go away\r\n", "-ERR", "go away", true},
        {"-err lower case\r\n", "-err", "lower case", false}, // only "-ERR" is a refusal
        {"+OK a\r\nsecond line\r\n", "+OK", "a", false},
        {"*\r\n", "*", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.greeting);
        ScriptedServer server;
        server.Send(row.greeting);
        server.Start();
        TMbxPOP pop;
        PointAt(pop, server);
        int errors = 0;
        pop.OnError = [&](TObject*, int, const std::string&) { ++errors; };
        pop.Connect();
        EXPECT_TRUE(pop.Connected());
        EXPECT_EQ(pop.ReplyStatus(), row.status);
        EXPECT_EQ(pop.ReplyText(), row.text);
        EXPECT_EQ(pop.Failed(), row.failed);
        EXPECT_EQ(errors, 0); // a refused greeting is only flagged
    }
}

using Session = SessionTest;

TEST_F(Session, CommandsAreSentByteForByte) {
    server.Send(kGreeting);
    for (const char* answer :
         {"+OK\r\n", "+OK logged in\r\n", "-ERR no CAPA\r\n", "+OK 3 1200\r\n", "+OK 2 3456\r\n",
          "+OK\r\nSubject: x\r\n\r\n.\r\n", "+OK 2 uid-two\r\n", "+OK marked\r\n", "+OK bye\r\n"}) {
        server.AwaitLine();
        server.Send(answer);
    }
    StartAndConnect();
    pop.UserId = "bob";
    pop.UserPasswd = "se cret";
    EXPECT_TRUE(pop.Login());
    pop.Stat();
    EXPECT_EQ(pop.MessageCount(), 3);
    EXPECT_EQ(pop.MailboxSize(), "1200");
    std::string size, header, uidl;
    pop.GetMsgSize(2, size);
    EXPECT_EQ(size, "3456");
    pop.GetMsgHeader(2, header);
    EXPECT_EQ(header, "Subject: x\r\n\r\n.\r\n");
    pop.GetUIDL(2, uidl);
    EXPECT_EQ(uidl, "uid-two");
    pop.DeleteMsg(1);
    EXPECT_EQ(pop.MessageCount(), 2);
    pop.Quit();
    EXPECT_FALSE(pop.Connected());

    EXPECT_EQ(ServerHeard(),
              (std::vector<std::string>{"USER bob", "PASS se cret", "CAPA", "STAT", "list 2",
                                        "TOP 2 0", "UIDL 2", "DELE 1", "QUIT"}));
    EXPECT_EQ(sent.front(), "USER bob\r\n");
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "delete 1", "quit"}));
    EXPECT_GT(hookCalls, 0);
}

TEST_F(Session, RefusedGreetingKeepsTheConnectionOpen) {
    server.Send("-ERR busy\r\n");
    StartAndConnect();
    EXPECT_TRUE(pop.Failed());
    EXPECT_TRUE(pop.Connected());
    EXPECT_EQ(events, (std::vector<std::string>{"connect"}));
}

TEST_F(Session, StatusLineSplitAcrossReceivesIsJudgedWhole) {
    struct Row {
        std::vector<std::string> pieces;
        uint16_t count;
        std::string size;
    };
    const std::vector<Row> rows = {
        {{"+OK 2 ", "320\r\n"}, 2, "320"},
        {{"+OK 3 1200\r", "\n"}, 3, "1200"}, // split inside CR LF
        {{"+", "OK", " 4 5\r\n"}, 4, "5"},
    };
    server.Send(kGreeting);
    for (const Row& row : rows) {
        server.AwaitLine();
        for (const auto& piece : row.pieces)
            server.Send(piece);
    }
    StartAndConnect();
    for (const Row& row : rows) {
        pieces.clear();
        pop.Stat();
        EXPECT_EQ(pieces, row.pieces) << "the pieces did not arrive as separate receives";
        EXPECT_EQ(pop.MessageCount(), row.count);
        EXPECT_EQ(pop.MailboxSize(), row.size);
        EXPECT_FALSE(pop.Failed());
    }
}

TEST_F(Session, NumbersThisProgramCannotHoldEndTheSessionWithTheirName) {
    struct Row {
        std::string answer; // to STAT, or to "list 7"
        std::string error;  // empty: accepted
    };
    const std::string cannotHold = " is not a number this program can hold (at most ";
    const std::vector<Row> stat = {
        {"+OK 2147483647 0", ""},
        {"+OK 3 ", ""}, // no size given: unknown
        {"+OK", "the server sent no mail count"},
        {"+OK 2147483648 0", "the server's mail count 2147483648" + cannotHold + "2147483647)"},
        {"+OK 3000000000 0", "the server's mail count 3000000000" + cannotHold + "2147483647)"},
        {"+OK 4294967297 0", "the server's mail count 4294967297" + cannotHold + "2147483647)"},
        {"+OK -1 0", "the server's mail count -1 is negative"},
        {"+OK 12ab 0", "the server's mail count \"12ab\" is not a number"},
        {"+OK 3 -20", "the server's mailbox size -20 is negative"},
        {"+OK 3 99999999999999999999",
         "the server's mailbox size 99999999999999999999" + cannotHold + "9223372036854775807)"},
    };
    const std::vector<Row> list = {
        {"+OK 7 120 octets", ""},
        {"+OK 8 120", "the server answered list 7 for mail 8"},
        {"+OK 7 x120", "the server's size of mail 7 \"x120\" is not a number"},
        {"+OK 7 2147483648", "the server's size of mail 7 2147483648" + cannotHold + "2147483647)"},
        {"+OK 7", "the server sent no size of mail 7"},
    };
    for (const bool isStat : {true, false}) {
        for (const Row& row : isStat ? stat : list) {
            SCOPED_TRACE(row.answer);
            ScriptedServer server;
            server.Send(kGreeting);
            server.AwaitLine();
            server.Send(row.answer + "\r\n");
            server.AwaitLine(); // QUIT when accepted; none after an error
            server.Send("+OK bye\r\n");
            server.Start();
            TMbxPOP pop;
            PointAt(pop, server);
            std::vector<std::string> seen;
            pop.OnQuit = [&](TObject*) { seen.push_back("quit"); };
            pop.OnError = [&](TObject* sender, int code, const std::string& text) {
                EXPECT_EQ(sender, &pop);
                seen.push_back("error " + std::to_string(code) + " " + text);
            };
            pop.Connect();
            std::string size = "untouched";
            if (isStat)
                pop.Stat();
            else
                pop.GetMsgSize(7, size);
            const bool accepted = row.error.empty();
            EXPECT_EQ(pop.Connected(), accepted);
            pop.Quit();
            if (accepted) {
                EXPECT_EQ(seen, std::vector<std::string>{"quit"});
                EXPECT_EQ(isStat ? std::to_string(pop.MessageCount()) : size,
                          isStat ? row.answer.substr(4, row.answer.find(' ', 4) - 4) : "120");
                EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
                continue;
            }
            EXPECT_EQ(seen, (std::vector<std::string>{"quit", "error 2006 " + row.error}));
            EXPECT_EQ(pop.MessageCount(), 0);
            EXPECT_EQ(size, "untouched");
            EXPECT_TRUE(server.WaitForClientClose());
            EXPECT_EQ(server.ReceivedLines().size(), 1u) << "no QUIT may follow";
        }
    }
}

TEST_F(Session, StatOfAnEmptyMailbox) {
    server.Send(kGreeting);
    server.AwaitLine();
    server.Send("+OK 0 0\r\n");
    StartAndConnect();
    pop.Stat();
    EXPECT_EQ(pop.MessageCount(), 0);
    EXPECT_EQ(pop.MailboxSize(), "0");
}

TEST_F(Session, RefusalClosesWithoutQuitAndReportsAfterTheDisconnect) {
    struct Row {
        std::string name;
        std::function<void(TMbxPOP&)> call;
        int code;
    };
    const std::vector<Row> rows = {
        {"login", [](TMbxPOP& p) { EXPECT_FALSE(p.Login()); }, 2001},
        {"delete", [](TMbxPOP& p) { p.DeleteMsg(7); }, 2003},
        {"retrieve", [](TMbxPOP& p) { EXPECT_EQ(p.Retrieve(7), nullptr); }, 2004},
        {"header",
         [](TMbxPOP& p) {
             std::string h = "untouched";
             p.GetMsgHeader(7, h);
             EXPECT_EQ(h, "");
         },
         2005},
        {"stat", [](TMbxPOP& p) { p.Stat(); }, 2006},
        {"size",
         [](TMbxPOP& p) {
             std::string s = "untouched";
             p.GetMsgSize(7, s);
             EXPECT_EQ(s, "untouched");
         },
         2006},
        {"uidl",
         [](TMbxPOP& p) {
             std::string u = "untouched";
             p.GetUIDL(7, u);
             EXPECT_EQ(u, "");
         },
         2006},
        {"quit", [](TMbxPOP& p) { p.Quit(); }, 2002},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        server.Send(kGreeting);
        if (row.code == 2004) { // the LIST before is not judged, nor the TOP that RETR replaces
            server.AwaitLine();
            server.Send("-ERR no LIST for you\r\n");
            server.AwaitLine();
            server.Send("-ERR no TOP here\r\n");
        }
        server.AwaitLine();
        server.Send("-ERR no such message\r\n");
        server.AwaitClientClose();
        server.Start();
        TMbxPOP pop;
        PointAt(pop, server);
        std::vector<std::string> seen;
        pop.OnQuit = [&](TObject* s) {
            EXPECT_EQ(s, &pop.ClientSocket());
            EXPECT_FALSE(pop.Connected());
            seen.push_back("quit");
        };
        pop.OnError = [&](TObject* s, int code, const std::string& text) {
            EXPECT_EQ(s, &pop);
            EXPECT_FALSE(pop.Connected());
            seen.push_back("error " + std::to_string(code) + " " + text);
        };
        pop.Connect();
        row.call(pop);
        EXPECT_EQ(seen, (std::vector<std::string>{"quit", "error " + std::to_string(row.code) +
                                                              " no such message"}));
        EXPECT_TRUE(pop.Failed());
        EXPECT_FALSE(pop.Connected());
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
        const auto heard = server.ReceivedLines();
        EXPECT_TRUE(row.code == 2002 ||
                    std::find(heard.begin(), heard.end(), "QUIT") == heard.end())
            << "no QUIT may follow a refusal";
    }
}

TEST_F(Session, WrongStateOperationsThrowAndSendNothing) {
    EXPECT_THROW(
        {
            try {
                pop.Login();
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "Invalid Op. Not connected.");
                throw;
            }
        },
        std::runtime_error);
    std::string text;
    for (auto call : std::vector<std::function<void()>>{
             [&] { pop.GetMsgHeader(1, text); }, [&] { pop.DeleteMsg(1); },
             [&] { pop.Retrieve(1); }, [&] { pop.RetrieveMsg(1, true); },
             // A closed socket's empty answer holds no number to read.
             [&] { pop.Stat(); }, [&] { pop.GetMsgSize(1, text); }}) {
        try {
            call();
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Not connected.");
        }
    }
    pop.Quit(); // does nothing when closed
    // UIDL is unchecked: it sees the closed socket's empty answer as success.
    std::string uidl = "x";
    pop.GetUIDL(1, uidl);
    EXPECT_EQ(uidl, "");
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(pop.Failed());
}

TEST_F(Session, HeaderWithoutAnyLineIsComplete) {
    server.Send(kGreeting);
    server.AwaitLine();
    server.Send("+OK\r\n.\r\n");
    pop.ReceiveTimeout = std::chrono::milliseconds(500); // a wait for more would fail fast
    StartAndConnect();
    std::string header;
    pop.GetMsgHeader(1, header);
    EXPECT_EQ(header, ".\r\n");
    EXPECT_TRUE(pop.Connected());
}

TEST_F(Session, HeaderArrivingInPiecesWithTheTerminatorSplit) {
    server.Send(kGreeting);
    server.AwaitLine();
    server.Send("+OK top follows\r\nFrom: a@b\r\n");
    server.Send("Subject: s\r\n\r\n.");
    server.Send("\r\n");
    StartAndConnect();
    std::string header;
    pop.GetMsgHeader(3, header);
    EXPECT_EQ(header, "From: a@b\r\nSubject: s\r\n\r\n.\r\n");
}

TEST_F(Session, ServerClosingMidAnswerIsATransportFailure) {
    struct Row {
        std::string name;
        std::function<void(TMbxPOP&)> call;
        std::vector<std::string> answers;
    };
    const std::vector<Row> rows = {
        {"header",
         [](TMbxPOP& p) {
             std::string h;
             p.GetMsgHeader(1, h);
         },
         {"+OK\r\nFrom: a@b\r\n"}},
        {"retrieve",
         [](TMbxPOP& p) { p.Retrieve(1); },
         {"+OK 1 500\r\n", "+OK\r\nFrom: a@b\r\n\r\nhalf a body"}},
        {"status line", [](TMbxPOP& p) { p.Stat(); }, {"+OK 1 "}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        server.Send(kGreeting);
        for (const auto& answer : row.answers) {
            server.AwaitLine();
            server.Send(answer);
        }
        server.Close();
        server.Start();
        TMbxPOP pop;
        PointAt(pop, server);
        std::vector<std::string> seen;
        pop.OnQuit = [&](TObject*) { seen.push_back("quit"); };
        pop.OnError = [&](TObject* s, int code, const std::string&) {
            EXPECT_EQ(s, &pop.ClientSocket());
            seen.push_back("error " + std::to_string(code));
        };
        pop.Connect();
        try {
            row.call(pop);
            ADD_FAILURE() << "no exception";
        } catch (const ESocketError& e) {
            EXPECT_STREQ(e.what(), kTextClosedMidAnswer);
        }
        EXPECT_EQ(seen, (std::vector<std::string>{"quit", "error " + std::to_string(ECONNRESET)}));
        EXPECT_FALSE(pop.Connected());
        EXPECT_TRUE(pop.Failed());
    }
}

TEST_F(Session, SilentServerTimesOutWhileTheWindowKeepsRunning) {
    server.Send(kGreeting);
    server.AwaitLine(); // and then nothing
    pop.ReceiveTimeout = std::chrono::milliseconds(300);
    StartAndConnect();
    const int before = hookCalls;
    try {
        pop.Stat();
        ADD_FAILURE() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_EQ(std::string(e.what()), SocketErrorText(ETIMEDOUT, "recv"));
    }
    EXPECT_GT(hookCalls - before, 2) << "the wait must run the event hook between slices";
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "quit",
                                                "error socket " + std::to_string(ETIMEDOUT) + " " +
                                                    SocketErrorText(ETIMEDOUT, "recv")}));
    EXPECT_FALSE(pop.Connected());
}

TEST_F(Session, OverlongStatusLineIsATransportFailure) {
    server.SetPaced(false);
    server.Send(kGreeting);
    server.AwaitLine();
    server.Send(std::string(70 * 1024, 'x'));
    StartAndConnect();
    EXPECT_THROW(pop.Stat(), ESocketError);
    EXPECT_FALSE(pop.Connected());
}

TEST_F(Session, HeaderAnswerHasABudgetOfItsOwn) {
    // 1 MiB at most: at the minimum rate of 1 KiB/s a header ends within some 17 minutes.
    const std::string text = "the server's header answer (TOP n 0) is larger than 1048576 bytes";
    for (const size_t size : {size_t{1000 * 1024}, size_t{1025 * 1024}}) {
        SCOPED_TRACE(size);
        ScriptedServer server;
        server.Send(kGreeting);
        server.AwaitLine();
        std::string answer = "+OK\r\n";
        while (answer.size() < size)
            answer += "X-Filler: " + std::string(100, 'f') + "\r\n";
        server.Send(answer + "\r\n.\r\n");
        server.Start();
        TMbxPOP client;
        PointAt(client, server);
        std::string error;
        client.OnError = [&](TObject*, int, const std::string& t) { error = t; };
        client.Connect();
        std::string header;
        try {
            client.GetMsgHeader(1, header);
            EXPECT_LT(size, 1024u * 1024u) << "a header past its budget was taken";
            // Without the status line, with the final CR LF "." CR LF.
            EXPECT_EQ(header.size(), answer.size());
        } catch (const ESocketError& e) {
            EXPECT_GT(size, 1024u * 1024u);
            EXPECT_EQ(e.Cause, TFailureCause::Bounds);
            EXPECT_EQ(e.what(), text);
            EXPECT_EQ(error, text);
            EXPECT_EQ(header, "");
            EXPECT_FALSE(client.Connected());
        }
    }
}

TEST_F(Session, ResetConnectionFailsTheReceive) {
    server.Send(kGreeting);
    server.AwaitLine();
    server.Reset();
    StartAndConnect();
    try {
        pop.Stat();
        ADD_FAILURE() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_EQ(std::string(e.what()), SocketErrorText(ECONNRESET, "recv"));
    }
    EXPECT_EQ(events.back(), "error socket " + std::to_string(ECONNRESET) + " " +
                                 SocketErrorText(ECONNRESET, "recv"));
}
