// The marked mails of a listing found again in a later session, from a scripted server without
// unique ids whose numbers shift between the sessions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MarkedMails.h"
#include "ScriptedServer.h"
#include "SessionFixture.h"

namespace {

struct Mail {
    std::string Subject;
    uint64_t Size;
    std::string Id = "";
};

std::string HeaderOf(const Mail& mail) {
    return "From: a@example.org\r\nSubject: " + mail.Subject + "\r\n\r\n.\r\n";
}

// A mailbox without UIDL; list n and TOP n 0 past the count are refused. The list answer of
// mail `hostile` names another mail.
std::function<std::string(const std::string&)> Mailbox(std::vector<Mail> mails, bool pipelining,
                                                       TMsgNumber hostile = 0) {
    return [=](const std::string& line) -> std::string {
        const auto number = [&](size_t at) { return std::stoul(line.substr(at)); };
        if (line == "CAPA")
            return std::string("+OK\r\nTOP\r\nUIDL\r\n") + (pipelining ? "PIPELINING\r\n" : "") +
                   ".\r\n";
        if (line == "UIDL" || line == "LIST") {
            // Without ids UIDL is refused, as a server without them does.
            if (line == "UIDL" && mails.front().Id.empty())
                return "-ERR no unique ids\r\n";
            std::string answer = "+OK\r\n";
            for (size_t n = 1; n <= mails.size(); ++n)
                answer += std::to_string(n) + " " +
                          (line == "UIDL" ? mails[n - 1].Id : std::to_string(mails[n - 1].Size)) +
                          "\r\n";
            return answer + ".\r\n";
        }
        if (line == "STAT")
            return "+OK " + std::to_string(mails.size()) + " 1000\r\n";
        if (line.starts_with("list ") || line.starts_with("TOP ")) {
            const size_t n = number(line[0] == 'l' ? 5 : 4);
            if (n == 0 || n > mails.size())
                return "-ERR no such message\r\n";
            if (line[0] == 'T')
                return "+OK\r\n" + HeaderOf(mails[n - 1]);
            return "+OK " + std::to_string(n == hostile ? n + 1 : n) + " " +
                   std::to_string(mails[n - 1].Size) + "\r\n";
        }
        return "+OK\r\n"; // USER, PASS, DELE, QUIT
    };
}

TListedMark Marked(TMsgNumber n, const Mail& mail) {
    return {n, mail.Size, mail.Id, HeaderOf(mail)};
}

class MarkedMailsTest : public SessionTest, public ::testing::WithParamInterface<bool> {
protected:
    // Logs in to the mailbox, finds the marks, deletes the mails found and quits.
    TMbxPOP::TPassEnd FindAndDelete(const std::vector<TListedMark>& marks, TMarksNow& now) {
        server.Start();
        pop.UserId = "bob";
        pop.UserPasswd = "pw";
        pop.Connect();
        EXPECT_TRUE(pop.Connected()) << pop.OpenError();
        EXPECT_TRUE(pop.Login());
        EXPECT_TRUE(pop.Stat());
        const auto end = FindMarkedMails(pop, marks, now);
        if (end == TMbxPOP::TPassEnd::Complete) {
            EXPECT_EQ(pop.DeleteMails(now.NumbersNow(), {}), TMbxPOP::TPassEnd::Complete);
            EXPECT_TRUE(pop.Quit());
        }
        return end;
    }
    std::vector<std::string> Deleted() {
        std::vector<std::string> deleted;
        for (const std::string& line : server.ReceivedLines())
            if (line.starts_with("DELE "))
                deleted.push_back(line);
        return deleted;
    }
};

const Mail A{"a", 100}, B{"b", 200}, C{"c", 200}, D{"d", 400}, E{"e", 500};

} // namespace

TEST_P(MarkedMailsTest, ShiftedNumbersDeleteNoOtherMail) {
    server.SetPaced(false);
    server.Send("+OK ready\r\n");
    // Mail a was deleted elsewhere: b is 1 now, c (as large as b) 2, d 3.
    server.AnswerEachLine(Mailbox({B, C, D}, GetParam()), "QUIT");
    TMarksNow now;
    EXPECT_EQ(FindAndDelete({Marked(2, B), Marked(4, D)}, now), TMbxPOP::TPassEnd::Complete);
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_TRUE(Deleted().empty());
    EXPECT_TRUE(now.Found.empty());
    ASSERT_EQ(now.Changed.size(), 1u);
    EXPECT_EQ(now.Changed[0].Number, 2u);
    ASSERT_EQ(now.Gone.size(), 1u);
    EXPECT_EQ(now.Gone[0].Number, 4u);
    // Pipelined, a mail's two commands go out in one send.
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "list 2\r\nTOP 2 0\r\n") == 1, GetParam());
}

