#pragma once

#include <string>
#include <vector>

class QPlainTextEdit;

// A memo's text as lines of UTF-8 mail text, both ways.

// Appends the lines below what the memo holds and shows the memo from its first line.
void AppendLines(QPlainTextEdit& memo, const std::vector<std::string>& lines);
// The memo's lines; an empty memo has none.
std::vector<std::string> MemoLines(const QPlainTextEdit& memo);
