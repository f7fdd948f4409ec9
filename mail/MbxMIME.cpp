#include "MbxMIME.h"

#include <limits>

#include "Charset.h"
#include "mbx_util.h"

// ESC, SO and SI switch 7-bit stateful character sets (ISO-2022-JP, -KR) in and out, so they
// are part of the text they begin or end.
static bool isTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ' && c != '\x1b' && c != '\x0e' && c != '\x0f';
}

std::string_view TrimView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && isTrimmed(s[b]))
        ++b;
    while (e > b && isTrimmed(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string Trim(const std::string& s) {
    return std::string(TrimView(s));
}

bool ParseInt32(const std::string& s, int32_t& out) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == s.size())
        return false;
    int64_t value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<int32_t>(value);
    return true;
}

static bool isByteNumber(const std::string& s) {
    int32_t v = 0;
    return ParseInt32(s, v) && v >= 0 && v <= 255;
}

bool IsDottedQuad(const std::string& s) {
    std::string rest = s;
    for (int i = 0; i < 3; ++i) {
        const size_t dot = rest.find('.');
        if (dot == std::string::npos || !isByteNumber(rest.substr(0, dot)))
            return false;
        rest = rest.substr(dot + 1);
    }
    return isByteNumber(rest);
}

std::string DottedQuadDecimal(const std::string& s) {
    std::string out;
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t dot = i < 3 ? s.find('.', pos) : s.size();
        int32_t v = 0;
        ParseInt32(s.substr(pos, dot - pos), v);
        if (i > 0)
            out += '.';
        out += std::to_string(v);
        pos = dot + 1;
    }
    return out;
}

int32_t WordAsInt(const std::string& s, uint16_t n, int32_t def) {
    std::string w = Trim(s);
    for (int i = 1; i < n; ++i) {
        const size_t blank = w.find(' ');
        if (blank == std::string::npos)
            return def;
        w = Trim(w.substr(blank));
    }
    const size_t blank = w.find(' ');
    if (blank != std::string::npos)
        w = Trim(w.substr(0, blank));
    int32_t value = 0;
    return ParseInt32(w, value) ? value : def;
}

TempFile MakeTempFileName() {
    return TempFile::create();
}

