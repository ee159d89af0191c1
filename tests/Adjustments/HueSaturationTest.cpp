// Hue/saturation: the shared arithmetic (rescaling, lightness tables, saturation factors, the colour
// ramp), the hue-indexed tables with their range profiles, pixels in both modes, and both block versions.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "Src/Orvane/Src/Adjustments/CHueSaturationAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/HueSaturationTables.h"
#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/Adjustments/ColourTestSupport.h"

using namespace AdjustmentTest;

namespace {

// The positions a version-1 block gives range r: ramps of 60 degrees around a one-degree core.
HueRange Version1Range(int32 inRange) {
    HueRange range;
    range.beginRamp = (60 * inRange + 300) % 360;
    range.begin = 60 * inRange;
    range.end = (60 * inRange + 1) % 360;
    range.endRamp = (60 * inRange + 60) % 360;
    return range;
}

HueSaturationParameters Version1Parameters() {
    HueSaturationParameters parameters;
    for (int32 r = 0; r < kHueRangeCount; ++r) parameters.ranges[r] = Version1Range(r);
    return parameters;
}

struct Version2 {
    bool colorize = false;
    std::array<int32, 3> colorizeValues = {0, 0, 0};
    std::array<int32, 3> master = {0, 0, 0};
    std::array<std::array<int32, 7>, 6> ranges = {{{315, 345, 15, 45, 0, 0, 0},
                                                   {15, 45, 75, 105, 0, 0, 0},
                                                   {75, 105, 135, 165, 0, 0, 0},
                                                   {135, 165, 195, 225, 0, 0, 0},
                                                   {195, 225, 255, 285, 0, 0, 0},
                                                   {255, 285, 315, 345, 0, 0, 0}}};
    int32 version = 2;

    ByteVector Bytes() const {
        Block block;
        block.I16(version).U8(colorize ? 1 : 0).U8(0);
        for (int32 value : colorizeValues) block.I16(value);
        for (int32 value : master) block.I16(value);
        for (const auto& range : ranges)
            for (int32 value : range) block.I16(value);
        return block.bytes;
    }
};

// A version-1 block: colorize flag, zero byte, the colorize triple, then hues, saturations and
// lightnesses (master first, then the six ranges).
ByteVector Version1Block(bool inColorize, const std::array<int32, 24>& inValues) {
    Block block;
    block.I16(1).U8(inColorize ? 1 : 0).U8(0);
    for (int32 value : inValues) block.I16(value);
    return block.bytes;
}

std::unique_ptr<CAdjustmentLayer> ReadHue(uint32 inType, const ByteVector& inBlock) {
    ReadResult result = ReadAdjustment(inType, inBlock);
    EXPECT_EQ(result.error, "");
    return std::move(result.layer);
}

const CHueSaturationAdjustmentLayer& AsHue(const CAdjustmentLayer& inLayer) {
    return static_cast<const CHueSaturationAdjustmentLayer&>(inLayer);
}

}  // namespace

TEST(HueSaturationArithmetic, RescaleLightnessAndSaturationFigures) {
    EXPECT_EQ(HueRescale(100, -100, 100, -180, 180), 180);
    EXPECT_EQ(HueRescale(-100, -100, 100, -180, 180), -180);
    EXPECT_EQ(HueRescale(-1, -100, 100, -60, 60), -1);   // -60 + (99 * 120 + 100) / 200 = -60 + 59
    EXPECT_EQ(HueRescale(0, -100, 100, 0, 100), 50);     // 10100 / 200 = 50.5, truncated
    EXPECT_EQ(HueRescale(359, 0, 359, 0, 1529), 1529);
    EXPECT_EQ(HueRescale(1, 0, 359, 0, 1529), 4);
    EXPECT_EQ(HueRescale(120, -180, 180, -765, 765), 510);

    struct LightnessCase {
        int32 lightness, input, output;
    };
    const LightnessCase lightness[] = {
        {0, 0, 0},     {0, 200, 200},   {100, 0, 255},  {-100, 255, 0}, {50, 0, 127},  {50, 255, 255},
        {-50, 255, 128}, {-50, 0, 0},   {1, 0, 2},      {-1, 255, 253}, {150, 0, 255}, {-150, 255, 0},
    };
    for (const LightnessCase& c : lightness) {
        uint8 table[256];
        BuildLightnessTable(c.lightness, table);
        EXPECT_EQ(table[c.input], c.output) << "lightness " << c.lightness << " at " << c.input;
    }

    const std::pair<int32, int32> factors[] = {{0, 256},    {-100, 0},     {-50, 128}, {1, 258},
                                               {50, 510},   {99, 16320},   {100, 32767}, {101, 32767},
                                               {-1, 254}};
    for (const auto& [saturation, factor] : factors) EXPECT_EQ(HueSaturationFactor(saturation), factor) << saturation;
}

