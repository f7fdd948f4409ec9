#include "ByteText.h"
#include "ExtraColumns.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "MultiListItem.h"
#include "MultiListText.h"
#include "MultiLst.h"
#include "RowColumns.h"

#include <QListWidgetItem>

#include <gtest/gtest.h>

namespace {

struct SizeCase {
    const char* digits;
    const char* shown;
};

TEST(DisplaySize, UnitBordersAndRounding) {
    const SizeCase cases[] = {
        {"", ""},
        {"0", "0 Byte"},
        {"7", "7 Byte"},
        {"999", "999 Byte"},
        {"1000", "1 KByte"},
        {"1499", "1 KByte"},
        {"1500", "2 KByte"},
        {"19999", "20 KByte"},
        {"999499", "999 KByte"},
        {"999500", "1000 KByte"},
        {"1000000", "1.0 MByte"},
        {"1049999", "1.0 MByte"},
        {"1050000", "1.1 MByte"},
        {"1250000", "1.3 MByte"},
        {"1960000", "2.0 MByte"},
        {"9999999", "10.0 MByte"},
        {"123456789012", "123456.8 MByte"},
        // Longer than any integer type: still rounded digit by digit.
        {"99999999999999999999999", "100000000000000000.0 MByte"},
    };
    for (const SizeCase& c : cases)
        EXPECT_EQ(DisplaySize(c.digits), c.shown) << "digits: " << c.digits;
}

TEST(DisplaySize, ReplyWithExtraWordsUsesItsLeadingDigits) {
    EXPECT_EQ(DisplaySize("1234 octets"), "1 KByte");
    EXPECT_EQ(DisplaySize("512\r\n"), "512 Byte");
    EXPECT_EQ(DisplaySize("abc"), "");
    EXPECT_EQ(DisplaySize("-5"), "");
    EXPECT_EQ(DisplaySize(" 5"), "");
    EXPECT_EQ(DisplaySize("000123"), "123 Byte");
    EXPECT_EQ(DisplaySize("000"), "0 Byte");
}

struct FilterCase {
    const char* name;
    std::string header;
    const char* german;
    const char* english;
};

TEST(Filter, DateSenderAndSubjectColumns) {
    const FilterCase cases[] = {
        {"common form, one-digit day",
         "Date: Mon, 1 May 2000 10:11:12 +0200\r\nFrom: Alice <alice@example.org>\r\n"
         "Subject: Hello there\r\n\r\n.\r\n",
         "01 May 2000|Alice <alice@example.org>|Hello there|",
         "01 May 2000|Alice <alice@example.org>|Hello there|"},
        {"two-digit day",
         "From: bob@example.org\r\nDate: Mon, 15 May 2000 10:11:12 +0200\r\nSubject: x\r\n"
         "\r\n.\r\n",
         "15 May 2000|bob@example.org|x|", "15 May 2000|bob@example.org|x|"},
        {"empty subject followed by the date line",
         "From: a@b\r\nSubject:\r\nDate: Mon, 15 May 2000 10:11:12 +0200\r\n\r\n.\r\n",
         "15 May 2000|a@b|Die Betreff-Zeile ist leer|", "15 May 2000|a@b|No subject|"},
        {"an empty subject line never shows the next line",
         "Date: Mon, 15 May 2000 10:11:12 +0200\r\nSubject: \r\nX-Mailer: Test\r\n"
         "From: a@b\r\n\r\n.\r\n",
         "15 May 2000|a@b|Die Betreff-Zeile ist leer|", "15 May 2000|a@b|No subject|"},
        {"a subject that names a date is kept", "Subject: Date: Friday\r\n\r\n.\r\n",
         "||Date: Friday|", "||Date: Friday|"},
        {"no date, no sender, no subject line: empty cells", "X: 1\r\n", "|||", "|||"},
        {"no date line: nothing of the other lines",
         "Received: from mail.example.org by mx\r\nFrom: c@d\r\nSubject: s\r\n\r\n.\r\n", "|c@d|s|",
         "|c@d|s|"},
        {"no sender line: nothing of the other lines",
         "Content-Type: multipart/mixed;\r\n boundary=x\r\nDate: Mon, 15 May 2000 10:11:12 "
         "+0200\r\nSubject: s\r\n\r\n.\r\n",
         "15 May 2000||s|", "15 May 2000||s|"},
        {"no subject line: nothing of the other lines",
         "Date: Mon, 15 May 2000 10:11:12 +0200\r\nFrom: a@b\r\n", "15 May 2000|a@b||",
         "15 May 2000|a@b||"},
        {"an empty sender line never shows the next line", "From:\r\nSubject: s\r\n\r\n.\r\n",
         "|Kein Absender|s|", "|No sender|s|"},
        {"fields only at line starts, their names in any case",
         "X-Original-From: x@y\r\nResent-Date: Sat, 1 Jan 2011 00:00:00 +0000\r\nfrom: a@b\r\n"
         "DATE: Tue, 2 May 2000 01:02:03 +0000\r\nSUBJECT: s\r\n\r\n.\r\n",
         "02 May 2000|a@b|s|", "02 May 2000|a@b|s|"},
        {"two-digit year 00", "Date: Mon, 1 May 00 10:11:12 +0200\r\n", "01 May 2000|||",
         "01 May 2000|||"},
        {"two-digit year 49", "Date: 9 Dec 49 10:00 GMT\r\n", "09 Dec 2049|||", "09 Dec 2049|||"},
        {"two-digit year 50", "Date: 9 Dec 50 10:00 GMT\r\n", "09 Dec 1950|||", "09 Dec 1950|||"},
        {"two-digit year 99, no weekday, month in lower case", "Date: 15 jan 99 10:00 GMT\r\n",
         "15 Jan 1999|||", "15 Jan 1999|||"},
        {"three-digit year", "Date: Fri, 3 Mar 101 10:00 GMT\r\n", "03 Mar 2001|||",
         "03 Mar 2001|||"},
        {"a date that cannot be read is shown as sent",
         "Date: 2000-05-01T10:11:12Z\r\nFrom: a@b\r\n", "2000-05-01T10:11:12Z|a@b||",
         "2000-05-01T10:11:12Z|a@b||"},
        {"an asctime date is shown as sent", "Date: Mon May  1 10:11:12 2000\r\n",
         "Mon May  1 10:11:12 2000|||", "Mon May  1 10:11:12 2000|||"},
        {"an empty date line", "Date: \r\nFrom: a@b\r\n", "Kein Datum|a@b||", "No date|a@b||"},
        {"the header's last line is read too",
         "Date: Mon, 15 May 2000 10:11:12 +0200\r\nFrom: a@b\r\nSubject: s\r\n",
         "15 May 2000|a@b|s|", "15 May 2000|a@b|s|"},
        {"sender line without CR LF within reach gives no sender",
         "Subject: s\r\nFrom: " + std::string(300, 'x'), "|Kein Absender|s|", "|No sender|s|"},
        {"empty header", "", "|||", "|||"},
        {"texts stay as the server sent them",
         "Date: Tue, 2 May 2000 01:02:03 +0000\r\nFrom: =?ISO-8859-1?Q?J=F6rg?= <j@x>\r\n"
         "Subject: <b>bold</b>\r\n\r\n.\r\n",
         "02 May 2000|=?ISO-8859-1?Q?J=F6rg?= <j@x>|<b>bold</b>|",
         "02 May 2000|=?ISO-8859-1?Q?J=F6rg?= <j@x>|<b>bold</b>|"},
    };
    for (const FilterCase& c : cases) {
        EXPECT_EQ(filter(c.header, true, true), c.german) << c.name;
        EXPECT_EQ(filter(c.header, false, true), c.english) << c.name;
    }
}

// Mail texts with "&" or "|" must reach the list's columns as they were sent, not as
// access-key marks or as an early end of the field.
TEST(Filter, AmpersandAndBarInHeaderTextsShowAsSent) {
    const std::string header = "Date: Mon, 15 May 2000 10:11:12 +0200\r\nFrom: AT&T <a|b@x>\r\n"
                               "Subject: Q&A | Tom && Jerry\r\n\r\n.\r\n";
    const std::string columns = filter(header, false);
    EXPECT_EQ(columns, "15 May 2000|AT&&T <a¦b@x>|Q&&A ¦ Tom &&&& Jerry|");
    EXPECT_EQ(filter(header, false, true), columns);
    const TMultiListItem row = ParseItem(FromMailText("1|1 KByte|" + columns), QChar('|'));
    ASSERT_EQ(row.Fields.size(), 5u);
    const TMnemonicText sender = ResolveMnemonics(row.Fields[3]);
    const TMnemonicText subject = ResolveMnemonics(row.Fields[4]);
    EXPECT_EQ(sender.Text, QString::fromUtf8("AT&T <a\u00A6b@x>"));
    EXPECT_EQ(subject.Text, QString::fromUtf8("Q&A \u00A6 Tom && Jerry"));
    EXPECT_TRUE(sender.Underlined.isEmpty());
    EXPECT_TRUE(subject.Underlined.isEmpty());
}

TEST(Filter, LongSubjectAndSenderLinesAreKeptWhole) {
    const std::string subject(327, 's');
    const std::string sender = std::string(250, 'f') + "@example.org";
    const std::string header = "From: " + sender + "\r\nSubject: " + subject +
                               "\r\nDate: Mon, 15 May 2000 10:11:12 +0200\r\n\r\n.\r\n";
    EXPECT_EQ(filter(header, false), "15 May 2000|" + sender + "|" + subject + "|");
}

// Decoded (the default): folded lines joined, encoded words decoded, every text UTF-8; the
// raw texts read as UTF-8 when valid, else windows-1252, in both modes.
TEST(Filter, DecodedTexts) {
    const std::string header =
        "Date: Mon, 15 May 2000 10:11:12 +0200\r\nFrom: =?ISO-8859-1?Q?J=F6rg?= <j@x>\r\n"
        "Subject: " +
        std::string(230, 'x') +
        "\r\n =?UTF-8?Q?=E2=82=AC?=\r\n =?UTF-8?Q?_|_?=\r\n"
        "\r\n.\r\n";
    EXPECT_EQ(filter(header, false), "15 May 2000|Jörg <j@x>|" + std::string(230, 'x') + " € ¦ |");
    EXPECT_EQ(filter("Date: Mon, 15 May 2000 10:11:12 +0200\r\nFrom: M\xFCller\r\n"
                     "Subject: Grüße\r\nTo: a@b\r\n",
                     false, true),
              "15 May 2000|Müller|Grüße|");
}

TEST(Filter, HeaderShorterThanTheDateWindow) {
    EXPECT_EQ(filter("Date: Mon, 1", false), "Mon, 1|||");
    EXPECT_EQ(filter("Date:", false), "No date|||");
}

// Columns made ahead come back as made, whichever header they were made from; a row's date is
// the Date field's time as the rules read it.
TEST(RowColumns, MadeAheadInOneBlockTheyComeBackAsMade) {
    const std::vector<std::string> headers = {
        "Date: Tue, 2 May 2000 09:30:00 +0200\r\nFrom: =?UTF-8?B?SsO8cmdlbg==?= <j@x.org>\r\n"
        "Subject: Gr\xc3\xbc\xc3\x9f\r\n",
        "Subject: no date here\r\n", "",
        "Date: Tue, 2 May 2000\r\n\t09:30:00 +0200 (CEST)\r\nSubject: s\r\n"};
    TRowColumnsBlock block;
    for (const std::string& header : headers)
        block.Add(RowColumnsOf(header, true, false));
    ASSERT_EQ(block.Count(), headers.size());
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const TRowColumns made = RowColumnsOf(headers[i], true, false);
        EXPECT_EQ(block.At(i).Cells, made.Cells) << i;
        EXPECT_EQ(block.At(i).DateMs, made.DateMs) << i;
    }
    EXPECT_EQ(block.At(0).DateMs, 957252600000LL);
    EXPECT_EQ(block.At(1).DateMs, std::nullopt);
    EXPECT_EQ(block.At(3).DateMs, 957252600000LL) << "folded, with a comment";
    EXPECT_NE(block.At(0).Cells.find("J\xc3\xbcrgen"), std::string_view::npos);
}

