// Threshold: every pixel becomes black or white by its luminance. Key "thrs".
//
// Block (4 bytes): level (i16), two padding bytes (written 0). Pixels whose luminance is below the level
// become black, the others white.
#pragma once

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"

class CThresholdAdjustmentLayer : public CAdjustmentLayer {
public:
    CThresholdAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                              uint32 inDataPosition);

    // Writes table[L] to red, green and blue, L the pixel's luminance; the fourth byte is kept.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;
    CLayer* Clone() const override;
    uint32 GetAdjustmentType() const override { return kThresholdAdjustment; }
    uint32 GetDataLength() const override { return 4; }
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    // table[i] = 0 below the level, 255 from it on.
    void BuildTables() override;

    int16 GetLevel() const { return level; }
    const uint8* GetTable() const { return table; }

private:
    CThresholdAdjustmentLayer(const CThresholdAdjustmentLayer& inOther) = default;

    int16 level = 0;
    ByteTable table;
};

// Luminance in fixed point: (4915 r + 9667 g + 1802 b + 8192) >> 14; the weights sum to 16384.
constexpr uint8 ThresholdLuminance(uint32 inRed, uint32 inGreen, uint32 inBlue) {
    return uint8((inRed * 4915 + inGreen * 9667 + inBlue * 1802 + 8192) >> 14);
}
