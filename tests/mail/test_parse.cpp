#include "MailText.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

std::string bytes0To49() {
    std::string s;
    for (int i = 0; i < 50; ++i)
        s += static_cast<char>(i);
    return s;
}

} // namespace

TEST(Parse, DefaultsOfAnEmptyMessage) {
    TMbxMsg msg;
    EXPECT_EQ(msg.Priority, prNormal);
    EXPECT_EQ(msg.CharSet, "ISO-8859-1");
    EXPECT_EQ(msg.TextEncoding, te8Bit);
    EXPECT_TRUE(msg.ClearRawMailAfterParse);
    EXPECT_EQ(msg.Size, 0);
    msg.Parse();
    EXPECT_EQ(msg.ContentType, "");
    EXPECT_TRUE(msg.Headers.empty());
    EXPECT_TRUE(msg.Text.empty());
}

TEST(Parse, PlainMessageWithoutContentType) {
    const auto msg = ParseLines(L({"Return-Path: <a@x.org>", "Subject: Hello", " World", "", "",
                                   "  ", "first line", "", "  indented =3D", "last"}));
    EXPECT_EQ(msg->ContentType, "TEXT/PLAIN");
    EXPECT_EQ(msg->ContentTransferEncoding, "7BIT");
    EXPECT_EQ(msg->Headers, L({"Return-Path: <a@x.org>", "Subject: Hello", " World"}));
    EXPECT_EQ(msg->Subject, "HelloWorld");
    EXPECT_EQ(msg->Text, L({"first line", "", "  indented =3D", "last"}));
    EXPECT_TRUE(msg->RawMail.empty());
    EXPECT_EQ(msg->Attachments.Count(), 0);
}

TEST(Parse, HeaderFields) {
    const auto msg = ParseLines(L({
        "From sender@envelope.org  Mon Jan  1 00:00:00 2024",
        "Reply-To: Rita <rita@x.org>",
        "Bcc: hidden@x.org",
        "To: Ann <ann@x.org>, bob@y.org (Bob)",
        "cc:carl@z.org",
        "Sender: \"Secretary\" <sec@x.org>",
        "Message-ID: <id1@x.org>",
        "In-Reply-To: <id0@x.org>",
        "Date: Mon, 1 Jan 2024 10:00:00 +0100",
        "Subject: =?ISO-8859-1?Q?Gr=FC=DFe?= aus; Berlin",
        "Content-Type: Text/Plain; charset=utf-8",
        "Content-Transfer-Encoding: 8bit",
        "",
        "body",
    }));
    EXPECT_EQ(msg->From, "sender@envelope.org  Mon Jan  1 00:00:00 2024");
    EXPECT_EQ(msg->ReplyTo, "\"Rita\" <rita@x.org>");
    EXPECT_EQ(msg->SendTo, "\"Ann\" <ann@x.org>, \"Bob\" <bob@y.org>");
    EXPECT_EQ(msg->CC, "\"carl@z.org\" <carl@z.org>");
    EXPECT_EQ(msg->BCC, "");
    EXPECT_EQ(msg->Sender, "\"\" <sec@x.org>");
    EXPECT_EQ(msg->MessageID, "<id1@x.org>");
    EXPECT_EQ(msg->InReplyTo, "<id0@x.org>");
    EXPECT_EQ(msg->ReturnPath, "");
    EXPECT_EQ(msg->Date, "Mon, 1 Jan 2024 10:00:00 +0100");
    EXPECT_EQ(msg->Subject, "Grüße aus");
    EXPECT_EQ(msg->ContentType, "TEXT/PLAIN");
    EXPECT_EQ(msg->ContentTransferEncoding, "8BIT");
    EXPECT_EQ(msg->Text, L({"body"}));
}

TEST(Parse, FromHeaderReplacesEnvelopeAndBlankBeforeColonIsNoHeader) {
    const auto msg =
        ParseLines(L({"Subject :not a subject", "From: =?x?B?QW5u?= <ann@x.org>", "", "b"}));
    EXPECT_EQ(msg->From, "Ann <ann@x.org>");
    EXPECT_EQ(msg->Subject, "");
    // Without a From: header the field keeps what follows the first line's fifth character.
    EXPECT_EQ(ParseLines(L({"Return-Path: <r@x>", "", "b"}))->From, "n-Path: <r@x>");
    EXPECT_EQ(ParseLines(L({"", "only body"}))->Text, L({"only body"}));
}