// The columns after the subject: a row carries cells up to the last column shown, so a
// listing without them keeps the rows it always had; a cell set later pads the row.
TEST(ExtraColumns, CellsUpToTheLastShownAndTipsInTheirOrder) {
    TExtraColumns columns;
    EXPECT_EQ(columns.Cells({"r", "n", "s"}), "");
    columns.SetShown(NewColumn, true);
    EXPECT_EQ(columns.Cells({"r", "n", "s"}), "r|n|");
    columns.SetShown(SpamColumn, true);
    columns.SetShown(NewColumn, false);
    EXPECT_EQ(columns.Cells({"", "", "7.5"}), "||7.5|");

    QListWidgetItem row(QStringLiteral(" 1 |2 KByte |d|f|s|"));
    SetRowCell(row, SpamColumn, QStringLiteral("9.0"));
    EXPECT_EQ(row.text(), QStringLiteral(" 1 |2 KByte |d|f|s|||9.0|"));
    SetRowCell(row, RuleColumn, QStringLiteral("spam"));
    EXPECT_EQ(row.text(), QStringLiteral(" 1 |2 KByte |d|f|s|spam||9.0|"));

    // Parts keep their order whichever comes first, and each is replaced alone.
    TMultiList list;
    TMailRows rows(list);
    TMailRowBatch batch;
    batch.Add(row.text(), MailRowData(1, 2000, std::nullopt));
    batch.AddTo(rows);
    list.CheckSpacer();
    rows.SetTipAt(1, TRowTip::Spam, QStringLiteral("score 9"));
    rows.SetTipAt(1, TRowTip::Rule, QStringLiteral("rule"));
    rows.SetTipAt(1, TRowTip::Seen, QStringLiteral("since"));
    EXPECT_EQ(rows.ToolTipAt(1), QStringLiteral("rule\nsince\nscore 9"));
    rows.SetTipAt(1, TRowTip::Rule, QString());
    rows.SetTipAt(1, TRowTip::Spam, QStringLiteral("score 2"));
    EXPECT_EQ(rows.ToolTipAt(1), QStringLiteral("since\nscore 2"));
    EXPECT_EQ(rows.TipAt(1, TRowTip::Seen), QStringLiteral("since"));
}

