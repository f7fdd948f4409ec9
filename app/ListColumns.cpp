#include "ListColumns.h"

#include "Charset.h"
#include "MbxMIME.h"

#include <cctype>
#include <cstddef>

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

// 1-based position of `needle` in `text`, 0 when absent.
std::size_t Pos(const std::string& text, const char* needle) {
    const std::size_t at = text.find(needle);
    return at == std::string::npos ? 0 : at + 1;
}

// Up to `count` characters from 1-based position `start`; a start before the first
// character starts at the first.
std::string Copy(const std::string& text, std::size_t start, std::size_t count) {
    if (start < 1)
        start = 1;
    if (start > text.size())
        return {};
    return text.substr(start - 1, count);
}

// The trimmed text before the first CR LF; empty when there is none.
std::string FirstLine(const std::string& text) {
    const std::size_t end = text.find("\r\n");
    return end == std::string::npos ? std::string() : Trim(text.substr(0, end));
}

std::string DateColumn(const std::string& header, bool german) {
    const std::string t = Trim(Copy(header, Pos(header, "Date:"), 30));
    const bool blankAt13 = t.size() >= 13 && t[12] == ' ';
    std::string d = Trim(Copy(t, 12, blankAt13 ? 11 : 12));
    if (d.size() == 10)
        d = "0" + d;
    if (d.empty())
        d = german ? "Kein Datum" : "No date";
    return d;
}

// The first line of the header text from `skip` characters after `field`, which is where
// the field's value begins (sender) or the character after its colon (subject).
std::string FieldLine(const std::string& header, const char* field, std::size_t skip) {
    // Trimming first means an empty field line yields the next header line. The line is taken
    // whole, however long: a cut inside it would leave no line end, and so an empty column.
    return FirstLine(Trim(Copy(header, Pos(header, field) + skip, std::string::npos)));
}

std::string SenderColumn(const std::string& header, bool german) {
    std::string s = FieldLine(header, "From:", 6);
    if (s.empty())
        s = german ? "Kein Absender" : "No sender";
    return s;
}

std::string SubjectColumn(const std::string& header, bool german) {
    std::string u = FieldLine(header, "Subject:", 8);
    if (u.find("Date: ") != std::string::npos)
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

// Folded header lines joined as a header field is read: the line break goes, the blank stays.
std::string Unfolded(const std::string& header) {
    std::string out;
    out.reserve(header.size());
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header.compare(i, 2, "\r\n") == 0 && i + 2 < header.size() &&
            (header[i + 2] == ' ' || header[i + 2] == '\t')) {
            ++i;
            continue;
        }
        out += header[i];
    }
    return out;
}

} // namespace

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
    // Decoded texts are read whole: a cut would leave half an encoded word.
    const std::string header = AsSent ? HeaderText : Unfolded(HeaderText);
    const auto shown = [AsSent](const std::string& text) {
        return ListField(AsSent ? UnlabelledToUtf8(text) : DecodeEncodedWords(text));
    };
    return shown(DateColumn(header, GermanUI)) + "|" +
           shown(SenderColumn(header, GermanUI)) + "|" +
           shown(SubjectColumn(header, GermanUI)) + "|";
}
