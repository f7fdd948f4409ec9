#pragma once

#include <cstddef>
#include <string_view>

// A unique id (UIDL) as a server may give it: printable ASCII without blanks.
inline bool IsUniqueId(std::string_view id) {
    if (id.empty())
        return false;
    for (const char c : id)
        if (c < 0x21 || c > 0x7e)
            return false;
    return true;
}

// The longest id POP3 allows (RFC 1939).
inline constexpr size_t kMaxUniqueIdLength = 70;
