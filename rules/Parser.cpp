#include "Parser.h"

#include <algorithm>

#include "Lexer.h"
#include "MailDate.h"
#include "Matching.h"
#include "MbxMIME.h"
#include "RuleError.h"

namespace {

// One argument of a test, before the test's own rules give it a meaning.
struct TArg {
    enum class Kind { Tag, Strings, Number } kind = Kind::Tag;
    std::string tag;
    std::vector<std::string> strings;
    uint64_t number = 0;
    int line = 0;
    int column = 0;
};

const char* const kCapabilities[] = {"date",
                                     "relational",
                                     "spamtest",
                                     "comparator-i;ascii-numeric",
                                     "comparator-i;ascii-casemap",
                                     "comparator-i;octet"};

bool IsFieldName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(),
                                        [](char c) { return c > ' ' && c < 0x7f && c != ':'; });
}

class TParser {
public:
    explicit TParser(std::string_view text) : text_(text), tokens_(Tokenize(text)) {}

    TScript Run() {
        TScript script;
        bool othersBegun = false;
        while (peek().kind != TToken::Kind::End) {
            const TToken& first = peek();
            if (first.kind == TToken::Kind::Identifier && first.text == "require") {
                if (othersBegun)
                    fail(first, "require must come before every other command");
                next();
                requireList();
                script.requireEnd = lineEndAfter(tokens_[pos_ - 1].offset);
                continue;
            }
            othersBegun = true;
            TRule rule;
            rule.name = first.ruleName;
            rule.begin = first.offset;
            rule.command = command(1);
            rule.end = lineEndAfter(tokens_[pos_ - 1].offset);
            script.rules.push_back(std::move(rule));
        }
        script.required = required_;
        return script;
    }

private:
    const TToken& peek() const { return tokens_[pos_]; }
    const TToken& next() {
        const TToken& t = tokens_[pos_];
        if (t.kind != TToken::Kind::End)
            ++pos_;
        return t;
    }
    bool isPunct(const char* p) const {
        return peek().kind == TToken::Kind::Punct && peek().text == p;
    }
    [[noreturn]] static void fail(const TToken& at, const std::string& why) {
        throw ERuleError(at.line, at.column, why);
    }
    [[noreturn]] static void fail(const TArg& at, const std::string& why) {
        throw ERuleError(at.line, at.column, why);
    }
    static std::string shown(const TToken& t) {
        switch (t.kind) {
        case TToken::Kind::End:
            return "the end of the script";
        case TToken::Kind::Tag:
            return "':" + t.text + "'";
        case TToken::Kind::Number:
            return "a number";
        case TToken::Kind::String:
            return "a string";
        default:
            return "'" + t.text + "'";
        }
    }
    void expect(const char* p) {
        if (!isPunct(p))
            fail(peek(), std::string("'") + p + "' expected, not " + shown(peek()));
        next();
    }
    size_t lineEndAfter(size_t offset) const {
        const size_t end = text_.find('\n', offset);
        return end == std::string_view::npos ? text_.size() : end + 1;
    }
    void deeper(int depth) const {
        if (depth > kMaxRuleDepth)
            fail(peek(), "nested deeper than " + std::to_string(kMaxRuleDepth) + " levels");
    }

    void requireList() {
        const TToken& at = peek();
        std::vector<std::string> names = stringList();
        for (const std::string& name : names) {
            if (std::find(std::begin(kCapabilities), std::end(kCapabilities), name) ==
                std::end(kCapabilities))
                fail(at, "unsupported extension \"" + name + "\"");
            if (std::find(required_.begin(), required_.end(), name) == required_.end())
                required_.push_back(name);
        }
        expect(";");
    }

    void needs(const TToken& at, const std::string& capability, const std::string& what) {
        if (std::find(required_.begin(), required_.end(), capability) == required_.end())
            fail(at, what + " needs require \"" + capability + "\"");
    }

    std::vector<std::string> stringList() {
        std::vector<std::string> strings;
        if (peek().kind == TToken::Kind::String) {
            strings.push_back(next().text);
            return strings;
        }
        if (!isPunct("["))
            fail(peek(), "a string or a list of strings expected, not " + shown(peek()));
        next();
        for (;;) {
            if (peek().kind != TToken::Kind::String)
                fail(peek(), "a string expected in the list, not " + shown(peek()));
            strings.push_back(next().text);
            if (isPunct("]"))
                break;
            expect(",");
        }
        next();
        return strings;
    }

    std::vector<TCommand> block(int depth) {
        deeper(depth);
        expect("{");
        std::vector<TCommand> commands;
        while (!isPunct("}")) {
            if (peek().kind == TToken::Kind::End)
                fail(peek(), "'}' expected, not the end of the script");
            commands.push_back(command(depth + 1));
        }
        next();
        return commands;
    }

    // The identifier that names a command or a test.
    const TToken& identifier(const char* what) {
        if (peek().kind != TToken::Kind::Identifier)
            fail(peek(), std::string("a ") + what + " expected, not " + shown(peek()));
        return next();
    }

