#pragma once

#include <ostream>
#include <string_view>

#include "MbxPOP3.h"

// Writes every event of the session and every command sent to out, one line each; received
// bytes are escaped so that each receive stays on one line, and the password of PASS is masked.
void AttachTrace(TMbxPOP& pop, std::ostream& out);

// C-style escaping of CR, LF, tab, backslash and non-printable bytes.
std::string EscapedLine(std::string_view bytes);
