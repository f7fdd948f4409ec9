#include "Capabilities.h"

#include <algorithm>
#include <string_view>

#include <strings.h>

namespace {

bool SameName(std::string_view a, const char* b) {
    const std::string_view name(b);
    return a.size() == name.size() && ::strncasecmp(a.data(), b, a.size()) == 0;
}

} // namespace

TCapabilities ParseCapabilities(const std::string& multiLineAnswer) {
    TCapabilities caps;
    const std::string_view text(multiLineAnswer);
    size_t eol = text.find("\r\n");
    if (eol == std::string_view::npos || text.substr(0, 3) != "+OK")
        return caps;
    caps.Known = true;
    for (size_t from = eol + 2; (eol = text.find("\r\n", from)) != std::string_view::npos;
         from = eol + 2) {
        std::string_view line = text.substr(from, eol - from);
        if (line == ".")
            break;
        if (!line.empty() && line[0] == '.')
            line.remove_prefix(1);
        caps.Lines.emplace_back(line);
        const std::string_view name = line.substr(0, line.find(' '));
        caps.Stls |= SameName(name, "STLS");
        caps.Top |= SameName(name, "TOP");
        caps.Pipelining |= SameName(name, "PIPELINING");
        caps.Utf8 |= SameName(name, "UTF8");
        caps.User |= SameName(name, "USER");
        caps.Uidl |= SameName(name, "UIDL");
        if (SameName(name, "SASL")) {
            for (size_t at = name.size(); at < line.size();) {
                const size_t start = line.find_first_not_of(' ', at);
                if (start == std::string_view::npos)
                    break;
                at = std::min(line.find(' ', start), line.size());
                caps.Sasl.emplace_back(line.substr(start, at - start));
            }
        }
    }
    return caps;
}

bool OffersSasl(const TCapabilities& caps, const char* mechanism) {
    for (const std::string& m : caps.Sasl)
        if (SameName(m, mechanism))
            return true;
    return false;
}
