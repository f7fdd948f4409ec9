// bench_parse_gen FILE MEGABYTES [qp|latin1|utf8]: writes a test mail of about that size: three
// quarters a base64 attachment, a tenth a text part, the rest a uuencoded block inside a text
// part, in nested multiparts, with a forwarded message. The text part is quoted-printable
// Latin-1 (qp, the default), or 8-bit Latin-1 or UTF-8 text of the same words. Same seed,
// same bytes.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

namespace {

std::string base64Lines(std::mt19937& rng, size_t encodedBytes) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(encodedBytes + encodedBytes / 38);
    size_t column = 0;
    for (size_t n = 0; n + 4 <= encodedBytes; n += 4) {
        const uint32_t v = rng() & 0xFFFFFF;
        for (int shift = 18; shift >= 0; shift -= 6)
            out += alphabet[(v >> shift) & 63];
        column += 4;
        if (column == 76) {
            out += "\r\n";
            column = 0;
        }
    }
    if (column != 0)
        out += "\r\n";
    return out;
}

std::string quotedPrintableText(std::mt19937& rng, size_t bytes) {
    static const char* words[] = {"Gr\xFC\xDF"
                                  "e",
                                  "message",
                                  "parser",
                                  "=",
                                  "caf\xE9",
                                  "line",
                                  "the",
                                  "of",
                                  "benchmark",
                                  "quoted-printable",
                                  "na\xEFve",
                                  "and"};
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    size_t column = 0;
    while (out.size() < bytes) {
        std::string word = words[rng() % std::size(words)];
        std::string encoded;
        for (const char c : word) {
            const auto b = static_cast<unsigned char>(c);
            if (b >= 0x80 || c == '=') {
                encoded += '=';
                encoded += hex[b >> 4];
                encoded += hex[b & 15];
            } else {
                encoded += c;
            }
        }
        encoded += ' ';
        if (column + encoded.size() > 75) {
            // Every other line ends with a soft break.
            out += (rng() & 1) ? "=\r\n" : "\r\n";
            column = 0;
        }
        out += encoded;
        column += encoded.size();
    }
    return out + "\r\n";
}

// Lines of words with umlauts, accents and euro signs, in Latin-1 or in UTF-8.
std::string eightBitText(std::mt19937& rng, size_t bytes, bool utf8) {
    static const char* latin1[] = {"Gr\xFC\xDF"
                                   "e",
                                   "K\xF6ln",
                                   "caf\xE9",
                                   "na\xEFve",
                                   "message",
                                   "parser",
                                   "the",
                                   "of",
                                   "benchmark",
                                   "and"};
    static const char* utf8Words[] = {"Grüße",  "Köln", "café", "naïve",     "message",
                                      "parser", "the",  "of",   "benchmark", "and"};
    std::string out;
    size_t column = 0;
    while (out.size() < bytes) {
        const size_t pick = rng() % std::size(latin1);
        const std::string word = std::string(utf8 ? utf8Words[pick] : latin1[pick]) + ' ';
        if (column + word.size() > 76) {
            out += "\r\n";
            column = 0;
        }
        out += word;
        column += word.size();
    }
    return out + "\r\n";
}

std::string uuencodedBlock(std::mt19937& rng, size_t bytes) {
    std::string out = "begin 644 block.bin\r\n";
    const auto enc = [](unsigned v) { return static_cast<char>(v == 0 ? '`' : v + 32); };
    while (out.size() < bytes) {
        out += enc(45);
        for (int group = 0; group < 15; ++group) {
            const uint32_t v = rng() & 0xFFFFFF;
            for (int shift = 18; shift >= 0; shift -= 6)
                out += enc((v >> shift) & 63);
        }
        out += "\r\n";
    }
    return out + "`\r\nend\r\n";
}

} // namespace

int main(int argc, char** argv) {
    const std::string text = argc == 4 ? argv[3] : "qp";
    if ((argc != 3 && argc != 4) || (text != "qp" && text != "latin1" && text != "utf8")) {
        std::cerr << "usage: bench_parse_gen FILE MEGABYTES [qp|latin1|utf8]\n";
        return 1;
    }
    const size_t total = static_cast<size_t>(std::atof(argv[2]) * 1000 * 1000);
    std::mt19937 rng(20261208);
    std::string mail = "From: Bench <bench@example.org>\r\n"
                       "To: Ann <ann@example.org>, bob@example.org (Bob)\r\n"
                       "Subject: =?ISO-8859-1?Q?Gro=DFe_Mail?=\r\n"
                       "Date: Tue, 8 Dec 2026 08:00:00 +0100\r\n"
                       "MIME-Version: 1.0\r\n"
                       "Content-Type: multipart/mixed;\r\n\tboundary=\"outer-boundary\"\r\n"
                       "\r\n"
                       "This is a multi-part message in MIME format.\r\n"
                       "--outer-boundary\r\n"
                       "Content-Type: multipart/alternative; boundary=\"alt-boundary\"\r\n"
                       "\r\n"
                       "--alt-boundary\r\n";
    if (text == "qp") {
        mail += "Content-Type: text/plain; charset=iso-8859-1\r\n"
                "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
        mail += quotedPrintableText(rng, total / 10);
    } else {
        mail += "Content-Type: text/plain; charset=" +
                std::string(text == "utf8" ? "utf-8" : "iso-8859-1") +
                "\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
        mail += eightBitText(rng, total / 10, text == "utf8");
    }
    mail += "--alt-boundary\r\n"
            "Content-Type: multipart/related; boundary=\"rel-boundary\"\r\n"
            "\r\n"
            "--rel-boundary\r\n"
            "Content-Type: text/plain\r\n"
            "\r\n"
            "The block follows.\r\n";
    mail += uuencodedBlock(rng, total - total / 10 - total * 3 / 4);
    mail += "--rel-boundary--\r\n"
            "--alt-boundary--\r\n"
            "--outer-boundary\r\n"
            "Content-Type: application/octet-stream; name=\"big.bin\"\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "\r\n";
    mail += base64Lines(rng, total * 3 / 4);
    mail += "--outer-boundary\r\n"
            "Content-Type: message/rfc822\r\n"
            "\r\n"
            "Subject: forwarded\r\n"
            "Content-Type: text/plain\r\n"
            "\r\n"
            "A forwarded message.\r\n"
            "--outer-boundary--\r\n";
    std::ofstream out(argv[1], std::ios::binary);
    out.write(mail.data(), static_cast<std::streamsize>(mail.size()));
    return out.flush() ? 0 : 1;
}
