#include "Security.h"

#include <strings.h>

namespace {

struct NamedSecurity {
    TSecurity security;
    const char* name;
};

constexpr NamedSecurity kNames[] = {
    {TSecurity::Auto, "auto"},
    {TSecurity::Tls, "tls"},
    {TSecurity::StartTls, "starttls"},
    {TSecurity::None, "none"},
};

} // namespace

std::string SecurityName(TSecurity security) {
    for (const auto& n : kNames)
        if (n.security == security)
            return n.name;
    return "auto";
}

std::optional<TSecurity> SecurityFromName(const std::string& name) {
    for (const auto& n : kNames)
        if (::strcasecmp(n.name, name.c_str()) == 0)
            return n.security;
    return std::nullopt;
}

int DefaultPort(TSecurity security, const TDefaultPorts& ports) {
    return security == TSecurity::Auto || security == TSecurity::Tls ? ports.Tls : ports.Plain;
}
