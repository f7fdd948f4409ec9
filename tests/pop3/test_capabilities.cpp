// The capability list: parsing CAPA answers, and a refused CAPA that keeps the session.
#include <gtest/gtest.h>

#include "Capabilities.h"
#include "SessionFixture.h"

TEST(CapabilityParsing, FlagsAndLinesFromTheAnswer) {
    struct Row {
        std::string answer;
        bool known, stls, top, pipelining, utf8, user, uidl;
        std::vector<std::string> lines;
    } rows[] = {
        {"+OK\r\nTOP\r\nUSER\r\nUIDL\r\nPIPELINING\r\nSTLS\r\nUTF8\r\n.\r\n",
         true,
         true,
         true,
         true,
         true,
         true,
         true,
         {"TOP", "USER", "UIDL", "PIPELINING", "STLS", "UTF8"}},
        // names in any case, with arguments; similar names are not the same
        {"+OK Capability list follows\r\ntop\r\nUTF8 USER\r\nSASL PLAIN\r\nPIPELININGX\r\n"
         "STLSX\r\n.\r\n",
         true,
         false,
         true,
         false,
         true,
         false,
         false,
         {"top", "UTF8 USER", "SASL PLAIN", "PIPELININGX", "STLSX"}},
        {"+OK\r\n.\r\n", true, false, false, false, false, false, false, {}}, // lists nothing
        {"+OK\r\n..odd\r\n.\r\nTOP\r\n",
         true,
         false,
         false,
         false,
         false,
         false,
         false,
         {".odd"}}, // dot-stuffed; nothing after the end counts
        {"-ERR unknown command\r\n", false, false, false, false, false, false, false, {}},
        {"", false, false, false, false, false, false, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        const TCapabilities caps = ParseCapabilities(row.answer);
        EXPECT_EQ(caps.Known, row.known);
        EXPECT_EQ(caps.Stls, row.stls);
        EXPECT_EQ(caps.Top, row.top);
        EXPECT_EQ(caps.Pipelining, row.pipelining);
        EXPECT_EQ(caps.Utf8, row.utf8);
        EXPECT_EQ(caps.User, row.user);
        EXPECT_EQ(caps.Uidl, row.uidl);
        EXPECT_EQ(caps.Lines, row.lines);
    }
}

using CapabilitySession = SessionTest;

TEST_F(CapabilitySession, RefusedCapaKeepsTheSessionAndListedCapaIsKept) {
    server.Send("+OK ready\r\n");
    server.AwaitLine();
    server.Send("-ERR what?\r\n");
    server.AwaitLine();
    server.Send("+OK 1 20\r\n");
    server.AwaitLine();
    server.Send("+OK\r\nTOP\r\nPIPE");
    server.Send("LINING\r\n.\r\n");
    StartAndConnect();

    EXPECT_FALSE(pop.RequestCapabilities());
    EXPECT_FALSE(pop.Capabilities().Known);
    EXPECT_FALSE(pop.Failed());
    EXPECT_TRUE(pop.Connected());
    pop.Stat();
    EXPECT_EQ(pop.MessageCount(), 1);

    EXPECT_TRUE(pop.RequestCapabilities());
    EXPECT_TRUE(pop.Capabilities().Top);
    EXPECT_TRUE(pop.Capabilities().Pipelining);
    EXPECT_EQ(pop.ReplyStatus(), "+OK");
    pop.ForgetCapabilities();
    EXPECT_FALSE(pop.Capabilities().Known);

    EXPECT_EQ(ServerHeard(), (std::vector<std::string>{"CAPA", "STAT", "CAPA"}));
    EXPECT_EQ(events, (std::vector<std::string>{"connect"})); // no error, no close
}
