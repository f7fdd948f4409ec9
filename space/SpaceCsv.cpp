#include "SpaceCsv.h"

namespace {

constexpr const char* Columns =
    "number,size,date,sender,domain,list,month,size band,attachments,marked";

} // namespace

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"')
            field += '"';
        field += c;
    }
    return field + '"';
}

void WriteSpaceCsv(const TSpaceIndex& index, const std::function<bool(int number)>& marked,
                   std::ostream& out) {
    out << Columns << "\r\n";
    for (const TSpaceMail& mail : index.Mails()) {
        out << mail.Number << ',' << mail.Octets << ','
            << (mail.Month ? DayText(mail.Date) : std::string()) << ','
            << CsvField(index.Text(mail.Sender)) << ',' << CsvField(index.Text(mail.Domain)) << ','
            << CsvField(index.Text(mail.List)) << ',' << index.KeyText(TGrouping::Month, mail.Month)
            << ',' << CsvField(SizeBandName(mail.Band)) << ',' << (mail.Attachments ? "yes" : "no")
            << ',' << (marked(mail.Number) ? "yes" : "no") << "\r\n";
    }
}
