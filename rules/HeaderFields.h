#pragma once

// The fields of a mail header as the server lists it (the lines of TOP n 0): found by name in
// any case, every occurrence in order, unfolded, and decoded to UTF-8 on request.

#include <string>
#include <string_view>
#include <vector>

class THeaderFields {
public:
    // Views into header, which must outlive this. Reading stops at the first empty line or the
    // "." that ends a listing; a line that is neither a field nor a continuation is skipped.
    explicit THeaderFields(std::string_view header);

    // The name is lower case.
    bool Has(std::string_view name) const;
    // Each occurrence unfolded and trimmed, bytes as sent.
    std::vector<std::string> Raw(std::string_view name) const;
    // Each occurrence with its encoded words decoded and its text converted to UTF-8.
    std::vector<std::string> Decoded(std::string_view name) const;

private:
    struct TField {
        std::string_view name;
        std::string_view lines; // from after the colon to the end of its last continuation
    };
    bool named(const TField& field, std::string_view name) const;

    std::vector<TField> fields_;
};
