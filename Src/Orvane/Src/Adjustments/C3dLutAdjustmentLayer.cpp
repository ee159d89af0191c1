#include "Src/Orvane/Src/Adjustments/C3dLutAdjustmentLayer.h"

C3dLutAdjustmentLayer::C3dLutAdjustmentLayer(const AdjustmentLayerSettings& inSettings)
    : CAdjustmentLayer(inSettings) {
    SetIdentity(redTable);
    SetIdentity(greenTable);
    SetIdentity(blueTable);
}

void C3dLutAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
                                       int32& ioSourceRowBytes, NativeQuad* outDestination,
                                       int32& ioDestinationRowBytes) {
    ApplyTables(inRect, inSource, ioSourceRowBytes, outDestination, ioDestinationRowBytes, redTable,
                greenTable, blueTable);
}
