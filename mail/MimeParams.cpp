#include "MimeParams.h"

#include <map>
#include <optional>
#include <vector>

#include "Charset.h"
#include "MbxMIME.h"

namespace {

constexpr unsigned kMaxSection = 999;

struct Parameter {
    std::string attribute; // upper case
    std::string value;     // without quotes
};

// The parameters after the first ";" of a header line. A quoted value may hold ";"; a
// backslash in it escapes only a quote or a backslash, since mailers write Windows paths
// into names unescaped.
std::vector<Parameter> parameters(std::string_view line) {
    std::vector<Parameter> list;
    size_t i = line.find(';');
    while (i < line.size()) {
        ++i;
        const size_t equals = line.find_first_of("=;", i);
        if (equals == std::string_view::npos)
            break;
        if (line[equals] == ';') {
            i = equals;
            continue;
        }
        Parameter p{AsciiUpper(std::string(TrimView(line.substr(i, equals - i)))), {}};
        i = equals + 1;
        while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ')
            ++i;
        if (i < line.size() && line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\'))
                    ++i;
                p.value += line[i];
            }
            i = line.find(';', i);
        } else {
            const size_t end = line.find(';', i);
            p.value = TrimView(line.substr(i, end == std::string_view::npos ? end : end - i));
            i = end;
        }
        list.push_back(std::move(p));
    }
    return list;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c & ~0x20);
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::string percentDecoded(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const int high = s[i] == '%' && i + 2 < s.size() ? hexDigit(s[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(s[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Takes "charset'language'" off an RFC 2231 value; no charset when the quotes are missing.
std::string takeCharset(std::string& value) {
    const size_t first = value.find('\'');
    const size_t second = first == std::string::npos ? first : value.find('\'', first + 1);
    if (second == std::string::npos)
        return {};
    std::string charset = value.substr(0, first);
    value.erase(0, second + 1);
    return charset;
}

std::string converted(std::optional<std::string> charset, const std::string& bytes) {
    // Without a character set the bytes are read as a plain value would be.
    return charset ? ToUtf8(*charset, bytes) : DecodeEncodedWords(bytes);
}

} // namespace

bool GetParameter(std::string_view Line, std::string_view Name, std::string& Value) {
    const std::string name = AsciiUpper(std::string(Name));
    std::optional<std::string> plain;
    std::optional<std::string> extended;
    std::map<unsigned, std::pair<std::string, bool>> sections;
    for (Parameter& p : parameters(Line)) {
        if (p.attribute.compare(0, name.size(), name) != 0)
            continue;
        const std::string_view rest = std::string_view(p.attribute).substr(name.size());
        if (rest.empty()) {
            if (!plain)
                plain = std::move(p.value);
        } else if (rest == "*") {
            if (!extended)
                extended = std::move(p.value);
        } else if (rest[0] == '*') {
            // name*N or name*N*: one section of a continued value.
            const bool star = rest.back() == '*';
            const std::string digits(rest.substr(1, rest.size() - 1 - (star ? 1 : 0)));
            int32_t n = 0;
            if (digits.empty() || digits.size() > 3 || digits[0] == '+' || digits[0] == '-' ||
                !ParseInt32(digits, n) || static_cast<unsigned>(n) > kMaxSection)
                continue;
            sections.try_emplace(static_cast<unsigned>(n), std::move(p.value), star);
        }
    }
    if (extended) {
        std::string value = std::move(*extended);
        const std::string charset = takeCharset(value);
        Value = ToUtf8(charset, percentDecoded(value));
        return true;
    }
    if (sections.count(0) != 0) {
        std::optional<std::string> charset;
        std::string bytes;
        for (unsigned n = 0; sections.count(n) != 0; ++n) {
            auto& [value, star] = sections[n];
            if (!star) {
                bytes += value;
                continue;
            }
            if (n == 0)
                charset = takeCharset(value);
            bytes += percentDecoded(value);
        }
        Value = converted(charset, bytes);
        return true;
    }
    if (plain) {
        // Some mailers quote with single quotes (name='x.pdf'), which no name means.
        if (plain->size() >= 2 && plain->front() == '\'' && plain->back() == '\'')
            *plain = plain->substr(1, plain->size() - 2);
        Value = DecodeEncodedWords(*plain);
        return true;
    }
    return false;
}
