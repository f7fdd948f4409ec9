// The keys mails are grouped by, read from listed headers.
#include <gtest/gtest.h>

#include <string>

#include "ListedFacts.h"

TEST(SpaceKeys, SenderDomainAndListFromTheHeader) {
    struct Row {
        const char* header;
        const char* sender;
        const char* domain;
        const char* list;
    };
    const Row rows[] = {
        {"From: Anna <Anna+News@Example.ORG>", "anna@example.org", "example.org", ""},
        {"From: a+b+c@example.org", "a@example.org", "example.org", ""},
        // A leading "+" is the name itself, not a tag.
        {"From: +4930123@sms.example.net", "+4930123@sms.example.net", "example.net", ""},
        {"From: shop@mail.shop.example.co.uk", "shop@mail.shop.example.co.uk", "example.co.uk", ""},
        {"From: NEWS@News.Shop.Example.CO.UK", "news@news.shop.example.co.uk", "example.co.uk", ""},
        {"From: x@co.uk", "x@co.uk", "co.uk", ""},
        // The list's private section: each user's site is a domain of its own.
        {"From: bot@alice.github.io", "bot@alice.github.io", "alice.github.io", ""},
        {"From: J\xC3\xB6rg <J\xC3\x96RG@Shop.B\xC3\x9C"
         "CHER.de>",
         "j\xC3\xB6rg@shop.b\xC3\xBC"
         "cher.de",
         "b\xC3\xBC"
         "cher.de",
         ""},
        {"From: info@shop.xn--bcher-kva.de", "info@shop.xn--bcher-kva.de", "xn--bcher-kva.de", ""},
        {"From: kontakt@laden.example.\xD1\x80\xD1\x84", "kontakt@laden.example.\xD1\x80\xD1\x84",
         "example.\xD1\x80\xD1\x84", ""},
        {"From: root@[192.0.2.1]", "root@[192.0.2.1]", "[192.0.2.1]", ""},
        {"From: undisclosed-recipients:;", "", "", ""},
        {"From: \"Weird, Name\" <odd@example.org>, second@example.net", "odd@example.org",
         "example.org", ""},
        {"Subject: no sender", "", "", ""},
        {"From: news@club.example\r\nList-Id: Club News <News.Club.Example>", "news@club.example",
         "club.example", "news.club.example"},
        {"From: deals@shop.example\r\nList-Unsubscribe: <mailto:u@shop.example>",
         "deals@shop.example", "shop.example", "deals@shop.example"},
        {"From: a@b.example\r\nList-Id: bare.list.example\r\nList-Unsubscribe: <x>", "a@b.example",
         "b.example", "bare.list.example"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.header);
        const TListedFacts facts = FactsOf(std::string(row.header) + "\r\n\r\n");
        EXPECT_EQ(facts.Sender, row.sender);
        EXPECT_EQ(facts.Domain, row.domain);
        EXPECT_EQ(facts.List, row.list);
    }
}

TEST(SpaceKeys, AttachmentsAndSizeBands) {
    const std::pair<const char*, bool> types[] = {
        {"Multipart/Mixed; boundary=x", true},
        {"multipart/related", true},
        {"multipart/report; report-type=delivery-status", true},
        {"image/jpeg", true},
        {"application/pdf; name=a.pdf", true},
        {"multipart/alternative; boundary=y", false},
        {"text/plain; charset=utf-8", false},
        {"", false},
    };
    for (const auto& [type, files] : types)
        EXPECT_EQ(CarriesFiles(type), files) << type;
    const std::pair<long long, TSizeBand> bands[] = {
        {-1, TSizeBand::Small},        {99'999, TSizeBand::Small},    {100'000, TSizeBand::Medium},
        {999'999, TSizeBand::Medium},  {1'000'000, TSizeBand::Large}, {9'999'999, TSizeBand::Large},
        {10'000'000, TSizeBand::Huge},
    };
    for (const auto& [octets, band] : bands)
        EXPECT_EQ(SizeBandOf(octets), band) << octets;
}
