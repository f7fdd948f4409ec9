#include "RetrieveProgress.h"

uint16_t RetrievePercent(uint64_t receivedBytes, int32_t listedSize) {
    if (listedSize <= 0)
        return 100;
    // 128 bits: bytes x 100 cannot overflow whatever the file size.
    const unsigned __int128 scaled = static_cast<unsigned __int128>(receivedBytes) * 100u;
    const auto divisor = static_cast<unsigned __int128>(listedSize);
    unsigned __int128 quotient = scaled / divisor;
    const unsigned __int128 twiceRest = (scaled % divisor) * 2u;
    if (twiceRest > divisor || (twiceRest == divisor && (quotient & 1u) != 0))
        ++quotient;
    return static_cast<uint16_t>(quotient);
}