// A row is its text; size, date, new marker and tooltip are kept by the number in the text,
// so they sort and show with the right row whatever order the rows are in.
TEST(MailRows, SortKeysAndTipsFollowTheNumberInTheRowText) {
    TMultiList list;
    TMailRows rows(list);
    TMailRowBatch batch;
    TMailRowData nine = MailRowData(9, 3000, std::int64_t{2000});
    nine.SeenSince = 5;
    nine.New = true;
    batch.Add(QStringLiteral(" 9 |3 KByte |d|f|s|"), nine);
    batch.Add(QStringLiteral(" 10 | - |d|f|s|"), MailRowData(10, -1, std::nullopt));
    batch.AddTo(rows);
    // A later batch with a lower number still finds its place.
    batch.Add(QStringLiteral(" 2 |1 KByte |d|f|s|"), MailRowData(2, 1000, std::int64_t{3000}),
              {QStringLiteral("rule"), {}, {}});
    batch.AddTo(rows);
    list.CheckSpacer();
    const auto numbers = [&] {
        std::vector<int> shown;
        for (int row = 1; row <= rows.Count(); ++row)
            shown.push_back(rows.NumberAt(row));
        return shown;
    };
    list.SortByColumn(0);
    EXPECT_EQ(numbers(), (std::vector<int>{2, 9, 10})) << "numbers sort as numbers";
    list.SortByColumn(1);
    EXPECT_EQ(numbers(), (std::vector<int>{2, 9, 10})) << "an unknown size after the known";
    list.SortByColumn(1);
    EXPECT_EQ(numbers(), (std::vector<int>{10, 9, 2}));
    list.SortByColumn(2);
    EXPECT_EQ(numbers(), (std::vector<int>{9, 2, 10})) << "a mail without date after the dated";
    EXPECT_EQ(rows.OctetsAt(1), 3000);
    EXPECT_EQ(rows.DateAt(2), std::int64_t{3000});
    EXPECT_EQ(rows.DateAt(3), std::nullopt);
    EXPECT_TRUE(rows.NewAt(1));
    EXPECT_FALSE(rows.NewAt(2));
    EXPECT_EQ(rows.ToolTipAt(2), QStringLiteral("rule"));
    rows.SetTipAt(3, TRowTip::Spam, QStringLiteral("score 1"));
    list.SortByColumn(0);
    EXPECT_EQ(rows.ToolTipAt(3), QStringLiteral("score 1"));
    rows.SetMarks(TNumberRuns::Of({2, 9}));
    EXPECT_EQ(MarkedMails(rows).Octets, 4000);
    rows.SetMarks(TNumberRuns::Of({9, 10}));
    EXPECT_FALSE(MarkedMails(rows).SizeKnown);

    rows.ClearHeaders();
    EXPECT_EQ(rows.OctetsAt(1), -1) << "a new connect forgets the facts with the rows";
}

TEST(MailRows, TheNumberIsReadFromTheRowText) {
    const std::pair<const char*, int> cases[] = {
        {" 12 |1 KByte |", 12}, {"7|", 7}, {" 5 ", 5}, {" x |", 0}, {" 1 2 |", 0}, {" -3 |", 0},
        {" 99999999999 |", 0},  {"", 0},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(MessageNumberOf(QListWidgetItem(QString::fromLatin1(text))), number) << text;
}

} // namespace
