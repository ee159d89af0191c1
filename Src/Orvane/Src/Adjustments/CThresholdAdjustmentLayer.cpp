#include "Src/Orvane/Src/Adjustments/CThresholdAdjustmentLayer.h"

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

CThresholdAdjustmentLayer::CThresholdAdjustmentLayer(const AdjustmentLayerSettings& inSettings,
                                                     SReadStream& inStream, uint32 inDataPosition)
    : CAdjustmentLayer(inSettings) {
    SetIdentity(table);
    StAdjustmentDataReader block(inStream, inDataPosition);
    level = inStream.ReadI16();
    BuildTables();
}

CLayer* CThresholdAdjustmentLayer::Clone() const { return new CThresholdAdjustmentLayer(*this); }

void CThresholdAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter block(inStream, inPosition);
    inStream.WriteI16(level);
    inStream.WriteU16(0);
}

void CThresholdAdjustmentLayer::BuildTables() {
    for (int32 i = 0; i < kTableSize; ++i) table[i] = i < level ? 0 : 255;
}

void CThresholdAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
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
            const uint8 value = table[ThresholdLuminance(source[x].red, source[x].green, source[x].blue)];
            destination[x].red = value;
            destination[x].green = value;
            destination[x].blue = value;
        }
        sourceRow += ioSourceRowBytes;
        destinationRow += ioDestinationRowBytes;
    }
}
