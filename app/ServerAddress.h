#pragma once

#include <optional>
#include <string>

// What the server field names: a host and, when one was typed, a port.
struct TServerAddress {
    std::string Host; // name, dotted IPv4 address or IPv6 address (without brackets)
    std::string Port; // decimal 1 to 65535; empty when none was typed
};

// Reads "host", "host:port", "[IPv6-address]:port", "[IPv6-address]" or a bare IPv6 address;
// blanks around the text are ignored. Nothing when the text is none of these (an empty host,
// a port that is not a number from 1 to 65535, blanks or brackets inside the host).
std::optional<TServerAddress> ParseServerAddress(const std::string& text);

// The text that names host and port together, with brackets around an IPv6 address.
std::string JoinHostPort(const std::string& host, int port);
