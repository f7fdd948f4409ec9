#include <gtest/gtest.h>

#include <cstdint>

#include "RetrieveProgress.h"

TEST(RetrievePercent, RoundsHalvesToEvenAndNeverDividesByZero) {
    struct Row {
        uint64_t bytes;
        int32_t listed;
        uint16_t expected;
    } rows[] = {
        {800, 1000, 80},
        {1200, 1000, 120},
        {5, 1000, 0},  // 0.5 -> 0
        {15, 1000, 2}, // 1.5 -> 2
        {25, 1000, 2}, // 2.5 -> 2
        {26, 1000, 3}, // 2.6 -> 3
        {1, 3, 33},    // 33.33
        {2, 3, 67},    // 66.67
        {0, 1000, 0},
        {123, 0, 100},   // a listed size of 0 counts as complete
        {123, -5, 100},  // so does a nonsensical negative one
        {655, 1, 65500}, // still fits 16 bits
        {656, 1, 64},    // 65600 kept to 16 bits, like the threshold it meets
        {UINT64_MAX, 1, static_cast<uint16_t>(0xFF9C)}, // (2^64-1)*100 mod 2^16, no overflow
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.bytes) + "/" + std::to_string(row.listed));
        EXPECT_EQ(RetrievePercent(row.bytes, row.listed), row.expected);
    }
}
