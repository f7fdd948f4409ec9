#pragma once

// The keys a sender's mails are grouped by: the address as one person uses it, and the
// registrable domain of the organisation behind it.

#include <string>
#include <string_view>

// The address case-folded, with a "+tag" of the local part taken off: "Anna+News@Example.ORG"
// gives "anna@example.org". An address without "@" is only case-folded; empty stays empty.
std::string FoldedAddress(std::string_view address);

// The domain one registers, by the Public Suffix List: "mail.shop.example.co.uk" gives
// "example.co.uk". Lower case UTF-8 (an IDN in A-labels stays as sent); a name that is itself
// a public suffix, or not a domain at all, gives itself lower-cased. std::runtime_error when
// the list cannot be loaded.
std::string RegistrableDomain(std::string_view domain);

// The registrable domain of an address's domain; empty without "@".
std::string DomainKey(std::string_view address);
