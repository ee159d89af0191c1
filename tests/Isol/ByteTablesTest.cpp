#include "Src/Pellin/Isol/ByteTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ByteTables : public ::testing::Test {
protected:
    void SetUp() override { BuildByteTables(); }
};

TEST_F(ByteTables, MultiplyIsTheRoundedProductExhaustively) {
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            // Independent model: nearest integer to a*b/255 (never a tie, 255 is odd).
            const int expected = int(std::lround(a * b / 255.0));
            ASSERT_EQ(gMultiplyTable[a][b], expected) << a << " x " << b;
        }
}

TEST_F(ByteTables, DivideExhaustively) {
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            int expected = 255;
            if (a == 0)
                expected = 0;
            else if (a < b)
                expected = int(std::floor((a * 255.0 + b / 2) / b));  // b / 2 truncated
            ASSERT_EQ(gDivideTable[a][b], expected) << a << " / " << b;
        }
}

TEST_F(ByteTables, DivideExamples) {
    EXPECT_EQ(gDivideTable[7][7], 255);
    EXPECT_EQ(gDivideTable[64][127], 129);
    EXPECT_EQ(gDivideTable[1][2], 128);
    EXPECT_EQ(gDivideTable[0][0], 0);
    EXPECT_EQ(gDivideTable[5][0], 255);
    EXPECT_EQ(gMultiplyTable[255][255], 255);
    EXPECT_EQ(gMultiplyTable[128][128], 64);
}

TEST_F(ByteTables, BuildingAgainChangesNothing) {
    EXPECT_TRUE(ByteTablesBuilt());
    gMultiplyTable[3][4] = 99;  // a later build must not rewrite the tables
    BuildByteTables();
    EXPECT_EQ(gMultiplyTable[3][4], 99);
    gMultiplyTable[3][4] = 0;
}

}  // namespace