TEST(Parse, KeepsRawMailWhenAsked) {
    TMbxMsg msg;
    msg.ClearRawMailAfterParse = false;
    msg.RawMail = MailLines(L({"Subject: s", "", "b"}));
    msg.Parse();
    EXPECT_EQ(msg.RawMail.ToVector(), L({"Subject: s", "", "b"}));
    EXPECT_EQ(msg.Text, L({"b"}));
}

TEST(Parse, AlternativeShowsPlainTextOnceAndOffersHtml) {
    const auto msg = ParseLines(L({
        "Subject: Report v1.2",
        "Content-Type: multipart/alternative; boundary=\"alt\"",
        "",
        "This is the preamble.",
        "--alt",
        "Content-Type: text/plain; charset=us-ascii",
        "",
        "Plain body",
        "--alt",
        "Content-Type: text/html",
        "Content-Transfer-Encoding: base64",
        "",
        "PGh0bWw+PGJvZHk+SGk8L2JvZHk+PC9odG1sPg==",
        "--alt--",
        "epilogue that never shows",
    }));
    EXPECT_EQ(msg->ContentType, "MULTIPART/ALTERNATIVE");
    EXPECT_EQ(msg->Text, L({"Plain body"}));
    ASSERT_EQ(msg->Attachments.Count(), 1);
    const TAttachedFile& html = msg->Attachments.Items(0);
    EXPECT_EQ(html.FileName, "Report v1.html");
    EXPECT_EQ(html.ContentType, "text/html");
    EXPECT_EQ(html.Data, "<html><body>Hi</body></html>");
}

// A mail whose only text is HTML: Html holds it as UTF-8, Text its plain reading; the HTML
// is still offered as an attachment. A plain text part keeps Html empty.
TEST(Parse, HtmlOnlyMails) {
    const struct {
        const char* what;
        std::string mail;
        std::vector<std::string> text;
        std::string html;
        int attachments;
    } rows[] = {
        {"single HTML part in Latin-1",
         "Content-Type: text/html; charset=iso-8859-1\r\nContent-Transfer-Encoding: "
         "quoted-printable\r\n\r\n<p>Gr=FC=DFe</p><p>x &amp; y<br>z</p>\r\n",
         {"Grüße", "", "x & y", "z"},
         "<p>Grüße</p><p>x &amp; y<br>z</p>",
         1},
        {"alternative without plain text",
         "Content-Type: multipart/alternative; boundary=a\r\n\r\n--a\r\nContent-Type: "
         "text/html\r\nContent-Transfer-Encoding: base64\r\n\r\nPGI+SGk8L2I+\r\n--a--\r\n",
         {"Hi"},
         "<b>Hi</b>",
         1},
        {"charset from the HTML's meta tag",
         "Content-Type: text/html\r\n\r\n<meta charset=koi8-r><p>\xF0\xD2\xC9\xD7\xC5\xD4</p>\r\n",
         {"Привет"},
         "<meta charset=koi8-r><p>Привет</p>",
         1},
        {"plain text and HTML",
         "Content-Type: multipart/alternative; boundary=a\r\n\r\n--a\r\n\r\nPlain\r\n--a\r\n"
         "Content-Type: text/html\r\n\r\n<p>Rich</p>\r\n--a--\r\n",
         {"Plain"},
         "",
         1},
        {"an HTML file attached to a mail without text",
         "Content-Type: multipart/mixed; boundary=a\r\n\r\n--a\r\nContent-Type: text/html; "
         "name=page.html\r\n\r\n<p>Page</p>\r\n--a--\r\n",
         {},
         "",
         1},
    };
    for (const auto& r : rows) {
        auto msg = std::make_unique<TMbxMsg>();
        msg->RawMail = MailLines(r.mail);
        msg->Parse();
        EXPECT_EQ(msg->Text, r.text) << r.what;
        EXPECT_EQ(msg->Html, r.html) << r.what;
        EXPECT_EQ(msg->Attachments.Count(), r.attachments) << r.what;
    }
}

