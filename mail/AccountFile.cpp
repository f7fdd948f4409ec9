#include "AccountFile.h"

std::string AccountFileName(const std::string& user, const std::string& host, int port) {
    std::string name = user + '@' + host + ':' + std::to_string(port);
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f)
            c = '_';
    }
    if (!name.empty() && name.front() == '.')
        name.front() = '_';
    return name;
}