TEST(HueSaturationArithmetic, ColourRampFlanksMirrorEachOther) {
    const std::pair<int32, int32> entries[] = {{0, 255},  {43, 255}, {44, 244}, {64, 126}, {84, 7},   {85, 0},
                                               {171, 0}, {172, 7},  {212, 244}, {213, 255}, {255, 255}};
    for (const auto& [index, value] : entries) EXPECT_EQ(kColorizeRamp[index], value) << index;
    for (int32 i = 1; i < 256; ++i) EXPECT_EQ(kColorizeRamp[i], kColorizeRamp[256 - i]) << i;
    for (int32 i = 44; i < 85; ++i) EXPECT_LT(kColorizeRamp[i], kColorizeRamp[i - 1]) << i;
}

TEST(HueSaturationTables, MasterSettingsFillEveryHue) {
    struct Case {
        int32 masterHue, masterSaturation, shift, factor;
    };
    const Case cases[] = {{0, 0, 0, 256}, {120, 0, 510, 256}, {-180, 50, 765, 510}, {-60, -100, 1275, 0}};
    for (const Case& c : cases) {
        HueSaturationParameters parameters = Version1Parameters();
        parameters.masterHue = c.masterHue;
        parameters.masterSaturation = c.masterSaturation;
        HueTables tables;
        BuildHueTables(parameters, tables);
        for (int32 step = 0; step < kHueSteps; ++step) {
            ASSERT_EQ(tables.hueTable[step], (step + c.shift) % kHueSteps) << c.masterHue << " at " << step;
            ASSERT_EQ(tables.saturationTable[step], c.factor) << c.masterSaturation << " at " << step;
            ASSERT_EQ(tables.lightnessByHue[step], 0) << step;
        }
    }
}

// Range profiles at chosen steps. Version-1 positions in steps: red 1278, 0, 4, 256 (the rise wraps past
// 1529); yellow 0, 256, 260, 511; green 256, 511, 515, 767.
TEST(HueSaturationTables, RangesRampUpHoldAndRampDown) {
    HueTables tables;

    // Green lightness 100 (amount 8192): rises over 256..511, holds to 515, falls to 0 at 767.
    HueSaturationParameters green = Version1Parameters();
    green.ranges[2].lightness = 100;
    BuildHueTables(green, tables);
    const std::pair<int32, int32> lightness[] = {{255, 0},    {256, 0},    {300, 1414}, {511, 8192},
                                                 {513, 8192}, {515, 8192}, {600, 5429}, {767, 0}, {768, 0}};
    for (const auto& [step, value] : lightness) EXPECT_EQ(tables.lightnessByHue[step], value) << "green at " << step;

    // Red saturation -100 (amount -256) on the master factor 256: the rise wraps past the end of the circle.
    HueSaturationParameters red = Version1Parameters();
    red.ranges[0].saturation = -100;
    BuildHueTables(red, tables);
    const std::pair<int32, int32> saturation[] = {{1277, 256}, {1278, 256}, {1529, 1}, {0, 0},
                                                  {4, 0},      {130, 128},  {256, 256}, {700, 256}};
    for (const auto& [step, value] : saturation) EXPECT_EQ(tables.saturationTable[step], value) << "red at " << step;

    // Each range's addition is clamped before the next: master 50 (510), red +100 reaches the 32767
    // ceiling, and then yellow -100 (amount -510, 8 at step 4 of its rise) takes off from there.
    HueSaturationParameters clamped = Version1Parameters();
    clamped.masterSaturation = 50;
    clamped.ranges[0].saturation = 100;
    clamped.ranges[1].saturation = -100;
    BuildHueTables(clamped, tables);
    EXPECT_EQ(tables.saturationTable[4], 32759);
    EXPECT_EQ(tables.saturationTable[256], 0);  // yellow's full amount on the master: 510 - 510
}

