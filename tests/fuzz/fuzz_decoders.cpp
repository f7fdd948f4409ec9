// The base64 stream, quoted-printable, encoded words, parameters and the character set
// conversion on any bytes, with the properties they must keep: a text decodes the same
// however it is cut into writes, quoted-printable never makes a text longer, and every text
// meant for the user comes out as valid UTF-8 without a NUL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Charset.h"
#include "MbxMIME.h"
#include "MimeParams.h"
#include "mbx_util.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkText(const std::string& text) {
    check(IsValidUtf8(text) && text.find('\0') == std::string::npos);
}

// Character sets that mail names, the stateful and the multi-byte ones among them.
constexpr const char* kCharsets[] = {"UTF-8",        "us-ascii",  "ISO-8859-1", "iso-8859-15",
                                     "windows-1252", "KOI8-R",    "Shift_JIS",  "ISO-2022-JP",
                                     "GB18030",      "UTF-16",    "UTF-7",      "big5",
                                     "EUC-KR",       "x-unknown", "",           "utf-8*de"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t cut = data[0] % size;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::string whole;
    const size_t wholeCount = TBase64DecodingStream(whole).Write(text);
    check(wholeCount == whole.size());
    std::string pieces;
    TBase64DecodingStream stream(pieces);
    const size_t pieceCount = stream.Write(text.substr(0, cut)) + stream.Write(text.substr(cut));
    check(pieces == whole && pieceCount == wholeCount);
    std::string bytes;
    TBase64DecodingStream byByte(bytes);
    for (const char c : text)
        byByte.Write(std::string_view(&c, 1));
    check(bytes == whole);

    check(QPDecode(text, false).size() <= text.size());
    check(QPDecode(text, true).size() <= text.size());

    const std::string s(text);
    checkText(DecodeEncodedWords(s));
    checkText(NormalizeAddressList(s));
    GetBoundary(s);
    std::string value;
    if (GetParameter(s, "name", value))
        checkText(value);

    const char* charset = kCharsets[data[0] % std::size(kCharsets)];
    const TCharset converter(charset);
    const std::string converted = converter.ToUtf8(text);
    checkText(converted);
    check(!converter.Unchanged(text) || converted == text);
    checkText(UnlabelledToUtf8(text));
    // A name taken from the bytes themselves, as a hostile mail would give it.
    checkText(ToUtf8(text.substr(0, cut), text.substr(cut)));
    return 0;
}
