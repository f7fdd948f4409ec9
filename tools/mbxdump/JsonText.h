#pragma once

#include <string>
#include <string_view>

// A JSON string literal of UTF-8 text; bytes that are not valid UTF-8 are read as
// windows-1252 first, so the literal is always Unicode text. A NUL becomes a blank; C0 and C1
// controls and DEL are \u escapes, so the printed JSON never drives a terminal.
std::string JsonString(std::string_view text);

// Lower-case hex SHA-256 of the bytes.
std::string Sha256Hex(std::string_view bytes);