    TCommand command(int depth) {
        const TToken& name = identifier("command");
        TCommand c;
        c.line = name.line;
        c.column = name.column;
        if (name.text == "if") {
            c.kind = TCommand::Kind::If;
            for (bool more = true; more;) {
                TBranch branch;
                branch.test = std::make_unique<TTest>(test(depth + 1));
                branch.block = block(depth + 1);
                c.branches.push_back(std::move(branch));
                more = peek().kind == TToken::Kind::Identifier && peek().text == "elsif";
                if (more)
                    next();
            }
            if (peek().kind == TToken::Kind::Identifier && peek().text == "else") {
                next();
                TBranch otherwise;
                otherwise.block = block(depth + 1);
                c.branches.push_back(std::move(otherwise));
            }
            return c;
        }
        if (name.text == "keep" || name.text == "discard" || name.text == "stop") {
            c.kind = name.text == "keep"      ? TCommand::Kind::Keep
                     : name.text == "discard" ? TCommand::Kind::Discard
                                              : TCommand::Kind::Stop;
            if (!isPunct(";"))
                fail(peek(), name.text + " takes no arguments: ';' expected");
            next();
            return c;
        }
        if (name.text == "elsif" || name.text == "else")
            fail(name, name.text + " without an if before it");
        if (name.text == "require")
            fail(name, "require must come before every other command");
        fail(name, "unsupported command '" + name.text +
                       "': only require, if, elsif, else, keep, discard and stop are known");
    }

    std::vector<TArg> arguments() {
        std::vector<TArg> args;
        for (;;) {
            const TToken& t = peek();
            TArg a;
            a.line = t.line;
            a.column = t.column;
            if (t.kind == TToken::Kind::Tag) {
                a.kind = TArg::Kind::Tag;
                a.tag = next().text;
            } else if (t.kind == TToken::Kind::Number) {
                a.kind = TArg::Kind::Number;
                a.number = next().number;
            } else if (t.kind == TToken::Kind::String || isPunct("[")) {
                a.kind = TArg::Kind::Strings;
                a.strings = stringList();
            } else {
                return args;
            }
            args.push_back(std::move(a));
        }
    }

    TTest test(int depth) {
        deeper(depth);
        const TToken& name = identifier("test");
        TTest t;
        t.line = name.line;
        t.column = name.column;
        const std::string& n = name.text;
        if (n == "not") {
            t.kind = TTest::Kind::Not;
            t.children.push_back(test(depth + 1));
            return t;
        }
        if (n == "allof" || n == "anyof") {
            t.kind = n == "allof" ? TTest::Kind::AllOf : TTest::Kind::AnyOf;
            expect("(");
            for (;;) {
                t.children.push_back(test(depth + 1));
                if (isPunct(")"))
                    break;
                expect(",");
            }
            next();
            return t;
        }
        const std::vector<TArg> args = arguments();
        if (n == "true" || n == "false") {
            t.kind = n == "true" ? TTest::Kind::True : TTest::Kind::False;
            positional(name, args, 0, 0);
        } else if (n == "header" || n == "address") {
            const size_t first = tagged(
                name, args, t, n == "header" ? TTest::Kind::Header : TTest::Kind::Address, 2);
            t.names = fieldNames(args[first]);
            t.keys = keys(args[first + 1].strings, t.match);
        } else if (n == "exists") {
            t.kind = TTest::Kind::Exists;
            positional(name, args, 0, 1);
            t.names = fieldNames(args[0]);
        } else if (n == "size") {
            sizeTest(name, args, t);
        } else if (n == "date") {
            needs(name, "date", "the date test");
            const size_t first = tagged(name, args, t, TTest::Kind::Date, 3);
            single(args[first], "the header field name");
            single(args[first + 1], "the date part");
            t.names = fieldNames(args[first]);
            t.datePart = AsciiLower(args[first + 1].strings[0]);
            if (!IsDatePart(t.datePart))
                fail(args[first + 1], "unknown date part \"" + args[first + 1].strings[0] + "\"");
            t.keys = keys(args[first + 2].strings, t.match);
        } else if (n == "spamtest") {
            needs(name, "spamtest", "the spamtest test");
            const size_t first = tagged(name, args, t, TTest::Kind::SpamTest, 1);
            single(args[first], "the spam score");
            t.keys = keys(args[first].strings, t.match);
        } else {
            fail(name, "unsupported test '" + n +
                           "': only address, allof, anyof, date, exists, false, header, not, "
                           "size, spamtest and true are known");
        }
        return t;
    }

    void sizeTest(const TToken& name, const std::vector<TArg>& args, TTest& t) {
        t.kind = TTest::Kind::SizeOver;
        if (args.size() != 2 || args[0].kind != TArg::Kind::Tag ||
            (args[0].tag != "over" && args[0].tag != "under") ||
            args[1].kind != TArg::Kind::Number) {
            if (args.empty())
                fail(name, "size takes :over or :under and a number");
            fail(args[0], "size takes :over or :under and a number");
        }
        t.kind = args[0].tag == "over" ? TTest::Kind::SizeOver : TTest::Kind::SizeUnder;
        t.size = args[1].number;
    }

