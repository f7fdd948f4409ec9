#include "ServerAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerAddress, FieldTextGivesHostAndPort) {
    struct Case {
        const char* text;
        const char* host;
        const char* port;
    };
    const Case good[] = {
        {"pop.example.org", "pop.example.org", ""},
        {"  pop.example.org\t", "pop.example.org", ""},
        {"pop.example.org:995", "pop.example.org", "995"},
        {" 127.0.0.1:2110 ", "127.0.0.1", "2110"},
        {"localhost:1", "localhost", "1"},
        {"localhost:65535", "localhost", "65535"},
        {"[::1]:995", "::1", "995"},
        {"[2001:db8::7]", "2001:db8::7", ""},
        {"::1", "::1", ""},
        {"2001:db8::7", "2001:db8::7", ""},
        {"fe80::1%eth0", "fe80::1%eth0", ""},
        {"[fe80::1%eth0]:110", "fe80::1%eth0", "110"},
    };
    for (const Case& c : good) {
        const auto address = ParseServerAddress(c.text);
        ASSERT_TRUE(address) << c.text;
        EXPECT_EQ(address->Host, c.host) << c.text;
        EXPECT_EQ(address->Port, c.port) << c.text;
    }
    const char* bad[] = {
        "",           "   ",         ":995",     "host:",      "host:0",
        "host:65536", "host:99999x", "host:-1",  "host:9 95",  "pop example.org",
        "[::1",       "[::1]995",    "[::1]:",   "[]:995",     "[pop.example.org]:995",
        "1:2:3",      "::1:995x",    "fe80::1%", "host:995:1", "a/b",
    };
    for (const char* text : bad)
        EXPECT_FALSE(ParseServerAddress(text)) << '"' << text << '"';
}

TEST(ServerAddress, JoinedTextBracketsIPv6) {
    EXPECT_EQ(JoinHostPort("pop.example.org", 995), "pop.example.org:995");
    EXPECT_EQ(JoinHostPort("::1", 110), "[::1]:110");
}

} // namespace
