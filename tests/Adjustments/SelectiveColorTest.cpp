// Selective colour: range weights, the table of each percentage, black scaling, and pixels through
// layers read from "selc" blocks.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "Src/Orvane/Src/Adjustments/CSelectiveColorAdjustmentLayer.h"
#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/Adjustments/ColourTestSupport.h"

using namespace AdjustmentTest;

namespace {

using Records = std::array<std::array<int32, 4>, kSelectiveRangeCount>;

ByteVector SelectiveBlock(const Records& inRecords, int32 inMethod, int32 inVersion = 1,
                          std::array<int32, 4> inFirstRecord = {0, 0, 0, 0}) {
    Block block;
    block.I16(inVersion).I16(inMethod);
    for (int32 value : inFirstRecord) block.I16(value);
    for (const auto& record : inRecords)
        for (int32 value : record) block.I16(value);
    return block.bytes;
}

std::unique_ptr<CAdjustmentLayer> ReadSelective(const Records& inRecords, int32 inMethod) {
    ReadResult result = ReadAdjustment(kSelectiveColorAdjustment, SelectiveBlock(inRecords, inMethod));
    EXPECT_EQ(result.error, "");
    return std::move(result.layer);
}

}  // namespace

TEST(SelectiveColorWeights, RangesAndWeightsOfPixels) {
    struct Case {
        int32 red, green, blue;
        int32 primaryRange, secondaryRange, primary, secondary, whites, neutrals, blacks;
    };
    const Case cases[] = {
        {100, 50, 0, kSelectiveReds, kSelectiveYellows, 50, 50, 0, 100, 55},
        {10, 200, 240, kSelectiveBlues, kSelectiveCyans, 40, 190, 0, 25, 0},
        {250, 220, 230, kSelectiveReds, kSelectiveMagentas, 20, 10, 185, 40, 0},
        // Ties go by the order of the comparisons.
        {128, 128, 128, kSelectiveReds, kSelectiveYellows, 0, 0, 1, 254, 0},
        {9, 200, 200, kSelectiveGreens, kSelectiveCyans, 0, 191, 0, 64, 0},
        {200, 9, 200, kSelectiveReds, kSelectiveMagentas, 0, 191, 0, 64, 0},
        {200, 200, 9, kSelectiveReds, kSelectiveYellows, 0, 191, 0, 64, 0},
        {9, 9, 200, kSelectiveBlues, kSelectiveMagentas, 191, 0, 0, 64, 0},
        {9, 200, 9, kSelectiveGreens, kSelectiveYellows, 191, 0, 0, 64, 0},
        {0, 0, 0, kSelectiveReds, kSelectiveYellows, 0, 0, 0, 0, 255},
        {255, 255, 255, kSelectiveReds, kSelectiveYellows, 0, 0, 255, 0, 0},
    };
    for (const Case& c : cases) {
        const SelectiveWeights w = ComputeSelectiveWeights(c.red, c.green, c.blue);
        const std::array<int32, 7> got = {w.primaryRange, w.secondaryRange, w.primary, w.secondary,
                                          w.whites,       w.neutrals,       w.blacks};
        const std::array<int32, 7> want = {c.primaryRange, c.secondaryRange, c.primary, c.secondary,
                                           c.whites,       c.neutrals,       c.blacks};
        EXPECT_EQ(got, want) << c.red << "," << c.green << "," << c.blue;
    }
}

TEST(SelectiveColorWeights, AddUpTo255ForEveryPixel) {
    for (int32 r = 0; r < 256; r += 3)
        for (int32 g = 0; g < 256; g += 5)
            for (int32 b = 0; b < 256; b += 7) {
                const SelectiveWeights w = ComputeSelectiveWeights(r, g, b);
                ASSERT_EQ(w.primary + w.secondary + w.whites + w.neutrals + w.blacks, 255) << r << "," << g << "," << b;
                ASSERT_GE(w.neutrals, 0);
            }
}

TEST(SelectiveColorTables, ScalingByBlackRoundsHalvesAwayFromZero) {
    struct Case {
        int32 value, black, scaled;
    };
    const Case cases[] = {
        {37, 0, 37},     {-1, 50, 49},      // 99 * 1.5 = 148.5 -> 149
        {1, 50, 52},     {100, 100, 300},   // the largest reachable
        {-100, 100, -100}, {80, -100, -100},  // no colour left
        {-60, -50, -80},
    };
    for (const Case& c : cases) EXPECT_EQ(ScaleSelectiveValue(c.value, c.black), c.scaled) << c.value << "/" << c.black;
}

