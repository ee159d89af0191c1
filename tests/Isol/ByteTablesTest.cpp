#include "Src/Pellin/Isol/ByteTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Both tables against independent models, every entry. The figures pin the models themselves: the
// divide rounds with b / 2 truncated and saturates at 255 when a >= b.
TEST(ByteTables, MultiplyAndDivideExhaustively) {
    BuildByteTables();
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            // Nearest integer to a*b/255 (never a tie, 255 is odd).
            ASSERT_EQ(gMultiplyTable[a][b], int(std::lround(a * b / 255.0))) << a << " x " << b;
            int quotient = 255;
            if (a == 0)
                quotient = 0;
            else if (a < b)
                quotient = int(std::floor((a * 255.0 + b / 2) / b));
            ASSERT_EQ(gDivideTable[a][b], quotient) << a << " / " << b;
        }
    EXPECT_EQ(gDivideTable[64][127], 129);
    EXPECT_EQ(gDivideTable[1][2], 128);
    EXPECT_EQ(gDivideTable[5][0], 255);
    EXPECT_EQ(gMultiplyTable[128][128], 64);
}

}  // namespace
