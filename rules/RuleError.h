#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "TextPair.h"

// A text of the rules in both languages: a pair with %1, %2, ... filled in by its parts, each
// a text of its own (a word of the rules) or one that reads the same in both (a name from the
// script).
class TRuleText {
public:
    struct TPart {
        TPart(std::string text) : German(text), English(std::move(text)) {}
        TPart(const char* text) : TPart(std::string(text)) {}
        TPart(const TText& text) : German(text.German), English(text.English) {}
        std::string German, English;
    };

    TRuleText(const TText& text, std::vector<TPart> parts = {})
        : text_(text), parts_(std::move(parts)) {}

    std::string In(bool german) const;

private:
    TText text_;
    std::vector<TPart> parts_;
};

// A script that cannot be used: where (1-based line and column, counted in bytes) and why.
// No mail is judged by a script that gave one. what() is the English text.
class ERuleError : public std::runtime_error {
public:
    ERuleError(int line, int column, TRuleText text)
        : std::runtime_error(text.In(false)), Line(line), Column(column), Text(std::move(text)) {}

    int Line;
    int Column;
    TRuleText Text;
};

// A value that a rule row or a sender list cannot take; what() is the English text.
class ERuleValueError : public std::invalid_argument {
public:
    explicit ERuleValueError(TRuleText text)
        : std::invalid_argument(text.In(false)), Text(std::move(text)) {}

    TRuleText Text;
};
