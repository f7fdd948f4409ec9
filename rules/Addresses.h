#pragma once

// The addresses in an address field (From, To, Cc, ...) as the address test compares them.

#include <string>
#include <string_view>
#include <vector>

#include "Ast.h"

// Each mailbox of an unfolded field value as "local@domain" (UTF-8): display names, comments,
// angle brackets and group names dropped, empty items skipped.
std::vector<std::string> AddressesOf(const std::string& value);

// The part of an address the test asks for; false for :localpart and :domain of an address
// without "@", which they never match.
bool AddressPartOf(std::string_view address, TAddressPart part, std::string_view& out);
