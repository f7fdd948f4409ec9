#include "MbxMIME.h"

#include <limits>

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
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
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}
