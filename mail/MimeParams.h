#pragma once

#include <string>
#include <string_view>

// The value of the parameter Name (any case) of a header line such as Content-Type or
// Content-Disposition, as UTF-8: quoted or plain, RFC 2231 values (charset'language'%XX) and
// their continuations (name*0*=, name*1=, ...), and encoded words inside plain values. An
// RFC 2231 form wins over the plain one. False when the line has no such parameter.
bool GetParameter(std::string_view Line, std::string_view Name, std::string& Value);
