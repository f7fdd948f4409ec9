#include "ListColumns.h"

#include "Charset.h"
#include "MbxMIME.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string_view>

namespace {

// Adds one to a string of decimal digits, carrying into the higher digits.
std::string IncrementDigits(std::string digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return digits;
        }
        *it = '0';
    }
    return "1" + digits;
}

// Keeps all but the last `dropped` digits, rounding half up on the first dropped digit.
std::string RoundDropping(const std::string& digits, std::size_t dropped) {
    std::string kept = digits.substr(0, digits.size() - dropped);
    if (digits[digits.size() - dropped] >= '5')
        kept = IncrementDigits(kept);
    return kept;
}

// The index after "Name:" of the header line that starts with it (in any case, as header
// field names are), npos when the header has none. Only line starts count, so that a field
// is never found inside another one ("X-Original-From:", "Resent-Date:").
std::size_t FieldStart(const std::string& header, std::string_view name) {
    for (std::size_t line = 0; line < header.size();) {
        // Compared in place: every row's header is searched for three fields.
        if (AsciiStartsNoCase(std::string_view(header).substr(line), name))
            return line + name.size();
        const std::size_t next = header.find('\n', line);
        if (next == std::string::npos)
            break;
        line = next + 1;
    }
    return std::string::npos;
}

// A field's value from start to its line end. With unfold, folded lines are joined as a header
// field is read: the line break goes, the blank stays. ended: a line end came before the end of
// the header.
std::string FieldValue(const std::string& header, std::size_t start, bool unfold, bool& ended) {
    std::string value;
    ended = false;
    for (std::size_t i = start; i < header.size(); ++i) {
        if (header[i] == '\r' && i + 1 < header.size() && header[i + 1] == '\n') {
            if (unfold && i + 2 < header.size() &&
                (header[i + 2] == ' ' || header[i + 2] == '\t')) {
                ++i;
                continue;
            }
            ended = true;
            break;
        }
        // A CR before a fold and the LF after it read as a line end once joined.
        if (header[i] == '\n' && !value.empty() && value.back() == '\r') {
            value.pop_back();
            ended = true;
            break;
        }
        value += header[i];
    }
    return value;
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The next word of rest as a stream in the C locale reads it; false when none is left.
bool NextWord(std::string_view& rest, std::string_view& word) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const std::size_t begin = rest.find_first_not_of(blanks);
    if (begin == std::string_view::npos)
        return false;
    rest.remove_prefix(begin);
    const std::size_t end = rest.find_first_of(blanks);
    word = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    return true;
}

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "[Mon,] 1 May 2000 ..." (RFC 5322, with its obsolete two- and three-digit years) as
// "01 May 2000"; false for a value that is no such date.
bool ReadDate(std::string value, std::string& shown) {
    const std::size_t comma = value.find(',');
    if (comma != std::string::npos) {
        const std::string weekday = Trim(value.substr(0, comma));
        if (weekday.empty() || !std::all_of(weekday.begin(), weekday.end(), [](char c) {
                return std::isalpha(static_cast<unsigned char>(c));
            }))
            return false;
        value.erase(0, comma + 1);
    }
    std::string_view words(value), day, month, year;
    if (!NextWord(words, day) || !NextWord(words, month) || !NextWord(words, year) ||
        !AllDigits(day) || day.size() > 2 || !AllDigits(year) || year.size() < 2 || year.size() > 4)
        return false;
    const int dayNumber = std::stoi(std::string(day));
    const auto known = std::find_if(std::begin(kMonths), std::end(kMonths), [&](const char* m) {
        return month.size() == 3 && AsciiStartsNoCase(month, m);
    });
    if (dayNumber < 1 || dayNumber > 31 || known == std::end(kMonths))
        return false;
    int yearNumber = std::stoi(std::string(year));
    if (year.size() == 2)
        yearNumber += yearNumber < 50 ? 2000 : 1900;
    else if (year.size() == 3)
        yearNumber += 1900;
    shown = (dayNumber < 10 ? "0" : "") + std::to_string(dayNumber) + " " + *known + " " +
            std::to_string(yearNumber);
    return true;
}

std::string DateColumn(const std::string& header, bool unfold, bool german) {
    const std::size_t start = FieldStart(header, "Date:");
    if (start == std::string::npos)
        return {};
    bool ended = false;
    const std::string value = Trim(FieldValue(header, start, unfold, ended));
    if (value.empty())
        return german ? "Kein Datum" : "No date";
    std::string shown;
    return ReadDate(value, shown) ? shown : value;
}

std::string SenderColumn(const std::string& header, bool unfold, bool german) {
    const std::size_t start = FieldStart(header, "From:");
    if (start == std::string::npos)
        return {};
    // The sender's own line only, and only when it ends: an empty one never shows the next
    // header line.
    bool ended = false;
    std::string s = FieldValue(header, start, unfold, ended);
    s = ended ? Trim(s) : std::string();
    if (s.empty())
        s = german ? "Kein Absender" : "No sender";
    return s;
}

std::string SubjectColumn(const std::string& header, bool unfold, bool german) {
    const std::size_t start = FieldStart(header, "Subject:");
    if (start == std::string::npos)
        return {};
    // The subject's own line only, like the sender's: an empty one never shows the next line.
    bool ended = false;
    std::string u = Trim(FieldValue(header, start, unfold, ended));
    if (u.empty())
        u = german ? "Die Betreff-Zeile ist leer" : "No subject";
    return u;
}

// A header text as one field of a list row: the list draws "&&" as "&", and a "|" would end
// the field early and push the rest into the next column, so it becomes "¦". Line breaks and
// tabs (a decoded word may hold them) become blanks.
std::string ListField(const std::string& text) {
    std::string field;
    field.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            field += "&&";
        else if (c == '|')
            field += "\u00A6";
        else if (c == '\r' || c == '\n' || c == '\t')
            field += ' ';
        else
            field += c;
    }
    return field;
}

} // namespace

std::optional<std::string> HeaderFieldValue(const std::string& header, std::string_view name) {
    const std::size_t start = FieldStart(header, name);
    if (start == std::string::npos)
        return std::nullopt;
    bool ended = false;
    return FieldValue(header, start, true, ended);
}

std::string DisplaySize(const std::string& SizeText) {
    std::size_t end = 0;
    while (end < SizeText.size() && std::isdigit(static_cast<unsigned char>(SizeText[end])))
        ++end;
    std::string digits = SizeText.substr(0, end);
    const std::size_t firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        digits = digits.empty() ? "" : "0";
    else
        digits.erase(0, firstSignificant);

    const std::size_t length = digits.size();
    if (length == 0)
        return {};
    if (length <= 3)
        return digits + " Byte";
    if (length <= 6)
        return RoundDropping(digits, 3) + " KByte";
    // Tenths of a megabyte, then the decimal point before the last digit.
    std::string tenths = RoundDropping(digits, 5);
    tenths.insert(tenths.size() - 1, ".");
    return tenths + " MByte";
}

std::string filter(const std::string& HeaderText, bool GermanUI, bool AsSent) {
    // Decoded texts are read unfolded and whole: a cut would leave half an encoded word.
    const bool unfold = !AsSent;
    const auto shown = [AsSent](const std::string& text) {
        return ListField(AsSent ? UnlabelledToUtf8(text) : DecodeEncodedWords(text));
    };
    return shown(DateColumn(HeaderText, unfold, GermanUI)) + "|" +
           shown(SenderColumn(HeaderText, unfold, GermanUI)) + "|" +
           shown(SubjectColumn(HeaderText, unfold, GermanUI)) + "|";
}
