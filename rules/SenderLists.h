#pragma once

// Friends and blocked senders: two lists of addresses ("anna@example.org") and domains
// ("example.org"), kept in a script as its first rules, in a block of their own that the
// rules dialog writes and reads back. Friends are kept, blocked senders discarded, both by the
// address in From.

#include <string>
#include <string_view>
#include <vector>

#include "SieveText.h"

struct TSenderLists {
    std::vector<std::string> friends;
    std::vector<std::string> blocked;
};

// The lists as Sieve text: the block, with its first and last comment lines; empty when both
// lists are.
std::string SenderListsText(const TSenderLists& lists);

// The lists in the script's block, each with its addresses first, then its domains; both
// empty when it has none. ERuleError (with the line in
// the script) when the block is not one SenderListsText wrote.
TSenderLists ReadSenderLists(std::string_view script);

// Where the block stands in the script. ERuleError when it has no end line.
TScriptBlock SenderListsBlock(std::string_view script);

// The script with its block replaced by one for these lists, or given one after its require
// commands. ERuleError when the rest of the script cannot be read.
std::string WithSenderLists(std::string_view script, const TSenderLists& lists);

// "Always keep mails from ..." and "Always mark mails from ...": the sender (an address or a
// domain) moved onto that list and off the other one.
std::string AlwaysKeepFrom(std::string_view script, std::string_view sender);
std::string AlwaysMarkFrom(std::string_view script, std::string_view sender);

// A rule's name as the list shows it: the sender lists' own names ("friends", "blocked") in
// the language shown, any other as the script has it.
std::string ShownRuleName(std::string_view name, bool german);

// True for the name of the blocked senders' rule, as a decision names it.
bool IsBlockedListRule(std::string_view name);

// The first address in a listed header's From field as the lists hold it ("Anna
// <Anna@Example.org>" gives "anna@example.org"), for "Always keep mails from ..."; empty when
// the header names none.
std::string SenderOf(std::string_view header);

// An entry as the lists hold it: trimmed, without angle brackets, lower case.
// std::invalid_argument when it is empty or holds blanks, quotes, backslashes or controls.
std::string SenderEntry(std::string_view text);
