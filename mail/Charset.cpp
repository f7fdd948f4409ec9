#include "Charset.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include <iconv.h>

#include "HzFraming.h"

struct CharsetConverter {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    bool utf8 = false;
    // Bytes 1 to 127 stand for themselves, so plain ASCII text needs no conversion.
    bool asciiCompatible = false;
    // HZ: its framing is undone before the GB2312 converter sees the bytes.
    bool hz = false;

    CharsetConverter() = default;
    CharsetConverter(const CharsetConverter&) = delete;
    CharsetConverter& operator=(const CharsetConverter&) = delete;
    ~CharsetConverter() {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
};

namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ULL;
constexpr uint64_t kLowBits = 0x0101010101010101ULL;

uint64_t load8(const unsigned char* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

bool hasZeroByte(uint64_t w) {
    return ((w - kLowBits) & ~w & kHighBits) != 0;
}

size_t sequenceLength(const unsigned char* p, const unsigned char* end) {
    const unsigned c = p[0];
    if (c < 0x80)
        return 1;
    size_t n = 0;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4;
    else
        return 0;
    if (static_cast<size_t>(end - p) < n)
        return 0;
    for (size_t i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F) || (c == 0xF0 && p[1] < 0x90) ||
        (c == 0xF4 && p[1] > 0x8F))
        return 0; // overlong, surrogate or beyond U+10FFFF
    return n;
}

// Valid UTF-8 without a NUL: such text is already what the library hands out.
bool cleanUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8) {
            const uint64_t w = load8(p);
            if ((w & kHighBits) == 0 && !hasZeroByte(w)) {
                p += 8;
                continue;
            }
        }
        if (*p == 0)
            return false;
        const size_t n = sequenceLength(p, end);
        if (n == 0)
            return false;
        p += n;
    }
    return true;
}

bool cleanAscii(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    for (; end - p >= 8; p += 8) {
        const uint64_t w = load8(p);
        if ((w & kHighBits) != 0 || hasZeroByte(w))
            return false;
    }
    for (; p < end; ++p)
        if (*p == 0 || *p >= 0x80)
            return false;
    return true;
}

std::string withBlanksForNul(std::string_view bytes) {
    std::string out(bytes);
    std::replace(out.begin(), out.end(), '\0', ' ');
    return out;
}

// The UTF-8 of the bytes 0x80 to 0xFF in windows-1252, asked of iconv once.
const std::array<std::string, 128>& windows1252High() {
    static const std::array<std::string, 128> table = [] {
        std::array<std::string, 128> t;
        const iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
        for (unsigned b = 0x80; b <= 0xFF; ++b) {
            std::string& entry = t[b - 0x80];
            if (cd != reinterpret_cast<iconv_t>(-1)) {
                char in = static_cast<char>(b);
                char out[8];
                char* inp = &in;
                char* outp = out;
                size_t inLeft = 1, outLeft = sizeof out;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1))
                    entry.assign(out, static_cast<size_t>(outp - out));
            }
            if (entry.empty())
                AppendUtf8(entry, b);
        }
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
        return t;
    }();
    return table;
}

void appendWindows1252(std::string& out, std::string_view bytes) {
    const auto& high = windows1252High();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += b == 0 ? ' ' : ch;
        else
            out += high[b - 0x80];
    }
}

// Valid UTF-8 sequences as they are, any other byte as windows-1252.
void appendUtf8OrWindows1252(std::string& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const size_t n = sequenceLength(p, end);
        if (n == 0 || *p == 0)
            appendWindows1252(out, std::string_view(reinterpret_cast<const char*>(p), 1));
        else
            out.append(reinterpret_cast<const char*>(p), n);
        p += n == 0 ? 1 : n;
    }
}

// The name iconv is asked for: trimmed, unquoted, without an RFC 2231 language ("*de"), upper
// case. Anything that cannot be a character set name gives "" (and so the unlabelled rule);
// this also keeps iconv's "//" suffixes out.
std::string normalName(std::string_view name) {
    while (!name.empty() && static_cast<unsigned char>(name.front()) <= ' ')
        name.remove_prefix(1);
    while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ')
        name.remove_suffix(1);
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
        name.back() == name.front())
        name = name.substr(1, name.size() - 2);
    name = name.substr(0, name.find('*'));
    if (name.empty() || name.size() > 40)
        return {};
    std::string upper;
    std::string key;
    for (const char c : name) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum && !std::strchr("-_.:()+", c))
            return {};
        const char u = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        upper += u;
        if (alnum)
            key += u;
    }
    // Mail labelled Latin-1 (any name registered for it, or the short "8859-1") is written on
    // systems that mean windows-1252 (€, „“ and – among its printable characters); browsers
    // read the label the same way.
    static constexpr std::string_view latin1[] = {"ISO88591", "ISO885911987", "ISOIR100",
                                                  "LATIN1",   "L1",           "CP819",
                                                  "IBM819",   "CSISOLATIN1",  "88591"};
    if (std::find(std::begin(latin1), std::end(latin1), key) != std::end(latin1))
        return "WINDOWS-1252";
    return upper;
}

// ASCII and the switching sequences of the 7-bit stateful sets (ISO-2022-JP and -KR, UTF-7,
// HZ): a set that gives this back unchanged needs no converter for ASCII text.
std::string asciiProbe() {
    std::string probe;
    for (int c = 1; c < 0x80; ++c)
        probe += static_cast<char>(c);
    return probe + "\x1b$B!!\x1b(B\x1b$)C\x0e!!\x0f~{!!~}+AGE-";
}

