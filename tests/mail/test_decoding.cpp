#include "MbxMIME.h"
#include "mbx_util.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(Base64DecodingStream, SingleWrites) {
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"QUJD", "ABC"},
        {"QUI=", "AB"},
        {"QQ==", "A"},
        {"QQ==QUJD", "AABC"}, // padding does not end the decoding
        {"QU\r\nJD", "ABC"},
        {"QU\nJD\r", "ABC"},
        {"", ""},
        {"QUJ", ""},         // an incomplete group stays pending
        {"=QUJ", ""},        // "=" first: the group gives nothing
        {"QU JD", "AX\xC9"}, // a blank takes a place (value 99) and shifts the rest
        {"////", "\xFF\xFF\xFF"},
    };
    for (const auto& r : rows) {
        std::string target;
        TBase64DecodingStream stream(target);
        EXPECT_EQ(stream.Write(r.in), r.out.size()) << r.in;
        EXPECT_EQ(target, r.out) << r.in;
    }
}

TEST(Base64DecodingStream, GroupsCarryAcrossWrites) {
    std::string target = "x";
    TBase64DecodingStream stream(target);
    EXPECT_EQ(stream.Write("QU"), 0u);
    EXPECT_EQ(stream.Write("JD"), 3u);
    EXPECT_EQ(stream.Write("Q"), 0u);
    EXPECT_EQ(stream.Write("\r\n"), 0u);
    EXPECT_EQ(stream.Write("UJDQQ"), 3u);
    EXPECT_EQ(stream.Write("=="), 1u);
    EXPECT_EQ(target, "xABCABCA"); // appends, never overwrites

    // Every split point of a longer text gives the same bytes.
    const std::string text = "SGVsbG8sIFdvcmxkIQ==\r\nQUJD";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        std::string out;
        TBase64DecodingStream s(out);
        const size_t n = s.Write(text.substr(0, cut)) + s.Write(text.substr(cut));
        EXPECT_EQ(out, "Hello, World!ABC") << cut;
        EXPECT_EQ(n, out.size());
    }
}

TEST(Base64DecodingStream, ByteByByteWritesDecodeLikeOneWrite) {
    // One byte per write never completes a group in one go, so it takes the careful path.
    const std::string text = "SGVs bG8=\r\nQU\nJD*QQ==QUI=\rTWFu////AAAA=QUJD==\x80\xFFQUJD";
    std::string whole;
    TBase64DecodingStream(whole).Write(text);
    std::string pieces;
    TBase64DecodingStream stream(pieces);
    size_t written = 0;
    for (const char c : text)
        written += stream.Write(std::string_view(&c, 1));
    EXPECT_EQ(pieces, whole);
    EXPECT_EQ(written, whole.size());
}

TEST(Base64DecodingStream, ReadAndSeekAreInvalid) {
    std::string target;
    TBase64DecodingStream stream(target);
    char buffer[4];
    EXPECT_THROW(stream.Read(buffer, 4), EStreamError);
    try {
        stream.Seek(0, 0);
        FAIL() << "Seek must throw";
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Invalid stream operation");
    }
}

TEST(QPDecode, Table) {
    const struct {
        std::string in;
        bool header;
        std::string out;
    } rows[] = {
        {"a=3Db", false, "a=b"},
        {"a=\r\nb", false, "ab"},
        {"a=\nbc", false, "ac"}, // a soft break swallows two characters after "="
        {"=ZZ", false, "@"},
        {"=3d=3D", false, "=="},
        {"a_b", false, "a_b"},
        {"a_b", true, "a b"},
        {"=FC=df", true, "\xFC\xDF"},
        {"ab=", false, "ab"},  // "=" at the end ends the text
        {"ab=4", false, "ab"}, // so does "=" with one character after it
        {std::string("ab\0cd", 5), false, std::string("ab\0cd", 5)}, // a NUL ends nothing
        {"a= \t\r\nb", false, "ab"}, // "=" and blanks up to the line end: a soft break
        {"a=  \nb", false, "ab"},
        {"a= ", false, "a"},
        {"a= b", false, "a@"}, // not a soft break: "= b" is a bad escape
        {"line1\r\nline2\r\n", false, "line1\r\nline2\r\n"},
        {"", false, ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(QPDecode(r.in, r.header), r.out) << r.in;
}

TEST(DecodeEncodedWords, Table) {
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"=?ISO-8859-1?Q?Gr=FC=DFe?=", "Grüße"},
        {"=?x?B?QUJD?=", "ABC"},
        {"=?x?b?QUJD?=", "ABC"},
        {"=?x?X?abc?=", ""},
        {"x =?a?Q?y?= =?a?Q?z?=", "x yz"}, // white space between two words goes
        {"=?a?Q?hello_world?= !", "hello world !"},
        {"no words here", "no words here"},
        {"=?broken", "=?broken"},
        {"=?a?Q?no end", "=?a?Q?no end"},
        {"=?a?", "=?a?"},
        {"=?a?Q", "=?a?Q"},
        {"=?x?B?QUJ?=", ""}, // an incomplete last group is dropped
        {"=?x?B?QUJDRA?=", "ABC"},
        // Decoded text is text, never read again as an encoded word.
        {"=?a?Q?=3D=3Fa=3FQ=3Fz=3F=3D?=", "=?a?Q?z?="},
    };
    for (const auto& r : rows)
        EXPECT_EQ(DecodeEncodedWords(r.in), r.out) << r.in;
}

