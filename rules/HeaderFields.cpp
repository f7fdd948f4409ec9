#include "HeaderFields.h"

#include "MbxMIME.h"

THeaderFields::THeaderFields(std::string_view header) {
    for (size_t pos = 0; pos < header.size();) {
        size_t end = header.find('\n', pos);
        if (end == std::string_view::npos)
            end = header.size();
        std::string_view line = header.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line == ".")
            break;
        if (line[0] == ' ' || line[0] == '\t') {
            if (!fields_.empty()) {
                const char* start = fields_.back().lines.data();
                fields_.back().lines = std::string_view(start, header.data() + end - start);
            }
        } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
            std::string_view name = TrimView(line.substr(0, colon));
            fields_.push_back({name, header.substr(pos + colon + 1, end - pos - colon - 1)});
        }
        pos = end + 1;
    }
}

bool THeaderFields::named(const TField& field, std::string_view name) const {
    if (field.name.size() != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = field.name[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != name[i])
            return false;
    }
    return true;
}

bool THeaderFields::Has(std::string_view name) const {
    for (const TField& f : fields_)
        if (named(f, name))
            return true;
    return false;
}

std::vector<std::string> THeaderFields::Raw(std::string_view name) const {
    std::vector<std::string> values;
    for (const TField& f : fields_) {
        if (!named(f, name))
            continue;
        // Unfolding takes out the line breaks only (RFC 5322 2.2.3).
        if (f.lines.find('\n') == std::string_view::npos) {
            values.emplace_back(TrimView(f.lines));
            continue;
        }
        std::string value;
        value.reserve(f.lines.size());
        for (const char c : f.lines)
            if (c != '\r' && c != '\n')
                value += c;
        values.push_back(Trim(value));
    }
    return values;
}

std::vector<std::string> THeaderFields::Decoded(std::string_view name) const {
    std::vector<std::string> values = Raw(name);
    for (std::string& v : values)
        v = DecodeEncodedWords(v);
    return values;
}