    // A test of this kind with its tags and then count string lists; the index of the first.
    size_t tagged(const TToken& name, const std::vector<TArg>& args, TTest& t, TTest::Kind kind,
                  size_t count) {
        t.kind = kind;
        const size_t first = options(name, args, t);
        positional(name, args, first, count);
        return first;
    }

    // The tags of header, address, date and spamtest; the index of the first other argument.
    size_t options(const TToken& name, const std::vector<TArg>& args, TTest& t) {
        bool typed = false, compared = false, parted = false, zoned = false;
        size_t i = 0;
        const auto once = [&](bool& seen, const TArg& a, const char* what) {
            if (seen)
                fail(a, std::string("a second ") + what);
            seen = true;
        };
        const auto value = [&](const TArg& tag) -> const std::string& {
            if (i + 1 >= args.size() || args[i + 1].kind != TArg::Kind::Strings ||
                args[i + 1].strings.size() != 1)
                fail(tag, ":" + tag.tag + " needs one string after it");
            return args[++i].strings[0];
        };
        for (; i < args.size() && args[i].kind == TArg::Kind::Tag; ++i) {
            const TArg& a = args[i];
            const std::string& tag = a.tag;
            if (tag == "is" || tag == "contains" || tag == "matches") {
                once(typed, a, "match type");
                t.match.type = tag == "is"         ? TMatchType::Is
                               : tag == "contains" ? TMatchType::Contains
                                                   : TMatchType::Matches;
            } else if (tag == "value") {
                once(typed, a, "match type");
                needs(name, "relational", "the :value match type");
                t.match.type = TMatchType::Value;
                const auto relation = RelationNamed(value(a));
                if (!relation)
                    fail(args[i], "unknown relation: gt, ge, lt, le, eq or ne expected");
                t.match.relation = *relation;
            } else if (tag == "comparator") {
                once(compared, a, "comparator");
                const std::string& which = value(a);
                const auto comparator = ComparatorNamed(which);
                if (!comparator)
                    fail(args[i], "unsupported comparator \"" + which + "\"");
                if (*comparator == TComparator::AsciiNumeric)
                    needs(name, "comparator-i;ascii-numeric", "the comparator i;ascii-numeric");
                t.match.comparator = *comparator;
            } else if (t.kind == TTest::Kind::Address &&
                       (tag == "all" || tag == "localpart" || tag == "domain")) {
                once(parted, a, "address part");
                t.part = tag == "all"         ? TAddressPart::All
                         : tag == "localpart" ? TAddressPart::LocalPart
                                              : TAddressPart::Domain;
            } else if (t.kind == TTest::Kind::Date && tag == "originalzone") {
                once(zoned, a, "zone");
                t.zone = TTest::Zone::Original;
            } else if (t.kind == TTest::Kind::Date && tag == "zone") {
                once(zoned, a, "zone");
                const auto minutes = ZoneMinutes(value(a));
                if (!minutes)
                    fail(args[i], "a zone such as \"+0100\" or \"-0500\" expected");
                t.zone = TTest::Zone::Fixed;
                t.zoneMinutes = *minutes;
            } else {
                fail(a, "unsupported tag :" + tag + " for " + name.text);
            }
        }
        if (t.match.comparator == TComparator::AsciiNumeric &&
            (t.match.type == TMatchType::Contains || t.match.type == TMatchType::Matches))
            fail(name, "i;ascii-numeric compares with :is or :value only");
        return i;
    }

    static void positional(const TToken& name, const std::vector<TArg>& args, size_t first,
                           size_t count) {
        for (size_t i = first; i < args.size() && i < first + count; ++i)
            if (args[i].kind != TArg::Kind::Strings)
                fail(args[i], name.text + ": a string or a list of strings expected here");
        if (args.size() > first + count)
            fail(args[first + count], name.text + " takes " + std::to_string(count) +
                                          (count == 1 ? " string list" : " string lists") +
                                          " after its tags, this one is too many");
        if (args.size() < first + count)
            fail(name, name.text + " takes " + std::to_string(count) +
                           (count == 1 ? " string list" : " string lists") + " after its tags");
    }

    static void single(const TArg& a, const char* what) {
        if (a.strings.size() != 1)
            fail(a, std::string(what) + " is one string, not a list");
    }

    static std::vector<std::string> fieldNames(const TArg& a) {
        std::vector<std::string> names;
        for (const std::string& s : a.strings) {
            if (!IsFieldName(s))
                fail(a, "\"" + s + "\" is no header field name");
            names.push_back(AsciiLower(s));
        }
        return names;
    }

    static std::vector<std::string> keys(const std::vector<std::string>& strings,
                                         const TMatchSpec& match) {
        std::vector<std::string> folded;
        folded.reserve(strings.size());
        for (const std::string& s : strings)
            folded.push_back(Folded(s, match.comparator));
        return folded;
    }

    std::string_view text_;
    std::vector<TToken> tokens_;
    size_t pos_ = 0;
    std::vector<std::string> required_;
};

} // namespace

TScript ParseScript(std::string_view script) {
    return TParser(script).Run();
}