std::vector<std::string> SplitLines(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    // Counting first saves the copies of a growing list on large mails.
    size_t count = 1;
    for (const char* c = p; c < end; ++c)
        count += *c == '\n' || (*c == '\r' && (c + 1 == end || c[1] != '\n'));
    std::vector<std::string> lines;
    lines.reserve(count);
    while (p < end) {
        const char* e = p;
        while (e < end && *e != '\r' && *e != '\n')
            ++e;
        lines.emplace_back(p, e);
        if (e < end && *e == '\r' && e + 1 < end && e[1] == '\n')
            ++e;
        p = e + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string JoinLineRuns(const std::vector<LineRange>& runs) {
    size_t size = 0;
    for (const LineRange& run : runs)
        size += run.Text().size();
    std::string text;
    text.reserve(size);
    for (const LineRange& run : runs)
        text += run.Text();
    return text;
}

std::string AsciiUpper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool AsciiStartsNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    for (size_t i = 0; i < prefix.size(); ++i)
        if (upper(text[i]) != upper(prefix[i]))
            return false;
    return true;
}

std::string AsciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool IsBlankLine(std::string_view line) {
    for (const char c : line)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

static bool startsWithUpper(std::string_view line, const std::string& upperPrefix) {
    if (line.size() < upperPrefix.size())
        return false;
    for (size_t i = 0; i < upperPrefix.size(); ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != upperPrefix[i])
            return false;
    }
    return true;
}

bool FindHeader(const std::string& Name, LineRange Lines, std::string& Line) {
    size_t i = 0;
    while (i < Lines.size() && Lines[i].empty())
        ++i;
    for (; i < Lines.size() && !Lines[i].empty(); ++i) {
        if (!startsWithUpper(Lines[i], Name))
            continue;
        Line = Lines[i];
        for (++i; i < Lines.size() && !Lines[i].empty() &&
                  (Lines[i].front() == ' ' || Lines[i].front() == '\t');
             ++i)
            Line += TrimView(Lines[i]);
        return true;
    }
    return false;
}

// The first ";" of a header value that is no byte of a double-byte character: raw Japanese and
// Korean header text switches into its set with escape sequences (ESC $ ..., SO) and back (ESC
// ( ..., SI), and ";" is one of the bytes its characters are written with.
static size_t valueEnd(const std::string& value) {
    bool shifted = false;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\x1b' && i + 1 < value.size() && (value[i + 1] == '$' || value[i + 1] == '('))
            shifted = value[i + 1] == '$';
        else if (c == '\x0e' || c == '\x0f')
            shifted = c == '\x0e';
        else if (c == ';' && !shifted)
            return i;
    }
    return std::string::npos;
}

std::string GetHeaderValue(const std::string& Key, const std::string& Line) {
    const size_t pos = AsciiUpper(Line).find(Key);
    if (pos == std::string::npos)
        return {};
    std::string value = Trim(Line.substr(pos + Key.size()));
    const size_t semicolon = valueEnd(value);
    if (semicolon != std::string::npos)
        value = Trim(value.substr(0, semicolon));
    return value;
}

size_t PartBodyStart(LineRange Lines) {
    size_t i = 0;
    while (i < Lines.size() && !IsBlankLine(Lines[i]))
        ++i;
    while (i < Lines.size() && IsBlankLine(Lines[i]))
        ++i;
    return i;
}

void StripPartHeader(std::vector<std::string>& Lines) {
    Lines.erase(Lines.begin(),
                Lines.begin() + static_cast<std::ptrdiff_t>(PartBodyStart(MailLines(Lines))));
}

std::string GetBoundary(const std::string& Line) {
    const size_t pos = AsciiUpper(Line).find("BOUNDARY");
    std::string v;
    if (pos != std::string::npos)
        v = Trim(Line.substr(pos + 8, 72));
    if (!v.empty())
        v = Trim(v.substr(1)); // the "="
    if (!v.empty() && v.front() == '"') {
        v.erase(0, 1);
        const size_t quote = v.find('"');
        if (quote != std::string::npos)
            v.resize(quote);
    }
    const size_t semicolon = v.find(';');
    if (semicolon != std::string::npos)
        v.resize(semicolon);
    return "--" + Trim(v);
}

namespace {

// A stretch of a header value: raw text, or the decoded bytes of an encoded word.
struct HeaderPiece {
    bool encoded;
    std::string_view charset;
    std::string bytes;
};

bool sameCharset(std::string_view a, std::string_view b) {
    return AsciiUpper(std::string(a)) == AsciiUpper(std::string(b));
}

} // namespace

std::string DecodeEncodedWords(const std::string& S) {
    std::vector<HeaderPiece> pieces;
    size_t pos = 0;
    for (;;) {
        const size_t start = S.find("=?", pos);
        if (start == std::string::npos)
            break;
        const size_t charsetEnd = S.find('?', start + 2);
        if (charsetEnd == std::string::npos || charsetEnd + 3 > S.size())
            break;
        const char encoding = static_cast<char>(S[charsetEnd + 1] & ~0x20);
        const size_t word = charsetEnd + 3;
        const size_t wordEnd = S.find("?=", word);
        if (wordEnd == std::string::npos)
            break;
        const std::string_view between(S.data() + pos, start - pos);
        // White space alone between two encoded words is no part of the text.
        if (!between.empty() && !(IsBlankLine(between) && !pieces.empty() && pieces.back().encoded))
            pieces.push_back({false, {}, std::string(between)});
        const std::string_view encoded(S.data() + word, wordEnd - word);
        HeaderPiece piece{true, std::string_view(S.data() + start + 2, charsetEnd - start - 2), {}};
        if (encoding == 'Q')
            piece.bytes = QPDecode(encoded, true);
        else if (encoding == 'B')
            TBase64DecodingStream(piece.bytes).Write(encoded);
        // Any other letter: the word vanishes.
        pieces.push_back(std::move(piece));
        pos = wordEnd + 2;
    }
    if (pos < S.size())
        pieces.push_back({false, {}, S.substr(pos)});

    std::string out;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!pieces[i].encoded) {
            out += UnlabelledToUtf8(pieces[i].bytes);
            continue;
        }
        // Words of one character set are converted together, so that a character split
        // between two words (as some mailers send them) comes out whole.
        std::string bytes = std::move(pieces[i].bytes);
        while (i + 1 < pieces.size() && pieces[i + 1].encoded &&
               sameCharset(pieces[i + 1].charset, pieces[i].charset))
            bytes += pieces[++i].bytes;
        out += ToUtf8(pieces[i].charset, bytes);
    }
    return out;
}

