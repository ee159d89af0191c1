#include "Src/Orvane/Src/Adjustments/CChannelMixerAdjustmentLayer.h"

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

CLayer* CChannelMixerAdjustmentLayer::Clone() const { return new CChannelMixerAdjustmentLayer(*this); }

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
        (inRed * inFactors[0] + inGreen * inFactors[1] + inBlue * inFactors[2] + inFactors[4] * 255 + 512) >> 10;
    return uint8(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace

void CChannelMixerAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
                                              int32& ioSourceRowBytes, NativeQuad* outDestination,
                                              int32& ioDestinationRowBytes) {
    const int32 width = inRect.Width();
    const int32 height = inRect.Height();
    const auto* sourceRow = reinterpret_cast<const uint8*>(inSource);
    auto* destinationRow = reinterpret_cast<uint8*>(outDestination);
    for (int32 y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const NativeQuad*>(sourceRow);
        auto* destination = reinterpret_cast<NativeQuad*>(destinationRow);
        for (int32 x = 0; x < width; ++x) {
            const int32 red = source[x].red;
            const int32 green = source[x].green;
            const int32 blue = source[x].blue;
            destination[x].red = MixOutput(coefficients[0], red, green, blue);
            destination[x].green = MixOutput(coefficients[1], red, green, blue);
            destination[x].blue = MixOutput(coefficients[2], red, green, blue);
        }
        sourceRow += ioSourceRowBytes;
        destinationRow += ioDestinationRowBytes;
    }
}
