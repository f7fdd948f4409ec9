#pragma once

#include <stdexcept>
#include <string>

// A script that cannot be used: where (1-based line and column, counted in bytes) and why.
// No mail is judged by a script that gave one.
class ERuleError : public std::runtime_error {
public:
    ERuleError(int line, int column, const std::string& text)
        : std::runtime_error(text), Line(line), Column(column) {}

    int Line;
    int Column;
};