TEST_F(ColourTest, HueSaturationPixels) {
    struct Case {
        const char* name;
        Version2 block;
        NativeQuad in, out;
    };
    Version2 none;
    Version2 turn120;
    turn120.master = {120, 0, 0};
    Version2 gray;
    gray.master = {0, -100, 0};
    Version2 white;
    white.master = {0, 0, 100};
    Version2 black;
    black.master = {0, 0, -100};
    // Green range around 100..140 degrees with lightness +100 / -100; red lies outside its ramps.
    Version2 lightGreens;
    lightGreens.ranges[2] = {90, 100, 140, 150, 0, 0, 100};
    Version2 darkGreens = lightGreens;
    darkGreens.ranges[2][6] = -100;
    const Case cases[] = {
        {"unchanged orange", none, MakeNativeQuad(255, 128, 0, 9), MakeNativeQuad(255, 128, 0, 9)},
        {"unchanged gray", none, MakeNativeQuad(77, 77, 77, 9), MakeNativeQuad(77, 77, 77, 9)},
        {"red turns green", turn120, MakeNativeQuad(255, 0, 0, 9), MakeNativeQuad(0, 255, 0, 9)},
        {"blue turns red", turn120, MakeNativeQuad(0, 0, 255, 9), MakeNativeQuad(255, 0, 0, 9)},
        {"orange turns spring green", turn120, MakeNativeQuad(255, 128, 0, 9), MakeNativeQuad(0, 255, 128, 9)},
        {"desaturated to its lightness", gray, MakeNativeQuad(200, 100, 50, 9), MakeNativeQuad(125, 125, 125, 9)},
        {"lightness 100", white, MakeNativeQuad(10, 100, 50, 9), MakeNativeQuad(255, 255, 255, 9)},
        {"lightness -100", black, MakeNativeQuad(250, 100, 50, 9), MakeNativeQuad(0, 0, 0, 9)},
        {"green lightened", lightGreens, MakeNativeQuad(0, 255, 0, 9), MakeNativeQuad(255, 255, 255, 9)},
        {"dark green lightened to its top", lightGreens, MakeNativeQuad(0, 128, 0, 9), MakeNativeQuad(128, 128, 128, 9)},
        {"green darkened", darkGreens, MakeNativeQuad(0, 255, 0, 9), MakeNativeQuad(0, 0, 0, 9)},
        {"red outside the green range", lightGreens, MakeNativeQuad(255, 0, 0, 9), MakeNativeQuad(255, 0, 0, 9)},
        {"cyan outside the green range", darkGreens, MakeNativeQuad(0, 255, 255, 9), MakeNativeQuad(0, 255, 255, 9)},
    };
    for (const Case& c : cases) {
        auto layer = ReadHue(kHueSaturation2Adjustment, c.block.Bytes());
        ASSERT_NE(layer, nullptr) << c.name;
        EXPECT_EQ(Word(AdjustInto(*layer, c.in)), Word(c.out)) << c.name;
    }
}

TEST_F(ColourTest, HueSaturationWithoutChangesOnlyRoundsTheHue) {
    auto layer = ReadHue(kHueSaturation2Adjustment, Version2().Bytes());
    ASSERT_NE(layer, nullptr);
    int32 worst = 0;
    for (int32 r = 0; r < 256; r += 3)
        for (int32 g = 0; g < 256; g += 7)
            for (int32 b = 0; b < 256; b += 13) {
                const NativeQuad out = Adjust(*layer, MakeNativeQuad(uint8(r), uint8(g), uint8(b), 0));
                worst = std::max({worst, std::abs(out.red - r), std::abs(out.green - g), std::abs(out.blue - b)});
            }
    EXPECT_LE(worst, 1);
    for (int32 channel = 0; channel < 3; ++channel) EXPECT_EQ(AppliedTable(*layer, channel), Identity());
}

TEST_F(ColourTest, HueSaturationKeepsGraysWhateverTheRanges) {
    std::mt19937 random(1234);
    const auto uniform = [&](int32 low, int32 high) { return std::uniform_int_distribution<int32>(low, high)(random); };
    for (int32 round = 0; round < 40; ++round) {
        Version2 block;
        block.master = {uniform(-180, 180), uniform(-100, 100), 0};
        for (auto& range : block.ranges)
            range = {uniform(0, 359), uniform(0, 359), uniform(0, 359), uniform(0, 359),
                     uniform(-60, 60), uniform(-100, 100), uniform(-100, 100)};
        auto layer = ReadHue(kHueSaturation2Adjustment, block.Bytes());
        ASSERT_NE(layer, nullptr);
        std::vector<NativeQuad> grays(256);
        for (int32 v = 0; v < 256; ++v) grays[v] = MakeNativeQuad(uint8(v), uint8(v), uint8(v), 3);
        int32 rowBytes = 256 * 4;
        layer->AdjustTile(GRect(0, 0, 256, 1), grays.data(), rowBytes, grays.data(), rowBytes);
        for (int32 v = 0; v < 256; ++v)
            ASSERT_EQ(Word(grays[v]), Word(MakeNativeQuad(uint8(v), uint8(v), uint8(v), 3))) << "round " << round;
    }
}

