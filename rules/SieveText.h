#pragma once

// Pieces of the Sieve text that the rules dialog writes: quoted strings and string lists, and
// the blocks it keeps between comment lines of their own.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// "text" with '"' and '\' escaped, as a Sieve quoted string reads it back.
std::string SieveQuoted(std::string_view text);
// ["a", "b"], each quoted.
std::string SieveStringList(const std::vector<std::string>& strings);

// Puts lines into the script at a line's start, breaking the line at `at` when it has not ended
// there, so that a comment line stays one.
void InsertLines(std::string& script, size_t at, std::string_view lines);

// A block over whole lines: from a line starting with its begin comment through the line of
// its end comment. begin is npos when the script has none.
struct TScriptBlock {
    size_t begin = std::string_view::npos;
    size_t end = 0;
    int line = 0; // of its first line
    bool Found() const { return begin != std::string_view::npos; }
};

// ERuleError (at the begin line) when the begin comment has no end comment after it.
TScriptBlock FindScriptBlock(std::string_view script, std::string_view beginMark,
                             std::string_view endMark);
