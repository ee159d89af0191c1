// Adjustment layers read from their blocks: the factory and the framework they share (the stream left in
// place, writing back, cloning, whole tiles), the layers of one table per component (invert,
// brightness/contrast, threshold, posterize, levels and curves) and the colour adjustments (colour balance,
// channel mixer, selective colour and hue/saturation: the shared arithmetic, the hue-indexed tables with
// their range profiles, pixels in both modes, both block versions); and the table toolkit and the spline
// they are built on, against independent formulations of what they must compute. Adjustment layers of
// every kind inside documents: read by the document reader, composited over what lies beneath through
// their masks, and refused blocks failing the read; hostile blocks never reading out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Orvane/Src/Adjustments/CCurvesAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CHueSaturationAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CLevelsAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CPosterizeAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CSelectiveColorAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CSplineSolver.h"
#include "Src/Orvane/Src/Adjustments/CThresholdAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/HueSaturationTables.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

using namespace AdjustmentTest;

namespace {

std::vector<uint8> Table(const uint8* inTable) {
    return std::vector<uint8>(inTable, inTable + 256);
}

// The layer the factory builds, the block it writes back and a clone that writes and applies the same.
// Refused blocks are in the document suite.
TEST(AdjustmentFactoryTest, EveryKindBuildsItsLayerWritesItsBlockBackAndClones) {
    for (const KindCase& each : EveryKind()) {
        ReadResult read = ReadAdjustment(each.type, each.data);
        ASSERT_NE(read.layer, nullptr) << each.name << ": " << read.error;
        CAdjustmentLayer& layer = *read.layer;
        const uint32 type = each.writtenType ? each.writtenType : each.type;
        EXPECT_EQ(layer.GetAdjustmentType(), type) << each.name;
        // Without a mask the layer covers nothing: its bounds are its mask's.
        EXPECT_EQ(
            std::make_tuple(layer.GetLayerType(), layer.GetName(), layer.GetLayerID(), layer.GetOrigin(),
                            layer.HasOwnPixels(), layer.SupportsPixelTransforms(), layer.GetBounds().Empty(),
                            layer.GetContentBounds().Empty(), layer.IsEmpty()),
            std::make_tuple(eAdjustmentLayer, std::string("adjustment"), 5u, GPoint::zero, false, false, true,
                            true, true))
            << each.name;
        EXPECT_EQ(layer.GetDataLength(), each.length) << each.name;
        const ByteVector written = WrittenData(layer);
        const ByteVector& want = each.written.empty() ? each.data : each.written;
        EXPECT_EQ(ByteVector(written.begin(),
                             written.begin() + std::ptrdiff_t(std::min(written.size(), want.size()))),
                  want)
            << each.name;
        std::unique_ptr<CAdjustmentLayer> clone(static_cast<CAdjustmentLayer*>(layer.Clone()));
        EXPECT_EQ(clone->GetAdjustmentType(), type) << each.name;
        EXPECT_EQ(WrittenData(*clone), written) << each.name;
        for (int32 channel = 0; channel < 3; ++channel)
            EXPECT_EQ(AppliedTable(*clone, channel), AppliedTable(layer, channel)) << each.name;
        const NativeQuad pixel = MakeNativeQuad(90, 20, 200, 7);
        EXPECT_EQ(Adjust(*clone, pixel), Adjust(layer, pixel)) << each.name;
    }
}

TEST(AdjustmentFactoryTest, UnknownTypesAndFailedAllocationsGiveNoLayer) {
    std::string reports = CaptureReports([] { EXPECT_EQ(ReadAdjustment(11, {}).layer, nullptr); });
    EXPECT_TRUE(Contains(reports, "CreateAdjustmentLayer: unknown layer type!"));
    ReadResult read = ReadAdjustment(kInvertAdjustment, {}, -1, 1);
    EXPECT_EQ(read.layer, nullptr);
    EXPECT_EQ(read.error, "");
}

TEST(AdjustmentFactoryTest, TileRequestsAreRefusedAndTheMaskGivesTheBounds) {
    ReadResult read = ReadAdjustment(kInvertAdjustment, {});
    NativeQuad pixel = MakeNativeQuad(1, 2, 3, 4);
    RasterDescriptor descriptor;
    descriptor.Set(GRect(0, 0, 1, 1), &pixel, 4, kRasterKindCallerBuffer);
    const std::string reports =
        CaptureReports([&] { read.layer->GetTile(nullptr, nullptr, &descriptor, GRect(0, 0, 1, 1)); });
    EXPECT_TRUE(Contains(reports, "Adjustment Layer does not support Get Tile!"));
    EXPECT_EQ(pixel, MakeNativeQuad(1, 2, 3, 4));

    read.layer->SetLayerMask(CChannel(GRect(3, 4, 10, 12), 200));
    read.layer->SetMaskOffset(GPoint(1, -1));
    EXPECT_EQ(read.layer->GetBounds(), GRect(4, 3, 11, 11));
    EXPECT_FALSE(read.layer->IsEmpty());
}

TEST(InvertLayerTest, EmptyBlockInvertsColoursAndKeepsTheFourthByte) {
    ReadResult read = ReadAdjustment(kInvertAdjustment, {});
    ASSERT_NE(read.layer, nullptr);
    EXPECT_EQ(Adjust(*read.layer, NativeQuad{0, 128, 255, 200}), (NativeQuad{255, 127, 0, 200}));
}

// Brightness/contrast against its definition over every contrast of -100..100 with random brightness
// and pivot: 32-bit arithmetic truncating toward zero, each entry clamped. Below 0 the contrast flattens
// the line (slope s / 255, s = 255 k / 100 + 255) around the output centre pivot + brightness; from 0 on
// it steepens it (slope 255 / s, s = 255 - 255 k / 100, a step where s is 0) around the input centre
// pivot - brightness, rounding by s / 2.
TEST(BrightnessContrastLayerTest, TablesFollowTheirDefinition) {
    std::mt19937 random(3);
    for (int32 k = -100; k <= 100; ++k)
        for (int32 round = 0; round < 4; ++round) {
            const int32 b = int32(random() % 301) - 150, pivot = int32(random() % 256);
            std::vector<uint8> expected(256);
            for (int32 i = 0; i < 256; ++i) {
                const int32 s = k < 0 ? k * 255 / 100 + 255 : 255 - k * 255 / 100,
                            c = k < 0 ? pivot : pivot - b;
                const int32 m = k < 0 ? pivot + b : pivot, h = s >> 1;
                int32 value = i < c ? m - (s * (c - i) + 127) / 255 : m + (s * (i - c) + 127) / 255;
                if (k >= 0)
                    value = s == 0  ? (i < c ? 0 : 255)
                            : i < c ? m - ((c - i) * 255 + h) / s
                                    : m + ((i - c) * 255 + h) / s;
                expected[size_t(i)] = uint8(std::clamp(value, 0, 255));
            }
            ReadResult read = ReadAdjustment(kBrightnessContrastAdjustment,
                                             Block().I16(b).I16(k).I16(pivot).U8(1).U8(0xAA).bytes);
            ASSERT_EQ(AppliedTable(*read.layer, int32(random() % 3)), expected)
                << b << " " << k << " " << pivot;
        }
}

// Threshold over random levels (0..256) and pixels: the luminance (4915 red + 9667 green + 1802 blue +
// 8192) >> 14 below the level gives black, otherwise white; the fourth byte is kept.
TEST(ThresholdLayerTest, LuminanceDecidesBlackOrWhite) {
    std::mt19937 random(4);
    for (int32 round = 0; round < 300; ++round) {
        const int32 level = round < 2 ? round * 256 : int32(random() % 257);
        std::unique_ptr<CAdjustmentLayer> layer =
            ReadAdjustment(kThresholdAdjustment, Block().I16(level).U16(0).bytes).layer;
        for (int32 k = 0; k < 20; ++k) {
            const NativeQuad in = WordToNativeQuad(uint32(random()));
            const uint8 out =
                (in.red * 4915 + in.green * 9667 + in.blue * 1802 + 8192) >> 14 < level ? 0 : 255;
            ASSERT_EQ(Word(Adjust(*layer, in)), Word(MakeNativeQuad(out, out, out, in.alpha))) << level;
        }
    }
}

// Every count of 2..256: entry i is ((n i) >> 8) x 255 / (n - 1), and 32 widens 5-bit values by repeating
// their top bits. Counts below two act as two (a step at 128) and are kept as read.
TEST(PosterizeLayerTest, EveryLevelCountAndCountsBelowTwo) {
    for (int32 n = -7; n <= 256; ++n) {
        ReadResult read = ReadAdjustment(kPosterizeAdjustment, Block().I16(n).U16(0x1234).bytes);
        std::vector<uint8> expected(256);
        for (int32 i = 0; i < 256; ++i)
            expected[size_t(i)] = n < 2     ? uint8(i < 128 ? 0 : 255)
                                  : n == 32 ? uint8((i >> 3) * 8 + (i >> 5))
                                            : uint8(((n * i) >> 8) * 255 / (n - 1));
        ASSERT_EQ(AppliedTable(*read.layer, 2), expected) << n;
        EXPECT_EQ(static_cast<CPosterizeAdjustmentLayer&>(*read.layer).GetLevels(), n);
    }
}

// Tiles of several rows with their own row bytes, in place and into a separate destination: every pixel
// as the layer makes it alone, the fourth byte as each kind treats it, nothing written beyond the width.
TEST(AdjustmentTileTest, EveryKindAdjustsWholeTilesAsSinglePixels) {
    BuildByteTables();
    constexpr int32 kWidth = 7, kHeight = 3, kStride = 9, kOutStride = 11;
    for (const KindCase& each : EveryKind()) {
        ReadResult read = ReadAdjustment(each.type, each.data);
        std::vector<NativeQuad> pixels(kStride * kHeight),
            out(kOutStride * kHeight, MakeNativeQuad(1, 2, 3, 4));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = MakeNativeQuad(uint8(i * 37), uint8(i * 11), uint8(i * 5 + 100), uint8(i * 13));
        const std::vector<NativeQuad> before = pixels;
        // Hue/saturation (not colorizing) carries the source's fourth byte; the others leave the
        // destination's.
        const bool carriesAlpha =
            (each.type == kHueSaturationAdjustment || each.type == kHueSaturation2Adjustment) &&
            each.data[2] == 0;
        int32 rowBytes = kStride * 4, sameRowBytes = kStride * 4, outRowBytes = kOutStride * 4;
        const GRect area(3, 4, 3 + kWidth, 4 + kHeight);
        read.layer->AdjustTile(area, before.data(), rowBytes, out.data(), outRowBytes);
        read.layer->AdjustTile(area, pixels.data(), rowBytes, pixels.data(), sameRowBytes);
        for (int32 y = 0; y < kHeight; ++y)
            for (int32 x = 0; x < kOutStride; ++x) {
                const size_t i = size_t(y * kStride + x), o = size_t(y * kOutStride + x);
                NativeQuad expected =
                    x < kWidth ? Adjust(*read.layer, before[i]) : MakeNativeQuad(1, 2, 3, 4);
                if (x < kStride) {
                    ASSERT_EQ(Word(pixels[i]), Word(x < kWidth ? expected : before[i])) << each.name;
                }
                if (x < kWidth) expected.alpha = carriesAlpha ? before[i].alpha : 4;
                ASSERT_EQ(Word(out[o]), Word(expected)) << each.name << " at " << x << "," << y;
            }
    }
}

using Record = LevelsRecord;

ByteVector LevelsBlock(const std::vector<Record>& inRecords) {
    Block block;
    block.I16(2);
    for (const Record& r : inRecords)
        block.U16(r.inputBlack).U16(r.inputWhite).U16(r.outputBlack).U16(r.outputWhite).U16(r.gamma);
    return block.bytes;
}

// A record's table by its definition over the table toolkit: outputBlack below inputBlack, a line from
// (inputBlack, outputBlack) to (inputWhite, outputWhite) (a gamma line of gamma / 100 unless that is 1),
// outputWhite above.
std::vector<uint8> LevelsModel(const Record& r) {
    ByteTable table;
    SetConstant(table, 0, r.inputBlack - 1, r.outputBlack);
    if (r.gamma != 100)
        SetGammaLine(table, r.inputBlack, r.inputWhite, r.outputBlack, r.outputWhite, r.gamma * 0.01);
    if (r.gamma == 100) SetLine(table, r.inputBlack, r.inputWhite, r.outputBlack, r.outputWhite);
    SetConstant(table, r.inputWhite + 1, 255, r.outputWhite);
    return Table(table);
}

// Random master and colour records: a default master leaves each colour its own table. Otherwise the
// colours merge with the master into one segment (the colour's input range, the master's outputs, the
// gamma master x colour / 100) when the master's input range is full and every colour record has full
// outputs and a combined gamma of 10..999, one of them not plain; else each colour's table is composed
// with the master's, colour first. Degenerate input ranges never divide by zero: a step, or two constant
// runs.
TEST(LevelsLayerTest, TablesFollowTheirDefinition) {
    std::mt19937 random(12);
    const auto pick = [&](int32 inLow, int32 inHigh) {
        return inLow + int32(random() % uint32(inHigh - inLow + 1));
    };
    for (int32 round = 0; round < 400; ++round) {
        std::vector<Record> records(4);
        for (Record& x : records) {
            if (&x == &records[0] && round % 3 == 0) continue;  // a default master
            if (pick(0, 2) == 0) x.inputBlack = uint16(pick(0, 120));
            if (pick(0, 2) == 0) x.inputWhite = uint16(pick(x.inputBlack + 2, 255));
            if (pick(0, 3) == 0) x.outputBlack = uint16(pick(0, 100));
            if (pick(0, 3) == 0) x.outputWhite = uint16(pick(150, 255));
            const int32 edges[] = {9, 10, 999, 1000};  // combined with a plain master: the merge's limits
            if (pick(0, 1)) x.gamma = uint16(pick(0, 5) == 0 ? edges[pick(0, 3)] : pick(10, 500));
        }
        const Record& m = records[0];
        bool merge = m.inputBlack == 0 && m.inputWhite == 255, plain = true;
        for (int32 r = 1; r < 4; ++r) {
            const Record& x = records[size_t(r)];
            const int32 combined = m.gamma * x.gamma / 100;
            merge = merge && x.outputBlack == 0 && x.outputWhite == 255 && combined >= 10 && combined <= 999;
            plain = plain && x.inputBlack == 0 && x.inputWhite == 255 && x.gamma == 100;
        }
        ReadResult read = ReadAdjustment(kLevelsAdjustment, LevelsBlock(records));
        for (int32 c = 0; c < 3; ++c) {
            const Record& x = records[size_t(c + 1)];
            std::vector<uint8> expected = LevelsModel(x);
            if (merge && !plain && !m.IsDefault())
                expected = LevelsModel({x.inputBlack, x.inputWhite, m.outputBlack, m.outputWhite,
                                        uint16(m.gamma * x.gamma / 100)});
            else if (!m.IsDefault())
                for (uint8& entry : expected) entry = LevelsModel(m)[entry];
            ASSERT_EQ(AppliedTable(*read.layer, c), expected) << "round " << round << " colour " << c;
        }
    }
    ByteTable step, crossed;
    BuildLevelsTable({128, 128, 0, 255, 100}, step);
    BuildLevelsTable({200, 100, 30, 220, 150}, crossed);
    EXPECT_EQ((std::array<int32, 4>{step[127], step[128], crossed[100], crossed[101]}),
              (std::array<int32, 4>{0, 255, 30, 220}));
}

// Writing back, and version 1's record layout, are in the factory suite.
TEST(LevelsLayerTest, BlockVersionsAndLengths) {
    // Another version reads no records.
    ReadResult other = ReadAdjustment(kLevelsAdjustment, Block().I16(3).Zeros(40).bytes);
    EXPECT_EQ(static_cast<CLevelsAdjustmentLayer&>(*other.layer).GetRecordCount(), 0);
    EXPECT_EQ(AppliedTable(*other.layer, 0), Identity());
    EXPECT_EQ(other.layer->GetDataLength(), 4u);

    // Version 2 reads (length - 2) / 10 records, at most 29, whatever the declared length.
    std::vector<Record> many(30);
    many[1] = {0, 128, 0, 255, 100};
    many[29] = {1, 2, 3, 4, 5};
    const ByteVector manyBlock = LevelsBlock(many);
    ReadResult capped = ReadAdjustment(kLevelsAdjustment, manyBlock, 0xFFFFFFF0);
    EXPECT_EQ(static_cast<CLevelsAdjustmentLayer&>(*capped.layer).GetRecordCount(), 29);
    EXPECT_EQ(static_cast<CLevelsAdjustmentLayer&>(*capped.layer).GetRecord(28).inputWhite, 255);
    EXPECT_EQ(AppliedTable(*capped.layer, 0), LevelsModel(many[1]));
    ReadResult shortened = ReadAdjustment(kLevelsAdjustment, manyBlock, 21);
    EXPECT_EQ(static_cast<CLevelsAdjustmentLayer&>(*shortened.layer).GetRecordCount(), 1);
    EXPECT_EQ(AppliedTable(*shortened.layer, 0), Identity());
    ReadResult tiny = ReadAdjustment(kLevelsAdjustment, manyBlock, 1);
    EXPECT_EQ(static_cast<CLevelsAdjustmentLayer&>(*tiny.layer).GetRecordCount(), 0);
}

Block& CurvesHeader(Block& ioBlock, bool inIsMap, uint32 inPresent) {
    return ioBlock.U8(inIsMap ? 1 : 0).I16(1).U32(inPresent);
}

TEST(CurvesLayerTest, CurveFormRecoloursEachChannelThroughItsSpline) {
    // Red: (0, 0), (128, 200), (255, 255), stored as output, input pairs; the master is the identity.
    Block block;
    CurvesHeader(block, false, 1u << 1).I16(3).I16(0).I16(0).I16(200).I16(128).I16(255).I16(255).Zeros(3);
    ReadResult read = ReadAdjustment(kCurvesAdjustment, block.bytes);
    ASSERT_NE(read.layer, nullptr);
    CurvePoints red;
    red.count = 3;
    red.points[1] = {128, 200};
    red.points[2] = {255, 255};
    ByteTable fitted;
    FitSplineCurve(red, fitted);
    EXPECT_EQ(AppliedTable(*read.layer, 0), Table(fitted));
    EXPECT_EQ(AppliedTable(*read.layer, 1), Identity());
    EXPECT_EQ(AppliedTable(*read.layer, 2), Identity());
}

TEST(CurvesLayerTest, MapFormAppliesChannelMapThenMasterMap) {
    ByteTable master, green;
    for (int32 i = 0; i < 256; ++i) {
        master[i] = uint8(255 - i);
        green[i] = uint8(i / 2 + 10);
    }
    Block block;
    CurvesHeader(block, true, 1u << 0 | 1u << 2 | 1u << 30).Append(master, 256).Append(green, 256).Zeros(1);
    ReadResult read = ReadAdjustment(kCurvesAdjustment, block.bytes);
    ASSERT_NE(read.layer, nullptr);
    const auto& curves = static_cast<const CCurvesAdjustmentLayer&>(*read.layer);
    EXPECT_EQ(AppliedTable(*read.layer, 0), Table(master));
    std::vector<uint8> greenThenMaster(256);
    for (int32 i = 0; i < 256; ++i) greenThenMaster[i] = master[green[i]];
    EXPECT_EQ(AppliedTable(*read.layer, 1), greenThenMaster);
    EXPECT_EQ(curves.GetCurve(2).count, 9);
    EXPECT_EQ(curves.GetCurve(2).points[4].output, 74);  // green[128]
    EXPECT_TRUE(curves.GetCurve(1).IsNull());
}

// Colour balance against its definition on random "blnc" blocks (shadows, midtones and highlights of three
// axes each, the luminosity flag, a pad byte): each axis gets a black point x1, a white
// point x2 and a midtone shift m (without luminosity preservation x1 = max(0, -shadow), x2 = min(255, 255 -
// highlight), m = midtone - (-highlight - shadow) / 2; with it x1 = largest shadow - shadow, x2 = 255 -
// highlight + smallest highlight, m = midtone - (smallest + largest midtone) / 2), and its table is 0 up to
// x1, the table toolkit's gamma line of 2^(m / 100) from (x1, 0) to (x2, 255) when x2 > x1 + 1, and 255
// from x2 on.
TEST(ColorBalance, TablesFollowTheirDefinition) {
    std::mt19937 random(9);
    for (int32 round = 0; round < 500; ++round) {
        int32 v[3][3];  // shadows, midtones and highlights, each by axis
        const bool preserve = random() % 2 == 0;
        Block block;
        for (auto& range : v)
            for (int32& value : range) block.I16(value = random() % 3 == 0 ? 0 : int32(random() % 201) - 100);
        auto layer = ReadAdjustment(kColorBalanceAdjustment, block.U8(preserve).U8(0).bytes).layer;
        ASSERT_NE(layer, nullptr);
        const auto [lowMidtone, highMidtone] = std::minmax({v[1][0], v[1][1], v[1][2]});
        for (int32 c = 0; c < 3; ++c) {
            const int32 x1 =
                preserve ? std::max({v[0][0], v[0][1], v[0][2]}) - v[0][c] : std::max(0, -v[0][c]);
            const int32 x2 = preserve ? 255 - v[2][c] + std::min({v[2][0], v[2][1], v[2][2]})
                                      : std::min(255, 255 - v[2][c]);
            const int32 m = v[1][c] - (preserve ? (lowMidtone + highMidtone) / 2 : (-v[2][c] - v[0][c]) / 2);
            ByteTable table;
            SetConstant(table, 0, x1, 0);
            if (x2 > x1 + 1) SetGammaLine(table, x1, x2, 0, 255, std::pow(2.0, m / 100.0));
            SetConstant(table, x2, 255, 255);
            ASSERT_EQ(AppliedTable(*layer, c), Table(table)) << "round " << round;
        }
    }
}

// The mixer against its definition on random settings and pixels: an output sums the three components
// and 255 with its record's coefficients (percent x 2048 / 200, truncated toward zero; monochrome: record
// 0 for every output), adds a half, drops the 10 fraction bits (arithmetic shift) and clamps to 0..255; the
// fourth coefficient is never applied and the destination's fourth byte is kept.
TEST(ChannelMixer, PixelsFollowTheFixedPointSums) {
    std::mt19937 random(31);
    for (int32 round = 0; round < 300; ++round) {
        const bool monochrome = random() % 4 == 0;
        int32 percent[4][5];
        Block block;
        block.I16(1).U16(monochrome);
        for (auto& record : percent)
            for (int32& p : record) block.I16(p = int32(random() % 401) - 200);
        auto layer = ReadAdjustment(kChannelMixerAdjustment, block.bytes).layer;
        ASSERT_NE(layer, nullptr);
        for (int32 k = 0; k < 20; ++k) {
            const NativeQuad in = WordToNativeQuad(uint32(random()));
            int32 out[3];
            for (int32 o = 0; o < 3; ++o) {
                const auto c = [&](int32 i) { return percent[monochrome ? 0 : o][i] * 2048 / 200; };
                out[o] = std::clamp(
                    (in.red * c(0) + in.green * c(1) + in.blue * c(2) + c(4) * 255 + 512) >> 10, 0, 255);
            }
            EXPECT_EQ(Word(AdjustInto(*layer, in)),
                      Word(MakeNativeQuad(uint8(out[0]), uint8(out[1]), uint8(out[2]), 4)))
                << "round " << round;
        }
    }
}

// Selective colour by its definition. A pixel's primary range is the colour of its largest component,
// the secondary the mixture of its two largest (ties by the order of the comparisons); its weights are
// max - mid, mid - min, whites max(0, 2 min - 255), neutrals and blacks max(0, 255 - 2 max).
SelectiveWeights WeightsModel(int32 r, int32 g, int32 b) {
    const int32 high = std::max({r, g, b}), low = std::min({r, g, b}), mid = r + g + b - high - low;
    const bool gb = g < b;
    const int32 primary =
        gb ? (r < b ? kSelectiveBlues : kSelectiveReds) : (r < g ? kSelectiveGreens : kSelectiveReds);
    const int32 secondary =
        gb ? (r < g ? kSelectiveCyans : kSelectiveMagentas) : (r < b ? kSelectiveCyans : kSelectiveYellows);
    const int32 neutrals = high < 128 ? low + high : low < 128 ? 255 - high + low : 510 - high - low;
    return {primary,
            secondary,
            high - mid,
            mid - low,
            std::max(0, 2 * low - 255),
            neutrals,
            std::max(0, 255 - 2 * high)};
}

// A value v (a = v + 100) at or below 0 lifts the foot to d = 255 - (255 a + 50) / 100: a line from (0, d)
// to (255, 255), or over the limited range to (255 - d, 255) and 255 after it; above 0 it moves the start
// to x = 255 - (a / 4 + 25500) / a: 0 before it, then a line to (255, 255), or over the limited range to
// (255, 255 - x). Lines as the table toolkit draws them.
std::vector<uint8> SelectiveTableModel(int32 v, bool inFullRange) {
    ByteTable table;
    SetIdentity(table);
    const int32 a = v + 100, d = 255 - (a * 255 + 50) / 100, x = v > 0 ? 255 - (a / 4 + 25500) / a : 0;
    if (v <= 0) SetLine(table, 0, inFullRange ? 255 : 255 - d, d, 255);
    if (v <= 0 && !inFullRange && d > 0) SetConstant(table, 256 - d, 255, 255);
    if (v > 0) SetLine(table, x, 255, 0, inFullRange ? 255 : 255 - x);
    if (v > 0 && x > 0) SetConstant(table, 0, x - 1, 0);
    return Table(table);
}

// Black's scaling of the colour values: round((v + 100) f) - 100 with the factor f = (B + 100) / 100 worked
// out first in double precision, halves away from zero. The weights and the tables are the pixels' business.
TEST(SelectiveColor, BlackScalesTheColourValues) {
    for (int32 v = -100; v <= 100; ++v)
        for (int32 black = -100; black <= 100; ++black)
            ASSERT_EQ(ScaleSelectiveValue(v, black), std::lround((v + 100) * ((black + 100) / 100.0)) - 100)
                << v << "/" << black;
}

// Random records through the layer: each colour out is the sum over the pixel's five weights of the
// weight times (Mul8) the entry of that range's table (cyan for red, magenta for green, yellow for blue),
// the colour values scaled by black first; the fourth byte of the destination is kept.
TEST_F(ColourTest, SelectiveColorPixelsFollowTheirDefinition) {
    std::mt19937 random(17);
    for (int32 round = 0; round < 200; ++round) {
        const int32 method = int32(random() % 2);
        std::array<std::array<int32, 4>, kSelectiveRangeCount> records;
        Block block;
        block.I16(1).I16(method).Zeros(8);
        for (auto& record : records)
            for (int32& value : record)
                block.I16(value = random() % 3 == 0 ? 0 : int32(random() % 201) - 100);
        auto layer = ReadAdjustment(kSelectiveColorAdjustment, block.bytes).layer;
        ASSERT_NE(layer, nullptr);
        for (int32 k = 0; k < 20; ++k) {
            const NativeQuad in = WordToNativeQuad(uint32(random()));
            const int32 rgb[3] = {in.red, in.green, in.blue};
            const SelectiveWeights w = WeightsModel(rgb[0], rgb[1], rgb[2]);
            const std::pair<int32, int32> shares[] = {{w.primaryRange, w.primary},
                                                      {w.secondaryRange, w.secondary},
                                                      {kSelectiveWhites, w.whites},
                                                      {kSelectiveNeutrals, w.neutrals},
                                                      {kSelectiveBlacks, w.blacks}};
            uint8 out[3] = {};
            for (int32 c = 0; c < 3; ++c)
                for (const auto& [range, weight] : shares) {
                    const auto& rec = records[size_t(range)];
                    const int32 v =
                        rec[3] != 0 ? ScaleSelectiveValue(rec[size_t(c)], rec[3]) : rec[size_t(c)];
                    out[c] = uint8(out[c] +
                                   Mul8(SelectiveTableModel(v, method == 0)[size_t(rgb[c])], uint32(weight)));
                }
            EXPECT_EQ(Word(AdjustInto(*layer, in)), Word(MakeNativeQuad(out[0], out[1], out[2], 4)))
                << "round " << round;
        }
    }
}

// The positions a version-1 block gives range r: ramps of 60 degrees around a one-degree core.
HueRange Version1Range(int32 inRange) {
    return HueRange{(60 * inRange + 300) % 360, 60 * inRange, (60 * inRange + 1) % 360,
                    (60 * inRange + 60) % 360};
}

HueSaturationParameters Version1Parameters() {
    HueSaturationParameters parameters;
    for (int32 r = 0; r < kHueRangeCount; ++r) parameters.ranges[r] = Version1Range(r);
    return parameters;
}

// A version-2 block; the ranges a layer starts with by default: 60 degrees apart from red, each ramping
// over 30 degrees on either side of a 30-degree core.
struct Version2 {
    bool colorize = false;
    std::array<int32, 3> colorizeValues = {0, 0, 0};
    std::array<int32, 3> master = {0, 0, 0};
    std::array<std::array<int32, 7>, 6> ranges{};
    int32 version = 2;
    Version2() {
        for (int32 r = 0; r < 6; ++r)
            for (int32 k = 0; k < 4; ++k) ranges[r][k] = (60 * r + 315 + 30 * k) % 360;
    }
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

// The arithmetic shared by the hue/saturation tables against its definition: the rescale c + ((v - a)
// (d - c) + (b - a) / 2) / (b - a), truncating, over every range it serves; the lightness table of every
// lightness (a = 255 l / 100: below 1 entry i is (i (255 + a) + 127) / 255, else 255 - ((255 - i) (255 - a)
// + 127) / 255; beyond -100..100 as the nearest end); the saturation factor of every percentage (256 s /
// 100 + 256 below 1, else min(32767, 65280 / (255 - 254 s / 100)); 100 and above 32767); the colorize
// ramp as listed (255, a falling flank, 0, the flank rising back, 255).
TEST(HueSaturationArithmetic, RescaleLightnessSaturationAndRampFollowTheirDefinitions) {
    const int32 ranges[][4] = {{-100, 100, -180, 180}, {-100, 100, 0, 100},  {-100, 100, -60, 60},
                               {0, 359, 0, 1529},      {-60, 60, -255, 255}, {-180, 180, -765, 765}};
    for (const auto& [a, b, c, d] : ranges)
        for (int32 v = a; v <= b; ++v)
            ASSERT_EQ(HueRescale(v, a, b, c, d), c + ((v - a) * (d - c) + (b - a) / 2) / (b - a)) << v;
    for (int32 l = -150; l <= 150; ++l) {
        uint8 table[256];
        BuildLightnessTable(l, table);
        const int32 a = std::clamp(l, -100, 100) * 255 / 100;
        for (int32 i = 0; i < 256; ++i)
            ASSERT_EQ(table[i],
                      a < 1 ? (i * (255 + a) + 127) / 255 : 255 - ((255 - i) * (255 - a) + 127) / 255)
                << l << " at " << i;
    }
    for (int32 s = -100; s <= 120; ++s)
        ASSERT_EQ(HueSaturationFactor(s), s < 1      ? s * 256 / 100 + 256
                                          : s >= 100 ? 32767
                                                     : std::min(32767, 65280 / (255 - s * 254 / 100)))
            << s;
    const uint8 flank[] = {244, 237, 231, 224, 218, 211, 205, 199, 193, 187, 182, 176, 170, 165,
                           159, 153, 148, 142, 137, 132, 126, 121, 115, 110, 104, 99,  93,  88,
                           82,  76,  71,  65,  59,  53,  47,  40,  34,  28,  21,  14,  7};
    for (int32 i = 0; i < 256; ++i)
        EXPECT_EQ(kColorizeRamp[size_t(i)], i < 44 || i > 212 ? 255
                                            : i < 85          ? flank[i - 44]
                                            : i < 172         ? 0
                                                              : flank[212 - i])
            << i;
}

// Master settings alone: every hue moves by the rescaled master hue around the circle, every saturation
// takes the master factor, no lightness changes by hue.
TEST(HueSaturationTables, MasterSettingsFillEveryHue) {
    for (int32 hue = -180; hue <= 180; hue += 3)
        for (int32 saturation = -100; saturation <= 100; saturation += 9) {
            HueSaturationParameters parameters = Version1Parameters();
            parameters.masterHue = hue;
            parameters.masterSaturation = saturation;
            HueTables tables;
            BuildHueTables(parameters, tables);
            const int32 shift = HueRescale(hue, -180, 180, -765, 765);
            for (int32 step = 0; step < kHueSteps; ++step) {
                ASSERT_EQ(tables.hueTable[step], (step + shift + 6120) % kHueSteps) << hue << " at " << step;
                ASSERT_EQ(tables.saturationTable[step], HueSaturationFactor(saturation)) << saturation;
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
    const std::pair<int32, int32> lightness[] = {{255, 0},    {256, 0},    {300, 1414},
                                                 {511, 8192}, {513, 8192}, {515, 8192},
                                                 {600, 5429}, {767, 0},    {768, 0}};
    for (const auto& [step, value] : lightness)
        EXPECT_EQ(tables.lightnessByHue[step], value) << "green at " << step;

    // Red saturation -100 (amount -256) on the master factor 256: the rise wraps past the end of the circle.
    HueSaturationParameters red = Version1Parameters();
    red.ranges[0].saturation = -100;
    BuildHueTables(red, tables);
    const std::pair<int32, int32> saturation[] = {{1277, 256}, {1278, 256}, {1529, 1},  {0, 0},
                                                  {4, 0},      {130, 128},  {256, 256}, {700, 256}};
    for (const auto& [step, value] : saturation)
        EXPECT_EQ(tables.saturationTable[step], value) << "red at " << step;

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

// A pixel through hue/saturation by its definition, from the hue tables of the layer's settings (checked
// above): each component through the lightness table; the hue on 1530 steps from the divide table; a
// lightness by hue moving sum and chroma by the upper half of d x chroma x 8 + 32768; the saturation and the
// new hue; chroma held to what the lightness leaves; then top, middle and bottom by the hue's sixth.
NativeQuad HueSaturationModel(const HueTables& t, NativeQuad in) {
    const int32 r = t.lightnessTable[in.red], g = t.lightnessTable[in.green], b = t.lightnessTable[in.blue];
    const int32 high = std::max({r, g, b}), low = std::min({r, g, b}), mid = r + g + b - high - low;
    int32 sum = high + low, chroma = high - low;
    const int32 h = chroma != 0 ? gDivideTable[mid - low][chroma] : 0;
    int32 hue = b <= g && g <= r  ? h
                : b <= r && r < g ? 510 - h
                : r < b && b <= g ? 510 + h
                : r < g && g < b  ? 1020 - h
                : g <= r && r < b ? 1020 + h
                : h != 0          ? 1530 - h
                                  : 0;
    if (const int32 d = t.lightnessByHue[hue]) {
        const int32 v = d * chroma * 8 + 32768, e = int16(uint32(v) >> 16);
        sum += e;
        chroma = v < 0 ? chroma + e : chroma - e;
    }
    chroma = std::min((t.saturationTable[hue] * chroma + 127) >> 8, sum > 255 ? 510 - sum : sum);
    hue = t.hueTable[hue];
    const int32 bottom = (sum - chroma) >> 1, sixth = std::min(hue / 255, 5);
    const int32 q = sixth % 2 == 0 ? hue - 255 * sixth : 255 * (sixth + 1) - hue;
    const int32 values[3] = {bottom + chroma, bottom + Mul8(uint32(q), uint32(chroma)), bottom};
    const int32 rank[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}, {1, 2, 0}, {0, 2, 1}};
    return MakeNativeQuad(uint8(values[rank[sixth][0]]), uint8(values[rank[sixth][1]]),
                          uint8(values[rank[sixth][2]]), in.alpha);
}

// Colorize by its definition: the lightness l = (max + min) / 2 of a pixel, through the colorize
// lightness table, paints a colour of hue h = 128 hue / 180 (a byte) and saturation s = 255 saturation /
// 100: v = l or 255 - l above 127, c = 2 v s / 254, base (127 when c > 254, else l) - c / 2, and each
// component base + Mul8(c, ramp) with the ramp at h, h - 85 and h - 171; the destination's fourth byte
// is kept.
NativeQuad ColorizeModel(const HueSaturationParameters& p, NativeQuad in) {
    uint8 lightness[256];
    BuildLightnessTable(p.colorizeLightness, lightness);
    const int32 l =
        lightness[(std::max({in.red, in.green, in.blue}) + std::min({in.red, in.green, in.blue})) >> 1];
    const int32 h = uint8(p.colorizeHue * 128 / 180), s = p.colorizeSaturation * 255 / 100;
    const int32 c = (l > 127 ? 255 - l : l) * 2 * s / 254, base = (c > 254 ? 127 : l) - c / 2;
    const auto component = [&](int32 offset) {
        return uint8(base + Mul8(uint32(c), kColorizeRamp[uint8(h - offset)]));
    };
    return MakeNativeQuad(component(0), component(85), component(171), 4);
}

// Random settings of both modes (master, colorize and the six ranges with their positions anywhere on the
// circle) on random pixels, grays among them.
TEST_F(ColourTest, HueSaturationAndColorizePixelsFollowTheirDefinitions) {
    std::mt19937 random(1234);
    const auto uniform = [&](int32 low, int32 high) {
        return std::uniform_int_distribution<int32>(low, high)(random);
    };
    for (int32 round = 0; round < 300; ++round) {
        Version2 block;
        block.colorize = round % 3 == 0;
        block.colorizeValues = {uniform(-180, 359), uniform(0, 100), uniform(-100, 100)};
        block.master = {uniform(-180, 180), uniform(-100, 100), round % 4 == 0 ? 0 : uniform(-100, 100)};
        for (auto& range : block.ranges)
            if (round % 2 == 0)
                range = {uniform(0, 359),  uniform(0, 359),    uniform(0, 359),   uniform(0, 359),
                         uniform(-60, 60), uniform(-100, 100), uniform(-100, 100)};
        auto layer = ReadAdjustment(kHueSaturation2Adjustment, block.Bytes()).layer;
        ASSERT_NE(layer, nullptr);
        const HueSaturationParameters& p =
            static_cast<const CHueSaturationAdjustmentLayer&>(*layer).GetParameters();
        HueTables tables;
        BuildHueTables(p, tables);
        for (int32 k = 0; k < 30; ++k) {
            NativeQuad in = WordToNativeQuad(uint32(random()));
            if (k % 5 == 0) in.green = in.blue = in.red;
            const NativeQuad expected =
                block.colorize ? ColorizeModel(p, in) : HueSaturationModel(tables, in);
            ASSERT_EQ(Word(AdjustInto(*layer, in)), Word(expected)) << "round " << round << " pixel " << k;
        }
    }
}

TEST(HueSaturationBlock, Version1IsConvertedUnderEitherKey) {
    std::array<int32, 24> values{};
    values[0] = -25;   // colorize hue: -45 degrees, kept as 315
    values[1] = 0;     // colorize saturation: 50
    values[3] = 100;   // master hue: 180 degrees
    values[4] = 100;   // red range hue: 60 degrees
    values[10] = -40;  // master saturation, unchanged
    values[23] = 7;    // magenta lightness, unchanged
    const ByteVector block = Version1Block(false, values);
    for (uint32 type : {uint32(kHueSaturationAdjustment), uint32(kHueSaturation2Adjustment)}) {
        auto layer = ReadAdjustment(type, block).layer;
        ASSERT_NE(layer, nullptr);
        const HueSaturationParameters& p =
            static_cast<const CHueSaturationAdjustmentLayer&>(*layer).GetParameters();
        EXPECT_EQ(std::make_tuple(p.colorizeHue, p.colorizeSaturation, p.masterHue, p.masterSaturation,
                                  p.ranges[0].hue, p.ranges[5].lightness),
                  std::make_tuple(315, 50, 180, -40, 60, 7));
        for (int32 r = 0; r < kHueRangeCount; ++r) {
            const HueRange want = Version1Range(r);
            EXPECT_EQ((std::array<int32, 4>{p.ranges[r].beginRamp, p.ranges[r].begin, p.ranges[r].end,
                                            p.ranges[r].endRamp}),
                      (std::array<int32, 4>{want.beginRamp, want.begin, want.end, want.endRamp}))
                << r;
        }
    }
}

// Nearest integer to inNumerator / inDenominator (inDenominator > 0), halves away from zero, computed from
// the remainder rather than from a biased numerator.
int64 NearestQuotient(int64 inNumerator, int64 inDenominator) {
    int64 quotient = inNumerator / inDenominator;
    const int64 remainder = inNumerator % inDenominator;
    if (2 * (remainder < 0 ? -remainder : remainder) >= inDenominator) quotient += inNumerator < 0 ? -1 : 1;
    return quotient;
}

TEST(SetLineTest, RandomSegmentsRoundToTheNearestEntry) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int32> coordinate(0, 255);
    for (int32 run = 0; run < 2000; ++run) {
        int32 x1 = coordinate(random), x2 = coordinate(random);
        if (x1 > x2) std::swap(x1, x2);
        if (x1 == x2) continue;
        const int32 y1 = coordinate(random), y2 = coordinate(random);
        ByteTable table;
        SetConstant(table, 0, 255, 3);
        SetLine(table, x1, x2, y1, y2);
        for (int32 x = 0; x < 256; ++x) {
            const int64 expected =
                x < x1 || x > x2 ? 3 : y1 + NearestQuotient(int64(y2 - y1) * (x - x1), x2 - x1);
            ASSERT_EQ(table[x], expected) << x1 << ".." << x2 << " " << y1 << ".." << y2 << " at " << x;
        }
    }
}

TEST(SetLineTest, DegenerateSegmentsAreReportedAndDivideByNothing) {
    ByteTable table;
    SetConstant(table, 0, 255, 50);
    std::string reports = CaptureReports([&] { SetLine(table, 40, 40, 10, 200); });
    EXPECT_TRUE(Contains(reports, "Points are coincident."));
    EXPECT_EQ(table[40], 200);
    reports = CaptureReports([&] { SetLine(table, 90, 60, 0, 255); });
    EXPECT_TRUE(Contains(reports, "Points out of order."));
    for (int32 i = 41; i < 256; ++i) ASSERT_EQ(table[i], 50);
    // A single point is stored without a report; points beyond the table are not written.
    reports = CaptureReports([&] {
        SetLine(table, 7, 7, 9, 9);
        SetLine(table, 250, 600, 0, 350);
    });
    EXPECT_EQ(reports, "");
    EXPECT_EQ(table[7], 9);
    EXPECT_EQ(table[255], 5);  // 350 * 5 / 350 on the way to 350
}

int32 PowerLaw(int32 i, double inExponent) {
    return int32(std::floor(std::pow(i / 255.0, inExponent) * 255.0 + 0.5));
}

TEST(GammaTableTest, IdentityPowerLawCubicFootAndGammasBelowOne) {
    ByteTable table;
    // Gammas up to 1.01 are the plain power law (no foot is fitted), 1.0 the identity.
    for (int16 g : {10, 50, 99, 100, 101}) {
        BuildGammaTable(table, g);
        for (int32 i = 0; i < 256; ++i) ASSERT_EQ(table[i], PowerLaw(i, 100.0 / g)) << g << " " << i;
    }
    // Gamma 2.0: the knee is at 32; from there on the power law, below it a rising cubic from 0.
    BuildGammaTable(table, 200);
    EXPECT_EQ(table[0], 0);
    for (int32 i = 32; i < 256; ++i) ASSERT_EQ(table[i], PowerLaw(i, 0.5)) << i;
    for (int32 i = 1; i <= 32; ++i) ASSERT_GE(table[i], table[i - 1]) << i;
    EXPECT_LT(table[1], PowerLaw(1, 0.5));  // finite slope at black
    // Gamma 7.0: the knee is at 2, so entry 1 alone lies on the foot, below the power law.
    BuildGammaTable(table, 700);
    EXPECT_LT(table[1], PowerLaw(1, 1 / 7.0));
    EXPECT_EQ(table[2], PowerLaw(2, 1 / 7.0));
    // Knee-less high gammas and every gamma in between stay monotone.
    for (int16 g = 101; g <= 999; g += 7) {
        BuildGammaTable(table, g);
        EXPECT_EQ(table[255], 255) << g;
        for (int32 i = 1; i < 256; ++i) ASSERT_GE(table[i], table[i - 1]) << g << " " << i;
    }
    // Below one is reported and computed: an infinite exponent is black up to the last entry.
    for (int16 g : {0, -1, -300})
        EXPECT_TRUE(Contains(CaptureReports([&] { BuildGammaTable(table, g); }), "Zero or negative gamma"))
            << g;
    BuildGammaTable(table, 0);
    EXPECT_EQ(table[254], 0);
    EXPECT_EQ(table[255], 255);
}

TEST(SetGammaLineTest, LinearShortcutsAndScaledSegments) {
    ByteTable line, gammaLine, full;
    SetConstant(line, 0, 255, 0);
    SetConstant(gammaLine, 0, 255, 0);
    SetLine(line, 20, 200, 30, 180);
    SetGammaLine(gammaLine, 20, 200, 30, 180, 1.0);
    EXPECT_EQ(Table(line), Table(gammaLine));
    SetGammaLine(gammaLine, 0, 255, 0, 255, 1.6);
    BuildGammaTable(full, 160);
    EXPECT_EQ(Table(gammaLine), Table(full));
    SetGammaLine(gammaLine, 0, 255, 0, 255, 0.625);  // hundredths rounded half away: 63
    BuildGammaTable(full, 63);
    EXPECT_EQ(Table(gammaLine), Table(full));

    // A segment samples the full table at its relative position and scales it into its own range.
    ByteTable segment;
    SetConstant(segment, 0, 255, 1);
    SetGammaLine(segment, 50, 150, 200, 40, 0.5);
    BuildGammaTable(full, 50);
    for (int32 x = 0; x < 256; ++x) {
        if (x < 50 || x > 150) {
            ASSERT_EQ(segment[x], 1) << x;
            continue;
        }
        const int32 j = ((x - 50) * 255 + 50) / 100;
        const double value = 200.0 + (full[j] * -160 - 127) / 255.0;
        ASSERT_EQ(segment[x], int32(std::trunc(value))) << x;
    }
    EXPECT_EQ(segment[50], 199);  // 200 - 127 / 255 truncates toward zero
}

// The natural cubic spline the classic way, from its second derivatives (moments) M: zero at both ends,
// h(i-1) M(i-1) + 2 (h(i-1) + h(i)) M(i) + h(i) M(i+1) = 6 (s(i) - s(i-1)) inside, solved by elimination
// down the tridiagonal system and substitution back up; evaluated at inAt from the moments.
double MomentSpline(const std::vector<double>& x, const std::vector<double>& y, double inAt) {
    const size_t n = x.size();
    std::vector<double> diagonal(n, 1.0), rhs(n, 0.0), m(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) {
        const double h0 = x[i] - x[i - 1], h1 = x[i + 1] - x[i], f = h0 / diagonal[i - 1];
        diagonal[i] = 2 * (h0 + h1) - f * (i > 1 ? h0 : 0.0);
        rhs[i] = 6 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0) - f * rhs[i - 1];
    }
    for (size_t i = n - 2; i >= 1; --i) m[i] = (rhs[i] - (x[i + 1] - x[i]) * m[i + 1]) / diagonal[i];
    size_t j = 1;
    while (j + 1 < n && x[j] < inAt) ++j;
    const double h = x[j] - x[j - 1], a = x[j] - inAt, b = inAt - x[j - 1];
    return (m[j - 1] * a * a * a + m[j] * b * b * b) / (6 * h) + (y[j - 1] / h - m[j - 1] * h / 6) * a +
           (y[j] / h - m[j] * h / 6) * b;
}

TEST(SplineSolverTest, NaturalSplineThroughRandomPoints) {
    std::mt19937 random(5);
    for (int32 run = 0; run < 200; ++run) {
        CSplineSolver solver;
        std::vector<double> xs, ys;
        for (int32 i = 0, count = 3 + int32(random() % 14), x = int32(random() % 20); i < count; ++i) {
            xs.push_back(x);
            ys.push_back(int32(random() % 256));
            solver.AddPoint(x, int32(ys.back()));
            x += 1 + int32(random() % 16);
        }
        solver.Solve();
        for (double at = xs.front(); at <= xs.back(); at += 0.25)
            ASSERT_NEAR(solver.Evaluate(at), MomentSpline(xs, ys, at), 1e-6) << "run " << run << " at " << at;
        // Beyond the ends the end values hold.
        EXPECT_EQ(solver.Evaluate(xs.front() - 5.0), ys.front());
        EXPECT_EQ(solver.Evaluate(xs.back() + 5.0), ys.back());
    }
}

TEST(SplineSolverTest, TwoPointsAreAStraightLineAndLimitsAreReported) {
    CSplineSolver line;
    line.AddPoint(10, 20);
    line.AddPoint(110, 70);
    line.Solve();
    EXPECT_DOUBLE_EQ(line.Slope(0), 0.5);
    EXPECT_DOUBLE_EQ(line.Slope(1), 0.5);
    EXPECT_DOUBLE_EQ(line.Evaluate(60.0), 45.0);
    EXPECT_EQ(line.EvaluateRounded(11.0), 21);  // 20.5 rounds up

    CSplineSolver lonely;
    lonely.AddPoint(3, 3);
    EXPECT_TRUE(Contains(CaptureReports([&] { lonely.Solve(); }), "CSplineSolver:Too few points"));
    CSplineSolver full;
    for (int32 i = 0; i < 16; ++i) full.AddPoint(i * 10, i);
    EXPECT_TRUE(Contains(CaptureReports([&] { full.AddPoint(200, 0); }), "CSplineSolver:Too many points"));
    EXPECT_EQ(full.Count(), 16);
}

std::vector<uint8> Fitted(const std::vector<std::pair<int32, int32>>& inPoints) {
    CurvePoints curve;
    curve.count = int32(inPoints.size());
    for (size_t i = 0; i < inPoints.size(); ++i) curve.points[i] = {inPoints[i].first, inPoints[i].second};
    ByteTable table;
    FitSplineCurve(curve, table);
    return Table(table);
}

// The curve's table is the spline through its points, rounded halves away and held to 0..255; inputs
// that do not increase are left out; one remaining point gives a constant table.
TEST(FitSplineCurveTest, CurvesBecomeTables) {
    ByteTable table;
    CurvePoints null;
    EXPECT_TRUE(null.IsNull());
    FitSplineCurve(null, table);
    for (int32 i = 0; i < 256; ++i) ASSERT_EQ(table[i], i);
    for (const auto& points : {std::vector<std::pair<int32, int32>>{{0, 0}, {128, 200}, {255, 255}},
                               std::vector<std::pair<int32, int32>>{{0, 0}, {10, 255}, {20, 255}, {30, 0}}}) {
        CSplineSolver solver;
        for (const auto& [input, output] : points) solver.AddPoint(input, output);
        solver.Solve();
        const std::vector<uint8> fitted = Fitted(points);
        for (int32 i = 0; i < 256; ++i)
            ASSERT_EQ(fitted[i], std::clamp(std::lround(solver.Evaluate(i)), 0L, 255L)) << i;
    }
    EXPECT_EQ(Fitted({{0, 10}, {100, 90}, {100, 250}, {50, 0}}), Fitted({{0, 10}, {100, 90}}));
    EXPECT_EQ(Fitted({{40, 70}, {40, 80}}), std::vector<uint8>(256, 70));
}

TEST(FitSplineCurveTest, MapsBecomeNinePointCurves) {
    ByteTable map;
    SetIdentity(map);
    EXPECT_TRUE(CurveFromMap(map).IsNull());
    for (int32 i = 0; i < 256; ++i) map[i] = uint8(255 - i);
    const CurvePoints curve = CurveFromMap(map);
    ASSERT_EQ(curve.count, 9);
    const int32 inputs[9] = {0, 32, 64, 96, 128, 159, 191, 223, 255};
    for (int32 k = 0; k < 9; ++k) {
        EXPECT_EQ(curve.points[k].input, inputs[k]);
        EXPECT_EQ(curve.points[k].output, 255 - inputs[k]);
    }
}

constexpr int32 kDocWidth = 8;
constexpr int32 kDocHeight = 4;
const NativeQuad kBase = MakeNativeQuad(200, 100, 50, 255);

// A base layer of one colour (with inBaseAlpha) and above it an adjustment layer whose mask reveals the
// left half.
ByteVector Document(uint32 inKey, const ByteVector& inData, uint8 inBaseAlpha = 255) {
    DocumentBuilder doc(kDocWidth, kDocHeight);
    doc.AddLayer(
        LayerSpec::Solid(0, 0, kDocWidth, kDocHeight, kBase.red, kBase.green, kBase.blue, inBaseAlpha));
    LayerSpec adjustment;
    adjustment.mask = MaskSpec::Rect(0, 0, kDocWidth / 2, kDocHeight, 0);
    adjustment.channels.push_back(ChannelSpec::Filled(kChannelMask, 255));
    adjustment.blocks.push_back(AdditionalBlock::Raw(inKey, inData));
    doc.AddLayer(adjustment);
    return doc.Build();
}

using AdjustmentDocumentTest = ReaderTest;

// Every kind (that changes the base colour) recolours beneath its mask only, and never changes the
// coverage beneath.
TEST_F(AdjustmentDocumentTest, AdjustmentRecoloursBeneathItsMaskOnly) {
    int32 kinds = 0;
    for (const KindCase& kind : EveryKind()) {
        ReadResult direct = ReadAdjustment(kind.type, kind.data);
        ASSERT_NE(direct.layer, nullptr) << kind.name;
        NativeQuad base = kBase, adjusted = Adjust(*direct.layer, kBase);
        if (Word(adjusted) == Word(kBase)) continue;
        ++kinds;
        for (uint8 baseAlpha : {255, 128}) {
            ReadDocument document(Document(kind.key, kind.data, baseAlpha));
            ASSERT_TRUE(document.loaded) << kind.name << ": " << document.error;
            ASSERT_EQ(document.image->GetLayerCount(), 2) << kind.name;
            CLayer* layer = document.image->GetLayerWithPosition(1);
            ASSERT_EQ(layer->GetLayerType(), eAdjustmentLayer) << kind.name;
            EXPECT_EQ(static_cast<CAdjustmentLayer*>(layer)->GetAdjustmentType(),
                      kind.writtenType ? kind.writtenType : kind.type)
                << kind.name;
            EXPECT_TRUE(layer->GetAdjustmentMask()) << kind.name;
            base.alpha = adjusted.alpha = baseAlpha;
            // Every pixel: the adjusted colour in the left half, the base colour in the right half.
            const std::vector<NativeQuad> pixels = CanvasComposite(*document.image);
            for (int32 i = 0; i < kDocWidth * kDocHeight; ++i)
                ASSERT_EQ(Word(pixels[size_t(i)]), Word(i % kDocWidth < kDocWidth / 2 ? adjusted : base))
                    << kind.name << " at " << i % kDocWidth << "," << i / kDocWidth;
        }
    }
    EXPECT_GE(kinds, 15);
}

TEST_F(AdjustmentDocumentTest, RefusedBlocksFailTheRead) {
    const struct {
        const char* name;
        uint32 key;
        ByteVector data;
    } cases[] = {
        {"curves version 2", FourCC("curv"), Block().U8(0).I16(2).U32(0).Zeros(1).bytes},
        {"curve of one point", FourCC("curv"),
         Block().U8(0).I16(1).U32(1).I16(1).I16(0).I16(0).Zeros(1).bytes},
        {"curve point 300", FourCC("curv"),
         Block().U8(0).I16(1).U32(1).I16(2).I16(300).I16(0).I16(255).I16(255).Zeros(1).bytes},
        {"curves version 0 in map form", FourCC("curv"), Block().U8(1).I16(0).U32(0).Zeros(8).bytes},
        {"curve of seventeen points", FourCC("curv"), Block().U8(0).I16(1).U32(1).I16(17).Zeros(80).bytes},
        {"curve output 256", FourCC("curv"),
         Block().U8(0).I16(1).U32(1).I16(2).I16(0).I16(0).I16(256).I16(255).Zeros(4).bytes},
        {"curve input -1", FourCC("curv"),
         Block().U8(0).I16(1).U32(8).I16(2).I16(0).I16(-1).I16(255).I16(255).Zeros(4).bytes},
        {"levels version 1 of 6 records", FourCC("levl"), Block().I16(1).U16(6).Zeros(96).bytes},
        {"levels version 1 of no records", FourCC("levl"), Block().I16(1).U16(0).Zeros(96).bytes},
        {"levels version 1 of 65535 records", FourCC("levl"), Block().I16(1).U16(0xFFFF).Zeros(96).bytes},
        {"mixer version 0", FourCC("mixr"), Block().I16(0).Zeros(42).bytes},
        {"mixer version 2", FourCC("mixr"), Block().I16(2).Zeros(42).bytes},
        {"mixer version -1", FourCC("mixr"), Block().I16(-1).Zeros(42).bytes},
        {"selective version 0", FourCC("selc"), Block().I16(0).Zeros(82).bytes},
        {"selective version 2", FourCC("selc"), Block().I16(2).Zeros(82).bytes},
        {"selective version 256", FourCC("selc"), Block().I16(0x100).Zeros(82).bytes},
        {"hue version 3", FourCC("hue2"), Block().I16(3).Zeros(98).bytes},
        {"hue version -1", FourCC("hue2"), Block().I16(-1).Zeros(98).bytes},
        {"hue version 0x201", FourCC("hue2"), Block().I16(0x201).Zeros(98).bytes},
        {"hue version 0 under the old key", FourCC("hue "), Block().I16(0).Zeros(50).bytes},
    };
    for (const auto& c : cases) {
        ReadDocument document(Document(c.key, c.data));
        EXPECT_FALSE(document.loaded) << c.name;
        EXPECT_EQ(document.error, kRefusal) << c.name;
    }
}

// Blocks of every kind of random length and content, or of extreme values, build a layer or are refused,
// and a built layer takes every kind of pixel. The sanitizer build checks that nothing reads outside its
// buffers or tables.
TEST(AdjustmentFactoryTest, HostileBlocksStayInBounds) {
    std::vector<NativeQuad> pixels;
    for (int32 r = 0; r < 256; r += 17)
        for (int32 g = 0; g < 256; g += 15)
            for (int32 b = 0; b < 256; b += 51)
                pixels.push_back(MakeNativeQuad(uint8(r), uint8(g), uint8(b), 1));
    const auto exercise = [&](CAdjustmentLayer& inLayer) {
        std::vector<NativeQuad> out(pixels.size(), MakeNativeQuad(0, 0, 0, 77));
        int32 rowBytes = int32(pixels.size() * 4), outRowBytes = rowBytes;
        inLayer.AdjustTile(GRect(0, 0, int32(pixels.size()), 1), pixels.data(), rowBytes, out.data(),
                           outRowBytes);
    };
    std::mt19937 random(77);
    int32 built = 0;
    for (const KindCase& kind : EveryKind()) {
        for (int32 round = 0; round < 40; ++round) {
            ByteVector data(std::uniform_int_distribution<size_t>(0, 110)(random));
            for (uint8& byte : data) byte = uint8(random());
            // Keep a valid version often enough that most rounds build a layer.
            if (data.size() >= 3 && round % 2 == 0) {
                const size_t at = kind.type == kCurvesAdjustment ? 1 : 0;
                data[at] = 0, data[at + 1] = uint8(1 + round % 4 / 2);
            }
            ReadResult result = ReadAdjustment(kind.type, data);
            if (result.layer == nullptr) {
                // A bad version, or a block running past the end of the file.
                EXPECT_TRUE(result.error == kRefusal || result.error == kMiscDisk)
                    << kind.name << ": " << result.error;
                continue;
            }
            ++built;
            exercise(*result.layer);
        }
        if (kind.type == kCurvesAdjustment || kind.type == kLevelsAdjustment) continue;
        for (int32 extreme : {-32768, 32767, -101, 101}) {
            Block block;
            block.I16(kind.type == kHueSaturation2Adjustment ? 2 : 1);
            for (int32 i = 0; i < 60; ++i) block.I16(i % 3 == 0 ? extreme : -extreme / 2);
            ReadResult result = ReadAdjustment(kind.type, block.bytes);
            ASSERT_NE(result.layer, nullptr) << kind.name << " " << extreme << ": " << result.error;
            exercise(*result.layer);
        }
    }
    EXPECT_GT(built, 200);
}

}  // namespace
