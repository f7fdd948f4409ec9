// The whole mail is asked for with TOP where the server allows it; RETR only after a refused
// TOP (or when forced). Login asks CAPA again and switches to UTF8 when it is listed.
#include <gtest/gtest.h>

#include "SessionFixture.h"

namespace {

const std::string kMail = "+OK\r\nSubject: look\r\n\r\nonly a look\r\n.\r\n";

struct Step {
    std::string expectLine; // what the client sends (checked after the session)
    std::string answer;
};

} // namespace

TEST(WholeMail, CommandsFollowCapaAndRefusals) {
    struct Row {
        std::string name;
        bool forceRetr;
        std::vector<Step> steps;     // after the login's USER and PASS
        std::vector<bool> retrieved; // per retrieval: RETR used
    };
    const std::vector<Row> rows = {
        {"CAPA with TOP: TOP only, no UTF8",
         false,
         {{"CAPA", "+OK\r\nTOP\r\nUIDL\r\n.\r\n"},
          {"LIST 1", "+OK 1 50\r\n"},
          {"TOP 1 999999999", kMail}},
         {false}},
        {"UTF8 listed: sent; its refusal changes nothing",
         false,
         {{"CAPA", "+OK\r\nUTF8 USER\r\nTOP\r\n.\r\n"},
          {"UTF8", "-ERR not now\r\n"},
          {"LIST 1", "+OK 1 50\r\n"},
          {"TOP 1 999999999", kMail}},
         {false}},
        {"no CAPA, TOP refused: RETR now and for the rest of the session",
         false,
         {{"CAPA", "-ERR unknown\r\n"},
          {"LIST 1", "+OK 1 50\r\n"},
          {"TOP 1 999999999", "-ERR unknown command\r\n"},
          {"RETR 1", kMail},
          {"LIST 1", "+OK 1 50\r\n"},
          {"RETR 1", kMail}},
         {true, true}},
        {"forced RETR",
         true,
         {{"CAPA", "+OK\r\nTOP\r\n.\r\n"}, {"LIST 1", "+OK 1 50\r\n"}, {"RETR 1", kMail}},
         {true}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        server.Send("+OK ready\r\n");
        for (const char* answer : {"+OK\r\n", "+OK in\r\n"}) {
            server.AwaitLine();
            server.Send(answer);
        }
        std::vector<std::string> expected{"USER bob", "PASS pw"};
        for (const Step& step : row.steps) {
            server.AwaitLine();
            server.Send(step.answer);
            expected.push_back(step.expectLine);
        }
        server.Start();
        PrivateTempDir tmp;
        TMbxPOP client;
        PointAt(client, server);
        client.UserId = "bob";
        client.UserPasswd = "pw";
        client.WholeMailByRetr = row.forceRetr;
        std::vector<std::string> errors;
        client.OnError = [&](TObject*, int code, const std::string& text) {
            errors.push_back(std::to_string(code) + " " + text);
        };
        client.Connect();
        ASSERT_TRUE(client.Login());
        for (bool byRetr : row.retrieved) {
            auto msg = client.Retrieve(1);
            ASSERT_NE(msg, nullptr);
            EXPECT_EQ(msg->Text, (std::vector<std::string>{"only a look"}));
            EXPECT_EQ(client.LastRetrievalUsedRetr(), byRetr);
        }
        EXPECT_TRUE(client.Connected());
        EXPECT_TRUE(errors.empty());
        EXPECT_TRUE(tmp.Files().empty());
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
        EXPECT_EQ(server.ReceivedLines(), expected);
    }
}
