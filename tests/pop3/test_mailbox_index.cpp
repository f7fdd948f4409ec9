// The whole mailbox in two answers (UIDL, LIST) and the listing that asks TOP only for mails it
// does not remember: hostile answers from a scripted server, equal rows on Dovecot.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DovecotClient.h"
#include "DovecotMails.h"
#include "DovecotServer.h"
#include "MbxPOP3.h"
#include "ScriptedServer.h"
#include "SessionFixture.h"

namespace {

// A mailbox of three mails (STAT 3) whose whole UIDL and LIST answers are given; TOP n answers
// "Subject: n".
std::function<std::string(const std::string&)> Mailbox(std::string uidl, std::string list,
                                                       bool capaUidl = true) {
    return [=](const std::string& line) -> std::string {
        if (line == "CAPA")
            return std::string("+OK\r\nTOP\r\n") + (capaUidl ? "UIDL\r\n" : "") +
                   "PIPELINING\r\n.\r\n";
        if (line == "STAT")
            return "+OK 3 300\r\n";
        if (line == "UIDL")
            return uidl;
        if (line == "LIST")
            return list;
        if (line.starts_with("TOP "))
            return "+OK\r\nSubject: " + line.substr(4, line.find(' ', 4) - 4) + "\r\n\r\n.\r\n";
        return "+OK\r\n"; // USER, PASS, QUIT
    };
}

const std::string kGoodList = "+OK\r\n1 100\r\n2 200\r\n3 300\r\n.\r\n";
const std::string kGoodUidl = "+OK\r\n1 a1\r\n2 a2\r\n3 a3\r\n.\r\n";

struct Session {
    explicit Session(std::function<std::string(const std::string&)> answer, bool pipelined) {
        server.Send("+OK ready\r\n");
        server.AnswerEachLine(std::move(answer), "QUIT");
        server.Start();
        PointAt(pop, server);
        pop.AllowPipelining = pipelined;
        pop.OnError = [this](TObject*, int code, const std::string& text) {
            errors.push_back(std::to_string(code) + " " + text);
        };
        pop.Connect();
        EXPECT_TRUE(pop.Login());
        EXPECT_TRUE(pop.Stat());
    }
    std::vector<std::string> Heard(const char* prefix) const {
        std::vector<std::string> lines;
        for (const auto& line : server.ReceivedLines())
            if (line.starts_with(prefix))
                lines.push_back(line);
        return lines;
    }
    ScriptedServer server;
    TMbxPOP pop;
    std::vector<std::string> errors;
};

} // namespace

