// The channel mixer: every output colour is a weighted sum of the three input colours plus a constant.
//
// Block "mixr": u16 version (must be 1), u16 monochrome flag, then four records of five signed 16-bit
// percentages (from red, from green, from blue, a fourth kept but never applied, constant) for the red,
// green, blue and fourth outputs. The percentages are kept as read and written back unchanged; the
// pixel work uses them as fixed-point factors with 1024 = 100 %.
#pragma once

#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"

// Five percentages that make one output: from red, from green, from blue, the unused fourth, constant.
struct MixerRecord {
    int16 percent[5] = {0, 0, 0, 0, 0};
};

class CChannelMixerAdjustmentLayer : public CAdjustmentLayer {
public:
    static constexpr int32 kOutputCount = 4;
    static constexpr int32 kTermCount = 5;

    // Reads the "mixr" block at inDataPosition and leaves the stream where it was. A version other than
    // 1 refuses the block (throws).
    CChannelMixerAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                                 uint32 inDataPosition);

    // Per pixel and colour output with factors (r, g, b, -, k): (R r + G g + B b + 255 k + 512) >> 10,
    // clamped to 0..255. The fourth byte of the destination is not written.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;
    CLayer* Clone() const override;

    uint32 GetAdjustmentType() const override { return kChannelMixerAdjustment; }
    uint32 GetDataLength() const override { return 44; }
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    // Factor = percent * 2048 / 200 (truncating); monochrome gives every output record 0's percentages.
    void BuildTables() override;

private:
    CChannelMixerAdjustmentLayer(const CChannelMixerAdjustmentLayer& inOther) = default;

    bool monochrome = false;
    MixerRecord records[kOutputCount];
    int32 coefficients[kOutputCount][kTermCount];
};
