// Colour balance and channel mixer: tables and pixels from the blocks as documents store them, and the
// blocks they are read from.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/Adjustments/ColourTestSupport.h"

using namespace AdjustmentTest;

namespace {

// A "blnc" block: shadows, midtones, highlights (three axes each), the luminosity flag, one pad byte.
ByteVector BalanceBlock(const std::vector<int32>& inValues, bool inPreserveLuminosity) {
    Block block;
    for (int32 value : inValues) block.I16(value);
    block.U8(inPreserveLuminosity ? 1 : 0).U8(0);
    return block.bytes;
}

std::vector<int32> Balance(int32 inRange, int32 inAxis, int32 inValue) {
    std::vector<int32> values(9, 0);
    values[inRange * 3 + inAxis] = inValue;
    return values;
}

// Black below x1, then a gamma segment to white at x2 with a gamma of g hundredths, worked out from the
// power law (g at most 101, where no foot is fitted).
std::vector<uint8> GammaRamp(int32 inX1, int32 inX2, int32 inGamma) {
    std::vector<uint8> table(256, 255);
    for (int32 x = 0; x <= inX1; ++x) table[x] = 0;
    const int32 dx = inX2 - inX1;
    for (int32 x = inX1; x <= inX2; ++x) {
        const int32 j = ((x - inX1) * 255 + dx / 2) / dx;
        const int32 g = int32(std::pow(j / 255.0, 100.0 / inGamma) * 255.0 + 0.5);
        table[x] = uint8(int32((g * 255 + 127) / 255.0));
    }
    return table;
}

std::unique_ptr<CAdjustmentLayer> ReadBalance(const std::vector<int32>& inValues, bool inPreserveLuminosity) {
    ReadResult result = ReadAdjustment(kColorBalanceAdjustment, BalanceBlock(inValues, inPreserveLuminosity));
    EXPECT_EQ(result.error, "");
    return std::move(result.layer);
}

}  // namespace

TEST(ColorBalance, ZeroValuesGiveIdentityTablesInBothModes) {
    for (bool preserve : {false, true}) {
        auto layer = ReadBalance(std::vector<int32>(9, 0), preserve);
        ASSERT_NE(layer, nullptr);
        for (int32 channel = 0; channel < 3; ++channel)
            EXPECT_EQ(AppliedTable(*layer, channel), Identity()) << "preserve " << preserve << " channel " << channel;
    }
}

// Each case changes one value and names the table it must produce for the axis it moves; the other two
// axes must stay the identity unless luminosity preservation makes them move too.
TEST(ColorBalance, EndPointsAndGammaFollowTheValues) {
    const auto linear = [](int32 x1, int32 x2) { return GammaRamp(x1, x2, 100); };
    struct Case {
        const char* name;
        std::vector<int32> values;
        bool preserve;
        std::vector<uint8> red, green, blue;
    };
    const Case cases[] = {
        // Shadows cyan-red -20: black up to 20, and the midtone shift of -10 gives the gamma 2^-0.1 = 0.93.
        {"shadow red -20", Balance(0, 0, -20), false, GammaRamp(20, 255, 93), Identity(), Identity()},
        // Preserving luminosity, the same shadow moves only the black point: no midtone shift.
        {"shadow red -20, preserved", Balance(0, 0, -20), true, linear(20, 255), Identity(), Identity()},
        // A positive shadow on red, preserved, raises the black point of the other two axes instead.
        {"shadow red +10, preserved", Balance(0, 0, 10), true, Identity(), linear(10, 255), linear(10, 255)},
        // Highlights yellow-blue 5: white from 250, and m = 0 - (-5 - 0) / 2 = 2 (truncated, not 3): gamma 101.
        {"highlight blue +5", Balance(2, 2, 5), false, Identity(), Identity(), GammaRamp(0, 250, 101)},
        // Midtones alone bend the whole table: magenta-green -7 gives gamma 2^-0.07, 95 hundredths.
        {"midtone green -7", Balance(1, 1, -7), false, Identity(), GammaRamp(0, 255, 95), Identity()},
    };
    for (const Case& c : cases) {
        auto layer = ReadBalance(c.values, c.preserve);
        ASSERT_NE(layer, nullptr) << c.name;
        EXPECT_EQ(AppliedTable(*layer, 0), c.red) << c.name;
        EXPECT_EQ(AppliedTable(*layer, 1), c.green) << c.name;
        EXPECT_EQ(AppliedTable(*layer, 2), c.blue) << c.name;
    }
}

