#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "MbxMsg.h"

// A parsed message built from its lines, as the POP3 client hands them over.
inline std::unique_ptr<TMbxMsg> ParseLines(std::vector<std::string> lines) {
    auto msg = std::make_unique<TMbxMsg>();
    msg->RawMail = MailLines(lines);
    msg->Parse();
    return msg;
}

inline std::vector<std::string> L(std::initializer_list<std::string> lines) {
    return lines;
}