TEST(MailboxIndex, WholeAnswersAreCheckedAsTheSingleOnesAre) {
    struct Row {
        const char* what;
        std::string uidl, list;
        bool capaUidl;
        std::vector<std::string> ids; // "" each without ids; empty when the session ends
        std::string error;            // the start of the error text; "" for none
    } rows[] = {
        {"good", kGoodUidl, kGoodList, true, {"a1", "a2", "a3"}, ""},
        {"UIDL refused", "-ERR no\r\n", kGoodList, true, {"", "", ""}, ""},
        {"no UIDL in CAPA", kGoodUidl, kGoodList, false, {"", "", ""}, ""},
        {"dots in an id",
         "+OK\r\n1 a1\r\n2 ..x\r\n3 a3\r\n.\r\n",
         kGoodList,
         true,
         {"a1", "..x", "a3"},
         ""},
        {"LIST refused", kGoodUidl, "-ERR busy\r\n", true, {}, "2006 busy"},
        {"out of order",
         kGoodUidl,
         "+OK\r\n2 200\r\n1 100\r\n3 300\r\n.\r\n",
         true,
         {},
         "2006 the server's LIST names mail 1 after mail 2"},
        {"past STAT",
         kGoodUidl,
         "+OK\r\n1 100\r\n2 200\r\n9 300\r\n.\r\n",
         true,
         {},
         "2006 the server's LIST names mail 9 of 3"},
        {"size no number",
         kGoodUidl,
         "+OK\r\n1 100\r\n2 2x0\r\n3 300\r\n.\r\n",
         true,
         {},
         "2006 the server's size of mail 2"},
        {"ids of other mails",
         "+OK\r\n1 a1\r\n3 a3\r\n2 a2\r\n.\r\n",
         kGoodList,
         true,
         {},
         "2006 the server answered UIDL 2 for mail 3"},
        {"id twice",
         "+OK\r\n1 a1\r\n2 a1\r\n3 a3\r\n.\r\n",
         kGoodList,
         true,
         {},
         "2006 the server gave mail 2 the unique id of mail 1"},
        // Said of the lowest mail that shares an id, and the id's first mail owns it.
        {"ids sorting before",
         "+OK\r\n1 b\r\n2 b\r\n3 a\r\n.\r\n",
         kGoodList,
         true,
         {},
         "2006 the server gave mail 2 the unique id of mail 1"},
        {"id twice, apart",
         "+OK\r\n1 b\r\n2 a\r\n3 b\r\n.\r\n",
         kGoodList,
         true,
         {},
         "2006 the server gave mail 3 the unique id of mail 1"},
        {"id too long",
         "+OK\r\n1 a1\r\n2 " + std::string(71, 'x') + "\r\n3 a3\r\n.\r\n",
         kGoodList,
         true,
         {},
         "2006 the server's unique id for mail 2 is longer"},
        {"fewer ids",
         "+OK\r\n1 a1\r\n2 a2\r\n.\r\n",
         kGoodList,
         true,
         {},
         "2006 the server's UIDL names 2 mails, its LIST 3"},
        {"endless ids",
         "+OK\r\n" + std::string(2000, 'x') + "\r\n.\r\n",
         kGoodList,
         true,
         {},
         "90 the server's answer to UIDL is larger than"},
    };
    for (const Row& row : rows) {
        for (const bool pipelined : {true, false}) {
            SCOPED_TRACE(std::string(row.what) + (pipelined ? " pipelined" : " lock-step"));
            Session s(Mailbox(row.uidl, row.list, row.capaUidl), pipelined);
            std::vector<TIndexedMail> mails;
            // An answer past its bounds is a transport failure: reported, then thrown.
            auto end = TMbxPOP::TPassEnd::Complete;
            try {
                end = s.pop.ListMailbox(mails);
            } catch (const ESocketError&) {
                end = TMbxPOP::TPassEnd::SessionEnded;
            }
            std::vector<std::string> ids;
            for (const auto& mail : mails)
                ids.push_back(mail.Id);
            EXPECT_EQ(ids, row.ids);
            if (row.error.empty()) {
                EXPECT_EQ(end, TMbxPOP::TPassEnd::Complete);
                EXPECT_EQ(s.errors, std::vector<std::string>{});
                ASSERT_EQ(mails.size(), 3u);
                EXPECT_EQ(mails[2].Number, 3u);
                EXPECT_EQ(mails[2].Size, 300u);
                EXPECT_EQ(s.Heard("UIDL").size(), row.capaUidl ? 1u : 0u);
                // The session goes on after a refused UIDL.
                EXPECT_TRUE(s.pop.Quit());
                EXPECT_TRUE(s.server.WaitForScriptEnd()) << s.server.ScriptError();
            } else {
                EXPECT_EQ(end, TMbxPOP::TPassEnd::SessionEnded);
                EXPECT_FALSE(s.pop.Connected());
                ASSERT_EQ(s.errors.size(), 1u);
                EXPECT_EQ(s.errors[0].rfind(row.error, 0), 0u) << s.errors[0];
                EXPECT_TRUE(s.Heard("QUIT").empty()); // nothing the server would carry out
            }
        }
    }
}

TEST(MailboxIndex, OnlyUnknownMailsAreAskedForAndRowsComeInOrder) {
    for (const bool pipelined : {true, false}) {
        SCOPED_TRACE(pipelined ? "pipelined" : "lock-step");
        Session s(Mailbox(kGoodUidl, kGoodList), pipelined);
        std::vector<TIndexedMail> mails;
        ASSERT_EQ(s.pop.ListMailbox(mails), TMbxPOP::TPassEnd::Complete);
        std::map<std::string, std::string> memory{{"a1", "Subject: kept 1\r\n\r\n.\r\n"},
                                                  {"a3", "Subject: kept 3\r\n\r\n.\r\n"}};
        const TMbxPOP::TRemembered remembered{
            [&](const std::string& id) { return memory.contains(id); },
            [&](const std::string& id) -> std::optional<std::string> {
                auto node = memory.extract(id);
                if (node.empty())
                    return std::nullopt;
                return std::move(node.mapped());
            }};
        std::vector<std::string> rows;
        EXPECT_EQ(s.pop.ListMailsRemembering(mails, remembered,
                                             [&](TMsgNumber n, const std::string& header,
                                                 const std::string& size, const std::string& id) {
                                                 rows.push_back(std::to_string(n) + "|" + size +
                                                                "|" + id + "|" + header);
                                             },
                                             {}),
                  TMbxPOP::TPassEnd::Complete);
        EXPECT_EQ(rows, (std::vector<std::string>{"1|100|a1|Subject: kept 1\r\n\r\n.\r\n",
                                                  "2|200|a2|Subject: 2\r\n\r\n.\r\n",
                                                  "3|300|a3|Subject: kept 3\r\n\r\n.\r\n"}));
        EXPECT_EQ(s.Heard("TOP"), std::vector<std::string>{"TOP 2 0"});
        EXPECT_TRUE(memory.empty());
        EXPECT_TRUE(s.pop.Quit());
    }
}

