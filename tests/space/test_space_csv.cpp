// The exported list: RFC 4180 quoting, and each listed mail with its groups and mark.
#include <gtest/gtest.h>

#include <sstream>

#include "SpaceCsv.h"

TEST(SpaceCsv, QuotesWhatNeedsItAndWritesEachMailWithItsGroups) {
    const std::pair<const char*, const char*> fields[] = {
        {"plain@example.org", "plain@example.org"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"", ""},
    };
    for (const auto& [text, field] : fields)
        EXPECT_EQ(CsvField(text), field) << text;

    TSpaceIndex index;
    index.Add(1, 2'000'000,
              "From: \"Shop, Inc\" <deals@mail.shop.example.co.uk>\r\nList-Id: <a,b.example>\r\n"
              "Date: Mon, 5 Jan 2026 10:00:00 +0000\r\nContent-Type: multipart/mixed\r\n\r\n");
    index.Add(3, 500, "Subject: nothing else\r\n\r\n");
    std::ostringstream out;
    WriteSpaceCsv(
        index, [](int number) { return number == 3; }, out);
    EXPECT_EQ(out.str(),
              "number,size,date,sender,domain,list,month,size band,attachments,marked\r\n"
              "1,2000000,2026-01-05,deals@mail.shop.example.co.uk,example.co.uk,\"a,b.example\","
              "2026-01,1-10MB,yes,no\r\n"
              "3,500,,,,,,<100KB,no,yes\r\n");
}
