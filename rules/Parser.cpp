#include "Parser.h"

#include <algorithm>

#include "Lexer.h"
#include "MailDate.h"
#include "Matching.h"
#include "MbxMIME.h"
#include "RuleError.h"
#include "RuleTexts.h"

namespace {

namespace T = RuleTexts;

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
                    fail(first, {T::RequireFirst});
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
    [[noreturn]] static void fail(const TToken& at, TRuleText why) {
        throw ERuleError(at.line, at.column, std::move(why));
    }
    [[noreturn]] static void fail(const TArg& at, TRuleText why) {
        throw ERuleError(at.line, at.column, std::move(why));
    }
    static TRuleText::TPart shown(const TToken& t) {
        switch (t.kind) {
        case TToken::Kind::End:
            return T::EndOfScript;
        case TToken::Kind::Tag:
            return "':" + t.text + "'";
        case TToken::Kind::Number:
            return T::ANumber;
        case TToken::Kind::String:
            return T::AString;
        default:
            return "'" + t.text + "'";
        }
    }
    void expect(const char* p) {
        if (!isPunct(p))
            fail(peek(), {T::Expected, {p, shown(peek())}});
        next();
    }
    size_t lineEndAfter(size_t offset) const {
        const size_t end = text_.find('\n', offset);
        return end == std::string_view::npos ? text_.size() : end + 1;
    }
    void deeper(int depth) const {
        if (depth > kMaxRuleDepth)
            fail(peek(), {T::TooDeep, {std::to_string(kMaxRuleDepth)}});
    }

    void requireList() {
        const TToken& at = peek();
        std::vector<std::string> names = stringList();
        for (const std::string& name : names) {
            if (std::find(std::begin(kCapabilities), std::end(kCapabilities), name) ==
                std::end(kCapabilities))
                fail(at, {T::UnsupportedExtension, {name}});
            if (std::find(required_.begin(), required_.end(), name) == required_.end())
                required_.push_back(name);
        }
        expect(";");
    }

    void needs(const TToken& at, const std::string& capability, const TText& what) {
        if (std::find(required_.begin(), required_.end(), capability) == required_.end())
            fail(at, {T::NeedsRequire, {what, capability}});
    }

    std::vector<std::string> stringList() {
        std::vector<std::string> strings;
        if (peek().kind == TToken::Kind::String) {
            strings.push_back(next().text);
            return strings;
        }
        if (!isPunct("["))
            fail(peek(), {T::StringOrListExpected, {shown(peek())}});
        next();
        for (;;) {
            if (peek().kind != TToken::Kind::String)
                fail(peek(), {T::StringInListExpected, {shown(peek())}});
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
                fail(peek(), {T::Expected, {"}", T::EndOfScript}});
            commands.push_back(command(depth + 1));
        }
        next();
        return commands;
    }

    // The identifier that names a command or a test.
    const TToken& identifier(const TText& what) {
        if (peek().kind != TToken::Kind::Identifier)
            fail(peek(), {what, {shown(peek())}});
        return next();
    }

