// Grouping a mailbox listed from Dovecot: each group's sums against the server's own LIST.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DovecotClient.h"
#include "DovecotServer.h"
#include "MbxPOP3.h"
#include "SpaceGroups.h"

namespace {

struct TWritten {
    std::string from;
    std::string listId; // empty: none
    std::string date;   // RFC 5322; empty: none
    std::size_t bodyBytes;
};

std::string MailOf(const TWritten& w) {
    std::string mail = "From: " + w.from + "\r\nTo: bob@example.org\r\nSubject: s\r\n";
    if (!w.listId.empty())
        mail += "List-Id: <" + w.listId + ">\r\n";
    if (!w.date.empty())
        mail += "Date: " + w.date + "\r\n";
    mail += "\r\n";
    for (std::size_t k = 0; k < w.bodyBytes / 64; ++k)
        mail += std::string(62, 'x') + "\r\n";
    return mail;
}

struct TSums {
    int mails = 0;
    long long bytes = 0;
    bool operator==(const TSums&) const = default;
};

} // namespace

TEST(SpaceGroups, SumsOfAListedDovecotMailboxMatchTheServersList) {
    SKIP_WITHOUT_DOVECOT();
    // What the test wrote of each mail is what it expects each key to be.
    const std::vector<std::pair<TWritten, std::map<TGrouping, std::string>>> written = {
        {{"Shop <Deals+a@Mail.Shop.example.co.uk>", "", "Mon, 5 Jan 2026 10:00:00 +0000", 300},
         {{TGrouping::Sender, "deals@mail.shop.example.co.uk"},
          {TGrouping::Domain, "example.co.uk"},
          {TGrouping::List, ""},
          {TGrouping::Year, "2026"},
          {TGrouping::Size, "<100KB"}}},
        {{"deals@news.shop.example.co.uk", "offers.example.co.uk",
          "Sat, 31 Dec 2022 23:30:00 -0200", 150'000},
         {{TGrouping::Sender, "deals@news.shop.example.co.uk"},
          {TGrouping::Domain, "example.co.uk"},
          {TGrouping::List, "offers.example.co.uk"},
          {TGrouping::Year, "2023"},
          {TGrouping::Size, "100KB-1MB"}}},
        {{"Deals@Mail.Shop.example.co.uk", "", "", 1'200'000},
         {{TGrouping::Sender, "deals@mail.shop.example.co.uk"},
          {TGrouping::Domain, "example.co.uk"},
          {TGrouping::List, ""},
          {TGrouping::Year, ""},
          {TGrouping::Size, "1-10MB"}}},
        {{"mum@family.example", "", "Tue, 8 Dec 2026 07:00:00 +0100", 2'000},
         {{TGrouping::Sender, "mum@family.example"},
          {TGrouping::Domain, "family.example"},
          {TGrouping::List, ""},
          {TGrouping::Year, "2026"},
          {TGrouping::Size, "<100KB"}}},
    };
    std::vector<std::string> mails;
    for (const auto& [w, keys] : written)
        mails.push_back(MailOf(w));
    DovecotServer server("bob", "pw", mails);
    TMbxPOP pop;
    AimAt(pop, server);
    pop.Connect();
    ASSERT_TRUE(pop.Login());
    ASSERT_TRUE(pop.Stat());

    TSpaceIndex index;
    ASSERT_EQ(
        pop.ListMailsWithIds(
            pop.MessageCount(),
            [&](TMsgNumber n, const std::string& header, const std::string& size,
                const std::string&) { index.Add(static_cast<int>(n), std::stoll(size), header); },
            [] { return false; }),
        TMbxPOP::TPassEnd::Complete);
    std::vector<TIndexedMail> listed;
    ASSERT_EQ(pop.ListMailbox(listed), TMbxPOP::TPassEnd::Complete);
    pop.Quit();
    ASSERT_EQ(listed.size(), written.size());
    EXPECT_EQ(std::to_string(index.Bytes()), pop.MailboxSize());

    for (const TGrouping by : {TGrouping::Sender, TGrouping::Domain, TGrouping::List,
                               TGrouping::Year, TGrouping::Size}) {
        SCOPED_TRACE(static_cast<int>(by));
        std::map<std::string, TSums> expected;
        for (std::size_t k = 0; k < listed.size(); ++k) {
            TSums& sums = expected[written[k].second.at(by)];
            ++sums.mails;
            sums.bytes += static_cast<long long>(listed[k].Size);
        }
        std::map<std::string, TSums> grouped;
        long long previous = -1;
        for (const TSpaceGroup& group : GroupMails(index, by)) {
            grouped[group.Key] = {group.Mails, group.Bytes};
            EXPECT_TRUE(previous < 0 || group.Bytes <= previous) << "largest first";
            previous = group.Bytes;
            EXPECT_EQ(NumbersIn(index, by, group.Id).size(), static_cast<std::size_t>(group.Mails));
        }
        EXPECT_EQ(grouped, expected);
    }
    // The domain's senders inside it, with their oldest and newest days.
    const std::vector<TSpaceGroup> domains = GroupMails(index, TGrouping::Domain);
    ASSERT_EQ(domains.front().Key, "example.co.uk");
    ASSERT_EQ(domains.front().Inner.size(), 2u);
    EXPECT_EQ(domains.front().Inner[0].Key, "deals@mail.shop.example.co.uk");
    EXPECT_EQ(DayText(*domains.front().Oldest), "2023-01-01");
    EXPECT_EQ(DayText(*domains.front().Newest), "2026-01-05");
}
