// Curves: per colour, a free mapping given either as a whole table or as the points of a spline.
// Key "curv".
//
// Up to 29 entries: entry 0 is the master curve applied to every colour, entries 1, 2, 3 red, green and
// blue; entries 4 to 28 are read, kept and written back but do not change the image. Both forms are
// held: the map of each entry and its curve; the block's form is written back.
//
// Block: isMap (u8, nonzero: maps follow), version (i16, must be 1), present (u32, bit k set: entry k
// follows), the present entries in increasing k, zero bytes up to a multiple of 4. A map entry is 256
// bytes; a curve entry is a count (i16, 2..16) and that many points, each output then input (i16, 0..255).
// A version other than 1, a count or a point value out of range refuses the block.
#pragma once

#include "Src/Orvane/Src/Adjustments/C3dLutAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CLevelsAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CSplineSolver.h"

class CCurvesAdjustmentLayer : public C3dLutAdjustmentLayer {
public:
    CCurvesAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                           uint32 inDataPosition);

    // channelTables[1] to red, [2] to green, [3] to blue; the fourth byte is kept.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;
    CLayer* Clone() const override;
    uint32 GetAdjustmentType() const override { return kCurvesAdjustment; }
    // 7 plus every entry that differs from the identity (256 per map, 2 + 4 per point per curve),
    // rounded up to a multiple of 4.
    uint32 GetDataLength() const override;
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    // channelTables[0] = the master map; channelTables[r] = maps[r] followed by the master map, r = 1..3.
    void BuildTables() override;

    bool GetIsMap() const { return isMap; }
    const uint8* GetMap(int32 inIndex) const { return maps[inIndex]; }
    const CurvePoints& GetCurve(int32 inIndex) const { return curves[inIndex]; }
    const uint8* GetChannelTable(int32 inIndex) const { return channelTables[inIndex]; }

private:
    CCurvesAdjustmentLayer(const CCurvesAdjustmentLayer& inOther) = default;

    void ReadCurve(SReadStream& inStream, CurvePoints& outCurve);
    // Whether entry k is written: a map that is not the identity, or a curve that is not the null curve.
    bool EntryPresent(int32 inIndex) const;

    ByteTable maps[kAdjustmentRecordCount];
    CurvePoints curves[kAdjustmentRecordCount];
    bool isMap = false;
    ByteTable channelTables[kAdjustmentRecordCount];
};
