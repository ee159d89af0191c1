// Adjustment layers of one table per component read from their blocks: the factory and the framework
// they share (the stream left in place, writing back, cloning, whole tiles), invert, brightness/contrast,
// threshold, posterize, levels and curves.
#include <gtest/gtest.h>

#include <set>

#include "Src/Orvane/Src/Adjustments/CCurvesAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CLevelsAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CPosterizeAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CThresholdAdjustmentLayer.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/support/ReportCapture.h"

using namespace AdjustmentTest;

namespace {

std::vector<uint8> BrightnessContrast(int32 inBrightness, int32 inContrast, int32 inPivot) {
    ReadResult read =
        ReadAdjustment(kBrightnessContrastAdjustment,
                       Block().I16(inBrightness).I16(inContrast).I16(inPivot).U8(1).U8(0xAA).bytes);
    EXPECT_NE(read.layer, nullptr);
    return AppliedTable(*read.layer, 1);
}

std::vector<uint8> Posterize(int32 inLevels) {
    ReadResult read = ReadAdjustment(kPosterizeAdjustment, Block().I16(inLevels).U16(0).bytes);
    EXPECT_NE(read.layer, nullptr);
    return AppliedTable(*read.layer, 2);
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
        EXPECT_EQ(layer.GetLayerType(), eAdjustmentLayer);
        EXPECT_EQ(layer.GetName(), "adjustment");
        EXPECT_EQ(layer.GetLayerID(), 5u);
        EXPECT_EQ(layer.GetOrigin(), GPoint::zero);
        EXPECT_FALSE(layer.HasOwnPixels());
        EXPECT_FALSE(layer.SupportsPixelTransforms());
        // Without a mask the layer covers nothing: its bounds are its mask's.
        EXPECT_TRUE(layer.GetBounds().Empty());
        EXPECT_TRUE(layer.GetContentBounds().Empty());
        EXPECT_TRUE(layer.IsEmpty());
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

TEST(BrightnessContrastLayerTest, FiguresOfBothBranches) {
    EXPECT_EQ(BrightnessContrast(0, 0, 127), Identity());
    // Contrast 100: a hard step at the input centre, pivot minus brightness.
    const std::vector<uint8> step = BrightnessContrast(20, 100, 120);
    for (int32 i = 0; i < 256; ++i) ASSERT_EQ(step[i], i < 100 ? 0 : 255) << i;
    // Contrast -100: everything at the output centre, pivot plus brightness, clamped.
    for (int32 i : BrightnessContrast(30, -100, 90)) ASSERT_EQ(i, 120);
    for (int32 i : BrightnessContrast(200, -100, 90)) ASSERT_EQ(i, 255);
    // Steeper: s = 255 - 127 = 128, input centre 108, output centre 128.
    const std::vector<uint8> steep = BrightnessContrast(20, 50, 128);
    EXPECT_EQ(steep[0], 0);      // 128 - (108 * 255 + 64) / 128 < 0
    EXPECT_EQ(steep[100], 112);  // 128 - (8 * 255 + 64) / 128 = 128 - 16
    EXPECT_EQ(steep[108], 128);
    EXPECT_EQ(steep[110], 132);  // 128 + (510 + 64) / 128
    EXPECT_EQ(steep[200], 255);
    // Flatter: s = -127 + 255 = 128, output centre 110, input centre 100.
    const std::vector<uint8> flat = BrightnessContrast(10, -50, 100);
    EXPECT_EQ(flat[0], 60);  // 110 - (128 * 100 + 127) / 255
    EXPECT_EQ(flat[100], 110);
    EXPECT_EQ(flat[255], 188);  // 110 + (128 * 155 + 127) / 255
}

TEST(ThresholdLayerTest, LuminanceDecidesBlackOrWhite) {
    auto threshold = [](int32 inLevel) {
        return ReadAdjustment(kThresholdAdjustment, Block().I16(inLevel).U16(0).bytes).layer;
    };
    // Pure red has luminance (255 * 4915 + 8192) >> 14 = 76; pure green 150; pure blue 28.
    std::unique_ptr<CAdjustmentLayer> at76 = threshold(76), at77 = threshold(77);
    EXPECT_EQ(Adjust(*at76, MakeNativeQuad(255, 0, 0, 3)), MakeNativeQuad(255, 255, 255, 3));
    EXPECT_EQ(Adjust(*at77, MakeNativeQuad(255, 0, 0, 3)), MakeNativeQuad(0, 0, 0, 3));
    EXPECT_EQ(Adjust(*at77, MakeNativeQuad(0, 255, 0, 3)), MakeNativeQuad(255, 255, 255, 3));
    EXPECT_EQ(Adjust(*at77, MakeNativeQuad(0, 0, 255, 3)), MakeNativeQuad(0, 0, 0, 3));
    EXPECT_EQ(ThresholdLuminance(255, 255, 255), 255);
    std::unique_ptr<CAdjustmentLayer> white = threshold(0), black = threshold(256);
    for (int32 v = 0; v < 256; v += 5) {
        const NativeQuad pixel = MakeNativeQuad(uint8(v), uint8(255 - v), uint8(v / 2), 9);
        EXPECT_EQ(Adjust(*white, pixel), MakeNativeQuad(255, 255, 255, 9));
        EXPECT_EQ(Adjust(*black, pixel), MakeNativeQuad(0, 0, 0, 9));
    }
}

TEST(PosterizeLayerTest, LevelCountsTheFiveBitCaseAndCountsBelowTwo) {
    const std::vector<uint8> five = Posterize(32);
    EXPECT_EQ(five[255], 255);
    EXPECT_EQ(five[8], 8);
    EXPECT_EQ(five[7], 0);
    EXPECT_EQ(five[100], 99);  // q = 12: 96 + 3
    const std::vector<uint8> four = Posterize(4);
    EXPECT_EQ(std::set<uint8>(four.begin(), four.end()), (std::set<uint8>{0, 85, 170, 255}));
    for (int32 n = 2; n <= 256; ++n) {
        const std::vector<uint8> table = Posterize(n);
        const std::set<uint8> outputs(table.begin(), table.end());
        ASSERT_EQ(int32(outputs.size()), n) << n;
        ASSERT_EQ(*outputs.begin(), 0);
        ASSERT_EQ(*outputs.rbegin(), 255);
        for (int32 i = 1; i < 256; ++i) ASSERT_GE(table[i], table[i - 1]) << n;
    }
    // Counts below two act as two (a step at 128) and are kept as read.
    for (int32 levels : {1, 0, -7}) {
        const std::vector<uint8> two = Posterize(levels);
        for (int32 i = 0; i < 256; ++i) ASSERT_EQ(two[i], i < 128 ? 0 : 255) << i;
        ReadResult read = ReadAdjustment(kPosterizeAdjustment, Block().I16(levels).U16(0x1234).bytes);
        EXPECT_EQ(static_cast<CPosterizeAdjustmentLayer&>(*read.layer).GetLevels(), levels);
    }
}

// Tiles of several rows with their own row bytes, in place and into a separate destination: every pixel
// as the layer makes it alone, in place the fourth byte kept, nothing written beyond the width.
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
                if (x < kWidth)
                    expected.alpha = out[o].alpha;  // which fourth byte each kind writes: its own suites
                ASSERT_EQ(Word(out[o]), Word(expected)) << each.name << " at " << x << "," << y;
            }
    }
}

}  // namespace