    TCommand command(int depth) {
        const TToken& name = identifier(T::CommandExpected);
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
                fail(peek(), {T::TakesNoArguments, {name.text}});
            next();
            return c;
        }
        if (name.text == "elsif" || name.text == "else")
            fail(name, {T::WithoutIf, {name.text}});
        if (name.text == "require")
            fail(name, {T::RequireFirst});
        fail(name, {T::UnsupportedCommand, {name.text}});
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
        const TToken& name = identifier(T::TestExpected);
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
            needs(name, "date", T::DateTest);
            const size_t first = tagged(name, args, t, TTest::Kind::Date, 3);
            single(args[first], T::FieldNameWord);
            single(args[first + 1], T::DatePartWord);
            t.names = fieldNames(args[first]);
            t.datePart = AsciiLower(args[first + 1].strings[0]);
            if (!IsDatePart(t.datePart))
                fail(args[first + 1], {T::UnknownDatePart, {args[first + 1].strings[0]}});
            t.keys = keys(args[first + 2].strings, t.match);
        } else if (n == "spamtest") {
            needs(name, "spamtest", T::SpamTest);
            const size_t first = tagged(name, args, t, TTest::Kind::SpamTest, 1);
            single(args[first], T::SpamScoreWord);
            t.keys = keys(args[first].strings, t.match);
        } else {
            fail(name, {T::UnsupportedTest, {n}});
        }
        return t;
    }

    void sizeTest(const TToken& name, const std::vector<TArg>& args, TTest& t) {
        t.kind = TTest::Kind::SizeOver;
        if (args.size() != 2 || args[0].kind != TArg::Kind::Tag ||
            (args[0].tag != "over" && args[0].tag != "under") ||
            args[1].kind != TArg::Kind::Number) {
            if (args.empty())
                fail(name, {T::SizeArguments});
            fail(args[0], {T::SizeArguments});
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
        const auto once = [&](bool& seen, const TArg& a, const TText& what) {
            if (seen)
                fail(a, {T::Twice, {what}});
            seen = true;
        };
        const auto value = [&](const TArg& tag) -> const std::string& {
            if (i + 1 >= args.size() || args[i + 1].kind != TArg::Kind::Strings ||
                args[i + 1].strings.size() != 1)
                fail(tag, {T::NeedsOneString, {tag.tag}});
            return args[++i].strings[0];
        };
        for (; i < args.size() && args[i].kind == TArg::Kind::Tag; ++i) {
            const TArg& a = args[i];
            const std::string& tag = a.tag;
            if (tag == "is" || tag == "contains" || tag == "matches") {
                once(typed, a, T::MatchType);
                t.match.type = tag == "is"         ? TMatchType::Is
                               : tag == "contains" ? TMatchType::Contains
                                                   : TMatchType::Matches;
            } else if (tag == "value") {
                once(typed, a, T::MatchType);
                needs(name, "relational", T::ValueMatch);
                t.match.type = TMatchType::Value;
                const auto relation = RelationNamed(value(a));
                if (!relation)
                    fail(args[i], {T::UnknownRelation});
                t.match.relation = *relation;
            } else if (tag == "comparator") {
                once(compared, a, T::Comparator);
                const std::string& which = value(a);
                const auto comparator = ComparatorNamed(which);
                if (!comparator)
                    fail(args[i], {T::UnsupportedComparator, {which}});
                if (*comparator == TComparator::AsciiNumeric)
                    needs(name, "comparator-i;ascii-numeric", T::NumericComparator);
                t.match.comparator = *comparator;
            } else if (t.kind == TTest::Kind::Address &&
                       (tag == "all" || tag == "localpart" || tag == "domain")) {
                once(parted, a, T::AddressPart);
                t.part = tag == "all"         ? TAddressPart::All
                         : tag == "localpart" ? TAddressPart::LocalPart
                                              : TAddressPart::Domain;
            } else if (t.kind == TTest::Kind::Date && tag == "originalzone") {
                once(zoned, a, T::Zone);
                t.zone = TTest::Zone::Original;
            } else if (t.kind == TTest::Kind::Date && tag == "zone") {
                once(zoned, a, T::Zone);
                const auto minutes = ZoneMinutes(value(a));
                if (!minutes)
                    fail(args[i], {T::ZoneExpected});
                t.zone = TTest::Zone::Fixed;
                t.zoneMinutes = *minutes;
            } else {
                fail(a, {T::UnsupportedTag, {tag, name.text}});
            }
        }
        if (t.match.comparator == TComparator::AsciiNumeric &&
            (t.match.type == TMatchType::Contains || t.match.type == TMatchType::Matches))
            fail(name, {T::NumericIsOrValue});
        return i;
    }

    static void positional(const TToken& name, const std::vector<TArg>& args, size_t first,
                           size_t count) {
        for (size_t i = first; i < args.size() && i < first + count; ++i)
            if (args[i].kind != TArg::Kind::Strings)
                fail(args[i], {T::ListExpectedHere, {name.text}});
        if (args.size() > first + count)
            fail(args[first + count], {count == 1 ? T::OneListTooMany : T::ListsTooMany,
                                       {name.text, std::to_string(count)}});
        if (args.size() < first + count)
            fail(name, {count == 1 ? T::OneListNeeded : T::ListsNeeded,
                        {name.text, std::to_string(count)}});
    }

    static void single(const TArg& a, const TText& what) {
        if (a.strings.size() != 1)
            fail(a, {T::OneString, {what}});
    }

    static std::vector<std::string> fieldNames(const TArg& a) {
        std::vector<std::string> names;
        for (const std::string& s : a.strings) {
            if (!IsFieldName(s))
                fail(a, {T::NoFieldName, {s}});
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
