#pragma once

// The tokens of a rules script (RFC 5228 section 8.1): identifiers, tags, numbers with their
// K/M/G factor, quoted and multi-line strings, and the punctuation. Comments are skipped, but
// a "# rule: NAME" comment names the command that follows it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TToken {
    enum class Kind { Identifier, Tag, Number, String, Punct, End };
    Kind kind = Kind::End;
    std::string text; // identifier or tag (lower case, the tag without ':'), string, punctuation
    uint64_t number = 0;
    int line = 1;
    int column = 1;
    size_t offset = 0;    // of the token's first byte in the script
    std::string ruleName; // from a "# rule: NAME" comment since the previous token
};

// A script larger than this is refused rather than read.
inline constexpr size_t kMaxScriptBytes = 1024 * 1024;

// All tokens, ending with one of kind End; ERuleError at the first thing that is none.
std::vector<TToken> Tokenize(std::string_view script);