TEST(Parse, HtmlNameFromSubjectLosesPathCharacters) {
    const auto msg = ParseLines(L(
        {"Subject: ../../etc/passwd: see", "Content-Type: text/html", "", "<p>x</p>", "<p>y</p>"}));
    ASSERT_EQ(msg->Attachments.Count(), 1);
    EXPECT_EQ(msg->Attachments.Items(0).FileName, "....html");
    EXPECT_EQ(msg->Attachments.Items(0).Data, "<p>x</p>\r\n<p>y</p>");
    EXPECT_EQ(ParseLines(L({"Content-Type: text/html", "", "x"}))->Attachments.Items(0).FileName,
              ".html");
}

TEST(Parse, UuencodedBlockInText) {
    const auto msg = ParseLines(L({
        "Subject: uu",
        "",
        "Here it comes:",
        "begin 644 a.zip",
        R"uu(72&5L;&\L('5U96YC;V1E9"!W;W)L9"$`)uu",
        "",
        "`",
        "end",
        "After the block.",
        "begin 600 second.bin",
        R"uu(M``$"`P0%!@<("0H+#`T.#Q`1$A,4%187&!D:&QP='A\@(2(C)"4F)R@I*BLL)uu",
        R"uu(%+2XO,#$`)uu",
        " END ",
        "done",
    }));
    EXPECT_EQ(msg->Text, L({"Here it comes:", "end", "After the block.", " END ", "done"}));
    ASSERT_EQ(msg->Attachments.Count(), 2);
    EXPECT_EQ(msg->Attachments.Items(0).FileName, "a.zip");
    EXPECT_EQ(msg->Attachments.Items(0).ContentType, "application/zip");
    EXPECT_EQ(msg->Attachments.Items(0).Data, "Hello, uuencoded world!");
    EXPECT_TRUE(msg->Attachments.Items(0).EncodedLines.empty());
    EXPECT_EQ(msg->Attachments.Items(1).FileName, "second.bin");
    EXPECT_EQ(msg->Attachments.Items(1).Data, bytes0To49());
}

TEST(Parse, UuencodedBlockInQuotedPrintableTextLeavesRestDecoded) {
    const auto msg = ParseLines(L({
        "Content-Type: text/plain",
        "Content-Transfer-Encoding: quoted-printable",
        "",
        "caf=E9 soft=",
        "break",
        "begin 644 hello.txt",
        R"uu(72&5L;&\L('5U96YC;V1E9"!W;W)L9"$`)uu",
        "end",
        "a=3Db",
    }));
    EXPECT_EQ(msg->Text, L({"café softbreak", "end", "a=b"}));
    ASSERT_EQ(msg->Attachments.Count(), 1);
    EXPECT_EQ(msg->Attachments.Items(0).Data, "Hello, uuencoded world!");
}

TEST(Parse, UuencodedBlockInsideBase64TextIsNotSearched) {
    // "begin 644 x.bin" only appears after decoding.
    const auto msg = ParseLines(L({"Content-Type: text/plain", "Content-Transfer-Encoding: base64",
                                   "", "YmVnaW4gNjQ0IHguYmluDQpgDQplbmQNCg=="}));
    EXPECT_EQ(msg->Text, L({"begin 644 x.bin", "`", "end"}));
    EXPECT_EQ(msg->Attachments.Count(), 0);
}

TEST(Parse, BadUuencodingStaysWhereItStood) {
    const auto msg = ParseLines(L({
        "Content-Type: multipart/mixed; boundary=b",
        "",
        "--b",
        "",
        "first text",
        "--b",
        "",
        "begin 644 good.bin",
        R"uu(72&5L;&\L('5U96YC;V1E9"!W;W)L9"$`)uu",
        "end",
        "begin 644 bad.bin",
        "Mthis line has lower case letters",
        "end",
        "--b",
        "Content-Type: application/octet-stream; name=part.bin",
        "Content-Transfer-Encoding: x-uuencode",
        "",
        "begin 644 part.bin",
        "Mnot uuencoded",
        "end",
        "--b",
        "",
        "still reached",
        "--b--",
    }));
    EXPECT_EQ(msg->Text, L({"first text", "end", "begin 644 bad.bin",
                            "Mthis line has lower case letters", "end", "still reached"}));
    ASSERT_EQ(msg->Attachments.Count(), 2);
    EXPECT_EQ(msg->Attachments.Items(0).Data, "Hello, uuencoded world!");
    EXPECT_EQ(msg->Attachments.Items(1).FileName, "part.bin");
    EXPECT_EQ(msg->Attachments.Items(1).Data, "begin 644 part.bin\r\nMnot uuencoded\r\nend");
}

