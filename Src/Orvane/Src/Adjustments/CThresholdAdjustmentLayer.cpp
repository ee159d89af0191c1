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

CLayer* CThresholdAdjustmentLayer::Clone() const {
    return new CThresholdAdjustmentLayer(*this);
}

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
    ForEachPixelPair(inRect, inSource, ioSourceRowBytes, outDestination, ioDestinationRowBytes,
                     [this](const NativeQuad& inPixel, NativeQuad& outPixel) {
                         const uint8 value =
                             table[ThresholdLuminance(inPixel.red, inPixel.green, inPixel.blue)];
                         outPixel.red = value;
                         outPixel.green = value;
                         outPixel.blue = value;
                     });
}
