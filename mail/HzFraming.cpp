#include "HzFraming.h"

std::string HzToEucCn(std::string_view hz) {
    std::string out;
    out.reserve(hz.size());
    bool gb = false;
    for (size_t i = 0; i < hz.size(); ++i) {
        const char c = hz[i];
        const char next = i + 1 < hz.size() ? hz[i + 1] : '\0';
        if (c == '~' && (next == '{' || next == '}')) {
            gb = next == '{';
            ++i;
        } else if (c == '~' && !gb && next == '~') {
            out += '~';
            ++i;
        } else if (c == '~' && !gb && (next == '\n' || next == '\r')) {
            i += next == '\r' && i + 2 < hz.size() && hz[i + 2] == '\n' ? 2 : 1;
        } else if (gb && c >= 0x21 && c <= 0x7E) {
            out += static_cast<char>(c | 0x80);
        } else {
            // A line end inside a run ends it, as mailers that forget "~}" expect.
            if (c == '\r' || c == '\n')
                gb = false;
            out += c;
        }
    }
    return out;
}