std::string StripQuotes(std::string S) {
    if (!S.empty() && (S.front() == '"' || S.front() == '\''))
        S.erase(0, 1);
    if (!S.empty() && (S.back() == '"' || S.back() == '\''))
        S.pop_back();
    return S;
}

std::string RemoveChar(std::string S, char C) {
    std::erase(S, C);
    return S;
}

std::string NamePart(std::string S, bool Quote) {
    const size_t open = S.find('<');
    if (open != std::string::npos) {
        const size_t close = S.find('>', open);
        if (close != std::string::npos)
            S.erase(open, close - open + 1);
    }
    const size_t paren = S.find('(');
    const size_t parenClose = S.find(')');
    if (paren != std::string::npos && parenClose != std::string::npos)
        S = parenClose > paren ? S.substr(paren + 1, parenClose - paren - 1) : std::string();
    S = Trim(RemoveChar(RemoveChar(std::move(S), '"'), '\''));
    return Quote ? '"' + S + '"' : S;
}

std::string AddressPart(std::string S, bool Angle) {
    // Comments go, each from the first "(" through the first ")" after it, until a ")" comes
    // before the next "(".
    std::string kept;
    size_t pos = 0;
    for (;;) {
        const size_t open = S.find('(', pos);
        const size_t firstClose = S.find(')', pos);
        const size_t close =
            open == std::string::npos || firstClose < open ? std::string::npos : S.find(')', open);
        if (close == std::string::npos) {
            kept.append(S, pos);
            break;
        }
        kept.append(S, pos, open - pos);
        pos = close + 1;
    }
    S = Trim(kept);
    const size_t open = S.find('<');
    const size_t close = S.find('>');
    if (open != std::string::npos && close != std::string::npos)
        S = close > open ? S.substr(open + 1, close - open - 1) : std::string();
    return Angle ? '<' + S + '>' : S;
}

std::vector<std::string> SplitAddressList(const std::string& S) {
    // Quoted strings go with their quotes; an unpaired quote is just dropped.
    std::string w;
    for (size_t i = 0; i < S.size(); ++i) {
        if (S[i] != '"') {
            w += S[i];
            continue;
        }
        const size_t close = S.find('"', i + 1);
        if (close != std::string::npos)
            i = close;
    }
    std::vector<std::string> items;
    size_t pos = 0;
    for (;;) {
        const size_t comma = w.find(',', pos);
        items.push_back(w.substr(pos, comma == std::string::npos ? comma : comma - pos));
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return items;
}

std::string NormalizeAddressList(const std::string& S) {
    std::string result;
    for (const std::string& item : SplitAddressList(S)) {
        if (!result.empty())
            result += ", ";
        result += NamePart(DecodeEncodedWords(item), true) + " " +
                  UnlabelledToUtf8(AddressPart(item, true));
    }
    return result;
}