TEST(Parse, AttachmentNamesAndTypes) {
    const auto msg = ParseLines(L({
        "Content-Type: multipart/mixed; boundary=\"outer\"; charset=x",
        "",
        "--outer",
        "Content-Type: application/pdf; name=\"C:\\tmp\\r.pdf\"",
        "Content-Transfer-Encoding: base64",
        "",
        "JVBERi0xLjQg",
        "ZmFrZSBwZGYgYnl0ZXMA/w==",
        "--outer",
        "Content-Type: application/octet-stream",
        "Content-Transfer-Encoding: BASE64",
        "",
        "QUJD",
        "--outer",
        "Content-Type: application/x-thing",
        "Content-Disposition: attachment; filename = \"a*b?c<d>e|f.TXT\"",
        "",
        "raw line 1",
        "raw line 2",
        "",
        "--outer",
        "Content-Type: image/png; name==?UTF-8?B?YmlsZC5wbmc=?=",
        "Content-Transfer-Encoding: quoted-printable",
        "",
        "x=3Dy=",
        "z",
        "--outer",
        "Content-Type: application/x-uu",
        "Content-Transfer-Encoding: x-uuencode",
        "",
        "begin 644 ignored-name",
        R"uu(72&5L;&\L('5U96YC;V1E9"!W;W)L9"$`)uu",
        "end",
        "--outer--",
    }));
    ASSERT_EQ(msg->Attachments.Count(), 5);
    const struct {
        const char* fileName;
        const char* contentType;
        std::string data;
    } rows[] = {
        {"Ctmpr.pdf", "application/pdf", std::string("%PDF-1.4 fake pdf bytes\0\xFF", 25)},
        {"", "application/octet-stream", "ABC"},
        {"abcdef.TXT", "text/plain", "raw line 1\r\nraw line 2\r\n"},
        {"bild.png", "image/png", "x=yz"},
        {"", "application/octet-stream", "Hello, uuencoded world!"},
    };
    for (int i = 0; i < 5; ++i) {
        const TAttachedFile& a = msg->Attachments.Items(i);
        EXPECT_EQ(a.FileName, rows[i].fileName) << i;
        EXPECT_EQ(a.ContentType, rows[i].contentType) << i;
        EXPECT_EQ(a.Data, rows[i].data) << i;
    }
    EXPECT_EQ(msg->Attachments.Items(0).PathName, "Ctmpr.pdf");
    EXPECT_TRUE(msg->Text.empty());
}

TEST(Parse, MessageRfc822ContributesItsBodyOnly) {
    const auto msg = ParseLines(L({
        "Subject: outer",
        "Content-Type: multipart/mixed; boundary=m",
        "",
        "--m",
        "Content-Type: text/plain",
        "",
        "See the forwarded mail.",
        "--m",
        "Content-Type: message/rfc822",
        "",
        "Subject: inner",
        "From: inner@x.org",
        "Content-Type: multipart/mixed; boundary=n",
        "",
        "--n",
        "",
        "inner text",
        "--n",
        "Content-Type: application/zip; name=in.zip",
        "Content-Transfer-Encoding: base64",
        "",
        "QUJD",
        "--n--",
        "--m--",
    }));
    EXPECT_EQ(msg->Subject, "outer");
    EXPECT_EQ(msg->From, "ct: outer"); // from the first line, not from the enclosed mail
    EXPECT_EQ(msg->Text, L({"See the forwarded mail.", "inner text"}));
    ASSERT_EQ(msg->Attachments.Count(), 1);
    EXPECT_EQ(msg->Attachments.Items(0).FileName, "in.zip");
    EXPECT_EQ(msg->Attachments.Items(0).Data, "ABC");
}

