#include "MbxMIME.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(SplitLines, AllLineEnds) {
    const struct {
        std::string in;
        Lines out;
    } rows[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"", {}},
        {"a\r", {"a"}},
        {std::string("a\r\nb\0c\r\nd", 9), {"a", std::string("b\0c", 3), "d"}}, // NUL: a byte
        {std::string("\0abc", 4), {std::string("\0abc", 4)}},
        {"\xFF\x80\r\n\x01", {"\xFF\x80", "\x01"}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(SplitLines(r.in), r.out) << r.in;
        // The one-buffer form splits alike and holds each line followed by CR LF.
        const MailLines lines(r.in);
        EXPECT_EQ(lines.ToVector(), r.out) << r.in;
        EXPECT_EQ(lines.Text(), JoinLines(r.out)) << r.in;
        // Bytes held elsewhere (a mapped file) give the same lines, in place or copied.
        EXPECT_EQ(MailLines(std::string_view(r.in), std::make_shared<int>(0)), lines) << r.in;
        if (lines.size() > 1) {
            EXPECT_EQ(lines.Lines().subspan(1).Text(),
                      JoinLines(Lines(r.out.begin() + 1, r.out.end())));
        }
    }
}

TEST(MailLines, KeepLinesCompactsInPlace) {
    const auto dropDot = [](std::string_view line) -> size_t { return line.starts_with('.'); };
    const struct {
        Lines in;
        size_t from, count;
        bool dropDots;
        Lines out;
    } rows[] = {
        {{"+OK", "..a", "b", ".."}, 1, 2, true, {".a", "b"}},
        {{"+OK", ".", "..", "x"}, 1, 3, true, {"", ".", "x"}},
        {{"a", "b", "c"}, 0, 99, false, {"a", "b", "c"}},
        {{"a", "b"}, 5, 1, false, {}},
        {{"a", "b"}, 1, 0, false, {}},
    };
    for (const auto& r : rows) {
        MailLines lines(r.in);
        lines.KeepLines(r.from, r.count, r.dropDots ? +dropDot : nullptr);
        EXPECT_EQ(lines.ToVector(), r.out) << r.in.front();
        EXPECT_EQ(lines.Text(), JoinLines(r.out)) << r.in.front();
    }
}

TEST(JoinLines, EachLineEndsWithCrLfAndRoundTrips) {
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({""}), "\r\n");
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    for (const Lines& lines : {Lines{}, Lines{""}, Lines{"a", "", "b", ""}, Lines{"x"}})
        EXPECT_EQ(SplitLines(JoinLines(lines)), lines);
}

TEST(FindHeader, MatchesAtLineStartInAnyCase) {
    const Lines header = {"",           "",          "Reply-To: r@x", "subject:x", "Subject :wrong",
                          "To: t@x",    "X-Long: a", "\t b ",         "  c",       "Cc: first",
                          "CC: second", "",          "Bcc: body@x"};
    const struct {
        const char* name;
        bool found;
        const char* line;
    } rows[] = {
        {"SUBJECT:", true, "subject:x"},
        {"TO:", true, "To: t@x"},
        {"X-LONG:", true, "X-Long: abc"},
        {"CC:", true, "Cc: first"},
        {"BCC:", false, ""},
        {"REPLY-TO:", true, "Reply-To: r@x"},
        {"FROM:", false, ""},
    };
    for (const auto& r : rows) {
        std::string line = "unchanged";
        EXPECT_EQ(FindHeader(r.name, MailLines(header), line), r.found) << r.name;
        EXPECT_EQ(line, r.found ? r.line : "unchanged") << r.name;
    }
}

TEST(FindHeader, FieldJustBeforeTheBlankLine) {
    // The empty line after the field is no continuation line (and has no first character).
    std::string line;
    ASSERT_TRUE(
        FindHeader("SUBJECT:", MailLines(Lines{"To: a@b", "Subject: last", "", " body"}), line));
    EXPECT_EQ(line, "Subject: last");
}

TEST(FindHeader, FoldedContentTypeJoinsWithoutBlank) {
    const Lines header = {"Content-Type: multipart/mixed;", "\tboundary=\"b1\"", "", "body"};
    std::string line;
    ASSERT_TRUE(FindHeader("CONTENT-TYPE:", MailLines(header), line));
    EXPECT_EQ(line, "Content-Type: multipart/mixed;boundary=\"b1\"");
    EXPECT_EQ(GetBoundary(line), "--b1");
}

TEST(GetHeaderValue, Table) {
    const struct {
        const char* key;
        const char* line;
        const char* out;
    } rows[] = {
        {"SUBJECT:", "Subject: Hello", "Hello"},
        {"SUBJECT:", "Subject: Re: lunch; today", "Re: lunch"},
        {"SUBJECT:", "subject:x", "x"},
        {"SUBJECT:", "Subject:", ""},
        {"CONTENT-TYPE:", "Content-Type:  Text/Plain ; charset=x", "Text/Plain"},
        {"NAME", "Content-Type: application/pdf; name=\"a.pdf\"", "=\"a.pdf\""},
        {"NAME", "Content-Type: text/plain", ""},
        {"FILENAME", "Content-Disposition: attachment; filename=r.txt; size=3", "=r.txt"},
        // A ";" inside Japanese or Korean characters ends nothing; after them it does.
        {"SUBJECT:", "Subject: \x1b$B;3\x1b(B; x", "\x1b$B;3\x1b(B"},
        {"SUBJECT:", "Subject: \x1b$)C\x0e;3\x0f; x", "\x1b$)C\x0e;3\x0f"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(GetHeaderValue(r.key, r.line), r.out) << r.line;
}

TEST(GetBoundary, Table) {
    const std::string seventy(70, 'b');
    const struct {
        std::string line;
        std::string out;
    } rows[] = {
        {"Content-Type: multipart/mixed; boundary=\"abc\"; charset=x", "--abc"},
        {"Content-Type: multipart/mixed; boundary=abc; charset=x", "--abc"},
        {"Content-Type: multipart/mixed; BOUNDARY = \"a b\"", "--a b"},
        {"Content-Type: multipart/mixed; boundary=\"" + seventy + "\"", "--" + seventy},
        {"Content-Type: multipart/mixed; boundary=\"Mixed-Case\"", "--Mixed-Case"},
        {"Content-Type: multipart/mixed; boundary=\"open", "--open"},
        {"Content-Type: multipart/mixed", "--"},
        {"Content-Type: multipart/mixed; boundary=", "--"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(GetBoundary(r.line), r.out) << r.line;
}

TEST(StripPartHeader, DropsHeaderAndFollowingBlankLines) {
    const struct {
        Lines in;
        Lines out;
    } rows[] = {
        {{"H: 1", "H: 2", "", " \t", "", "body", "", "more"}, {"body", "", "more"}},
        {{"", "", "body"}, {"body"}},
        {{"only header"}, {}},
        {{}, {}},
    };
    for (auto r : rows) {
        StripPartHeader(r.in);
        EXPECT_EQ(r.in, r.out);
    }
}
