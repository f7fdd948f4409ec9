#pragma once

// Comparing a header's text with a rule's keys: the match types :is, :contains, :matches and
// :value (RFC 5228, RFC 5231) under the comparators i;ascii-casemap, i;octet and
// i;ascii-numeric (RFC 4790). i;ascii-casemap here folds beyond ASCII as well: each character
// is mapped to its simple lower case (towlower in C.UTF-8), so "ÄRGER" is "ärger".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Ast.h"

std::optional<TRelation> RelationNamed(std::string_view name);
std::optional<TComparator> ComparatorNamed(std::string_view name);

// The text as the comparator sees it: lower case for i;ascii-casemap, unchanged otherwise.
std::string Folded(std::string_view text, TComparator comparator);

// True when the value matches at least one of the keys; the keys are Folded already.
bool MatchesAnyKey(std::string_view value, const std::vector<std::string>& keys,
                   const TMatchSpec& match);
// The same for a value that is Folded already.
bool FoldedMatchesAnyKey(std::string_view folded, const std::vector<std::string>& keys,
                         const TMatchSpec& match);
