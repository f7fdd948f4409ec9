#include "ServerAddress.h"

#include <arpa/inet.h>

#include <algorithm>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool IsPort(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int port = std::stoi(text);
    return port >= 1 && port <= 65535;
}

// An IPv6 literal, optionally with a zone ("fe80::1%eth0") that the name lookup understands.
bool IsIPv6(const std::string& text) {
    const std::string address = text.substr(0, text.find('%'));
    if (address.size() < text.size() && address.size() + 1 == text.size())
        return false;
    in6_addr parsed{};
    return inet_pton(AF_INET6, address.c_str(), &parsed) == 1;
}

bool IsHostName(const std::string& text) {
    return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
        return IsBlank(c) || c == '[' || c == ']' || c == ':' || c == '/' ||
               static_cast<unsigned char>(c) < 0x20;
    });
}

} // namespace

std::optional<TServerAddress> ParseServerAddress(const std::string& text) {
    const std::string field = Trimmed(text);
    if (!field.empty() && field.front() == '[') {
        const std::size_t close = field.find(']');
        if (close == std::string::npos)
            return std::nullopt;
        TServerAddress address{field.substr(1, close - 1), {}};
        const std::string rest = field.substr(close + 1);
        if (!IsIPv6(address.Host))
            return std::nullopt;
        if (rest.empty())
            return address;
        if (rest.front() != ':' || !IsPort(rest.substr(1)))
            return std::nullopt;
        address.Port = rest.substr(1);
        return address;
    }
    // Two colons or more: a bare IPv6 address, which can carry no port without brackets.
    if (std::count(field.begin(), field.end(), ':') >= 2) {
        if (!IsIPv6(field))
            return std::nullopt;
        return TServerAddress{field, {}};
    }
    const std::size_t colon = field.find(':');
    TServerAddress address{field.substr(0, colon), {}};
    if (!IsHostName(address.Host))
        return std::nullopt;
    if (colon != std::string::npos) {
        address.Port = field.substr(colon + 1);
        if (!IsPort(address.Port))
            return std::nullopt;
    }
    return address;
}

std::string JoinHostPort(const std::string& host, int port) {
    const std::string shownHost = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return shownHost + ":" + std::to_string(port);
}
