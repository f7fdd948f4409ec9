// Mail as its author wrote it: the character sets and forms found in real mail, each as a
// whole mail through Parse, and the converter's own rules.
#include "Charset.h"
#include "MbxMsg.h"
#include "MimeParams.h"

#include <gtest/gtest.h>

#include <functional>

#include "MbxMIME.h"

namespace {

std::unique_ptr<TMbxMsg> ParseText(const std::string& mail) {
    auto msg = std::make_unique<TMbxMsg>();
    msg->RawMail = MailLines(mail);
    msg->Parse();
    return msg;
}

std::string TextOf(const TMbxMsg& msg) {
    std::string text;
    for (const std::string& line : msg.Text)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

std::string SubjectOf(const TMbxMsg& msg) {
    return msg.Subject;
}

std::string NameOf(const TMbxMsg& msg) {
    return msg.Attachments.Count() == 1 ? msg.Attachments.Items(0).FileName : "(no attachment)";
}

// A text part with the given charset and transfer encoding.
std::string Part(const std::string& charset, const std::string& encoding, const std::string& body) {
    return "Subject: s\r\nContent-Type: text/plain; charset=" + charset +
           "\r\nContent-Transfer-Encoding: " + encoding + "\r\n\r\n" + body + "\r\n";
}

std::string Attachment(const std::string& headers) {
    return "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n" + headers +
           "\r\nContent-Transfer-Encoding: base64\r\n\r\nQUJD\r\n--b--\r\n";
}

} // namespace

TEST(Charset, RealWorldMails) {
    const struct {
        const char* form;
        std::string mail;
        std::function<std::string(const TMbxMsg&)> got;
        std::string expected;
    } rows[] = {
        {"UTF-8 subject and 8-bit text",
         "Subject: =?UTF-8?B?R3LDvMOfZSBhdXMgS8O2bG4g4oKs?=\r\nContent-Type: text/plain; "
         "charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\nGrüße € 5\r\n",
         [](const TMbxMsg& m) { return m.Subject + " / " + TextOf(m); },
         "Grüße aus Köln € / Grüße € 5"},
        {"ISO-8859-1", Part("iso-8859-1", "quoted-printable", "Gr=FC=DFe"), TextOf, "Grüße"},
        {"ISO-8859-15 (euro at A4)", Part("\"ISO-8859-15\"", "8bit", "\xA4 5"), TextOf, "€ 5"},
        {"windows-1252", Part("windows-1252", "quoted-printable", "=80 =84Hallo=93 =96 x"), TextOf,
         "€ „Hallo“ – x"},
        {"Latin-1 label, windows-1252 bytes",
         Part("ISO-8859-1", "8bit",
              "\x80 \x84"
              "a\x93"),
         TextOf, "€ „a“"},
        {"KOI8-R", Part("koi8-r", "base64", "8NLJ18XU"), TextOf, "Привет"},
        {"encoded word split inside a UTF-8 sequence",
         "Subject: =?UTF-8?Q?Gr=C3?= =?utf-8?Q?=BC=C3?=\r\n =?UTF-8?B?n2U=?=\r\n\r\n", SubjectOf,
         "Grüße"},
        {"adjacent encoded words",
         "Subject: =?ISO-8859-1?Q?a?=  =?ISO-8859-1?Q?b?= c =?KOI8-R?Q?=F0?= "
         "=?ISO-8859-1?Q?=FC?=\r\n\r\n",
         SubjectOf, "ab c Пü"},
        {"RFC 2231 name with continuations",
         Attachment("Content-Type: application/pdf;\r\n name*0*=UTF-8''Rechnung%20M;\r\n "
                    "name*1*=%C3%A4rz;\r\n name*2=\".pdf\""),
         NameOf, "Rechnung März.pdf"},
        {"RFC 2231 filename in Content-Disposition",
         Attachment("Content-Type: application/octet-stream\r\nContent-Disposition: attachment; "
                    "filename*=iso-8859-1'de'Gr%FC%DFe%20%2F%20b.txt"),
         NameOf, "Grüße  b.txt"},
        {"encoded-word file name",
         Attachment("Content-Type: application/pdf; name=\"=?UTF-8?B?UmVjaG51bmcgTcOkcnouc"
                    "GRm?=\""),
         NameOf, "Rechnung März.pdf"},
        {"raw 8-bit UTF-8 header", "Subject: Grüße aus Köln\r\n\r\n", SubjectOf, "Grüße aus Köln"},
        {"raw 8-bit Latin-1 header",
         "Subject: Gr\xFC\xDF"
         "e \x80\r\n\r\n",
         SubjectOf, "Grüße €"},
        {"invalid byte in a UTF-8 part",
         Part("utf-8", "8bit",
              "Gr\xC3\xBC\xDF"
              "e \xE2\x82\xAC"),
         TextOf, "Grüße €"},
        // The mends to the message library.
        {"only a top-level text type is text",
         "Content-Type: application/vnd.oasis.opendocument.text; name=\"brief.odt\"\r\n"
         "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\n",
         [](const TMbxMsg& m) { return TextOf(m) + "|" + NameOf(m); }, "|brief.odt"},
        {"ISO-2022-JP text", Part("ISO-2022-JP", "7bit", "\x1b$B;3EDB@O:$G$9\x1b(B"), TextOf,
         "山田太郎です"},
        {"ISO-2022-JP encoded word", "Subject: =?ISO-2022-JP?B?GyRCN29MPiVGJTklSBsoQg==?=\r\n\r\n",
         SubjectOf, "件名テスト"},
        {"raw ISO-2022-JP header", "Subject: Re: \x1b$B;3EDB@O:\x1b(B\r\n\r\n", SubjectOf,
         "Re: 山田太郎"},
        {"ISO-2022-KR text", Part("iso-2022-kr", "7bit", "\x1b$)C\x0e>H3gGO<<?d\x0f"), TextOf,
         "안녕하세요"},
        {"UTF-7 text", Part("UTF-7", "7bit", "+MFMwkzBrMGEwbw +ThZ1TA-"), TextOf,
         "こんにちは 世界"},
        {"HZ-GB-2312 encoded word", "Subject: =?HZ-GB-2312?Q?~{VPND~}_~~?=\r\n\r\n", SubjectOf,
         "中文 ~"},
        {"uuencoded file name in the part's charset",
         Part("koi8-r", "8bit", "begin 644 \xF0\xD2\xC9\xD7\xC5\xD4.txt\r\n#86)C\r\nend"), NameOf,
         "Привет.txt"},
        {"single-quoted name", Attachment("Content-Type: application/pdf; name='x.pdf'"),
         [](const TMbxMsg& m) { return NameOf(m) + " " + m.Attachments.Items(0).ContentType; },
         "x.pdf application/pdf"},
        {"a NUL ends no text and shows as a blank",
         std::string("Subject: a\0b\r\n\r\nx\0y\r\nz\r\n", 22),
         [](const TMbxMsg& m) { return m.Subject + "|" + TextOf(m); }, "a b|x y\nz"},
    };
    for (const auto& r : rows) {
        const auto msg = ParseText(r.mail);
        EXPECT_EQ(r.got(*msg), r.expected) << r.form;
    }
}

TEST(Charset, ConverterRules) {
    const struct {
        const char* charset;
        std::string bytes;
        std::string utf8;
    } rows[] = {
        {"Latin1", "\xE9", "é"}, // aliases in any case
        {"iso_8859-15", "\xA4", "€"},
        {"utf-8*de", "\xC3\xA9", "é"},                // an RFC 2231 language is no part of the name
        {"x-unknown", "\xC3\xA9", "é"},               // unknown: valid UTF-8 stays UTF-8
        {"", "\xE9\x80", "é€"},                       // missing: otherwise windows-1252
        {"UTF-8//IGNORE", "\xE9", "é"},               // no iconv suffixes from a mail
        {"us-ascii", "caf\xC3\xA9", "café"},          // 8-bit bytes under an ASCII label
        {"utf-8", "\xF4\x90\x80\x80", "ô\xC2\x90€€"}, // past U+10FFFF: byte by byte
        {"windows-1252", "\x81", "\xC2\x81"},         // undefined there: the control of that number
        {"koi8-r", std::string("a\0b", 3), "a b"},
        {"UTF-16LE", std::string("A\0\xAC\x20", 4), "A€"},
        {"iso-ir-100", "\xE9\x80", "é€"}, // the registered Latin-1 aliases
        {"csISOLatin1", "\x93x\x94", "“x”"},
        {"ISO_8859-1:1987", "\xFC", "ü"},
        {"IBM819", "\x84", "„"},
        {"", "\x1b$B;3EDB@O:\x1b(B", "山田太郎"}, // unlabelled, with Japanese escapes
        {"", "\x1b$)C\x0e>H3gGO<<?d\x0f", "안녕하세요"},
        {"", "\x1b[1m no set \x1b[0m", "\x1b[1m no set \x1b[0m"},
        {"hz-gb-2312", "a~{VP\r\nb~", "a中\r\nb~"}, // a line end ends the run
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ToUtf8(r.charset, r.bytes), r.utf8) << r.charset;
        EXPECT_TRUE(IsValidUtf8(ToUtf8(r.charset, r.bytes))) << r.charset;
    }
    EXPECT_TRUE(TCharset("UTF-8").Unchanged("Grüße"));
    EXPECT_FALSE(TCharset("UTF-8").Unchanged(std::string("a\0", 2)));
    EXPECT_TRUE(TCharset("iso-8859-1").Unchanged("plain ascii"));
    EXPECT_FALSE(TCharset("iso-8859-1").Unchanged("\xE9"));
    EXPECT_FALSE(TCharset("UTF-7").Unchanged("a+b")); // not even ASCII stands for itself
    // 7-bit stateful sets never take the ASCII fast path.
    for (const char* name : {"ISO-2022-JP", "ISO-2022-KR", "HZ-GB-2312", ""})
        EXPECT_FALSE(TCharset(name).Unchanged("\x1b$B;3\x1b(B")) << name;
}

