#include "Src/Orvane/Src/Adjustments/CCurvesAdjustmentLayer.h"

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

namespace {

constexpr int16 kCurvesVersion = 1;
constexpr uint32 kCurvesHeaderBytes = 7;  // isMap, version, present

}  // namespace

CCurvesAdjustmentLayer::CCurvesAdjustmentLayer(const AdjustmentLayerSettings& inSettings,
                                               SReadStream& inStream, uint32 inDataPosition)
    : C3dLutAdjustmentLayer(inSettings) {
    for (ByteTable& map : maps) SetIdentity(map);
    for (ByteTable& table : channelTables) SetIdentity(table);
    StAdjustmentDataReader block(inStream, inDataPosition);
    isMap = inStream.ReadU8() != 0;
    if (inStream.ReadI16() != kCurvesVersion) LREFUSE_ADJUSTMENT_DATA();
    const uint32 present = inStream.ReadU32();
    for (int32 k = 0; k < kAdjustmentRecordCount; ++k) {
        if ((present & (uint32(1) << k)) == 0) continue;
        if (isMap)
            inStream.ReadBytes(kTableSize, maps[k]);
        else
            ReadCurve(inStream, curves[k]);
    }
    // Each form gives the other: a map is sampled into a curve (never solved), a curve is fitted into a map.
    for (int32 k = 0; k < kAdjustmentRecordCount; ++k) {
        if (isMap)
            curves[k] = CurveFromMap(maps[k]);
        else
            FitSplineCurve(curves[k], maps[k]);
    }
    block.SkipPadding();
    BuildTables();
}

void CCurvesAdjustmentLayer::ReadCurve(SReadStream& inStream, CurvePoints& outCurve) {
    const int16 count = inStream.ReadI16();
    if (count < 2 || count > kMaxSplinePoints) LREFUSE_ADJUSTMENT_DATA();
    outCurve.count = count;
    for (int32 i = 0; i < count; ++i) {
        const int16 output = inStream.ReadI16();
        const int16 input = inStream.ReadI16();
        if (output < 0 || output > 255 || input < 0 || input > 255) LREFUSE_ADJUSTMENT_DATA();
        outCurve.points[i] = CurvePoints::Point{input, output};
    }
}

CLayer* CCurvesAdjustmentLayer::Clone() const {
    return new CCurvesAdjustmentLayer(*this);
}

bool CCurvesAdjustmentLayer::EntryPresent(int32 inIndex) const {
    return isMap ? !IsIdentity(maps[inIndex]) : !curves[inIndex].IsNull();
}

uint32 CCurvesAdjustmentLayer::GetDataLength() const {
    uint32 length = kCurvesHeaderBytes;
    for (int32 k = 0; k < kAdjustmentRecordCount; ++k) {
        if (!EntryPresent(k)) continue;
        length += isMap ? uint32(kTableSize) : 2 + 4 * uint32(curves[k].count);
    }
    return RoundUpTo4(length);
}

// The present mask is known only once the entries are out: 4 bytes are reserved for it and filled in
// afterwards.
void CCurvesAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter block(inStream, inPosition);
    inStream.WriteU8(isMap ? 1 : 0);
    inStream.WriteI16(kCurvesVersion);
    const uint32 presentPosition = inStream.GetPosition();
    inStream.WriteU32(0);
    uint32 present = 0;
    for (int32 k = 0; k < kAdjustmentRecordCount; ++k) {
        if (!EntryPresent(k)) continue;
        present |= uint32(1) << k;
        if (isMap) {
            inStream.WriteBytes(kTableSize, maps[k]);
            continue;
        }
        const CurvePoints& curve = curves[k];
        inStream.WriteI16(int16(curve.count));
        for (int32 i = 0; i < curve.count; ++i) {
            inStream.WriteI16(int16(curve.points[i].output));
            inStream.WriteI16(int16(curve.points[i].input));
        }
    }
    const uint32 end = inStream.GetPosition();
    inStream.SetPosition(presentPosition);
    inStream.WriteU32(present);
    inStream.SetPosition(end);
    block.WritePadding();
}

void CCurvesAdjustmentLayer::BuildTables() {
    for (int32 k = 0; k < kAdjustmentRecordCount; ++k)
        for (int32 i = 0; i < kTableSize; ++i) channelTables[k][i] = maps[k][i];
    for (int32 r = 1; r <= 3; ++r) ComposeTables(channelTables[r], maps[r], maps[0]);
}

void CCurvesAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
                                        int32& ioSourceRowBytes, NativeQuad* outDestination,
                                        int32& ioDestinationRowBytes) {
    ApplyTables(inRect, inSource, ioSourceRowBytes, outDestination, ioDestinationRowBytes, channelTables[1],
                channelTables[2], channelTables[3]);
}
