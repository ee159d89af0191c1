#include "Src/Orvane/Src/Adjustments/CLevelsAdjustmentLayer.h"

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

namespace {

constexpr int32 kVersion1MaxRecords = 5;

// Master gamma times colour gamma, in hundredths.
int64 CombinedGamma(const LevelsRecord& inMaster, const LevelsRecord& inColor) {
    return int64(inMaster.gamma) * int64(inColor.gamma) / 100;
}

// The segment from (inputBlack, outputBlack) to (inputWhite, outputWhite) with a gamma in hundredths.
void LevelsSegment(uint8* ioTable, int32 inInputBlack, int32 inInputWhite, int32 inOutputBlack,
                   int32 inOutputWhite, int64 inGamma) {
    SetConstant(ioTable, 0, inInputBlack - 1, inOutputBlack);
    if (inGamma != 100)
        SetGammaLine(ioTable, inInputBlack, inInputWhite, inOutputBlack, inOutputWhite,
                     double(inGamma) * 0.01);
    else
        SetLine(ioTable, inInputBlack, inInputWhite, inOutputBlack, inOutputWhite);
    SetConstant(ioTable, inInputWhite + 1, kTableSize - 1, inOutputWhite);
}

}  // namespace

void BuildLevelsTable(const LevelsRecord& inRecord, uint8* outTable) {
    SetIdentity(outTable);
    LevelsSegment(outTable, inRecord.inputBlack, inRecord.inputWhite, inRecord.outputBlack,
                  inRecord.outputWhite, inRecord.gamma);
}

CLevelsAdjustmentLayer::CLevelsAdjustmentLayer(const AdjustmentLayerSettings& inSettings,
                                               SReadStream& inStream, uint32 inDataPosition,
                                               uint32 inDataLength)
    : CAdjustmentLayer(inSettings) {
    for (ByteTable& table : tables) SetIdentity(table);
    StAdjustmentDataReader block(inStream, inDataPosition);
    const int16 version = inStream.ReadI16();
    if (version == 2)
        ReadVersion2(inStream, inDataLength);
    else if (version == 1)
        ReadVersion1(inStream);
    BuildTables();
}

void CLevelsAdjustmentLayer::ReadVersion2(SReadStream& inStream, uint32 inDataLength) {
    const int64 stored = (int64(inDataLength) - 2) / 10;
    recordCount = int32(stored < 0 ? 0 : (stored > kAdjustmentRecordCount ? kAdjustmentRecordCount : stored));
    for (int32 i = 0; i < recordCount; ++i) {
        LevelsRecord& record = records[i];
        record.inputBlack = inStream.ReadU16();
        record.inputWhite = inStream.ReadU16();
        record.outputBlack = inStream.ReadU16();
        record.outputWhite = inStream.ReadU16();
        record.gamma = inStream.ReadU16();
    }
}

// A version-1 record is 16 bytes: inputBlack, 2 unused, inputWhite, outputBlack, outputWhite, gamma,
// 4 unused.
void CLevelsAdjustmentLayer::ReadVersion1(SReadStream& inStream) {
    const uint16 count = inStream.ReadU16();
    if (count < 1 || count > kVersion1MaxRecords) LREFUSE_ADJUSTMENT_DATA();
    recordCount = count;
    for (int32 i = 0; i < recordCount; ++i) {
        LevelsRecord& record = records[i];
        record.inputBlack = inStream.ReadU16();
        inStream.Skip(2);
        record.inputWhite = inStream.ReadU16();
        record.outputBlack = inStream.ReadU16();
        record.outputWhite = inStream.ReadU16();
        record.gamma = inStream.ReadU16();
        inStream.Skip(4);
    }
}

CLayer* CLevelsAdjustmentLayer::Clone() const {
    return new CLevelsAdjustmentLayer(*this);
}

uint32 CLevelsAdjustmentLayer::GetDataLength() const {
    return RoundUpTo4(2 + 10 * uint32(recordCount));
}

// The padding up to GetDataLength is written as zeros.
void CLevelsAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter block(inStream, inPosition);
    inStream.WriteI16(2);
    for (int32 i = 0; i < recordCount; ++i) {
        const LevelsRecord& record = records[i];
        inStream.WriteU16(record.inputBlack);
        inStream.WriteU16(record.inputWhite);
        inStream.WriteU16(record.outputBlack);
        inStream.WriteU16(record.outputWhite);
        inStream.WriteU16(record.gamma);
    }
    block.WritePadding();
}

// The colour records fold into the master when the master keeps the full input range, every colour
// record keeps the full output range and its gamma combined with the master's stays within 0.10..9.99,
// and at least one colour record does something to the input.
bool CLevelsAdjustmentLayer::CanMergeWithMaster() const {
    const LevelsRecord& master = records[0];
    if (master.inputBlack != 0 || master.inputWhite != 255) return false;
    bool anyInputChange = false;
    for (int32 r = 1; r <= 3; ++r) {
        const LevelsRecord& color = records[r];
        const int64 combined = CombinedGamma(master, color);
        if (color.outputBlack != 0 || color.outputWhite != 255 || combined < 10 || combined > 999)
            return false;
        if (color.inputBlack != 0 || color.gamma != 100 || color.inputWhite != 255) anyInputChange = true;
    }
    return anyInputChange;
}

// With a default master each colour keeps its own table. Otherwise the colour tables are either rebuilt
// as one segment (colour input range, master output range, combined gamma) or composed: colour first,
// master second.
void CLevelsAdjustmentLayer::BuildTables() {
    for (int32 r = 0; r < kAdjustmentRecordCount; ++r) BuildLevelsTable(records[r], tables[r]);
    const LevelsRecord& master = records[0];
    if (master.IsDefault()) return;
    if (CanMergeWithMaster()) {
        for (int32 r = 1; r <= 3; ++r) {
            const LevelsRecord& color = records[r];
            LevelsSegment(tables[r], color.inputBlack, color.inputWhite, master.outputBlack,
                          master.outputWhite, CombinedGamma(master, color));
        }
        return;
    }
    for (int32 r = 1; r <= 3; ++r) ComposeTables(tables[r], tables[r], tables[0]);
}

void CLevelsAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
                                        int32& ioSourceRowBytes, NativeQuad* outDestination,
                                        int32& ioDestinationRowBytes) {
    ApplyTables(inRect, inSource, ioSourceRowBytes, outDestination, ioDestinationRowBytes, tables[1],
                tables[2], tables[3]);
}
