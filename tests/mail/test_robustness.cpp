#include "MailText.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

// levels multiparts, each inside the one before, around a text part holding "deep".
Lines nestedMultiparts(int levels) {
    Lines mail;
    for (int i = 0; i < levels; ++i) {
        mail.push_back("Content-Type: multipart/mixed; boundary=b" + std::to_string(i));
        mail.push_back("");
        mail.push_back("--b" + std::to_string(i));
    }
    mail.insert(mail.end(), {"Content-Type: text/plain", "", "deep"});
    for (int i = levels - 1; i >= 0; --i)
        mail.push_back("--b" + std::to_string(i) + "--");
    return mail;
}

} // namespace

TEST(Robustness, HundredNestedMultipartsAreAllSplit) {
    const auto msg = ParseLines(nestedMultiparts(100));
    EXPECT_EQ(msg->Text, Lines{"deep"});
    EXPECT_EQ(msg->Attachments.Count(), 0);
}

TEST(Robustness, DeeperNestingIsTakenAsALeaf) {
    const auto msg = ParseLines(nestedMultiparts(101));
    // The 101st multipart is not split: its body reaches the text as it stands.
    EXPECT_EQ(msg->Text, (Lines{"--b100", "Content-Type: text/plain", "", "deep", "--b100--"}));
}

TEST(Robustness, HundredThousandNestedMultiparts) {
    const int levels = 100000;
    const auto msg = ParseLines(nestedMultiparts(levels));
    // "--b100", three lines per deeper level, the text part, one closing line per level.
    const size_t deep = 1 + 3 * (levels - 101) + 2;
    ASSERT_EQ(msg->Text.size(), deep + 1 + (levels - 100));
    EXPECT_EQ(msg->Text.front(), "--b100");
    EXPECT_EQ(msg->Text[deep], "deep");
    EXPECT_EQ(msg->Text.back(), "--b100--");
}

TEST(Robustness, HundredThousandNestedForwardedMessages) {
    Lines mail;
    for (int i = 0; i < 100000; ++i)
        mail.insert(mail.end(), {"Content-Type: message/rfc822", ""});
    mail.push_back("inner");
    const auto msg = ParseLines(mail);
    ASSERT_FALSE(msg->Text.empty());
    EXPECT_EQ(msg->Text.front(), "Content-Type: message/rfc822");
    EXPECT_EQ(msg->Text.back(), "inner");
}

TEST(Robustness, BoundaryDenseMail) {
    const int parts = 50000;
    Lines mail{"Content-Type: multipart/mixed; boundary=x", ""};
    for (int i = 0; i < parts; ++i)
        mail.insert(mail.end(), {"--x", "", "p" + std::to_string(i)});
    mail.push_back("--x--");
    const auto msg = ParseLines(mail);
    ASSERT_EQ(msg->Text.size(), static_cast<size_t>(parts));
    for (int i = 0; i < parts; i += 997)
        EXPECT_EQ(msg->Text[static_cast<size_t>(i)], "p" + std::to_string(i));
    EXPECT_EQ(msg->Text.back(), "p" + std::to_string(parts - 1));
}

TEST(Robustness, ManyEmptyDelimitersAndHeaderOnlyParts) {
    Lines mail{"Content-Type: multipart/mixed; boundary=x", "", "--x"};
    for (int i = 0; i < 20000; ++i)
        mail.insert(
            mail.end(),
            {"Content-Type: application/octet-stream; name=a" + std::to_string(i) + ".bin", "--x"});
    const auto msg = ParseLines(mail);
    ASSERT_EQ(msg->Attachments.Count(), 20000);
    EXPECT_EQ(msg->Attachments.Items(0).FileName, "a0.bin");
    EXPECT_EQ(msg->Attachments.Items(19999).FileName, "a19999.bin");
    EXPECT_TRUE(msg->Attachments.Items(0).Data.empty());
    EXPECT_TRUE(msg->Text.empty());
}

TEST(Robustness, HugeFoldedHeaderAndEncodedWords) {
    Lines mail{"Subject: start"};
    for (int i = 0; i < 100000; ++i)
        mail.push_back(" =?x?Q?a?=");
    mail.insert(mail.end(), {"To: " + std::string(200000, ',') + "a@b", "", "body"});
    const auto msg = ParseLines(mail);
    EXPECT_EQ(msg->Subject, "start" + std::string(100000, 'a'));
    EXPECT_EQ(msg->Text, Lines{"body"});
    EXPECT_TRUE(msg->SendTo.starts_with("\"\" <>, \"\" <>, "));
    EXPECT_TRUE(msg->SendTo.ends_with(", \"a@b\" <a@b>"));
    EXPECT_EQ(msg->SendTo.size(), 200000 * 7 + 11);
}
