#include "mbx_util.h"

#include <array>
#include <fstream>
#include <sstream>

#include "LargeBuffer.h"
#include "MbxMIME.h"

namespace {

constexpr unsigned char kPadding = 64;
constexpr unsigned char kForeign = 99;

constexpr std::array<unsigned char, 256> makeBase64Values() {
    std::array<unsigned char, 256> values{};
    for (auto& v : values)
        v = kForeign;
    for (int i = 0; i < 26; ++i) {
        values['A' + i] = static_cast<unsigned char>(i);
        values['a' + i] = static_cast<unsigned char>(26 + i);
    }
    for (int i = 0; i < 10; ++i)
        values['0' + i] = static_cast<unsigned char>(52 + i);
    values['+'] = 62;
    values['/'] = 63;
    values['='] = kPadding;
    return values;
}

constexpr auto kBase64Values = makeBase64Values();

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "=" with only blanks and tabs up to the line end is a soft line break too (the transport
// padding of RFC 2045): the index after that line break, or after the text; 0 when the
// blanks are followed by anything else.
size_t softBreakEnd(std::string_view text, size_t i) {
    const size_t blanks = i;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i == blanks)
        return 0;
    if (i == text.size())
        return i;
    if (text[i] == '\r')
        return i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
    return text[i] == '\n' ? i + 1 : 0;
}

} // namespace

size_t TBase64DecodingStream::Write(std::string_view text) {
    // Bytes go out through a small buffer, so Target grows without being cleared first.
    char buffer[3 * 1024];
    size_t used = 0;
    size_t written = 0;
    const auto emit = [&](unsigned a, unsigned b, unsigned c, unsigned d, size_t count) {
        // Foreign bytes (value 99) still take part in the arithmetic, modulo 256.
        buffer[used] = static_cast<char>((a * 4 + b / 16) & 0xFF);
        buffer[used + 1] = static_cast<char>(((b % 16) * 16 + c / 4) & 0xFF);
        buffer[used + 2] = static_cast<char>(((c % 4) * 64 + d) & 0xFF);
        used += count;
        if (used > sizeof buffer - 3) {
            target_.append(buffer, used);
            written += used;
            used = 0;
        }
    };
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p < end) {
        // Fast path: four alphabet characters in a row make a whole group (CR, LF, padding
        // and foreign bytes all have values of 64 or more).
        if (pendingCount_ == 0 && end - p >= 4) {
            const unsigned a = kBase64Values[p[0]], b = kBase64Values[p[1]],
                           c = kBase64Values[p[2]], d = kBase64Values[p[3]];
            if ((a | b | c | d) < 64) {
                emit(a, b, c, d, 3);
                p += 4;
                continue;
            }
        }
        const unsigned char ch = *p++;
        if (ch == '\r' || ch == '\n')
            continue;
        pending_[pendingCount_++] = kBase64Values[ch];
        if (pendingCount_ < 4)
            continue;
        pendingCount_ = 0;
        unsigned a = pending_[0], b = pending_[1], c = pending_[2], d = pending_[3];
        size_t count = 3;
        if (a == kPadding) {
            count = 0;
        } else if (c == kPadding) {
            count = 1;
            c = d = 0;
        } else if (d == kPadding) {
            count = 2;
            d = 0;
        }
        emit(a, b, c, d, count);
    }
    target_.append(buffer, used);
    return written + used;
}

size_t TBase64DecodingStream::Read(char*, size_t) {
    throw EStreamError("Invalid stream operation");
}

int64_t TBase64DecodingStream::Seek(int64_t, int) {
    throw EStreamError("Invalid stream operation");
}

std::string QPDecode(std::string_view Text, bool HeaderMode) {
    // Decoding never makes a text longer.
    std::string out;
    ReserveLarge(out, Text.size());
    out.resize(Text.size());
    char* o = out.data();
    size_t i = 0;
    while (i < Text.size()) {
        const char c = Text[i];
        if (c == '_') {
            *o++ = HeaderMode ? ' ' : '_';
            ++i;
        } else if (c != '=') {
            *o++ = c;
            ++i;
        } else if (i + 1 < Text.size() && (Text[i + 1] == '\r' || Text[i + 1] == '\n')) {
            // A soft line break swallows the two characters after the "=".
            i += 3;
        } else if (const size_t end = softBreakEnd(Text, i + 1); end != 0) {
            i = end;
        } else if (i + 2 < Text.size()) {
            const int high = hexValue(Text[i + 1]);
            const int low = hexValue(Text[i + 2]);
            *o++ = (high < 0 || low < 0) ? '@' : static_cast<char>(high * 16 + low);
            i += 3;
        } else {
            break; // "=" with fewer than two characters after it ends the text
        }
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

std::unordered_map<std::string, std::string> ReadMimeTypes(std::istream& table) {
    std::unordered_map<std::string, std::string> types;
    std::string line;
    while (std::getline(table, line)) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string type, extension;
        if (!(words >> type))
            continue;
        while (words >> extension)
            types.emplace(AsciiLower(extension), type);
    }
    return types;
}

std::string ContentTypeOfFile(const std::string& FileName) {
    static const auto table = [] {
        std::ifstream file("/etc/mime.types");
        return ReadMimeTypes(file);
    }();
    const size_t dot = FileName.rfind('.');
    if (dot != std::string::npos) {
        const auto found = table.find(AsciiLower(FileName.substr(dot + 1)));
        if (found != table.end() && !found->second.empty())
            return found->second;
    }
    return "application/octet-stream";
}
