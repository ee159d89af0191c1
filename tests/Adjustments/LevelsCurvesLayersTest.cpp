// Levels and curves layers read from their blocks: the tables they apply, refused blocks, writing back.
#include <gtest/gtest.h>

#include "Src/Orvane/Src/Adjustments/CCurvesAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CLevelsAdjustmentLayer.h"
#include "tests/Adjustments/AdjustmentTestSupport.h"

using namespace AdjustmentTest;

namespace {

struct Record {
    uint16 inputBlack = 0, inputWhite = 255, outputBlack = 0, outputWhite = 255, gamma = 100;
};

ByteVector LevelsBlock(const std::vector<Record>& inRecords) {
    Block block;
    block.I16(2);
    for (const Record& r : inRecords) block.U16(r.inputBlack).U16(r.inputWhite).U16(r.outputBlack).U16(r.outputWhite).U16(r.gamma);
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
    const Record gammaMaster{0, 255, 10, 240, 150}, gammaRed{0, 255, 0, 255, 120}, inputGreen{40, 255, 0, 255, 100};
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

TEST(LevelsLayerTest, BlockVersionsAndLengths) {
    // Version 1: 16-byte records with their values at +0, +4, +6, +8, +10.
    Block v1;
    v1.I16(1).U16(2);
    v1.U16(0).U16(0xDEAD).U16(255).U16(0).U16(255).U16(100).U32(0xBEEFBEEF);
    v1.U16(25).U16(0xDEAD).U16(235).U16(5).U16(250).U16(100).U32(0xBEEFBEEF);
    ReadResult read = ReadAdjustment(kLevelsAdjustment, v1.bytes);
    ASSERT_NE(read.layer, nullptr);
    EXPECT_EQ(AppliedTable(*read.layer, 0), LevelsTable({25, 235, 5, 250, 100}));
    auto& levels = static_cast<CLevelsAdjustmentLayer&>(*read.layer);
    EXPECT_EQ(levels.GetRecordCount(), 2);
    // Written back as version 2: 2 + 20 bytes and two zero bytes of padding.
    EXPECT_EQ(levels.GetDataLength(), 24u);
    ByteVector expected = LevelsBlock({{}, {25, 235, 5, 250, 100}});
    expected.resize(24, 0);
    EXPECT_EQ(WrittenData(levels), expected);

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
    red.points[0] = {0, 0};
    red.points[1] = {128, 200};
    red.points[2] = {255, 255};
    ByteTable fitted;
    FitSplineCurve(red, fitted);
    const std::vector<uint8> redTable = AppliedTable(*read.layer, 0);
    EXPECT_EQ(redTable, std::vector<uint8>(fitted, fitted + 256));
    EXPECT_EQ(redTable[128], 200);
    EXPECT_EQ(AppliedTable(*read.layer, 1), Identity());
    EXPECT_EQ(AppliedTable(*read.layer, 2), Identity());
    // Written back in the same form: 7 + 2 + 12 = 21 bytes, padded to 24.
    EXPECT_EQ(read.layer->GetDataLength(), 24u);
    EXPECT_EQ(WrittenData(*read.layer), block.bytes);
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
    EXPECT_EQ(curves.GetDataLength(), 7u + 512u + 1u);
    Block written;  // bit 30 is not an entry and is not written back
    CurvesHeader(written, true, 1u << 0 | 1u << 2).Bytes(master, 256).Bytes(green, 256).Zeros(1);
    EXPECT_EQ(WrittenData(curves), written.bytes);
}

TEST(CurvesLayerTest, NullCurvesWriteAnEmptyBlock) {
    Block empty;
    CurvesHeader(empty, false, 0).Zeros(1);
    ReadResult read = ReadAdjustment(kCurvesAdjustment, empty.bytes);
    ASSERT_NE(read.layer, nullptr);
    for (int32 channel = 0; channel < 3; ++channel) EXPECT_EQ(AppliedTable(*read.layer, channel), Identity());
    EXPECT_EQ(read.layer->GetDataLength(), 8u);
    EXPECT_EQ(WrittenData(*read.layer), empty.bytes);
}

}  // namespace

