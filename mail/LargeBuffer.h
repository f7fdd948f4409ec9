#pragma once

#include <cstddef>
#include <string>

// Reserves room for size bytes in text. A buffer of megabytes is asked to be backed by huge
// pages where the system offers them: first touching a large mail page by page costs more than
// parsing it.
void ReserveLarge(std::string& text, size_t size);
