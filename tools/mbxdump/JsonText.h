#pragma once

#include <string>
#include <string_view>

// A JSON string literal for 8-bit text taken as Latin-1: every byte becomes the code point of
// the same value, so the bytes can be recovered from the JSON.
std::string JsonLatin1String(std::string_view bytes);

// Lower-case hex SHA-256 of the bytes.
std::string Sha256Hex(std::string_view bytes);
