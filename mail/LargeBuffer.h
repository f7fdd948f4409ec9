#pragma once

#include <cstddef>

// Asks that a buffer of megabytes be backed by huge pages and mapped at once, where the system
// offers it: touching a large mail page by page costs more than parsing it. Only a hint.
void AdviseLarge(const void* data, size_t bytes);

// Reserves room for count elements in a string or vector, advised as above.
template <class Container> void ReserveLarge(Container& buffer, size_t count) {
    buffer.reserve(count);
    AdviseLarge(buffer.data(), buffer.capacity() * sizeof(*buffer.data()));
}