TEST(Charset, Parameters) {
    const struct {
        const char* line;
        const char* name;
        bool found;
        const char* value;
    } rows[] = {
        {"Content-Type: text/plain; charset=\"utf-8\"", "CHARSET", true, "utf-8"},
        {"a; NAME=\"x;y.txt\"; other=1", "name", true, "x;y.txt"},
        {"a; filename=\"C:\\tmp\\r.pdf\"", "filename", true, "C:\\tmp\\r.pdf"},
        {"a; name=plain.txt; name*=utf-8''%E2%82%AC.txt", "name", true, "€.txt"},
        {"a; name*1=b; name*0=a", "name", true, "ab"},
        {"a; name*0*=utf-8''%C3; name*3=lost; name*1*=%A4", "name", true, "ä"},
        {"a; name*=no-quotes%41", "name", true, "no-quotesA"},
        {"a; name='x.pdf'; b=1", "name", true, "x.pdf"},
        {"a; name*=''x'", "name", true, "x'"},
        {"a; filename=x", "name", false, ""},
        {"a; name", "name", false, ""},
    };
    for (const auto& r : rows) {
        std::string value;
        EXPECT_EQ(GetParameter(r.line, r.name, value), r.found) << r.line;
        EXPECT_EQ(value, r.value) << r.line;
    }
}