namespace {

// A "mixr" block: version, monochrome, then four records of five percentages.
ByteVector MixerBlock(const std::vector<std::vector<int32>>& inRecords, bool inMonochrome) {
    Block block;
    block.I16(1).U16(inMonochrome ? 1 : 0);
    for (const auto& record : inRecords)
        for (int32 percent : record) block.I16(percent);
    return block.bytes;
}

std::vector<std::vector<int32>> IdentityMixer() {
    return {{100, 0, 0, 0, 0}, {0, 100, 0, 0, 0}, {0, 0, 100, 0, 0}, {0, 0, 0, 100, 0}};
}

}  // namespace

TEST(ChannelMixer, PixelsFollowTheFixedPointSums) {
    struct Case {
        const char* name;
        std::vector<std::vector<int32>> records;
        bool monochrome;
        NativeQuad in, out;
    };
    auto records = [](std::vector<int32> red, std::vector<int32> green, std::vector<int32> blue) {
        return std::vector<std::vector<int32>>{red, green, blue, {0, 0, 0, 100, 0}};
    };
    const Case cases[] = {
        {"identity", IdentityMixer(), false, MakeNativeQuad(200, 100, 50, 7), MakeNativeQuad(200, 100, 50, 4)},
        {"constant 100 % adds 255", records({100, 0, 0, 0, 0}, {0, 100, 0, 0, 100}, {0, 0, 100, 0, 0}), false,
         MakeNativeQuad(10, 20, 30, 7), MakeNativeQuad(10, 255, 30, 4)},
        {"swap red and blue", records({0, 0, 100, 0, 0}, {0, 100, 0, 0, 0}, {100, 0, 0, 0, 0}), false,
         MakeNativeQuad(10, 20, 30, 7), MakeNativeQuad(30, 20, 10, 4)},
        // 40 % is 409 (409.6 truncated): (200 * 409 + 100 * 409 + 50 * 204 + 512) >> 10 = 130 for all three;
        // the other records do not count.
        {"monochrome 40/40/20", records({40, 40, 20, 0, 0}, {0, 0, 0, 0, 100}, {100, 0, 0, 0, 0}), true,
         MakeNativeQuad(200, 100, 50, 7), MakeNativeQuad(130, 130, 130, 4)},
        // -33 % is -337 (truncated toward zero, not -338): (41 * -337 + 255 * 1024 + 512) >> 10 = 242.
        {"negative factor truncates toward zero", records({-33, 0, 0, 0, 100}, {0, 100, 0, 0, 0}, {0, 0, 100, 0, 0}),
         false, MakeNativeQuad(41, 0, 0, 7), MakeNativeQuad(242, 0, 0, 4)},
        // A negative sum shifts arithmetically and clamps to 0; the fourth factor is never applied.
        {"negative sums clamp to 0", records({-100, 0, 0, 100, 0}, {0, 100, 0, 0, 0}, {0, 0, 100, 0, 0}), false,
         MakeNativeQuad(1, 2, 3, 7), MakeNativeQuad(0, 2, 3, 4)},
        {"large sums clamp to 255", records({200, 200, 0, 0, 0}, {0, 100, 0, 0, 0}, {0, 0, 100, 0, 0}), false,
         MakeNativeQuad(100, 100, 3, 7), MakeNativeQuad(255, 100, 3, 4)},
    };
    for (const Case& c : cases) {
        ReadResult result = ReadAdjustment(kChannelMixerAdjustment, MixerBlock(c.records, c.monochrome));
        ASSERT_NE(result.layer, nullptr) << c.name << ": " << result.error;
        EXPECT_EQ(Word(AdjustInto(*result.layer, c.in)), Word(c.out)) << c.name;
    }
}
