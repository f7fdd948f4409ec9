#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Every text the message library hands out is UTF-8; these turn mail bytes into it with the
// system's iconv. The raw mail and the attachments' bytes never pass through here.

struct CharsetConverter;

// One declared character set, looked up once (any name or alias iconv knows, in any case).
// An empty or unknown name reads texts as UnlabelledToUtf8 does.
class TCharset {
public:
    explicit TCharset(std::string_view name);

    // The bytes as UTF-8. A sequence the character set does not allow is taken as UTF-8 when
    // it is a valid UTF-8 sequence, otherwise its first byte as windows-1252, and the
    // conversion goes on: nothing is dropped. A NUL becomes a blank.
    std::string ToUtf8(std::string_view bytes) const;
    // True when ToUtf8 would give the bytes back unchanged (the common case, checked fast).
    bool Unchanged(std::string_view bytes) const;

private:
    std::shared_ptr<const CharsetConverter> converter_;
};

// Bytes in the named character set as UTF-8 (see TCharset).
std::string ToUtf8(std::string_view charset, std::string_view bytes);

// Bytes of no known character set (raw 8-bit header text, unlabelled text): UTF-8 when they
// are valid UTF-8, windows-1252 otherwise; 7-bit text with the escape sequences of Japanese
// or Korean mail is read in that set (UnlabelledStatefulSet). A NUL becomes a blank.
std::string UnlabelledToUtf8(std::string_view bytes);

// "ISO-2022-JP-2" or "ISO-2022-KR" for 7-bit bytes that switch into that set with its escape
// sequences (mailers write such header lines without encoded words); empty otherwise.
std::string_view UnlabelledStatefulSet(std::string_view bytes);

// Each byte as its windows-1252 character; the five bytes that code page leaves undefined
// stand for the control characters of the same number.
std::string Windows1252ToUtf8(std::string_view bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);
// The length of the strict UTF-8 sequence that bytes begin with; 0 when they begin with none.
size_t Utf8SequenceLength(std::string_view bytes);

// Appends the UTF-8 of a code point; NUL, surrogates and values past U+10FFFF give U+FFFD.
void AppendUtf8(std::string& out, uint32_t cp);
