// The shared 8-bit arithmetic (with both byte tables) checked exhaustively against direct integer
// formulas, and the word a quad is made from. The quad's memory order and its word form are pinned by the
// tests that compare delivered, written or read pixels.
#include <gtest/gtest.h>

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Orvane/Src/Image/PixelMath.h"

namespace {

// round(x / 255) for x >= 0; 255 is odd, so there are no ties.
int32 RoundedBy255(int32 x) {
    return (2 * x + 255) / 510;
}

// Every pair of bytes; the signed product takes b and -b, so every difference from -255 to 255 occurs.
TEST(PixelMathTest, EveryPairIsRoundedExactly) {
    BuildByteTables();
    for (int32 a = 0; a < 256; ++a) {
        for (int32 b = 0; b < 256; ++b) {
            const int32 product = RoundedBy255(a * b);
            ASSERT_EQ(Mul8(a, b), product) << a << "*" << b;
            ASSERT_EQ(gMultiplyTable[a][b], product) << a << "*" << b;
            ASSERT_EQ(Mul8Signed(a, b), product) << a << "*" << b;
            ASSERT_EQ(Mul8Signed(a, -b), -product) << a << "*-" << b;
            ASSERT_EQ(Screen8(a, b), 255 - RoundedBy255((255 - a) * (255 - b))) << a << "," << b;
            ASSERT_EQ(Lerp8(a, b), RoundedBy255((255 - a) * b) + a) << a << "," << b;
            // Division rounds half up and is capped at 255.
            const int32 quotient = a == 0 ? 0 : a < b ? (2 * a * 255 + b) / (2 * b) : 255;
            ASSERT_EQ(Div8(a, b), quotient) << a << "/" << b;
        }
    }
}

TEST(NativeQuadTest, WordsBecomeQuads) {
    EXPECT_EQ(WordToNativeQuad(0x44112233u), MakeNativeQuad(0x11, 0x22, 0x33, 0x44));
}

}  // namespace
