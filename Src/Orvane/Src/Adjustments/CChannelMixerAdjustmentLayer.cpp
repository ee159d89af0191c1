#include "Src/Orvane/Src/Adjustments/CChannelMixerAdjustmentLayer.h"

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

CChannelMixerAdjustmentLayer::CChannelMixerAdjustmentLayer(const AdjustmentLayerSettings& inSettings,
                                                           SReadStream& inStream, uint32 inDataPosition)
    : CAdjustmentLayer(inSettings) {
    // Until the block says otherwise each output takes 100 % of its own colour.
    for (int32 output = 0; output < kOutputCount; ++output) records[output].percent[output] = 100;

    StAdjustmentDataReader reader(inStream, inDataPosition);
    if (inStream.ReadI16() != 1) LREFUSE_ADJUSTMENT_DATA();
    monochrome = inStream.ReadU16() != 0;
    for (MixerRecord& record : records)
        for (int16& percent : record.percent) percent = inStream.ReadI16();
    BuildTables();
}

CLayer* CChannelMixerAdjustmentLayer::Clone() const {
    return new CChannelMixerAdjustmentLayer(*this);
}

void CChannelMixerAdjustmentLayer::BuildTables() {
    for (int32 output = 0; output < kOutputCount; ++output) {
        const MixerRecord& record = records[monochrome ? 0 : output];
        for (int32 term = 0; term < kTermCount; ++term)
            coefficients[output][term] = int32(record.percent[term]) * 2048 / 200;
    }
}

void CChannelMixerAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter writer(inStream, inPosition);
    inStream.WriteI16(1);
    inStream.WriteU16(monochrome ? 1 : 0);
    for (const MixerRecord& record : records)
        for (int16 percent : record.percent) inStream.WriteI16(percent);
}

namespace {

// One output from the three input colours; the factors fit 19 bits, so the sum fits 32 bits.
inline uint8 MixOutput(const int32 (&inFactors)[CChannelMixerAdjustmentLayer::kTermCount], int32 inRed,
                       int32 inGreen, int32 inBlue) {
    const int32 value =
        (inRed * inFactors[0] + inGreen * inFactors[1] + inBlue * inFactors[2] + inFactors[4] * 255 + 512) >>
        10;
    return uint8(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace

void CChannelMixerAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
                                              int32& ioSourceRowBytes, NativeQuad* outDestination,
                                              int32& ioDestinationRowBytes) {
    ForEachPixelPair(inRect, inSource, ioSourceRowBytes, outDestination, ioDestinationRowBytes,
                     [this](const NativeQuad& inPixel, NativeQuad& outPixel) {
                         const int32 red = inPixel.red;
                         const int32 green = inPixel.green;
                         const int32 blue = inPixel.blue;
                         outPixel.red = MixOutput(coefficients[0], red, green, blue);
                         outPixel.green = MixOutput(coefficients[1], red, green, blue);
                         outPixel.blue = MixOutput(coefficients[2], red, green, blue);
                     });
}