TEST(AddressRoutines, NamePartAndAddressPart) {
    const struct {
        std::string in;
        std::string name;
        std::string address;
    } rows[] = {
        {"Ann <ann@x.org>", "\"Ann\"", "<ann@x.org>"},
        {"bob@y.org (Bob)", "\"Bob\"", "<bob@y.org>"},
        {" 'O''Hara' <o@h.ie> ", "\"OHara\"", "<o@h.ie>"},
        {"plain@z.org", "\"plain@z.org\"", "<plain@z.org>"},
        {"x (c1) y (c2) <a@b>", "\"c1\"", "<a@b>"},
        {"a@b (open", "\"a@b (open\"", "<a@b (open>"},
        {"a) b (c", "\"\"", "<a) b (c>"},
        // A ")" before the next "(" ends the removal of comments.
        {"<a@b> (x) y) (z)", "\"x\"", "<a@b>"},
        {"a@b (x) ) (z)", "\"x\"", "<a@b  ) (z)>"},
        {"> a <", "\"> a <\"", "<>"},
        {"", "\"\"", "<>"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(NamePart(r.in, true), r.name) << r.in;
        EXPECT_EQ(AddressPart(r.in, true), r.address) << r.in;
    }
    EXPECT_EQ(NamePart("Ann <a@b>", false), "Ann");
    EXPECT_EQ(AddressPart("Ann <a@b>", false), "a@b");
}

TEST(AddressRoutines, NormalizeAddressList) {
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"Ann <ann@x.org>, bob@y.org (Bob)", "\"Ann\" <ann@x.org>, \"Bob\" <bob@y.org>"},
        {"\"Doe, John\" <jd@x.org>", "\"\" <jd@x.org>"},
        {"\"Unpaired <u@x.org>", "\"Unpaired\" <u@x.org>"},
        {"=?ISO-8859-1?Q?J=F6rg?= <j@x.de>", "\"Jörg\" <j@x.de>"},
        {"a@x, b@y,", "\"a@x\" <a@x>, \"b@y\" <b@y>, \"\" <>"},
        {"", "\"\" <>"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(NormalizeAddressList(r.in), r.out) << r.in;
}

TEST(TextRoutines, StripQuotesAndRemoveChar) {
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"\"a.pdf\"", "a.pdf"},
        {"'a.pdf'", "a.pdf"},
        {"\"a.pdf", "a.pdf"},
        {"a.pdf'", "a.pdf"},
        {"\"", ""},
        {"\"\"", ""},
        {"", ""},
        {"\"'x'\"", "'x'"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(StripQuotes(r.in), r.out) << r.in;
    EXPECT_EQ(RemoveChar("a:b:c", ':'), "abc");
    EXPECT_EQ(RemoveChar("", ':'), "");
}

TEST(ContentTypeOfFile, FromTheSystemTable) {
    EXPECT_EQ(ContentTypeOfFile("r.pdf"), "application/pdf");
    EXPECT_EQ(ContentTypeOfFile("Ctmpr.PDF"), "application/pdf");
    EXPECT_EQ(ContentTypeOfFile("x.tar.zip"), "application/zip");
    EXPECT_EQ(ContentTypeOfFile("noextension"), "application/octet-stream");
    EXPECT_EQ(ContentTypeOfFile("file.unknown-ext-xyz"), "application/octet-stream");
    EXPECT_EQ(ContentTypeOfFile(""), "application/octet-stream");
    EXPECT_EQ(ContentTypeOfFile("trailingdot."), "application/octet-stream");
}

TEST(ContentTypeOfFile, ReadMimeTypesTable) {
    std::istringstream table("# comment\n"
                             "text/plain\ttxt TEXT conf # trailing comment\n"
                             "\n"
                             "application/x-first abc\n"
                             "application/x-second abc\n"
                             "type/without-extensions\n");
    const auto types = ReadMimeTypes(table);
    EXPECT_EQ(types.size(), 4u);
    EXPECT_EQ(types.at("txt"), "text/plain");
    EXPECT_EQ(types.at("text"), "text/plain");
    EXPECT_EQ(types.at("abc"), "application/x-first");
    EXPECT_FALSE(types.contains("trailing"));
}
