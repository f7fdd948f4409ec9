#include "JsonText.h"

#include <openssl/evp.h>

#include <stdexcept>

std::string JsonLatin1String(std::string_view bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += ch;
        } else if (b < 0x20 || b == 0x7F) {
            out += "\\u00";
            out += hex[b >> 4];
            out += hex[b & 0xF];
        } else if (b < 0x80) {
            out += ch;
        } else {
            // UTF-8 of the code point U+0080..U+00FF.
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    out += '"';
    return out;
}

std::string Sha256Hex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 failed");
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 0xF];
    }
    return out;
}
