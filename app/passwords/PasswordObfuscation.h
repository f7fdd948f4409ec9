#pragma once

#include <cstdint>
#include <string>

// Start value of the obfuscation chain used for every stored password.
inline constexpr uint8_t PasswordStartValue = 59;

// Stored form of a password: each byte plus the plain byte before it (Start for the first),
// modulo 256. Keeps the password from being readable at a glance; it is no protection.
std::string VerschleierPW(const std::string& Plain, uint8_t Start);

// Inverse of VerschleierPW with the same start value.
std::string KlartextPW(const std::string& Stored, uint8_t Start);
