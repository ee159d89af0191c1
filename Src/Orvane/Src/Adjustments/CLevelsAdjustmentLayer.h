// Levels: per colour, an input range stretched onto an output range through a gamma. Key "levl".
//
// Up to 29 records: record 0 is the master setting applied to every colour, records 1, 2, 3 red, green
// and blue; records 4 to 28 are read, kept and written back but do not change the image.
//
// Block: version (i16), then
//   version 2: n records of 10 bytes (inputBlack, inputWhite, outputBlack, outputWhite, gamma, all u16),
//              n = (block length - 2) / 10, at most 29;
//   version 1: a record count n (u16, 1..5, anything else refuses the block) and n records of 16 bytes
//              (inputBlack at +0, inputWhite at +4, outputBlack at +6, outputWhite at +8, gamma at +10);
//   any other version: no records.
// Records beyond n keep their defaults. The layer always writes version 2.
#pragma once

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"

inline constexpr int32 kAdjustmentRecordCount = 29;

struct LevelsRecord {
    uint16 inputBlack = 0;
    uint16 inputWhite = 255;
    uint16 outputBlack = 0;
    uint16 outputWhite = 255;
    uint16 gamma = 100;  // hundredths: 100 is a gamma of 1.0

    bool IsDefault() const { return *this == LevelsRecord(); }
    bool operator==(const LevelsRecord&) const = default;
};

// One record's table: outputBlack below inputBlack, the (gamma) segment from (inputBlack, outputBlack) to
// (inputWhite, outputWhite), outputWhite above inputWhite.
void BuildLevelsTable(const LevelsRecord& inRecord, uint8* outTable);

class CLevelsAdjustmentLayer : public CAdjustmentLayer {
public:
    CLevelsAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                           uint32 inDataPosition, uint32 inDataLength);

    // tables[1] to red, tables[2] to green, tables[3] to blue; the fourth byte is kept.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;
    CLayer* Clone() const override;
    uint32 GetAdjustmentType() const override { return kLevelsAdjustment; }
    // 2 + 10 per record, rounded up to a multiple of 4.
    uint32 GetDataLength() const override;
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    void BuildTables() override;

    int32 GetRecordCount() const { return recordCount; }
    const LevelsRecord& GetRecord(int32 inIndex) const { return records[inIndex]; }
    const uint8* GetTable(int32 inIndex) const { return tables[inIndex]; }

private:
    CLevelsAdjustmentLayer(const CLevelsAdjustmentLayer& inOther) = default;

    void ReadVersion1(SReadStream& inStream);
    void ReadVersion2(SReadStream& inStream, uint32 inDataLength);
    // Whether the colour records fold into one gamma segment with the master (see BuildTables).
    bool CanMergeWithMaster() const;

    LevelsRecord records[kAdjustmentRecordCount];
    int32 recordCount = 0;
    ByteTable tables[kAdjustmentRecordCount];
};
