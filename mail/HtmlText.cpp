#include "HtmlText.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "Charset.h"

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAlnum(char c) {
    return isAlpha(c) || (c >= '0' && c <= '9');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerCopy(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

// Case-insensitive: does text at `at` start with the lower-case `word`?
bool startsWithLower(std::string_view text, size_t at, std::string_view word) {
    if (text.size() - at < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (lower(text[at + i]) != word[i])
            return false;
    return true;
}

// The names of U+00A0 to U+00FF, in order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct NamedCharacter {
    std::string_view name;
    uint32_t cp;
};

// Beyond Latin-1, the references mailers write most.
constexpr NamedCharacter kOtherNames[] = {
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},
    {"apos", '\''},     {"euro", 0x20AC},   {"ndash", 0x2013},  {"mdash", 0x2014},
    {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},
    {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"bull", 0x2022},   {"hellip", 0x2026},
    {"trade", 0x2122},  {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},
    {"scaron", 0x161},  {"Yuml", 0x178},    {"zwnj", 0x200C},   {"zwj", 0x200D},
    {"lrm", 0x200E},    {"rlm", 0x200F},    {"thinsp", 0x2009}, {"ensp", 0x2002},
    {"emsp", 0x2003},   {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"larr", 0x2190},   {"rarr", 0x2192},
    {"uarr", 0x2191},   {"darr", 0x2193},   {"minus", 0x2212},  {"infin", 0x221E},
    {"ne", 0x2260},     {"le", 0x2264},     {"ge", 0x2265},     {"hearts", 0x2665},
};

// The longest reference read; a longer one is taken as text.
constexpr size_t kMaxReference = 32;

bool namedCharacter(std::string_view name, uint32_t& cp) {
    for (size_t i = 0; i < kLatin1Names.size(); ++i)
        if (kLatin1Names[i] == name) {
            cp = static_cast<uint32_t>(0xA0 + i);
            return true;
        }
    for (const NamedCharacter& n : kOtherNames)
        if (n.name == name) {
            cp = n.cp;
            return true;
        }
    return false;
}

// A character reference at html[at] ("&"): its UTF-8 and the index after it; false when it
// is none, so that the "&" stays as text.
bool characterReference(std::string_view html, size_t at, std::string& utf8, size_t& after) {
    const size_t end = std::min(html.size(), at + kMaxReference);
    size_t i = at + 1;
    uint32_t cp = 0;
    if (i < end && html[i] == '#') {
        const bool hex = i + 1 < end && (html[i + 1] == 'x' || html[i + 1] == 'X');
        i += hex ? 2 : 1;
        const size_t digits = i;
        for (; i < end; ++i) {
            const char c = lower(html[i]);
            const int v = c >= '0' && c <= '9'          ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                        : -1;
            if (v < 0)
                break;
            cp = std::min<uint32_t>(cp * (hex ? 16 : 10) + static_cast<uint32_t>(v), 0x110000);
        }
        if (i == digits)
            return false;
        if (i < html.size() && html[i] == ';')
            ++i;
        utf8.clear();
        // The references 128 to 159 mean the windows-1252 characters, as browsers read them.
        if (cp >= 0x80 && cp <= 0x9F)
            utf8 = Windows1252ToUtf8(std::string(1, static_cast<char>(cp)));
        else
            AppendUtf8(utf8, cp);
        after = i;
        return true;
    }
    while (i < end && isAlnum(html[i]))
        ++i;
    if (i == end || html[i] != ';' || !namedCharacter(html.substr(at + 1, i - at - 1), cp))
        return false;
    utf8.clear();
    // A no-break space is an ordinary blank in plain text.
    AppendUtf8(utf8, cp == 0xA0 ? ' ' : cp);
    after = i + 1;
    return true;
}

// The text as it is built: blanks at line ends and runs of empty lines never get in.
class PlainText {
public:
    void Word(std::string_view text) {
        if (pendingBlank_ && breaks_ == 0)
            out_ += ' ';
        pendingBlank_ = false;
        out_ += text;
        breaks_ = 0;
    }
    void Blank() { pendingBlank_ = true; }
    // Blanks and tabs inside <pre>.
    void LiteralBlank(char c) {
        Word({});
        out_ += c;
    }
    void LineBreak() { Breaks(std::min(breaks_ + 1, 2)); }
    // At least n line breaks end the text so far (n = 2: an empty line).
    void Breaks(int n) {
        pendingBlank_ = false;
        while (breaks_ < n) {
            while (!out_.empty() && (out_.back() == ' ' || out_.back() == '\t'))
                out_.pop_back();
            out_ += '\n';
            ++breaks_;
        }
    }
    std::string Take() {
        Breaks(1);
        while (!out_.empty() && out_.back() == '\n')
            out_.pop_back();
        return std::move(out_);
    }

private:
    std::string out_;
    bool pendingBlank_ = false;
    // Line breaks at the end of out_; the start counts as two, so no text begins with one.
    int breaks_ = 2;
};

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that begin and end a paragraph (an empty line), or a line.
bool isParagraph(std::string_view name) {
    return oneOf(name,
                 {"p", "h1", "h2", "h3", "h4", "h5", "h6", "blockquote", "pre", "table", "hr"});
}

bool isBlock(std::string_view name) {
    return oneOf(name, {"div",     "li",       "ul",      "ol",         "dl",      "dt",
                        "dd",      "tr",       "address", "article",    "aside",   "center",
                        "details", "fieldset", "figure",  "figcaption", "footer",  "form",
                        "header",  "main",     "nav",     "section",    "summary", "caption",
                        "tbody",   "thead",    "tfoot",   "body",       "html"});
}

// Elements whose content is no text to read.
bool isHidden(std::string_view name) {
    return oneOf(name, {"script", "style", "title", "template", "noscript"});
}

// The index after the ">" of a tag whose name ends at `from`, quoted attribute values skipped;
// npos when there is none.
size_t tagEnd(std::string_view html, size_t from) {
    char quote = 0;
    for (size_t i = from; i < html.size(); ++i) {
        const char c = html[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// The index of the "</name" that ends a hidden element, searched from `from`; npos when none.
size_t closingTag(std::string_view html, size_t from, std::string_view name) {
    for (size_t i = html.find('<', from); i != std::string_view::npos; i = html.find('<', i + 1))
        if (i + 1 < html.size() && html[i + 1] == '/' && startsWithLower(html, i + 2, name))
            return i;
    return std::string_view::npos;
}

} // namespace

std::string HtmlToText(std::string_view html) {
    PlainText text;
    int preDepth = 0;
    std::string reference;
    size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '<') {
            if (startsWithLower(html, i, "<!--")) {
                const size_t end = html.find("-->", i + 4);
                i = end == std::string_view::npos ? html.size() : end + 3;
                continue;
            }
            const bool closing = i + 1 < html.size() && html[i + 1] == '/';
            const size_t nameStart = i + (closing ? 2 : 1);
            if (nameStart < html.size() && (html[nameStart] == '!' || html[nameStart] == '?')) {
                const size_t end = html.find('>', nameStart);
                i = end == std::string_view::npos ? html.size() : end + 1;
                continue;
            }
            size_t nameEnd = nameStart;
            while (nameEnd < html.size() && isAlnum(html[nameEnd]))
                ++nameEnd;
            if (nameEnd == nameStart || !isAlpha(html[nameStart])) {
                text.Word("<"); // "a < b" is text
                ++i;
                continue;
            }
            const size_t end = tagEnd(html, nameEnd);
            if (end == std::string_view::npos)
                break;
            const std::string name = lowerCopy(html.substr(nameStart, nameEnd - nameStart));
            i = end;
            if (!closing && isHidden(name)) {
                const size_t close = closingTag(html, i, name);
                i = close == std::string_view::npos ? html.size() : close;
            } else if (name == "br") {
                text.LineBreak();
            } else if (isParagraph(name)) {
                text.Breaks(2);
                if (name == "pre")
                    preDepth = std::max(0, preDepth + (closing ? -1 : 1));
            } else if (isBlock(name)) {
                text.Breaks(1);
                if (name == "li" && !closing)
                    text.Word("- ");
            } else if (name == "td" || name == "th") {
                text.Blank();
            }
            continue;
        }
        size_t after = i + 1;
        if (c == '&' && characterReference(html, i, reference, after)) {
            text.Word(reference);
        } else if (preDepth > 0 && (c == '\n' || c == '\r')) {
            if (c == '\n' || i + 1 == html.size() || html[i + 1] != '\n')
                text.LineBreak();
        } else if (preDepth > 0 && (c == ' ' || c == '\t')) {
            text.LiteralBlank(c);
        } else if (isSpace(c)) {
            text.Blank();
        } else {
            // A run of plain characters goes in as one piece.
            while (after < html.size() && !isSpace(html[after]) && html[after] != '<' &&
                   html[after] != '&')
                ++after;
            text.Word(html.substr(i, after - i));
        }
        i = after;
    }
    return text.Take();
}

std::string HtmlDeclaredCharset(std::string_view html) {
    const std::string head = lowerCopy(html.substr(0, 4096));
    for (size_t meta = head.find("<meta"); meta != std::string::npos;
         meta = head.find("<meta", meta + 5)) {
        const size_t end = head.find('>', meta);
        const std::string_view tag =
            std::string_view(head).substr(meta, end == std::string::npos ? end : end - meta);
        size_t at = tag.find("charset");
        if (at == std::string_view::npos)
            continue;
        at += 7;
        while (at < tag.size() && (isSpace(tag[at]) || tag[at] == '='))
            ++at;
        while (at < tag.size() && (tag[at] == '"' || tag[at] == '\''))
            ++at;
        size_t stop = at;
        while (stop < tag.size() &&
               (isAlnum(tag[stop]) ||
                std::string_view("-_.:").find(tag[stop]) != std::string_view::npos))
            ++stop;
        if (stop > at)
            return std::string(html.substr(meta + at, stop - at));
    }
    return {};
}
