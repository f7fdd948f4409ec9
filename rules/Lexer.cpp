#include "Lexer.h"

#include <limits>

#include "MbxMIME.h"
#include "RuleError.h"
#include "RuleTexts.h"

namespace {

namespace T = RuleTexts;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class TLexer {
public:
    explicit TLexer(std::string_view s) : s_(s) {}

    std::vector<TToken> Run() {
        std::vector<TToken> tokens;
        for (;;) {
            skipSpaceAndComments();
            TToken t;
            t.line = line_;
            t.column = column();
            t.offset = pos_;
            t.ruleName = std::move(ruleName_);
            ruleName_.clear();
            if (pos_ >= s_.size()) {
                tokens.push_back(std::move(t));
                return tokens;
            }
            read(t);
            tokens.push_back(std::move(t));
        }
    }

private:
    int column() const { return static_cast<int>(pos_ - lineStart_) + 1; }
    [[noreturn]] void fail(TRuleText why) const {
        throw ERuleError(line_, column(), std::move(why));
    }

    void advance() {
        if (s_[pos_] == '\n') {
            ++line_;
            lineStart_ = pos_ + 1;
        }
        ++pos_;
    }

    void skipSpaceAndComments() {
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                advance();
            } else if (c == '#') {
                const size_t end = std::min(s_.find('\n', pos_), s_.size());
                noteComment(s_.substr(pos_ + 1, end - pos_ - 1));
                pos_ = end;
            } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '*') {
                const size_t end = s_.find("*/", pos_ + 2);
                if (end == std::string_view::npos)
                    fail({T::CommentNotClosed});
                while (pos_ < end + 2)
                    advance();
            } else {
                return;
            }
        }
    }

    void noteComment(std::string_view text) {
        const std::string_view trimmed = TrimView(text);
        constexpr std::string_view kMark = "rule:";
        if (trimmed.substr(0, kMark.size()) == kMark)
            ruleName_ = std::string(TrimView(trimmed.substr(kMark.size())));
    }

    void read(TToken& t) {
        const char c = s_[pos_];
        if (c == '"') {
            t.kind = TToken::Kind::String;
            t.text = quoted();
        } else if (c == ':') {
            advance();
            if (pos_ >= s_.size() || !IsLetter(s_[pos_]))
                fail({T::ColonNoTag});
            t.kind = TToken::Kind::Tag;
            t.text = word();
        } else if (IsDigit(c)) {
            t.kind = TToken::Kind::Number;
            t.number = number();
        } else if (IsLetter(c)) {
            t.text = word();
            if (t.text == "text" && pos_ < s_.size() && s_[pos_] == ':') {
                advance();
                t.kind = TToken::Kind::String;
                t.text = multiLine();
            } else {
                t.kind = TToken::Kind::Identifier;
            }
        } else if (std::string_view("();,[]{}").find(c) != std::string_view::npos) {
            t.kind = TToken::Kind::Punct;
            t.text = std::string(1, c);
            advance();
        } else {
            fail({T::UnexpectedCharacter,
                  {static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f
                       ? std::string("\\x") + "0123456789abcdef"[(c >> 4) & 15] +
                             "0123456789abcdef"[c & 15]
                       : std::string(1, c)}});
        }
    }

    std::string word() {
        const size_t start = pos_;
        while (pos_ < s_.size() && (IsLetter(s_[pos_]) || IsDigit(s_[pos_])))
            advance();
        return AsciiLower(std::string(s_.substr(start, pos_ - start)));
    }

    uint64_t number() {
        const int line = line_, col = column();
        const auto tooLarge = [&]() { return ERuleError(line, col, {T::NumberTooLarge}); };
        uint64_t value = 0;
        constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
        while (pos_ < s_.size() && IsDigit(s_[pos_])) {
            const uint64_t digit = static_cast<uint64_t>(s_[pos_] - '0');
            if (value > (kMax - digit) / 10)
                throw tooLarge();
            value = value * 10 + digit;
            advance();
        }
        if (pos_ < s_.size()) {
            const char q = static_cast<char>(s_[pos_] & ~0x20);
            const int shift = q == 'K' ? 10 : q == 'M' ? 20 : q == 'G' ? 30 : 0;
            if (shift != 0) {
                if (value > (kMax >> shift))
                    throw tooLarge();
                value <<= shift;
                advance();
            }
        }
        if (pos_ < s_.size() && (IsLetter(s_[pos_]) || IsDigit(s_[pos_])))
            fail({T::NumberWithLetters});
        return value;
    }

    // "..." with \" and \\; a backslash before any other character just goes (RFC 5228 2.4.2).
    std::string quoted() {
        const int line = line_, col = column();
        advance();
        std::string out;
        while (pos_ < s_.size() && s_[pos_] != '"') {
            if (s_[pos_] == '\\' && pos_ + 1 < s_.size())
                advance();
            out += s_[pos_];
            advance();
        }
        if (pos_ >= s_.size())
            throw ERuleError(line, col, {T::StringNotClosed});
        advance();
        return out;
    }

    // text: up to a line holding only "."; a leading ".." stands for ".".
    std::string multiLine() {
        const int line = line_, col = column();
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t'))
            advance();
        if (pos_ < s_.size() && s_[pos_] == '#') {
            while (pos_ < s_.size() && s_[pos_] != '\n')
                advance();
        }
        if (pos_ < s_.size() && s_[pos_] == '\r')
            advance();
        if (pos_ >= s_.size() || s_[pos_] != '\n')
            fail({T::TextLineEnd});
        advance();
        std::string out;
        while (pos_ < s_.size()) {
            const size_t end = std::min(s_.find('\n', pos_), s_.size());
            std::string_view row = s_.substr(pos_, end - pos_);
            while (pos_ < end)
                advance();
            if (pos_ < s_.size())
                advance();
            if (!row.empty() && row.back() == '\r')
                row.remove_suffix(1);
            if (row == ".")
                return out;
            if (row.substr(0, 2) == "..")
                row.remove_prefix(1);
            out.append(row);
            out += "\r\n";
        }
        throw ERuleError(line, col, {T::TextNotEnded});
    }

    std::string_view s_;
    size_t pos_ = 0;
    int line_ = 1;
    size_t lineStart_ = 0;
    std::string ruleName_;
};

} // namespace

std::vector<TToken> Tokenize(std::string_view script) {
    if (script.size() > kMaxScriptBytes)
        throw ERuleError(1, 1, {T::ScriptTooLarge, {std::to_string(kMaxScriptBytes)}});
    return TLexer(script).Run();
}
