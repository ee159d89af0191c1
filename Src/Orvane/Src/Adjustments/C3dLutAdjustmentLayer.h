// Adjustment layers with one table per colour: three one-dimensional tables, red, green and blue.
#pragma once

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"

class C3dLutAdjustmentLayer : public CAdjustmentLayer {
public:
    // red = redTable[red], green = greenTable[green], blue = blueTable[blue]; the fourth byte is kept.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;

    const uint8* GetRedTable() const { return redTable; }
    const uint8* GetGreenTable() const { return greenTable; }
    const uint8* GetBlueTable() const { return blueTable; }

protected:
    // The three tables start as the identity.
    explicit C3dLutAdjustmentLayer(const AdjustmentLayerSettings& inSettings);
    C3dLutAdjustmentLayer(const C3dLutAdjustmentLayer& inOther) = default;

    ByteTable redTable;
    ByteTable greenTable;
    ByteTable blueTable;
};
