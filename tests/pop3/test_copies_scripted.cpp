// Copies before deleting from a scripted server: a server that refuses TOP, one that refuses
// the fetch, line ends and dots as sent.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "MbxPOP3.h"
#include "ScriptedServer.h"
#include "SessionFixture.h"

namespace {

// Mail n on the wire (stuffed, a bare LF inside) and as a copy must hold it.
std::string Wire(unsigned n) {
    return "Subject: " + std::to_string(n) + "\r\n\r\n..dot\r\nbare\nlf\r\n";
}
std::string Mail(unsigned n) {
    return "Subject: " + std::to_string(n) + "\r\n\r\n.dot\r\nbare\nlf\r\n";
}

} // namespace

TEST(CopiesScripted, FetchesAsRetrieveDoesAndARefusedFetchDeletesNothing) {
    struct Row {
        const char* what;
        std::string capa;
        bool topRefused;
        unsigned missing; // a mail the server refuses to give; 0: none
        std::vector<std::string> fetches;
        TMbxPOP::TPassEnd end;
    } rows[] = {
        {"TOP",
         "+OK\r\nTOP\r\nPIPELINING\r\n.\r\n",
         false,
         0,
         {"TOP 1 999999999", "TOP 2 999999999", "TOP 3 999999999"},
         TMbxPOP::TPassEnd::Complete},
        {"TOP refused",
         "-ERR\r\n",
         true,
         0,
         {"TOP 1 999999999", "RETR 1", "RETR 2", "RETR 3"},
         TMbxPOP::TPassEnd::Complete},
        {"undecided, pipelined",
         "+OK\r\nPIPELINING\r\n.\r\n",
         false,
         0,
         {"TOP 1 999999999", "TOP 2 999999999", "TOP 3 999999999"},
         TMbxPOP::TPassEnd::Complete},
        {"fetch refused",
         "+OK\r\nTOP\r\nPIPELINING\r\n.\r\n",
         false,
         2,
         {"TOP 1 999999999", "TOP 2 999999999", "TOP 3 999999999"},
         TMbxPOP::TPassEnd::SessionEnded},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedServer server;
        server.Send("+OK ready\r\n");
        server.AnswerEachLine(
            [&](const std::string& line) -> std::string {
                if (line == "CAPA")
                    return row.capa;
                const bool top = line.starts_with("TOP ");
                if (top || line.starts_with("RETR ")) {
                    const unsigned n = std::stoul(line.substr(line.find(' ') + 1));
                    if ((top && row.topRefused) || n == row.missing)
                        return "-ERR no\r\n";
                    return "+OK\r\n" + Wire(n) + ".\r\n";
                }
                return "+OK\r\n";
            },
            "QUIT");
        server.Start();
        TMbxPOP pop;
        PointAt(pop, server);
        std::vector<std::string> errors;
        pop.OnError = [&](TObject*, int code, const std::string&) {
            errors.push_back(std::to_string(code));
        };
        pop.Connect();
        ASSERT_TRUE(pop.Login());
        std::map<TMsgNumber, std::string> kept;
        std::vector<TMbxPOP::TCopyFailure> failures;
        EXPECT_EQ(pop.DeleteWithCopies(
                      {{1, 30}, {2, 30}, {3, 30}}, 1000,
                      [&](TMsgNumber n, const std::string& mail) {
                          kept[n] = mail;
                          return std::string();
                      },
                      {}, failures),
                  row.end);
        pop.Quit();
        EXPECT_TRUE(server.WaitForScriptEnd() || row.missing) << server.ScriptError();
        std::vector<std::string> fetches, deletes;
        for (const std::string& line : server.ReceivedLines()) {
            if (line.starts_with("TOP ") || line.starts_with("RETR "))
                fetches.push_back(line);
            if (line.starts_with("DELE "))
                deletes.push_back(line);
        }
        EXPECT_EQ(fetches, row.fetches);
        EXPECT_EQ(deletes.size(), row.missing ? 0u : 3u);
        EXPECT_EQ(errors,
                  row.missing ? std::vector<std::string>{"2004"} : std::vector<std::string>{});
        EXPECT_EQ(kept.size(), row.missing ? 1u : 3u);
        for (const auto& [n, mail] : kept)
            EXPECT_EQ(mail, Mail(n)) << n;
    }
}
