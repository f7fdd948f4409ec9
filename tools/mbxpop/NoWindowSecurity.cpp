// mbxpop built without Qt (INBOX_GUI=OFF) cannot read the window's settings file.
#include "WindowSecurity.h"

std::optional<TSecurity> RememberedSecurity(const std::string&, int, const std::string&) {
    return std::nullopt;
}