TEST_P(MarkedMailsTest, MailsStillAtTheirNumbersAreDeletedAndOnlyThey) {
    server.SetPaced(false);
    server.Send("+OK ready\r\n");
    // New mail came in behind; mail 3 has another size now.
    server.AnswerEachLine(Mailbox({A, B, E, D, C}, GetParam()), "QUIT");
    TMarksNow now;
    EXPECT_EQ(FindAndDelete({Marked(4, D), Marked(3, C), Marked(1, A)}, now),
              TMbxPOP::TPassEnd::Complete);
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(Deleted(), (std::vector<std::string>{"DELE 4", "DELE 1"}));
    EXPECT_EQ(now.NumbersNow(), (std::vector<TMsgNumber>{4, 1}));
    EXPECT_EQ(now.ListedNumberOf(4), 4u);
    EXPECT_EQ(now.ListedNumberOf(3), 0u);
    ASSERT_EQ(now.Changed.size(), 1u);
    EXPECT_EQ(now.Changed[0].Header, HeaderOf(C));
    EXPECT_TRUE(now.Gone.empty());
}

TEST_P(MarkedMailsTest, AListAnswerNamingAnotherMailEndsTheSession) {
    server.SetPaced(false);
    server.Send("+OK ready\r\n");
    server.AnswerEachLine(Mailbox({A, B, C}, GetParam(), 2), "QUIT");
    TMarksNow now;
    EXPECT_EQ(FindAndDelete({Marked(1, A), Marked(2, B)}, now), TMbxPOP::TPassEnd::SessionEnded);
    EXPECT_FALSE(pop.Connected());
    EXPECT_TRUE(now.Found.empty());
    EXPECT_TRUE(Deleted().empty());
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "error pop 2006 the server answered list 2 for mail 3");
    EXPECT_EQ(std::count(events.begin(), events.end(), "quit"), 1);
}

TEST_P(MarkedMailsTest, UniqueIdsFindShiftedMailsAndTellTheGoneOnes) {
    server.SetPaced(false);
    server.Send("+OK ready\r\n");
    const Mail b{"b", 200, "id-b"}, c{"c", 200, "id-c"}, d{"d", 400, "id-d"}, x{"x", 200, "id-x"};
    // Listed as a b c d; a and c were deleted elsewhere, x came in.
    server.AnswerEachLine(Mailbox({b, d, x}, GetParam()), "QUIT");
    TMarksNow now;
    EXPECT_EQ(FindAndDelete({Marked(4, d), Marked(3, c), Marked(2, b)}, now),
              TMbxPOP::TPassEnd::Complete);
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(Deleted(), (std::vector<std::string>{"DELE 2", "DELE 1"}));
    EXPECT_EQ(now.ListedNumberOf(2), 4u);
    EXPECT_EQ(now.ListedNumberOf(1), 2u);
    ASSERT_EQ(now.Gone.size(), 1u);
    EXPECT_EQ(now.Gone[0].Id, "id-c");
    EXPECT_TRUE(now.Changed.empty());
    // By id, no mail's header is asked for.
    EXPECT_FALSE(std::any_of(sent.begin(), sent.end(),
                             [](const std::string& s) { return s.find("TOP") != s.npos; }));
}

TEST_P(MarkedMailsTest, WithoutAnIdForEveryMarkTheMailsAreFoundByNumber) {
    server.SetPaced(false);
    server.Send("+OK ready\r\n");
    const Mail b{"b", 200, "id-b"};
    server.AnswerEachLine(Mailbox({A, b, C}, GetParam()), "QUIT");
    TMarksNow now;
    EXPECT_EQ(FindAndDelete({Marked(3, C), Marked(2, b)}, now), TMbxPOP::TPassEnd::Complete);
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(Deleted(), (std::vector<std::string>{"DELE 3", "DELE 2"}));
    const std::vector<std::string> heard = server.ReceivedLines();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "UIDL"), 0);
}

INSTANTIATE_TEST_SUITE_P(LockStepAndPipelined, MarkedMailsTest, ::testing::Bool());

TEST(MarkedHeaders, TheHeaderAloneIsCompared) {
    const std::string header = "From: a@example.org\r\nSubject: x\r\n\r\n.\r\n";
    EXPECT_TRUE(SameListedHeader(header, header));
    EXPECT_TRUE(SameListedHeader("From: a@example.org\r\nSubject: x\r\n\r\nbody\r\n.\r\n", header));
    EXPECT_FALSE(SameListedHeader(header, "From: a@example.org\r\nSubject: y\r\n\r\n.\r\n"));
    EXPECT_FALSE(SameListedHeader("From: a@example.org\r\n.\r\n", header));
    EXPECT_TRUE(SameListedHeader("From: a@example.org\r\n.\r\n", "From: a@example.org\r\n.\r\n"));
}
