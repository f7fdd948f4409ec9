#include "Matching.h"

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <functional>

#include <locale.h>

#include "Charset.h"

namespace {

// A locale of its own, so that the process's locale cannot change how rules compare.
locale_t FoldingLocale() {
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}

// The code point at s[i] and its length; a byte that starts no valid sequence stands alone.
uint32_t NextCodePoint(std::string_view s, size_t i, size_t& length) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = b(0);
    length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (length > 1 && (i + length > s.size() || !IsValidUtf8(s.substr(i, length))))
        length = 1;
    if (length == 1)
        return c;
    uint32_t cp = c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k)
        cp = (cp << 6) | (b(k) & 0x3F);
    return cp;
}

bool IsAscii(std::string_view s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string FoldCase(std::string_view s) {
    std::string out(s);
    if (IsAscii(s)) {
        for (char& c : out)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        return out;
    }
    out.clear();
    const locale_t locale = FoldingLocale();
    for (size_t i = 0, length = 0; i < s.size(); i += length) {
        const uint32_t cp = NextCodePoint(s, i, length);
        if (length == 1 && cp >= 0x80) {
            out += s[i]; // not UTF-8: kept as the byte it is
            continue;
        }
        const uint32_t lower =
            locale ? static_cast<uint32_t>(::towlower_l(static_cast<wint_t>(cp), locale))
                   : (cp >= 'A' && cp <= 'Z' ? cp + 32 : cp);
        AppendUtf8(out, lower);
    }
    return out;
}

// i;ascii-numeric: the leading digits as a number; none at all is positive infinity.
int CompareNumeric(std::string_view a, std::string_view b) {
    const auto digits = [](std::string_view s) {
        size_t n = 0;
        while (n < s.size() && s[n] >= '0' && s[n] <= '9')
            ++n;
        if (n == 0)
            return std::optional<std::string_view>();
        size_t zeros = 0;
        while (zeros + 1 < n && s[zeros] == '0')
            ++zeros;
        return std::optional<std::string_view>(s.substr(zeros, n - zeros));
    };
    const auto x = digits(a), y = digits(b);
    if (!x || !y)
        return x ? -1 : y ? 1 : 0;
    if (x->size() != y->size())
        return x->size() < y->size() ? -1 : 1;
    const int c = x->compare(*y);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool Holds(TRelation r, int c) {
    switch (r) {
    case TRelation::Gt:
        return c > 0;
    case TRelation::Ge:
        return c >= 0;
    case TRelation::Lt:
        return c < 0;
    case TRelation::Le:
        return c <= 0;
    case TRelation::Eq:
        return c == 0;
    case TRelation::Ne:
        return c != 0;
    }
    return false;
}

// A pattern's piece between two stars: its code points, each literal bytes or "?" (empty),
// and the literal bytes before its first "?", which are searched for.
struct TGlobPiece {
    std::vector<std::string_view> points;
    std::string lead;
    bool wild = false; // holds a "?"
};

// Sieve's wildcards: "*" any run, "?" one character, "\" takes the next one as it stands.
std::vector<TGlobPiece> GlobPieces(std::string_view pattern) {
    std::vector<TGlobPiece> pieces(1);
    for (size_t p = 0; p < pattern.size();) {
        if (pattern[p] == '*') {
            pieces.emplace_back();
            ++p;
            continue;
        }
        TGlobPiece& piece = pieces.back();
        if (pattern[p] == '?') {
            piece.points.emplace_back();
            piece.wild = true;
            ++p;
            continue;
        }
        const size_t at = pattern[p] == '\\' && p + 1 < pattern.size() ? p + 1 : p;
        size_t length = 0;
        NextCodePoint(pattern, at, length);
        piece.points.push_back(pattern.substr(at, length));
        if (!piece.wild)
            piece.lead += piece.points.back();
        p = at + length;
    }
    return pieces;
}

// Where the piece ends when it starts at v; npos when it does not match there.
size_t PieceEnd(std::string_view value, const TGlobPiece& piece, size_t v) {
    for (const std::string_view point : piece.points) {
        if (v >= value.size())
            return std::string_view::npos;
        size_t length = 0;
        NextCodePoint(value, v, length);
        if (!point.empty() && point != value.substr(v, length))
            return std::string_view::npos;
        v += length;
    }
    return v;
}

// The end of the piece's first match at or after v; npos when there is none. Its literal
// lead is searched for in linear time; only a piece that starts with "?" is tried at each
// character.
size_t FindPiece(std::string_view value, const TGlobPiece& piece, size_t v) {
    if (piece.lead.empty()) {
        for (size_t length = 0; v <= value.size(); v += length) {
            const size_t end = PieceEnd(value, piece, v);
            if (end != std::string_view::npos || v == value.size())
                return end;
            NextCodePoint(value, v, length);
        }
        return std::string_view::npos;
    }
    const std::boyer_moore_searcher searcher(piece.lead.begin(), piece.lead.end());
    for (auto at = value.begin() + static_cast<std::ptrdiff_t>(v);;) {
        at = std::search(at, value.end(), searcher);
        if (at == value.end())
            return std::string_view::npos;
        const size_t end = PieceEnd(value, piece, static_cast<size_t>(at - value.begin()));
        if (end != std::string_view::npos)
            return end;
        ++at;
    }
}

// The first piece is matched at the value's start, the last one at its end, and each one
// between at its first place after the one before: with fixed-length pieces the leftmost
// match leaves the most room to the rest.
bool Glob(std::string_view value, std::string_view pattern) {
    const std::vector<TGlobPiece> pieces = GlobPieces(pattern);
    size_t v = PieceEnd(value, pieces.front(), 0);
    if (pieces.size() == 1 || v == std::string_view::npos)
        return v == value.size();
    for (size_t i = 1; i + 1 < pieces.size(); ++i) {
        v = FindPiece(value, pieces[i], v);
        if (v == std::string_view::npos)
            return false;
    }
    const TGlobPiece& last = pieces.back();
    if (!last.wild)
        return value.size() - v >= last.lead.size() && value.ends_with(last.lead);
    // The last piece has a fixed number of characters: it starts that many before the end.
    size_t characters = 0;
    for (size_t at = v, length = 0; at < value.size(); at += length, ++characters)
        NextCodePoint(value, at, length);
    if (characters < last.points.size())
        return false;
    for (size_t skip = characters - last.points.size(), length = 0; skip > 0; --skip, v += length)
        NextCodePoint(value, v, length);
    return PieceEnd(value, last, v) == value.size();
}

bool Matches(std::string_view value, std::string_view key, const TMatchSpec& m) {
    const bool numeric = m.comparator == TComparator::AsciiNumeric;
    switch (m.type) {
    case TMatchType::Is:
        return numeric ? CompareNumeric(value, key) == 0 : value == key;
    case TMatchType::Contains:
        return value.find(key) != std::string_view::npos;
    case TMatchType::Matches:
        return Glob(value, key);
    case TMatchType::Value: {
        const int c = numeric ? CompareNumeric(value, key) : value.compare(key);
        return Holds(m.relation, c);
    }
    }
    return false;
}

} // namespace

std::optional<TRelation> RelationNamed(std::string_view name) {
    const std::string n = FoldCase(name);
    const std::pair<const char*, TRelation> known[] = {
        {"gt", TRelation::Gt}, {"ge", TRelation::Ge}, {"lt", TRelation::Lt},
        {"le", TRelation::Le}, {"eq", TRelation::Eq}, {"ne", TRelation::Ne}};
    for (const auto& [word, relation] : known)
        if (n == word)
            return relation;
    return std::nullopt;
}

std::optional<TComparator> ComparatorNamed(std::string_view name) {
    const std::string n = FoldCase(name);
    if (n == "i;ascii-casemap")
        return TComparator::AsciiCasemap;
    if (n == "i;octet")
        return TComparator::Octet;
    if (n == "i;ascii-numeric")
        return TComparator::AsciiNumeric;
    return std::nullopt;
}

std::string Folded(std::string_view text, TComparator comparator) {
    return comparator == TComparator::AsciiCasemap ? FoldCase(text) : std::string(text);
}

bool MatchesAnyKey(std::string_view value, const std::vector<std::string>& keys,
                   const TMatchSpec& match) {
    return FoldedMatchesAnyKey(Folded(value, match.comparator), keys, match);
}

bool FoldedMatchesAnyKey(std::string_view folded, const std::vector<std::string>& keys,
                         const TMatchSpec& match) {
    for (const std::string& key : keys)
        if (Matches(folded, key, match))
            return true;
    return false;
}