TEST_F(ColourTest, ColorizePaintsByLightness) {
    struct Case {
        const char* name;
        std::array<int32, 3> colorize;  // hue, saturation, lightness
        NativeQuad in, out;
    };
    const Case cases[] = {
        {"no saturation: gray of max and min", {0, 0, 0}, MakeNativeQuad(200, 100, 50, 0), MakeNativeQuad(125, 125, 125, 4)},
        {"white stays white", {0, 100, 0}, MakeNativeQuad(255, 255, 255, 0), MakeNativeQuad(255, 255, 255, 4)},
        {"red at mid lightness", {0, 100, 0}, MakeNativeQuad(200, 54, 100, 0), MakeNativeQuad(255, 0, 0, 4)},
        {"green at mid lightness", {120, 100, 0}, MakeNativeQuad(127, 127, 127, 0), MakeNativeQuad(0, 255, 0, 4)},
        {"negative hue wraps to blue", {-120, 100, 0}, MakeNativeQuad(127, 127, 127, 0), MakeNativeQuad(0, 0, 255, 4)},
        // s = 127, c = 127, base = 127 - 63.
        {"half saturation", {0, 50, 0}, MakeNativeQuad(127, 127, 127, 0), MakeNativeQuad(191, 64, 64, 4)},
        {"lightness -100", {0, 100, -100}, MakeNativeQuad(127, 127, 127, 0), MakeNativeQuad(0, 0, 0, 4)},
    };
    for (const Case& c : cases) {
        Version2 block;
        block.colorize = true;
        block.colorizeValues = c.colorize;
        auto layer = ReadHue(kHueSaturation2Adjustment, block.Bytes());
        ASSERT_NE(layer, nullptr) << c.name;
        EXPECT_EQ(Word(AdjustInto(*layer, c.in)), Word(c.out)) << c.name;
    }
}

TEST(HueSaturationBlock, Version1IsConvertedUnderEitherKey) {
    std::array<int32, 24> values{};
    values[0] = -50;  // colorize hue: -90 degrees, kept as 270
    values[1] = 0;    // colorize saturation: 50
    values[3] = 100;  // master hue: 180 degrees
    values[4] = 100;  // red range hue: 60 degrees
    values[10] = -40;  // master saturation, unchanged
    values[23] = 7;    // magenta lightness, unchanged
    const ByteVector block = Version1Block(false, values);
    for (uint32 type : {uint32(kHueSaturationAdjustment), uint32(kHueSaturation2Adjustment)}) {
        auto layer = ReadHue(type, block);
        ASSERT_NE(layer, nullptr);
        const HueSaturationParameters& p = AsHue(*layer).GetParameters();
        EXPECT_EQ(p.colorizeHue, 270);
        EXPECT_EQ(p.colorizeSaturation, 50);
        EXPECT_EQ(p.masterHue, 180);
        EXPECT_EQ(p.masterSaturation, -40);
        EXPECT_EQ(p.ranges[0].hue, 60);
        EXPECT_EQ(p.ranges[5].lightness, 7);
        for (int32 r = 0; r < kHueRangeCount; ++r) {
            const HueRange want = Version1Range(r);
            EXPECT_EQ((std::array<int32, 4>{p.ranges[r].beginRamp, p.ranges[r].begin, p.ranges[r].end, p.ranges[r].endRamp}),
                      (std::array<int32, 4>{want.beginRamp, want.begin, want.end, want.endRamp}))
                << r;
        }
    }
}

TEST_F(ColourTest, Version1RedRangeHueTurnsRedIntoYellow) {
    std::array<int32, 24> values{};
    values[4] = 100;
    auto layer = ReadHue(kHueSaturationAdjustment, Version1Block(false, values));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(Word(AdjustInto(*layer, MakeNativeQuad(255, 0, 0, 0))), Word(MakeNativeQuad(255, 255, 0, 0)));
    EXPECT_EQ(Word(AdjustInto(*layer, MakeNativeQuad(0, 0, 255, 0))), Word(MakeNativeQuad(0, 0, 255, 0)));
}
