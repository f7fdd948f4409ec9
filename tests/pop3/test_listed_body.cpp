// A listing that asks for body lines besides the header (TOP n L, for the spam scorer): the
// header keeps its budget, the body is cut per mail, and no mail ends the listing.
#include <gtest/gtest.h>

#include <map>

#include "SessionFixture.h"

namespace {

constexpr uint32_t kLines = 5;

std::string Header(unsigned n) {
    return "Subject: mail " + std::to_string(n) + "\r\n\r\n";
}

// Three mails; the second has the body given, the others a short one; CAPA as given.
std::function<std::string(const std::string&)>
Mailbox(const std::string& capa, const std::string& secondBody, std::vector<std::string>& tops) {
    return [=, &tops](const std::string& line) -> std::string {
        if (line == "CAPA")
            return capa;
        if (line.starts_with("TOP ")) {
            tops.push_back(line);
            const unsigned n = std::stoul(line.substr(4));
            return "+OK\r\n" + Header(n) + (n == 2 ? secondBody : "short\r\n") + ".\r\n";
        }
        if (line.starts_with("list "))
            return "+OK " + line.substr(5) + " 100\r\n";
        return "+OK\r\n";
    };
}

} // namespace

TEST(ListedBody, ALongBodyIsCutAndTheListingGoesOn) {
    const size_t limit = pop3_timeouts::kMaxListedBody;
    const std::string line(100, 'x');
    std::string lines, keptLines;
    for (int i = 0; i < 1000; ++i) {
        lines += line + "\r\n";
        if ((i + 1) * (line.size() + 2) <= limit)
            keptLines += line + "\r\n";
    }
    const std::string longLine(2 * 1024 * 1024, 'b');
    struct Row {
        const char* what;
        std::string body, kept;
    } rows[] = {
        {"a 2 MiB first line", longLine + "\r\nsecond\r\n", std::string(limit, 'b') + "\r\n"},
        {"a body without line breaks", longLine + "\r\n", std::string(limit, 'b') + "\r\n"},
        {"many lines: cut at the last line end", lines, keptLines},
        {"a body within the limit", "one\r\ntwo\r\n", "one\r\ntwo\r\n"},
    };
    for (const bool pipelining : {false, true}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.what) + (pipelining ? ", pipelined" : ", lock-step"));
            std::vector<std::string> tops;
            ScriptedServer server;
            server.Send("+OK ready\r\n");
            server.AnswerEachLine(
                Mailbox(pipelining ? "+OK\r\nPIPELINING\r\n.\r\n" : "-ERR\r\n", row.body, tops),
                "list 3");
            server.Start();
            TMbxPOP pop;
            PointAt(pop, server);
            pop.UserId = "bob";
            pop.UserPasswd = "pw";
            pop.ListBodyLines = kLines;
            pop.Connect();
            ASSERT_TRUE(pop.Login());
            std::map<TMsgNumber, std::string> listed;
            EXPECT_EQ(
                pop.ListMails(3,
                              [&](TMsgNumber n, const std::string& text, const std::string& size) {
                                  EXPECT_EQ(size, "100");
                                  listed[n] = text;
                              },
                              {}),
                TMbxPOP::TPassEnd::Complete);
            EXPECT_TRUE(pop.Connected());
            EXPECT_EQ(listed[1], Header(1) + "short\r\n.\r\n");
            EXPECT_EQ(listed[2], Header(2) + row.kept + ".\r\n");
            EXPECT_EQ(listed[3], Header(3) + "short\r\n.\r\n");
            EXPECT_EQ(tops, (std::vector<std::string>{"TOP 1 5", "TOP 2 5", "TOP 3 5"}));
            EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
        }
    }
}

// The header keeps its budget with body lines too, and the failure names the command sent.
TEST(ListedBody, AHeaderPastItsBudgetNamesTheCommandSent) {
    std::vector<std::string> tops;
    ScriptedServer server;
    server.Send("+OK ready\r\n");
    const std::string pad = "X-Pad: " + std::string(8 * 1024, 'p') + "\r\n";
    server.AnswerEachLine(
        [&](const std::string& line) -> std::string {
            if (line.starts_with("TOP "))
                return "+OK\r\n" + pad + "Subject: x\r\n\r\nbody\r\n.\r\n";
            return line == "CAPA" ? "-ERR\r\n" : "+OK\r\n";
        },
        "TOP 1 5");
    server.Start();
    TMbxPOP pop;
    PointAt(pop, server);
    pop.AnswerLimits.MaxHeaderAnswer = 4096;
    pop.UserId = "bob";
    pop.UserPasswd = "pw";
    pop.ListBodyLines = kLines;
    std::string error;
    pop.OnError = [&](TObject*, int, const std::string& text) { error = text; };
    pop.Connect();
    ASSERT_TRUE(pop.Login());
    const std::string text = "the server's header answer (TOP n 5) is larger than 4096 bytes";
    try {
        pop.ListMails(1, [](TMsgNumber, const std::string&, const std::string&) {}, {});
        ADD_FAILURE() << "a header past its budget was taken";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.Cause, TFailureCause::Bounds);
        EXPECT_EQ(e.what(), text);
    }
    EXPECT_EQ(error, text);
    EXPECT_FALSE(pop.Connected());
}
