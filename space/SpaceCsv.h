#pragma once

#include "SpaceGroups.h"

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

// The listed mails as CSV (RFC 4180: fields with a comma, quote or line break quoted, quotes
// doubled, lines ended by CR LF), one line each after a line of column names: number, size,
// date, sender, domain, list, month, size band, attachments and marked.
void WriteSpaceCsv(const TSpaceIndex& index, const std::function<bool(int number)>& marked,
                   std::ostream& out);
// One CSV field.
std::string CsvField(std::string_view text);
