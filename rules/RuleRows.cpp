#include "RuleRows.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <stdexcept>

#include "Charset.h"
#include "Lexer.h"
#include "MbxMIME.h"
#include "Parser.h"
#include "RelativeAges.h"
#include "RuleError.h"
#include "RuleTexts.h"
#include "SenderLists.h"
#include "SieveText.h"

namespace {

using std::chrono::sys_days;

constexpr std::string_view kBegin = "# begin rules";
constexpr std::string_view kEnd = "# end rules";
constexpr int kMaxScore = 10;
// Of the tests after the first in a rule.
const std::string kIndent(8, ' ');

bool IsAddressField(TRowField f) {
    return f == TRowField::From || f == TRowField::To || f == TRowField::Cc;
}

std::string FieldName(const TRuleRow& row) {
    switch (row.field) {
    case TRowField::From:
        return "from";
    case TRowField::To:
        return "to";
    case TRowField::Cc:
        return "cc";
    case TRowField::Subject:
        return "subject";
    default:
        return std::string(TrimView(row.header));
    }
}

TRowField FieldNamed(const std::string& name) {
    const std::string lower = AsciiLower(name);
    return lower == "from"      ? TRowField::From
           : lower == "to"      ? TRowField::To
           : lower == "cc"      ? TRowField::Cc
           : lower == "subject" ? TRowField::Subject
                                : TRowField::Header;
}

std::optional<uint64_t> Digits(std::string_view text) {
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "5M" as bytes: digits with K, M or G after them.
std::optional<uint64_t> SizeBytes(std::string_view text) {
    text = TrimView(text);
    int shift = 0;
    if (!text.empty()) {
        const char q = static_cast<char>(text.back() & ~0x20);
        shift = q == 'K' ? 10 : q == 'M' ? 20 : q == 'G' ? 30 : 0;
        if (shift != 0)
            text.remove_suffix(1);
    }
    const auto value = Digits(text);
    if (!value || *value > (UINT64_MAX >> shift))
        return std::nullopt;
    return *value << shift;
}

// Bytes with the largest unit that divides them.
std::string SizeText(uint64_t bytes) {
    const char* units = "GMK";
    for (int shift = 30; shift > 0; shift -= 10, ++units)
        if (bytes != 0 && bytes % (uint64_t(1) << shift) == 0)
            return std::to_string(bytes >> shift) + *units;
    return std::to_string(bytes);
}

std::optional<int> Bounded(std::string_view text, int most) {
    const auto value = Digits(TrimView(text));
    if (!value || *value > uint64_t(most))
        return std::nullopt;
    return static_cast<int>(*value);
}

void CheckText(const std::string& text, const TText& what) {
    if (!IsValidUtf8(text))
        throw ERuleValueError({RuleTexts::NotUtf8, {what}});
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            throw ERuleValueError({RuleTexts::HoldsControl, {what}});
}

void CheckRow(const TRuleRow& row) {
    const auto offered = ComparisonsOf(row.field);
    if (std::find(offered.begin(), offered.end(), row.comparison) == offered.end())
        throw ERuleValueError(TRuleText(RuleTexts::ComparisonNotOffered));
    switch (row.field) {
    case TRowField::Size:
        if (!SizeBytes(row.value))
            throw ERuleValueError({RuleTexts::NoSize, {row.value}});
        return;
    case TRowField::Age:
        if (!Bounded(row.value, kMaxAgeDays))
            throw ERuleValueError({RuleTexts::NoDays, {row.value}});
        return;
    case TRowField::SpamScore:
        if (!Bounded(row.value, kMaxScore))
            throw ERuleValueError({RuleTexts::NoScore, {row.value}});
        return;
    default:
        break;
    }
    if (row.field == TRowField::Header) {
        const std::string name = FieldName(row);
        if (name.empty() || !std::all_of(name.begin(), name.end(),
                                         [](char c) { return c > ' ' && c < 0x7f && c != ':'; }))
            throw ERuleValueError({RuleTexts::NoFieldName, {row.header}});
    }
    if (row.value.empty())
        throw ERuleValueError(TRuleText(RuleTexts::NoValue));
    CheckText(row.value, RuleTexts::TheValue);
}

const char* MatchTag(TRowComparison c) {
    return c == TRowComparison::Matches                            ? "matches"
           : c == TRowComparison::Is || c == TRowComparison::IsNot ? "is"
                                                                   : "contains";
}

std::string TestText(const TRuleRow& row, sys_days today) {
    switch (row.field) {
    case TRowField::Size:
        return std::string("size :") + (row.comparison == TRowComparison::Over ? "over" : "under") +
               " " + SizeText(*SizeBytes(row.value));
    case TRowField::Age: {
        // The days go with it, so that the date can be written anew on the day it runs.
        const int days = *Bounded(row.value, kMaxAgeDays);
        return AgeNoteLine(days) + kIndent + "date :value " +
               (row.comparison == TRowComparison::Older ? "\"lt\"" : "\"gt\"") +
               " \"date\" \"date\" " + SieveQuoted(AgeDate(today, days));
    }
    case TRowField::SpamScore:
        return "spamtest :value \"ge\" :comparator \"i;ascii-numeric\" " +
               SieveQuoted(std::to_string(*Bounded(row.value, kMaxScore)));
    default:
        break;
    }
    const bool negated =
        row.comparison == TRowComparison::NotContains || row.comparison == TRowComparison::IsNot;
    // Is on an address field means the address, not the whole field with its display name.
    const bool address = IsAddressField(row.field) && std::string(MatchTag(row.comparison)) == "is";
    return std::string(negated ? "not " : "") +
           (address ? std::string("address :all :is ")
                    : std::string("header :") + MatchTag(row.comparison) + " ") +
           SieveQuoted(FieldName(row)) + " " + SieveQuoted(row.value);
}

std::vector<std::string> NeededExtensions(const TRuleSet& set) {
    std::vector<std::string> needed;
    const auto need = [&](const char* name) {
        if (std::find(needed.begin(), needed.end(), name) == needed.end())
            needed.push_back(name);
    };
    for (const TRuleRow& row : set.rows) {
        if (row.field == TRowField::Age) {
            need("date");
            need("relational");
        } else if (row.field == TRowField::SpamScore) {
            need("spamtest");
            need("relational");
            need("comparator-i;ascii-numeric");
        }
    }
    return needed;
}

// Where the rows' block stops being one they wrote: its line in the script.
struct TNotRows {
    int line;
};

// Reads back the rules RuleRowsText writes; anything else is TNotRows. The text written again
// from what was read is compared too, so the reading itself may be lenient.
class TRowReader {
public:
    TRowReader(std::string_view block, int firstLine)
        : tokens_(Tokenize(block)), ages_(AgeNotes(block)), firstLine_(firstLine) {}

    TRuleSet Run() {
        TRuleSet set;
        for (bool first = true; peek().kind != TToken::Kind::End; first = false) {
            const std::string name = peek().ruleName;
            word("if");
            const bool all = is(TToken::Kind::Identifier, "allof");
            if (!all)
                word("anyof");
            if (first) {
                set.all = all;
                set.name = name;
            } else if (all != set.all || name != set.name) {
                fail();
            }
            punct("(");
            std::vector<TRuleRow> rows;
            for (;;) {
                rows.push_back(test());
                if (is(TToken::Kind::Punct, ")"))
                    break;
                punct(",");
            }
            punct("{");
            const TRowAction action =
                is(TToken::Kind::Identifier, "keep") ? TRowAction::Keep : TRowAction::Mark;
            if (action == TRowAction::Mark)
                word("discard");
            punct(";");
            punct("}");
            for (TRuleRow& row : rows) {
                row.action = action;
                set.rows.push_back(std::move(row));
            }
        }
        return set;
    }

private:
    const TToken& peek() const { return tokens_[pos_]; }
    [[noreturn]] void fail() const { throw TNotRows{firstLine_ + peek().line - 1}; }
    bool is(TToken::Kind kind, std::string_view text) {
        if (peek().kind != kind || peek().text != text)
            return false;
        ++pos_;
        return true;
    }
    void word(std::string_view w) {
        if (!is(TToken::Kind::Identifier, w))
            fail();
    }
    void punct(std::string_view p) {
        if (!is(TToken::Kind::Punct, p))
            fail();
    }
    void tag(std::string_view t) {
        if (!is(TToken::Kind::Tag, t))
            fail();
    }
    const TToken& take(TToken::Kind kind) {
        if (peek().kind != kind)
            fail();
        return tokens_[pos_++];
    }
    std::string string() { return take(TToken::Kind::String).text; }

    TRuleRow test() {
        TRuleRow row;
        const bool negated = is(TToken::Kind::Identifier, "not");
        if (is(TToken::Kind::Identifier, "header")) {
            const std::string type = take(TToken::Kind::Tag).text;
            row.header = string();
            row.field = FieldNamed(row.header);
            if (row.field != TRowField::Header)
                row.header.clear();
            row.value = string();
            if (type == "contains")
                row.comparison = negated ? TRowComparison::NotContains : TRowComparison::Contains;
            else if (type == "is")
                row.comparison = negated ? TRowComparison::IsNot : TRowComparison::Is;
            else if (type == "matches" && !negated)
                row.comparison = TRowComparison::Matches;
            else
                fail();
        } else if (is(TToken::Kind::Identifier, "address")) {
            tag("all");
            tag("is");
            row.field = FieldNamed(string());
            row.value = string();
            row.comparison = negated ? TRowComparison::IsNot : TRowComparison::Is;
        } else if (negated) {
            fail();
        } else if (is(TToken::Kind::Identifier, "size")) {
            row.field = TRowField::Size;
            row.comparison =
                is(TToken::Kind::Tag, "over") ? TRowComparison::Over : TRowComparison::Under;
            if (row.comparison == TRowComparison::Under)
                tag("under");
            row.value = SizeText(take(TToken::Kind::Number).number);
        } else if (is(TToken::Kind::Identifier, "date")) {
            row.field = TRowField::Age;
            tag("value");
            const std::string relation = string();
            row.comparison = relation == "lt" ? TRowComparison::Older : TRowComparison::Younger;
            string();
            string();
            // An age without its days is a date written by hand.
            const size_t at = peek().offset;
            const auto age = std::find_if(ages_.begin(), ages_.end(),
                                          [&](const TAgeNote& a) { return a.offset == at; });
            if (age == ages_.end())
                fail();
            string();
            row.value = std::to_string(age->days);
        } else if (is(TToken::Kind::Identifier, "spamtest")) {
            row.field = TRowField::SpamScore;
            row.comparison = TRowComparison::AtLeast;
            tag("value");
            string();
            tag("comparator");
            string();
            row.value = string();
        } else {
            fail();
        }
        return row;
    }

    std::vector<TToken> tokens_;
    std::vector<TAgeNote> ages_;
    size_t pos_ = 0;
    int firstLine_;
};

bool SameTokens(const TToken& a, const TToken& b) {
    return a.kind == b.kind && a.text == b.text && a.number == b.number && a.ruleName == b.ruleName;
}

} // namespace

std::vector<TRowComparison> ComparisonsOf(TRowField field) {
    using C = TRowComparison;
    switch (field) {
    case TRowField::Size:
        return {C::Over, C::Under};
    case TRowField::Age:
        return {C::Older, C::Younger};
    case TRowField::SpamScore:
        return {C::AtLeast};
    default:
        return {C::Contains, C::Is, C::Matches, C::NotContains, C::IsNot};
    }
}

void CheckRuleRows(const TRuleSet& set) {
    CheckText(set.name, RuleTexts::TheName);
    for (const TRuleRow& row : set.rows)
        CheckRow(row);
}

std::string RuleRowsText(const TRuleSet& set, sys_days today) {
    CheckRuleRows(set);
    if (set.rows.empty())
        return {};
    struct TGroup {
        TRowAction action;
        std::vector<std::string> tests;
    };
    std::vector<TGroup> groups;
    for (const TRuleRow& row : set.rows) {
        auto group =
            set.all ? std::find_if(groups.begin(), groups.end(),
                                   [&](const TGroup& g) { return g.action == row.action; })
                    : (groups.empty() || groups.back().action != row.action ? groups.end()
                                                                            : groups.end() - 1);
        if (group == groups.end()) {
            groups.push_back({row.action, {}});
            group = groups.end() - 1;
        }
        group->tests.push_back(TestText(row, today));
    }
    const std::string name(TrimView(set.name));
    std::string text = std::string(kBegin) + ": written by the rules dialog\n";
    for (const TGroup& g : groups) {
        std::string tests;
        // A test led by its comment line starts on a line of its own.
        for (const std::string& t : g.tests)
            tests += (!tests.empty()     ? ",\n" + kIndent
                      : t.front() == '#' ? "\n" + kIndent
                                         : "") +
                     t;
        text += (name.empty() ? "" : "# rule: " + name + "\n") + "if " +
                (set.all ? "allof" : "anyof") + " (" + tests + ") {\n    " +
                (g.action == TRowAction::Keep ? "keep" : "discard") + ";\n}\n";
    }
    return text + std::string(kEnd) + "\n";
}

TScriptBlock RuleRowsBlock(std::string_view script) {
    return FindScriptBlock(script, kBegin, kEnd);
}

TRuleRowsRead ReadRuleRows(std::string_view original, sys_days today) {
    const std::string script = WithAgesFrom(original, today);
    ParseScript(script);
    TRuleRowsRead read;
    TScriptBlock block;
    try {
        block = RuleRowsBlock(script);
    } catch (const ERuleError& e) {
        read.kind = TRuleRowsRead::Kind::Text;
        read.line = e.Line;
        return read;
    }
    if (!block.Found())
        return read;
    const std::string_view text =
        std::string_view(script).substr(block.begin, block.end - block.begin);
    try {
        read.set = TRowReader(text, block.line).Run();
        const std::vector<TToken> mine = Tokenize(RuleRowsText(read.set, today));
        const std::vector<TToken> theirs = Tokenize(text);
        const auto differ =
            std::mismatch(mine.begin(), mine.end(), theirs.begin(), theirs.end(), SameTokens);
        if (differ.second != theirs.end() || differ.first != mine.end())
            throw TNotRows{block.line +
                           (differ.second != theirs.end() ? differ.second->line - 1 : 0)};
        read.kind = TRuleRowsRead::Kind::Rows;
    } catch (const TNotRows& e) {
        read = {TRuleRowsRead::Kind::Text, {}, e.line};
    } catch (const std::invalid_argument&) {
        read = {TRuleRowsRead::Kind::Text, {}, block.line};
    }
    return read;
}

std::string WithRuleRows(std::string_view script, const TRuleSet& set, sys_days today) {
    const std::string text = RuleRowsText(set, today);
    const TScriptBlock block = RuleRowsBlock(script);
    std::string rest(script);
    size_t at = std::string::npos;
    if (block.Found()) {
        rest.erase(block.begin, block.end - block.begin);
        at = block.begin;
    }
    const TScript parsed = ParseScript(rest);
    std::vector<std::string> missing;
    for (const std::string& name : NeededExtensions(set))
        if (std::find(parsed.required.begin(), parsed.required.end(), name) ==
            parsed.required.end())
            missing.push_back(name);
    if (at == std::string::npos) {
        const TScriptBlock lists = SenderListsBlock(rest);
        at = lists.Found() ? lists.end : parsed.requireEnd;
    }
    InsertLines(rest, at, text);
    if (!missing.empty())
        InsertLines(rest, parsed.requireEnd, "require " + SieveStringList(missing) + ";\n");
    return rest;
}
