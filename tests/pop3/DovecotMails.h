#pragma once

// Mails for the Dovecot tests: plain ones and one with a binary attachment to compare
// byte for byte after retrieval.

#include <cstdint>
#include <random>
#include <string>

inline std::string Base64Lines(const std::string& data) {
    static const char* alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out, line;
    for (size_t i = 0; i < data.size(); i += 3) {
        const uint32_t b0 = uint8_t(data[i]);
        const uint32_t b1 = i + 1 < data.size() ? uint8_t(data[i + 1]) : 0;
        const uint32_t b2 = i + 2 < data.size() ? uint8_t(data[i + 2]) : 0;
        const uint32_t v = (b0 << 16) | (b1 << 8) | b2;
        line += alphabet[(v >> 18) & 63];
        line += alphabet[(v >> 12) & 63];
        line += i + 1 < data.size() ? alphabet[(v >> 6) & 63] : '=';
        line += i + 2 < data.size() ? alphabet[v & 63] : '=';
        if (line.size() >= 76) {
            out += line + "\r\n";
            line.clear();
        }
    }
    if (!line.empty())
        out += line + "\r\n";
    return out;
}

inline std::string Header(int n) {
    return "From: Sender " + std::to_string(n) + " <s" + std::to_string(n) +
           "@example.org>\r\nTo: bob@example.org\r\nSubject: Mail number " + std::to_string(n) +
           "\r\nDate: Tue, 8 Dec 2026 07:0" + std::to_string(n % 10) + ":00 +0000\r\n";
}

inline std::string PlainMail(int n) {
    return Header(n) + "\r\nHello " + std::to_string(n) + "\r\n.starts with a dot\r\n";
}

inline std::string AttachmentBytes() {
    std::mt19937 random(42);
    std::string bytes(5000, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

inline std::string MultipartMail(int n, const std::string& attachment) {
    return Header(n) +
           "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"cut-here\"\r\n"
           "\r\n"
           "--cut-here\r\n"
           "Content-Type: text/plain; charset=us-ascii\r\n"
           "\r\n"
           "See the attachment.\r\n"
           "--cut-here\r\n"
           "Content-Type: application/octet-stream; name=\"noise.bin\"\r\n"
           "Content-Transfer-Encoding: base64\r\n"
           "Content-Disposition: attachment; filename=\"noise.bin\"\r\n"
           "\r\n" +
           Base64Lines(attachment) + "--cut-here--\r\n";
}