namespace {

struct Record {
    uint16 inputBlack = 0, inputWhite = 255, outputBlack = 0, outputWhite = 255, gamma = 100;
};

ByteVector LevelsBlock(const std::vector<Record>& inRecords) {
    Block block;
    block.I16(2);
    for (const Record& r : inRecords)
        block.U16(r.inputBlack).U16(r.inputWhite).U16(r.outputBlack).U16(r.outputWhite).U16(r.gamma);
    return block.bytes;
}

std::vector<uint8> LevelsTable(const Record& inRecord) {
    LevelsRecord record{inRecord.inputBlack, inRecord.inputWhite, inRecord.outputBlack, inRecord.outputWhite,
                        inRecord.gamma};
    ByteTable table;
    BuildLevelsTable(record, table);
    return std::vector<uint8>(table, table + 256);
}

std::vector<uint8> Compose(const std::vector<uint8>& inFirst, const std::vector<uint8>& inSecond) {
    std::vector<uint8> out(256);
    for (int32 i = 0; i < 256; ++i) out[i] = inSecond[inFirst[i]];
    return out;
}

TEST(LevelsLayerTest, RecordTablesFigures) {
    const std::vector<uint8> table = LevelsTable({10, 245, 0, 255, 100});
    for (int32 i = 0; i <= 10; ++i) EXPECT_EQ(table[i], 0) << i;
    for (int32 i = 245; i <= 255; ++i) EXPECT_EQ(table[i], 255) << i;
    EXPECT_EQ(table[128], 128);
    // Output range only: a straight line from outputBlack to outputWhite.
    const std::vector<uint8> outputs = LevelsTable({0, 255, 40, 200, 100});
    EXPECT_EQ(outputs[0], 40);
    EXPECT_EQ(outputs[255], 200);
    EXPECT_EQ(outputs[128], 40 + (160 * 128 + 127) / 255);
    // Degenerate input ranges never divide by zero: a step, or two constant runs.
    const std::vector<uint8> step = LevelsTable({128, 128, 0, 255, 100});
    EXPECT_EQ(step[127], 0);
    EXPECT_EQ(step[128], 255);
    const std::vector<uint8> crossed = LevelsTable({200, 100, 30, 220, 150});
    EXPECT_EQ(crossed[100], 30);
    EXPECT_EQ(crossed[101], 220);
}

TEST(LevelsLayerTest, DefaultMasterLeavesEachColourItsOwnTable) {
    const Record red{20, 230, 0, 255, 100}, green{0, 255, 50, 255, 100}, blue{0, 200, 0, 255, 80};
    ReadResult read = ReadAdjustment(kLevelsAdjustment, LevelsBlock({{}, red, green, blue}));
    ASSERT_NE(read.layer, nullptr);
    EXPECT_EQ(AppliedTable(*read.layer, 0), LevelsTable(red));
    EXPECT_EQ(AppliedTable(*read.layer, 1), LevelsTable(green));
    EXPECT_EQ(AppliedTable(*read.layer, 2), LevelsTable(blue));
}

TEST(LevelsLayerTest, MasterIsComposedAfterTheColourOrMergedIntoOneGamma) {
    // The master narrows its input range: no merge, colour table first, master second.
    const Record master{30, 220, 0, 255, 100}, red{0, 255, 0, 255, 150};
    ReadResult composed = ReadAdjustment(kLevelsAdjustment, LevelsBlock({master, red}));
    ASSERT_NE(composed.layer, nullptr);
    EXPECT_EQ(AppliedTable(*composed.layer, 0), Compose(LevelsTable(red), LevelsTable(master)));
    EXPECT_EQ(AppliedTable(*composed.layer, 1), LevelsTable(master));

    // A full-range master with a gamma and colour records with full output ranges merge: gamma 1.50 x 1.20
    // gives one segment of gamma 1.80 over the colour's input range and the master's output range.
    const Record gammaMaster{0, 255, 10, 240, 150}, gammaRed{0, 255, 0, 255, 120},
        inputGreen{40, 255, 0, 255, 100};
    ReadResult merged = ReadAdjustment(kLevelsAdjustment, LevelsBlock({gammaMaster, gammaRed, inputGreen}));
    ASSERT_NE(merged.layer, nullptr);
    EXPECT_EQ(AppliedTable(*merged.layer, 0), LevelsTable({0, 255, 10, 240, 180}));
    EXPECT_EQ(AppliedTable(*merged.layer, 1), LevelsTable({40, 255, 10, 240, 150}));
    EXPECT_EQ(AppliedTable(*merged.layer, 2), LevelsTable({0, 255, 10, 240, 150}));
    EXPECT_NE(AppliedTable(*merged.layer, 0), Compose(LevelsTable(gammaRed), LevelsTable(gammaMaster)));

    // A combined gamma beyond 9.99 does not merge.
    const Record steepMaster{0, 255, 0, 255, 500}, steepRed{0, 255, 0, 255, 300};
    ReadResult unmerged = ReadAdjustment(kLevelsAdjustment, LevelsBlock({steepMaster, steepRed}));
    EXPECT_EQ(AppliedTable(*unmerged.layer, 0), Compose(LevelsTable(steepRed), LevelsTable(steepMaster)));
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
    EXPECT_EQ(AppliedTable(*capped.layer, 0), LevelsTable(many[1]));
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
    const std::vector<uint8> redTable = AppliedTable(*read.layer, 0);
    EXPECT_EQ(redTable, std::vector<uint8>(fitted, fitted + 256));
    EXPECT_EQ(redTable[128], 200);
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
    CurvesHeader(block, true, 1u << 0 | 1u << 2 | 1u << 30).Bytes(master, 256).Bytes(green, 256).Zeros(1);
    ReadResult read = ReadAdjustment(kCurvesAdjustment, block.bytes);
    ASSERT_NE(read.layer, nullptr);
    const auto& curves = static_cast<const CCurvesAdjustmentLayer&>(*read.layer);
    EXPECT_EQ(AppliedTable(*read.layer, 0), std::vector<uint8>(master, master + 256));
    std::vector<uint8> greenThenMaster(256);
    for (int32 i = 0; i < 256; ++i) greenThenMaster[i] = master[green[i]];
    EXPECT_EQ(AppliedTable(*read.layer, 1), greenThenMaster);
    EXPECT_EQ(curves.GetCurve(2).count, 9);
    EXPECT_EQ(curves.GetCurve(2).points[4].output, 74);  // green[128]
    EXPECT_TRUE(curves.GetCurve(1).IsNull());
}

}  // namespace
