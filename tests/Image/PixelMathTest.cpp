// NativeQuad layout and channel access, and the shared 8-bit arithmetic checked exhaustively against
// direct integer formulas.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "tests/support/ReportCapture.h"

namespace {

// round(x / 255) for x >= 0; 255 is odd, so there are no ties.
int32 RoundedBy255(int32 x) { return (2 * x + 255) / 510; }

class PixelMathTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { BuildByteTables(); }
};

TEST_F(PixelMathTest, ProductsAndMixesAreRoundedExactlyForEveryPair) {
    for (int32 a = 0; a < 256; ++a) {
        for (int32 b = 0; b < 256; ++b) {
            const int32 product = RoundedBy255(a * b);
            ASSERT_EQ(Mul8(a, b), product) << a << "*" << b;
            ASSERT_EQ(gMultiplyTable[a][b], product) << a << "*" << b;
            ASSERT_EQ(Screen8(a, b), 255 - RoundedBy255((255 - a) * (255 - b))) << a << "," << b;
            ASSERT_EQ(Lerp8(a, b), RoundedBy255((255 - a) * b) + a) << a << "," << b;
        }
    }
}

// Negative differences round to the mirror image of positive ones.
TEST_F(PixelMathTest, SignedProductIsSymmetricAroundZero) {
    for (int32 a = 0; a < 256; ++a) {
        for (int32 d = -255; d <= 255; ++d) {
            const int32 magnitude = RoundedBy255(a * (d < 0 ? -d : d));
            ASSERT_EQ(Mul8Signed(a, d), d < 0 ? -magnitude : magnitude) << a << "*" << d;
        }
    }
}

TEST_F(PixelMathTest, DivisionIsRoundedAndCappedForEveryPair) {
    for (int32 a = 0; a < 256; ++a) {
        for (int32 b = 0; b < 256; ++b) {
            int32 expected = 255;
            if (a == 0)
                expected = 0;
            else if (a < b)
                expected = (2 * a * 255 + b) / (2 * b);  // round half up of a * 255 / b
            ASSERT_EQ(Div8(a, b), expected) << a << "/" << b;
        }
    }
}

struct Figure {
    const char* what;
    int32 value;
    int32 expected;
};

TEST_F(PixelMathTest, TellingFigures) {
    const Figure figures[] = {
        {"Mul8(255, 255)", Mul8(255, 255), 255}, {"Mul8(128, 255)", Mul8(128, 255), 128},
        {"Mul8(1, 255)", Mul8(1, 255), 1},       {"Div8(128, 255)", Div8(128, 255), 128},
        {"Div8(200, 100)", Div8(200, 100), 255}, {"Div8(7, 7)", Div8(7, 7), 255},
        {"Div8(64, 127)", Div8(64, 127), 129},   {"Div8(1, 2)", Div8(1, 2), 128},
        {"Mul8Signed(1, -128)", Mul8Signed(1, -128), -1}, {"Mul8Signed(255, -255)", Mul8Signed(255, -255), -255},
    };
    for (const Figure& f : figures) EXPECT_EQ(f.value, f.expected) << f.what;
}

TEST(NativeQuadTest, MemoryOrderIsBlueGreenRedAlpha) {
    EXPECT_EQ(offsetof(NativeQuad, blue), 0u);
    EXPECT_EQ(offsetof(NativeQuad, green), 1u);
    EXPECT_EQ(offsetof(NativeQuad, red), 2u);
    EXPECT_EQ(offsetof(NativeQuad, alpha), 3u);
    const NativeQuad q = MakeNativeQuad(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(NativeQuadToWord(q), 0x44112233u);
    EXPECT_EQ(WordToNativeQuad(0x44112233u), q);
    uint8 bytes[4];
    std::memcpy(bytes, &q, 4);
    EXPECT_EQ(bytes[0], 0x33);
    EXPECT_EQ(bytes[3], 0x44);
}

TEST(NativeQuadTest, NamedQuads) {
    const struct {
        NativeQuad quad;
        uint32 word;
    } named[] = {{kTransparentWhite, 0x00FFFFFF}, {kOpaqueWhite, 0xFFFFFFFF}, {kOpaqueBlack, 0xFF000000},
                 {kOpaqueGrey, 0xFF808080}};
    for (const auto& n : named) EXPECT_EQ(NativeQuadToWord(n.quad), n.word);
}

TEST(NativeQuadTest, ChannelPointersAddressRedGreenBlueAlpha) {
    NativeQuad q = MakeNativeQuad(10, 20, 30, 40);
    const struct {
        int32 channel;
        int32 byteOffset;
        uint8 value;
    } cases[] = {{kRedChannel, 2, 10}, {kGreenChannel, 1, 20}, {kBlueChannel, 0, 30}, {kAlphaChannel, 3, 40}};
    for (const auto& c : cases) {
        uint8* p = GetChannelPtr(&q, c.channel);
        EXPECT_EQ(p - reinterpret_cast<uint8*>(&q), c.byteOffset) << c.channel;
        EXPECT_EQ(*p, c.value) << c.channel;
        const NativeQuad& constant = q;
        EXPECT_EQ(GetChannelPtr(&constant, c.channel), p);
    }
    for (int32 unknown : {-1, 4, 1000}) {
        uint8* p = nullptr;
        const std::string reports = CaptureReports([&] { p = GetChannelPtr(&q, unknown); });
        EXPECT_TRUE(Contains(reports, "GetChannelPtr: Unknown channel!")) << unknown;
        EXPECT_EQ(p, &q.alpha) << unknown;
    }
}

}  // namespace