TEST(Parse, BoundaryRules) {
    const struct {
        const char* what;
        Lines mail;
        Lines text;
    } rows[] = {
        {"folded content type, trailing blanks on a delimiter, epilogue dropped",
         {"Content-Type: multipart/mixed;", "\tboundary=\"fold\"", "", "preamble", "--fold", "",
          "one", "--fold  ", "still one", "--fold", "", "two", "--fold--", "epilogue"},
         {"one", "--fold  ", "still one", "two"}},
        {"delimiter as the last line",
         {"Content-Type: multipart/mixed; boundary=z", "", "--z", "", "a", "--z"},
         {"a"}},
        {"no delimiter at all keeps the body as text",
         {"Content-Type: multipart/mixed; boundary=z", "", "text without parts", "", "more"},
         {"text without parts", "", "more"}},
        {"no boundary parameter keeps the body as text",
         {"Content-Type: multipart/mixed", "", "plain body"},
         {"plain body"}},
        {"delimiter case matters",
         {"Content-Type: multipart/mixed; boundary=Ab", "", "--Ab", "", "x", "--AB", "--Ab--"},
         {"x", "--AB"}},
        {"line after an inner delimiter is not tested",
         {"Content-Type: multipart/mixed; boundary=q", "", "--q", "", "a", "--q", "--q--", "",
          "kept", "--q--", "", "dropped"},
         {"a", "kept"}},
        {"nested multiparts come out flat in document order",
         {"Content-Type: multipart/mixed; boundary=o", "", "--o", "", "1", "--o",
          "Content-Type: multipart/alternative; boundary=i", "", "--i", "", "2", "--i", "", "3",
          "--i--", "--o", "", "4", "--o--"},
         {"1", "2", "3", "4"}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ParseLines(r.mail)->Text, r.text) << r.what;
}

TEST(Parse, EncodedTextParts) {
    const auto msg = ParseLines(L({
        "Content-Type: multipart/mixed; boundary=e",
        "",
        "--e",
        "Content-Type: text/plain",
        "Content-Transfer-Encoding: Quoted-Printable",
        "",
        "soft=",
        "break and =C3=A9",
        "--e",
        "Content-Type: text/plain",
        "Content-Transfer-Encoding: base64",
        "",
        "cGxhaW4gdGV4dCBpbiBiYXNlNjQNCnNl",
        "Y29uZCBsaW5lDQo=",
        "--e--",
    }));
    EXPECT_EQ(msg->Text, L({"softbreak and \xC3\xA9", "plain text in base64", "second line"}));
    EXPECT_EQ(msg->Attachments.Count(), 0);
}

// A text part with a file name, or sent as an attachment, is a file to save, byte for byte;
// inline text without a name stays text.
TEST(Parse, TextPartsAsFiles) {
    const std::string body = "line 1\r\n\r\nGr\xFC\xDF"
                             "e";
    const struct {
        const char* what;
        std::string headers;
        std::vector<std::string> text;
        const char* fileName; // nullptr: no attachment
    } rows[] = {
        {"named text/plain",
         "Content-Type: text/plain; name=\"notes.txt\"",
         {"Hello"},
         "notes.txt"},
        {"named text/enriched", "Content-Type: text/enriched; name=\"n.txt\"", {"Hello"}, "n.txt"},
        {"sent as an attachment, without a name",
         "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Disposition: attachment",
         {"Hello"},
         ""},
        {"file name in the disposition",
         "Content-Type: text/plain\r\nContent-Disposition: inline; filename=a.txt",
         {"Hello"},
         "a.txt"},
        {"any type sent as an attachment",
         "Content-Type: application/x-thing\r\nContent-Disposition: ATTACHMENT",
         {"Hello"},
         ""},
        {"inline text without a name",
         "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Disposition: inline",
         {"Hello", "line 1", "", "Grüße"},
         nullptr},
    };
    for (const auto& r : rows) {
        auto msg = std::make_unique<TMbxMsg>();
        msg->RawMail = MailLines("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\n"
                                 "Hello\r\n--b\r\n" +
                                 r.headers + "\r\n\r\n" + body + "\r\n--b--\r\n");
        msg->Parse();
        EXPECT_EQ(msg->Text, r.text) << r.what;
        ASSERT_EQ(msg->Attachments.Count(), r.fileName ? 1 : 0) << r.what;
        if (r.fileName) {
            EXPECT_EQ(msg->Attachments.Items(0).FileName, r.fileName) << r.what;
            EXPECT_EQ(msg->Attachments.Items(0).Data, body) << r.what;
        }
    }
}

TEST(Parse, UnknownSinglePartWithoutEncodingIsText) {
    const auto msg =
        ParseLines(L({"Content-Type: application/json", "", "{\"a\": 1}", "", "tail"}));
    EXPECT_EQ(msg->ContentType, "APPLICATION/JSON");
    EXPECT_EQ(msg->Text, L({"{\"a\": 1}", "", "tail"}));
}
