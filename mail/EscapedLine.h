#pragma once

#include <string>
#include <string_view>

// Text from a server or a mail made safe to print on a terminal and kept on one line: CR, LF,
// tab and the backslash as \r, \n, \t and \\; every other C0 control, DEL, each byte of a C1
// control (U+0080 to U+009F in UTF-8) and each byte that is not part of a UTF-8 sequence as
// \xNN. Printable UTF-8 stays as it is. With KeepTabs a tab stays a tab (a folded header line).
std::string EscapedLine(std::string_view bytes, bool KeepTabs = false);
