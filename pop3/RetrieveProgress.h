#pragma once

#include <cstdint>

// Percentage of a retrieval: received bytes x 100 / listed size, rounded to the nearest
// integer with halves going to the even neighbour, exact for any size, kept to 16 bits like
// the progress threshold it is compared with. A listed size of 0 (or a nonsensical negative
// one) counts as complete: 100.
uint16_t RetrievePercent(uint64_t receivedBytes, int32_t listedSize);
