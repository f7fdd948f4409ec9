#include "UUDecode.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "MbxMIME.h"
#include "MbxMsg.h"

namespace {

constexpr size_t kMaxCharsPerLine = 60;
constexpr unsigned kMaxBytesPerLine = 45;

unsigned uuValue(char c) {
    if (c == '`')
        return 0;
    if (c >= ' ' && c <= '_')
        return static_cast<unsigned>(c - ' ');
    throw EUUDecodeError();
}

bool isUUBegin(std::string_view line, std::string& name) {
    static constexpr std::string_view begin = "begin";
    if (line.size() <= 10)
        return false;
    for (size_t i = 0; i < begin.size(); ++i)
        if ((line[i] | 0x20) != begin[i])
            return false;
    int32_t mode = 0;
    if (!ParseInt32(std::string(line.substr(6, 3)), mode) || mode < 1 || mode > 776)
        return false;
    name = std::string(line.substr(10, 64));
    return true;
}

} // namespace

bool FindUUBegin(LineRange Lines, size_t From, size_t& Index, std::string& Name) {
    for (size_t i = From; i < Lines.size(); ++i) {
        if (isUUBegin(Lines[i], Name)) {
            Index = i;
            return true;
        }
    }
    return false;
}

void UUDecodeLines(LineRange Lines, std::string& Data) {
    for (size_t k = 1; k < Lines.size(); ++k) {
        const std::string_view s = Lines[k];
        if (s == "end" || s == "`")
            break;
        if (s.empty())
            continue;
        const unsigned n = uuValue(s[0]);
        const size_t chars =
            n == kMaxBytesPerLine ? kMaxCharsPerLine : std::min(s.size() - 1, kMaxCharsPerLine);
        const unsigned wanted = std::min(n, kMaxBytesPerLine);
        // A line shorter than its count promises gives zero bits for the missing characters.
        // The line is decoded whole before its bytes are appended.
        char bytes[kMaxBytesPerLine];
        uint32_t bits = 0;
        int bitCount = 0;
        unsigned produced = 0;
        for (size_t c = 1; c <= chars; ++c) {
            bits = (bits << 6) | (c < s.size() ? uuValue(s[c]) : 0);
            bitCount += 6;
            if (bitCount >= 8) {
                bitCount -= 8;
                if (produced < wanted)
                    bytes[produced++] = static_cast<char>((bits >> bitCount) & 0xFF);
            }
        }
        if (produced < wanted && bitCount > 0)
            bytes[produced++] = static_cast<char>((bits << (8 - bitCount)) & 0xFF);
        Data.append(bytes, produced);
        Data.append(wanted - produced, '\0');
    }
}