// Table entries at chosen inputs. Negative values lift the foot to d = 255 - (255 (v + 100) + 50) / 100;
// positive ones move the start to x = 255 - ((v + 100) / 4 + 25500) / (v + 100).
TEST(SelectiveColorTables, FootAndStartOfEachPercentage) {
    struct Case {
        int32 value;
        bool fullRange;
        std::vector<std::pair<int32, int32>> entries;  // (input, output)
    };
    const Case cases[] = {
        {0, true, {{0, 0}, {1, 1}, {128, 128}, {255, 255}}},
        {0, false, {{0, 0}, {77, 77}, {255, 255}}},
        {-100, true, {{0, 255}, {100, 255}, {255, 255}}},
        {-100, false, {{0, 255}, {1, 255}, {255, 255}}},
        // d = 127: full range climbs from 127 to 255; otherwise it reaches 255 at 128 and stays there.
        {-50, true, {{0, 127}, {1, 128}, {128, 191}, {255, 255}}},
        {-50, false, {{0, 127}, {64, 191}, {128, 255}, {129, 255}, {255, 255}}},
        // x = 85: zero below, then to 255 (full range) or to 170.
        {50, true, {{0, 0}, {84, 0}, {85, 0}, {170, 128}, {255, 255}}},
        {50, false, {{0, 0}, {84, 0}, {85, 0}, {170, 85}, {255, 170}}},
        // x = 255 - (50 + 25500) / 200 = 255 - 127 = 128 (the quotient truncated).
        {100, true, {{127, 0}, {128, 0}, {129, 2}, {255, 255}}},
        {300, false, {{190, 0}, {191, 0}, {255, 64}}},
    };
    for (const Case& c : cases) {
        uint8 table[256];
        BuildSelectiveTable(table, c.value, c.fullRange);
        for (const auto& [input, output] : c.entries)
            EXPECT_EQ(table[input], output) << "value " << c.value << " full " << c.fullRange << " at " << input;
    }
}

TEST_F(ColourTest, SelectiveColorWithoutChangesOnlyRoundsTheWeightedSum) {
    auto layer = ReadSelective(Records{}, 0);
    ASSERT_NE(layer, nullptr);
    auto* selective = static_cast<CSelectiveColorAdjustmentLayer*>(layer.get());
    for (int32 range = 0; range < kSelectiveRangeCount; ++range)
        for (int32 component = 0; component < 4; ++component)
            EXPECT_EQ(std::vector<uint8>(selective->GetTable(range, component), selective->GetTable(range, component) + 256),
                      Identity());
    // Red: Mul8(100, 50) + Mul8(100, 50) + Mul8(100, 100) + Mul8(100, 55) = 20 + 20 + 39 + 22.
    EXPECT_EQ(Word(AdjustInto(*layer, MakeNativeQuad(100, 50, 0, 0))), Word(MakeNativeQuad(101, 51, 0, 4)));
    int32 worst = 0;
    for (int32 r = 0; r < 256; r += 5)
        for (int32 g = 0; g < 256; g += 9)
            for (int32 b = 0; b < 256; b += 11) {
                const NativeQuad out = Adjust(*layer, MakeNativeQuad(uint8(r), uint8(g), uint8(b), 0));
                worst = std::max({worst, std::abs(out.red - r), std::abs(out.green - g), std::abs(out.blue - b)});
            }
    EXPECT_LE(worst, 2);
}

TEST_F(ColourTest, SelectiveColorChangesOnlyThePixelsOfItsRanges) {
    struct Case {
        const char* name;
        int32 range;
        std::array<int32, 4> record;
        int32 method;
        NativeQuad in, out;
    };
    const Case cases[] = {
        // Pure red belongs to reds alone. Full range keeps 255 at 255; relative halves it.
        {"reds +cyan absolute", kSelectiveReds, {100, 0, 0, 0}, 0, MakeNativeQuad(255, 0, 0, 0), MakeNativeQuad(255, 0, 0, 4)},
        {"reds +cyan relative", kSelectiveReds, {100, 0, 0, 0}, 1, MakeNativeQuad(255, 0, 0, 0), MakeNativeQuad(127, 0, 0, 4)},
        // Black 100 doubles the cyan distance from -100: cyan 0 becomes 100.
        {"reds black scales cyan", kSelectiveReds, {0, 0, 0, 100}, 1, MakeNativeQuad(255, 0, 0, 0), MakeNativeQuad(127, 0, 0, 4)},
        // Removing all magenta from the greens lifts their green table to 255: Mul8(255, 200) plus the
        // neutral share Mul8(200, 55).
        {"greens -magenta", kSelectiveGreens, {0, -100, 0, 0}, 0, MakeNativeQuad(0, 200, 0, 0), MakeNativeQuad(0, 243, 0, 4)},
        {"greens leave blue alone", kSelectiveGreens, {0, -100, 0, 0}, 0, MakeNativeQuad(0, 0, 200, 0), MakeNativeQuad(0, 0, 200, 4)},
        // Blacks: for (0, 0, 0) the blacks weight is 255; removing yellow lifts blue to 255.
        {"blacks -yellow", kSelectiveBlacks, {0, 0, -100, 0}, 0, MakeNativeQuad(0, 0, 0, 0), MakeNativeQuad(0, 0, 255, 4)},
        {"whites untouched by blacks", kSelectiveBlacks, {0, 0, -100, 0}, 0, MakeNativeQuad(255, 255, 255, 0), MakeNativeQuad(255, 255, 255, 4)},
    };
    for (const Case& c : cases) {
        Records records{};
        records[c.range] = c.record;
        auto layer = ReadSelective(records, c.method);
        ASSERT_NE(layer, nullptr) << c.name;
        EXPECT_EQ(Word(AdjustInto(*layer, c.in)), Word(c.out)) << c.name;
    }
}
