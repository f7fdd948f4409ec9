#include "SenderLists.h"

#include <algorithm>
#include <stdexcept>

#include "Addresses.h"
#include "HeaderFields.h"
#include "MbxMIME.h"
#include "Parser.h"
#include "RuleError.h"
#include "RuleTexts.h"
#include "SieveText.h"

namespace {

constexpr std::string_view kBegin = "# begin sender lists";
constexpr std::string_view kEnd = "# end sender lists";
constexpr std::string_view kFriends = "friends";
constexpr std::string_view kBlocked = "blocked";

bool IsAddress(const std::string& entry) {
    return entry.find('@') != std::string::npos;
}

std::string ListRule(std::string_view name, const std::vector<std::string>& entries,
                     const char* action) {
    std::vector<std::string> addresses, domains;
    for (const std::string& e : entries)
        (IsAddress(e) ? addresses : domains).push_back(e);
    std::string tests;
    if (!addresses.empty())
        tests += "address :all :is \"from\" " + SieveStringList(addresses);
    if (!domains.empty())
        tests += (tests.empty() ? "" : ",\n        ") +
                 ("address :domain :is \"from\" " + SieveStringList(domains));
    return "# rule: " + std::string(name) + "\nif anyof (" + tests + ") {\n    " + action +
           ";\n}\n";
}

// The entries of one list rule: an anyof of address tests on From, then keep or discard.
std::vector<std::string> ListEntries(const TRule& rule, TCommand::Kind action, int firstLine) {
    const TCommand& c = rule.command;
    const auto damaged = [&]() {
        return ERuleError(firstLine + c.line - 1, c.column, {RuleTexts::ListChanged, {rule.name}});
    };
    if (c.kind != TCommand::Kind::If || c.branches.size() != 1 || !c.branches[0].test ||
        c.branches[0].block.size() != 1 || c.branches[0].block[0].kind != action ||
        c.branches[0].test->kind != TTest::Kind::AnyOf)
        throw damaged();
    std::vector<std::string> entries;
    for (const TTest& t : c.branches[0].test->children) {
        if (t.kind != TTest::Kind::Address || t.names != std::vector<std::string>{"from"} ||
            t.match.type != TMatchType::Is || t.match.comparator != TComparator::AsciiCasemap ||
            t.part == TAddressPart::LocalPart)
            throw damaged();
        entries.insert(entries.end(), t.keys.begin(), t.keys.end());
    }
    return entries;
}

void AddOnce(std::vector<std::string>& list, const std::string& entry) {
    if (std::find(list.begin(), list.end(), entry) == list.end())
        list.push_back(entry);
}

void Remove(std::vector<std::string>& list, const std::string& entry) {
    list.erase(std::remove(list.begin(), list.end(), entry), list.end());
}

// The sender onto the friends or the blocked list and off the other one.
std::string MovedSender(std::string_view script, std::string_view sender, bool friends) {
    const std::string entry = SenderEntry(sender);
    TSenderLists lists = ReadSenderLists(script);
    AddOnce(friends ? lists.friends : lists.blocked, entry);
    Remove(friends ? lists.blocked : lists.friends, entry);
    return WithSenderLists(script, lists);
}

} // namespace

TScriptBlock SenderListsBlock(std::string_view script) {
    return FindScriptBlock(script, kBegin, kEnd);
}

std::string SenderOf(std::string_view header) {
    for (const std::string& value : THeaderFields(header).Raw("from")) {
        const std::vector<std::string> addresses = AddressesOf(value);
        if (!addresses.empty())
            return AsciiLower(addresses.front());
    }
    return {};
}

bool IsBlockedListRule(std::string_view name) {
    return name == kBlocked;
}

std::string ShownRuleName(std::string_view name, bool german) {
    if (name == kFriends)
        return Pick(RuleTexts::FriendsName, german);
    if (name == kBlocked)
        return Pick(RuleTexts::BlockedName, german);
    return std::string(name);
}

std::string SenderEntry(std::string_view text) {
    std::string entry = AsciiLower(std::string(TrimView(text)));
    if (entry.size() >= 2 && entry.front() == '<' && entry.back() == '>')
        entry = entry.substr(1, entry.size() - 2);
    if (entry.empty())
        throw ERuleValueError(TRuleText(RuleTexts::EmptySender));
    for (const char c : entry)
        if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == '\\' || c == 0x7f)
            throw ERuleValueError({RuleTexts::NoSender, {std::string(text)}});
    return entry;
}

std::string SenderListsText(const TSenderLists& lists) {
    if (lists.friends.empty() && lists.blocked.empty())
        return {};
    std::string text = std::string(kBegin) + ": written by the rules dialog\n";
    if (!lists.friends.empty())
        text += ListRule(kFriends, lists.friends, "keep");
    if (!lists.blocked.empty())
        text += ListRule(kBlocked, lists.blocked, "discard");
    return text + std::string(kEnd) + "\n";
}

TSenderLists ReadSenderLists(std::string_view script) {
    const TScriptBlock block = SenderListsBlock(script);
    TSenderLists lists;
    if (!block.Found())
        return lists;
    TScript parsed;
    try {
        parsed = ParseScript(script.substr(block.begin, block.end - block.begin));
    } catch (const ERuleError& e) {
        throw ERuleError(block.line + e.Line - 1, e.Column, e.Text);
    }
    for (const TRule& rule : parsed.rules) {
        const bool friends = rule.name == kFriends;
        if (!friends && rule.name != kBlocked)
            throw ERuleError(block.line + rule.command.line - 1, rule.command.column,
                             {RuleTexts::NoSenderList});
        (friends ? lists.friends : lists.blocked) =
            ListEntries(rule, friends ? TCommand::Kind::Keep : TCommand::Kind::Discard, block.line);
    }
    return lists;
}

std::string WithSenderLists(std::string_view script, const TSenderLists& lists) {
    const TScriptBlock block = SenderListsBlock(script);
    std::string rest(script);
    if (block.Found())
        rest.erase(block.begin, block.end - block.begin);
    InsertLines(rest, ParseScript(rest).requireEnd, SenderListsText(lists));
    return rest;
}

std::string AlwaysKeepFrom(std::string_view script, std::string_view sender) {
    return MovedSender(script, sender, true);
}

std::string AlwaysMarkFrom(std::string_view script, std::string_view sender) {
    return MovedSender(script, sender, false);
}
