// The base64 stream, quoted-printable and encoded words on any bytes, with the properties
// they must keep: a text decodes the same however it is cut into writes, and decoding never
// makes a text longer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "MbxMIME.h"
#include "mbx_util.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

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
    check(DecodeEncodedWords(s).size() <= s.size());
    NormalizeAddressList(s);
    GetBoundary(s);
    return 0;
}
