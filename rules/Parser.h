#pragma once

#include <string_view>

#include "Ast.h"

// Nesting of blocks and tests deeper than this is refused (a hostile script must not exhaust
// the stack).
inline constexpr int kMaxRuleDepth = 32;

// The script as a checked tree. ERuleError with the line and column of the first thing that is
// not in the subset: an unknown or unsupported command, test, tag or extension, a missing
// require, a wrong argument, a syntax error.
TScript ParseScript(std::string_view script);
