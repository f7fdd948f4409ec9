#include "EscapedLine.h"

#include <cstdio>

#include "Charset.h"

namespace {

void AppendHex(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
        out += hex;
    }
}

} // namespace

std::string EscapedLine(std::string_view bytes, bool KeepTabs) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const char c = bytes[i];
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            // A C1 control in UTF-8 (C2 80 to C2 9F) is a terminal's CSI, OSC, ... as well.
            const size_t n = Utf8SequenceLength(bytes.substr(i));
            const bool control =
                n == 2 && b == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0;
            if (n == 0 || control)
                AppendHex(out, bytes.substr(i, n == 0 ? 1 : n));
            else
                out.append(bytes.substr(i, n));
            i += n == 0 ? 1 : n;
            continue;
        }
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += KeepTabs ? "\t" : "\\t";
        else if (c == '\\')
            out += "\\\\";
        else if (b < 0x20 || b == 0x7F)
            AppendHex(out, bytes.substr(i, 1));
        else
            out += c;
        ++i;
    }
    return out;
}
