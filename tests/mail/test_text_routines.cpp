#include "HtmlText.h"
#include "MbxMIME.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

TEST(IsDottedQuad, Table) {
    const struct {
        const char* in;
        bool out;
    } rows[] = {
        {"10.0.0.1", true},        {"255.255.255.255", true},  {"0.0.0.0", true},
        {"256.1.1.1", false},      {"1.2.3", false},           {"1..2.3", false},
        {"1.2.3.4.5", false},      {"a.b.c.d", false},         {"", false},
        {"1.2.3.", false},         {"pop.example.org", false}, {"1.2.3.256", false},
        {"192.168.000.001", true},
    };
    for (const auto& r : rows)
        EXPECT_EQ(IsDottedQuad(r.in), r.out) << r.in;
    // Leading zeros are decimal, and the address conversion takes the result.
    EXPECT_EQ(DottedQuadDecimal("192.168.000.001"), "192.168.0.1");
    EXPECT_EQ(DottedQuadDecimal("010.0.0.09"), "10.0.0.9");
    in_addr address{};
    EXPECT_EQ(inet_pton(AF_INET, DottedQuadDecimal("127.000.000.001").c_str(), &address), 1);
}

TEST(WordAsInt, Table) {
    const struct {
        const char* in;
        uint16_t n;
        int32_t def;
        int32_t out;
    } rows[] = {
        {"1 1234", 2, 100, 1234},   {"1", 2, 100, 100},          {"1 12ab", 2, 100, 100},
        {"  7   99  ", 2, 100, 99}, {"+OK 3 4500", 3, -1, 4500}, {"42", 0, 5, 42},
        {"42", 1, 5, 42},           {"1 2 3", 1, 5, 1},          {"", 2, 100, 100},
        {"1 99999999999", 2, 7, 7}, {"1 -5", 2, 100, -5},
    };
    for (const auto& r : rows)
        EXPECT_EQ(WordAsInt(r.in, r.n, r.def), r.out) << r.in << " word " << r.n;
}

TEST(MakeTempFileName, CreatesOwnerOnlyFileAndDeletesIt) {
    std::string path;
    {
        TempFile f = MakeTempFileName();
        path = f.path();
        EXPECT_EQ(std::filesystem::path(path).filename().string().rfind("mbx", 0), 0u);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(st.st_size, 0);
        EXPECT_EQ(::write(f.fd(), "x", 1), 1);
        TempFile moved = std::move(f);
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(MakeTempFileName, HonoursTmpdirAndReportsFailure) {
    const auto dir = std::filesystem::temp_directory_path() / "inbox-tmpdir-test";
    std::filesystem::create_directories(dir);
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", dir.c_str(), 1);
    {
        TempFile f = MakeTempFileName();
        EXPECT_EQ(std::filesystem::path(f.path()).parent_path(), dir);
    }
    setenv("TMPDIR", "/nonexistent-dir-for-inbox-test", 1);
    EXPECT_THROW(MakeTempFileName(), std::system_error);
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    std::filesystem::remove_all(dir);
}

TEST(HtmlToText, Table) {
    const struct {
        const char* what;
        std::string html;
        std::string text;
    } rows[] = {
        {"tags dropped, blanks collapsed", "<b>Bold</b>  and\r\n <i>it</i>alic", "Bold and italic"},
        {"paragraphs and headings", "<h1>T</h1><p>One</p><P CLASS=x>Two</p>", "T\n\nOne\n\nTwo"},
        {"line breaks", "a<br>b<br/><br />c", "a\nb\n\nc"},
        {"blocks and list items", "<div>a</div><ul><li>x<li>y</ul>z", "a\n- x\n- y\nz"},
        {"table cells", "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>",
         "a b\nc"},
        {"named and numeric references",
         "&lt;a&gt; &amp; &quot;&auml;&euro;&#8364;&#x20AC;&#128;&nbsp;x&hellip;",
         "<a> & \"ä€€€€ x…"},
        {"unknown or unended references stay", "&bogus; AT&T &#; &amp", "&bogus; AT&T &#; &amp"},
        {"bad code points", "&#0;&#xD800;&#99999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"script, style and title dropped",
         "<head><title>T</title><style>p{}</style></head><script>if (a<b) x();</SCRIPT>Hi", "Hi"},
        {"comments and declarations", "<!DOCTYPE html><!-- <p>no</p> -->Yes<?x?>", "Yes"},
        {"quoted > inside a tag", "<a title=\"a>b\" href='x>y'>link</a>", "link"},
        {"a lone < is text", "1 < 2 and 3<4", "1 < 2 and 3<4"},
        {"preformatted text keeps its blanks and lines", "<pre>a  b\r\n\r\n  c</pre>d  e",
         "a  b\n\n  c\n\nd e"},
        {"blank lines are never more than one", "<p></p><p></p><div></div>a<p><br><br><br>b",
         "a\n\nb"},
        {"unended tag drops the rest", "text<a href=\"x", "text"},
        {"unended comment drops the rest", "text<!-- x", "text"},
        {"unended script drops the rest", "a<script>x", "a"},
        {"UTF-8 passes", "<p>Grüße</p>", "Grüße"},
        {"empty", "", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(HtmlToText(r.html), r.text) << r.what;
    // One pass: a long run of "<" and "&" that begin nothing, the last "<" a tag without end.
    EXPECT_EQ(HtmlToText(std::string(1 << 18, '<') + "x").size(), (1u << 18) - 1);
    EXPECT_EQ(HtmlToText("<p>" + std::string(1 << 18, '&')).size(), 1u << 18);
}

TEST(HtmlDeclaredCharset, Table) {
    const struct {
        std::string html;
        const char* charset;
    } rows[] = {
        {"<html><head><meta charset=\"koi8-r\">", "koi8-r"},
        {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=ISO-8859-2\">",
         "ISO-8859-2"},
        {"<meta name=x><p>charset=utf-8</p>", ""},
        {std::string(5000, ' ') + "<meta charset=utf-8>", ""},
        {"<meta charset=", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(HtmlDeclaredCharset(r.html), r.charset) << r.html.substr(0, 80);
}
