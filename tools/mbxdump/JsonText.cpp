#include "JsonText.h"

#include <openssl/evp.h>

#include "Charset.h"

#include <stdexcept>

std::string JsonString(std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    const std::string utf8 = IsValidUtf8(text) ? std::string(text) : UnlabelledToUtf8(text);
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char ch = utf8[i];
        const auto b = static_cast<unsigned char>(ch);
        // A NUL shows as a blank, as in every text the message library hands out.
        if (b == 0) {
            out += ' ';
        } else if (b == '"' || b == '\\') {
            out += '\\';
            out += ch;
        } else if (b < 0x20 || b == 0x7F) {
            out += "\\u00";
            out += hex[b >> 4];
            out += hex[b & 0xF];
        } else if (b == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            // A C1 control (U+0080 to U+009F), which a terminal would obey as well.
            const auto c1 = static_cast<unsigned char>(utf8[++i]);
            out += "\\u00";
            out += hex[c1 >> 4];
            out += hex[c1 & 0xF];
        } else {
            out += ch;
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
