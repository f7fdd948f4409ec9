#include "PasswordObfuscation.h"

std::string VerschleierPW(const std::string& Plain, uint8_t Start) {
    std::string stored;
    stored.reserve(Plain.size());
    uint8_t previous = Start;
    for (char ch : Plain) {
        const auto c = static_cast<uint8_t>(ch);
        stored.push_back(static_cast<char>(static_cast<uint8_t>(c + previous)));
        previous = c;
    }
    return stored;
}

std::string KlartextPW(const std::string& Stored, uint8_t Start) {
    std::string plain;
    plain.reserve(Stored.size());
    uint8_t previous = Start;
    for (char ch : Stored) {
        const auto p = static_cast<uint8_t>(static_cast<uint8_t>(ch) - previous);
        plain.push_back(static_cast<char>(p));
        previous = p;
    }
    return plain;
}
