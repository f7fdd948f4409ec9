// The unique ids of a listing (UIDL n) from a scripted server: good ones, none, hostile ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MbxPOP3.h"
#include "ScriptedServer.h"
#include "SessionFixture.h"

namespace {

// A mailbox of three mails whose UIDL n is answered with uidl[n - 1].
std::function<std::string(const std::string&)> MailboxWithIds(std::vector<std::string> uidl) {
    return [uidl](const std::string& line) -> std::string {
        const auto number = [&](size_t at) { return std::stoul(line.substr(at)); };
        if (line == "CAPA")
            return "+OK\r\nTOP\r\nUIDL\r\nPIPELINING\r\n.\r\n";
        if (line.starts_with("TOP "))
            return "+OK\r\nSubject: " + std::to_string(number(4)) + "\r\n\r\n.\r\n";
        if (line.starts_with("list "))
            return "+OK " + std::to_string(number(5)) + " 100\r\n";
        if (line.starts_with("UIDL "))
            return uidl.at(number(5) - 1) + "\r\n";
        return "+OK\r\n"; // USER, PASS, STAT, QUIT
    };
}

} // namespace

TEST(UniqueIds, HostileAnswersEndTheSessionAndARefusalEndsNothing) {
    struct Row {
        const char* what;
        std::vector<std::string> uidl;
        TMbxPOP::TPassEnd end;
        std::vector<std::string> ids; // of the rows listed
        std::string error;            // in the error text; "" for none
    } rows[] = {
        {"good",
         {"+OK 1 a1", "+OK 2 a2", "+OK 3 a3"},
         TMbxPOP::TPassEnd::Complete,
         {"a1", "a2", "a3"},
         ""},
        {"refused",
         {"-ERR no", "-ERR no", "-ERR no"},
         TMbxPOP::TPassEnd::Complete,
         {"", "", ""},
         ""},
        {"too long",
         {"+OK 1 a1", "+OK 2 " + std::string(71, 'x'), "+OK 3 a3"},
         TMbxPOP::TPassEnd::SessionEnded,
         {"a1"},
         "2006 the server's unique id for mail 2 is longer than 70 characters"},
        {"longest",
         {"+OK 1 a1", "+OK 2 " + std::string(70, 'x'), "+OK 3 a3"},
         TMbxPOP::TPassEnd::Complete,
         {"a1", std::string(70, 'x'), "a3"},
         ""},
        {"not printable",
         {"+OK 1 a1", "+OK 2 a\x01z", "+OK 3 a3"},
         TMbxPOP::TPassEnd::SessionEnded,
         {"a1"},
         "2006 the server's unique id for mail 2 holds"},
        {"other mail",
         {"+OK 1 a1", "+OK 7 a2", "+OK 3 a3"},
         TMbxPOP::TPassEnd::SessionEnded,
         {"a1"},
         "2006 the server answered UIDL 2 for mail 7"},
        {"twice",
         {"+OK 1 a1", "+OK 2 a2", "+OK 3 a1"},
         TMbxPOP::TPassEnd::SessionEnded,
         {"a1", "a2"},
         "2006 the server gave mail 3 the unique id of mail 1"},
        {"no id",
         {"+OK 1 a1", "+OK 2", "+OK 3 a3"},
         TMbxPOP::TPassEnd::SessionEnded,
         {"a1"},
         "2006 the server sent no unique id for mail 2"},
    };
    for (const Row& row : rows) {
        for (const bool pipelined : {true, false}) {
            SCOPED_TRACE(std::string(row.what) + (pipelined ? " pipelined" : " lock-step"));
            ScriptedServer server;
            server.Send("+OK ready\r\n");
            server.AnswerEachLine(MailboxWithIds(row.uidl), "QUIT");
            server.Start();
            TMbxPOP pop;
            PointAt(pop, server);
            pop.AllowPipelining = pipelined;
            std::vector<std::string> errors;
            pop.OnError = [&](TObject*, int code, const std::string& text) {
                errors.push_back(std::to_string(code) + " " + text);
            };
            pop.Connect();
            ASSERT_TRUE(pop.Login());
            std::vector<std::string> ids;
            EXPECT_EQ(pop.ListMailsWithIds(3,
                                           [&](TMsgNumber, const std::string&, const std::string&,
                                               const std::string& id) { ids.push_back(id); },
                                           {}),
                      row.end);
            EXPECT_EQ(ids, row.ids);
            EXPECT_EQ(pop.Connected(), row.error.empty());
            if (row.error.empty()) {
                EXPECT_EQ(errors, std::vector<std::string>{});
                pop.Quit();
                EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
                // A refusal asks no more where the next UIDL had not gone out yet.
                const auto heard = server.ReceivedLines();
                const auto asked = std::count_if(heard.begin(), heard.end(), [](const auto& l) {
                    return l.starts_with("UIDL ");
                });
                EXPECT_EQ(asked, row.uidl[0].starts_with("-ERR") && !pipelined ? 1 : 3);
            } else {
                ASSERT_EQ(errors.size(), 1u);
                EXPECT_EQ(errors[0].rfind(row.error, 0), 0u) << errors[0];
            }
        }
    }
}