bool isHzName(const std::string& name) {
    std::string key;
    for (const char c : name)
        if (c != '-' && c != '_')
            key += c;
    return key == "HZ" || key == "HZGB2312" || key == "CSHZGB2312";
}

std::shared_ptr<const CharsetConverter> openConverter(const std::string& name) {
    auto converter = std::make_shared<CharsetConverter>();
    converter->hz = isHzName(name);
    converter->cd = iconv_open("UTF-8", converter->hz ? "GB2312" : name.c_str());
    if (converter->cd == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    converter->utf8 = name == "UTF-8" || name == "UTF8";
    if (converter->hz)
        return converter;
    std::string probe = asciiProbe();
    char out[1024];
    char* inp = probe.data();
    char* outp = out;
    size_t inLeft = probe.size(), outLeft = sizeof out;
    converter->asciiCompatible =
        iconv(converter->cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) &&
        std::string_view(out, static_cast<size_t>(outp - out)) == asciiProbe();
    return converter;
}

// Opening a converter loads modules, so each name is looked up once per thread; the cache
// is bounded because a mail can name any number of character sets.
std::shared_ptr<const CharsetConverter> findConverter(std::string_view charset) {
    thread_local std::unordered_map<std::string, std::shared_ptr<const CharsetConverter>> cache;
    const std::string name = normalName(charset);
    if (name.empty())
        return nullptr;
    const auto found = cache.find(name);
    if (found != cache.end())
        return found->second;
    if (cache.size() >= 64)
        cache.clear();
    auto converter = openConverter(name);
    cache.emplace(name, converter);
    return converter;
}

void convert(const CharsetConverter& converter, std::string_view bytes, std::string& out) {
    out.reserve(out.size() + bytes.size() + bytes.size() / 2);
    const iconv_t cd = converter.cd;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inp = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[16 * 1024];
    for (;;) {
        char* outp = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        const int error = errno;
        out.append(buffer, static_cast<size_t>(outp - buffer));
        if (result != static_cast<size_t>(-1)) {
            if (inLeft == 0)
                break;
            continue;
        }
        if (error == E2BIG)
            continue;
        // An invalid or incomplete sequence: taken as UTF-8 or windows-1252, then on again.
        const auto* p = reinterpret_cast<const unsigned char*>(inp);
        size_t n = sequenceLength(p, p + inLeft);
        if (n == 0 || p[0] < 0x80) {
            n = 1;
            appendWindows1252(out, std::string_view(inp, 1));
        } else {
            out.append(inp, n);
        }
        inp += n;
        inLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Shift states of stateful sets end here.
    char* outp = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outp, &outLeft);
    out.append(buffer, static_cast<size_t>(outp - buffer));
}

} // namespace

TCharset::TCharset(std::string_view name) : converter_(findConverter(name)) {}

bool TCharset::Unchanged(std::string_view bytes) const {
    if (!converter_)
        return cleanUtf8(bytes) && UnlabelledStatefulSet(bytes).empty();
    if (converter_->utf8)
        return cleanUtf8(bytes);
    return converter_->asciiCompatible && cleanAscii(bytes);
}

std::string TCharset::ToUtf8(std::string_view bytes) const {
    if (Unchanged(bytes))
        return std::string(bytes);
    if (!converter_)
        return UnlabelledToUtf8(bytes);
    std::string out;
    if (converter_->utf8) {
        appendUtf8OrWindows1252(out, bytes);
        return out;
    }
    if (converter_->hz)
        convert(*converter_, HzToEucCn(bytes), out);
    else
        convert(*converter_, bytes, out);
    if (cleanUtf8(out))
        return out;
    // iconv passes a few forms that strict UTF-8 refuses (code points past U+10FFFF).
    std::string strict;
    appendUtf8OrWindows1252(strict, out);
    return strict;
}

std::string ToUtf8(std::string_view charset, std::string_view bytes) {
    return TCharset(charset).ToUtf8(bytes);
}

std::string_view UnlabelledStatefulSet(std::string_view bytes) {
    if (bytes.find('\x1b') == std::string_view::npos || !cleanAscii(bytes))
        return {};
    if (bytes.find("\x1b$)C") != std::string_view::npos)
        return "ISO-2022-KR";
    // JIS X 0208 (both editions), JIS X 0212, JIS-Roman: the escapes of Japanese mail.
    for (const std::string_view escape : {"\x1b$B", "\x1b$@", "\x1b$(D", "\x1b(J"})
        if (bytes.find(escape) != std::string_view::npos)
            return "ISO-2022-JP-2";
    return {};
}

std::string UnlabelledToUtf8(std::string_view bytes) {
    const std::string_view stateful = UnlabelledStatefulSet(bytes);
    if (!stateful.empty())
        return TCharset(stateful).ToUtf8(bytes);
    if (IsValidUtf8(bytes))
        return withBlanksForNul(bytes);
    return Windows1252ToUtf8(bytes);
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    appendWindows1252(out, bytes);
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8 && (load8(p) & kHighBits) == 0) {
            p += 8;
            continue;
        }
        const size_t n = sequenceLength(p, end);
        if (n == 0)
            return false;
        p += n;
    }
    return true;
}

size_t Utf8SequenceLength(std::string_view bytes) {
    if (bytes.empty())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    return sequenceLength(p, p + bytes.size());
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