TEST(MailboxIndex, CancelStopsBetweenMailsAndKeepsWhatWasAskedFor) {
    for (const bool pipelined : {true, false}) {
        SCOPED_TRACE(pipelined ? "pipelined" : "lock-step");
        Session s(Mailbox(kGoodUidl, kGoodList), pipelined);
        std::vector<TIndexedMail> mails;
        ASSERT_EQ(s.pop.ListMailbox(mails), TMbxPOP::TPassEnd::Complete);
        std::vector<TMsgNumber> listed;
        int asked = 0;
        const auto end = s.pop.ListMailsRemembering(
            mails, {[](const std::string&) { return false; }, {}},
            [&](TMsgNumber n, const std::string&, const std::string&, const std::string&) {
                listed.push_back(n);
            },
            [&] { return ++asked > 1; });
        EXPECT_EQ(end, TMbxPOP::TPassEnd::Cancelled);
        // The first TOP went out before the cancel; its row comes, no other TOP goes out.
        EXPECT_EQ(listed, std::vector<TMsgNumber>{1});
        EXPECT_EQ(s.Heard("TOP"), std::vector<std::string>{"TOP 1 0"});
        EXPECT_TRUE(s.pop.Connected());
        EXPECT_TRUE(s.pop.Quit());
    }
}

TEST(MailboxIndex, RememberedRowsEqualFreshOnesOnDovecotAfterMailsCameAndWent) {
    SKIP_WITHOUT_DOVECOT();
    std::vector<std::string> mails;
    for (int n = 1; n <= 6; ++n)
        mails.push_back(n == 4 ? MultipartMail(n, AttachmentBytes()) : PlainMail(n));
    DovecotServer server("bob", "pw", mails);
    const auto session = [&](auto&& body) {
        TMbxPOP pop;
        AimAt(pop, server);
        pop.Connect();
        ASSERT_TRUE(pop.Login());
        ASSERT_TRUE(pop.Stat());
        body(pop);
        pop.Quit();
    };
    using Rows = std::vector<std::string>;
    const auto row = [](Rows& rows) {
        return [&rows](TMsgNumber n, const std::string& header, const std::string& size,
                       const std::string& id) {
            rows.push_back(std::to_string(n) + "|" + size + "|" + id + "|" + header);
        };
    };
    // The first visit remembers every header by its id; then two mails go and two come.
    std::map<std::string, std::string> memory;
    session([&](TMbxPOP& pop) {
        pop.ListMailsWithIds(pop.MessageCount(),
                             [&](TMsgNumber, const std::string& header, const std::string&,
                                 const std::string& id) { memory[id] = header; },
                             {});
        pop.DeleteMails({2, 5}, {});
    });
    server.AddMails({PlainMail(7), PlainMail(8)});

    Rows fresh, remembered;
    int asked = 0;
    session([&](TMbxPOP& pop) {
        pop.ListMailsWithIds(pop.MessageCount(), row(fresh), {});
        std::vector<TIndexedMail> index;
        ASSERT_EQ(pop.ListMailbox(index), TMbxPOP::TPassEnd::Complete);
        const TMbxPOP::TRemembered known{
            [&](const std::string& id) { return memory.contains(id); },
            [&](const std::string& id) -> std::optional<std::string> { return memory.at(id); }};
        pop.OnSendTextToSocket = [&](TObject*, const std::string& text) {
            for (size_t at = text.find("TOP "); at != std::string::npos;
                 at = text.find("TOP ", at + 1))
                ++asked;
        };
        EXPECT_EQ(pop.ListMailsRemembering(index, known, row(remembered), {}),
                  TMbxPOP::TPassEnd::Complete);
    });
    ASSERT_EQ(fresh.size(), 6u);
    EXPECT_EQ(remembered, fresh);
    EXPECT_EQ(asked, 2); // only the two new mails needed their header
    EXPECT_NE(std::find_if(fresh.begin(), fresh.end(),
                           [](const std::string& r) { return r.find("Mail number 8") != r.npos; }),
              fresh.end());
}
