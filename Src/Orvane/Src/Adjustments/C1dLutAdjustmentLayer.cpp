#include "Src/Orvane/Src/Adjustments/C1dLutAdjustmentLayer.h"

C1dLutAdjustmentLayer::C1dLutAdjustmentLayer(const AdjustmentLayerSettings& inSettings)
    : CAdjustmentLayer(inSettings) {
    SetIdentity(table);
}

void C1dLutAdjustmentLayer::AdjustTile(const GRect& inRect, const NativeQuad* inSource,
                                       int32& ioSourceRowBytes, NativeQuad* outDestination,
                                       int32& ioDestinationRowBytes) {
    ApplyTables(inRect, inSource, ioSourceRowBytes, outDestination, ioDestinationRowBytes, table, table,
                table);
}
