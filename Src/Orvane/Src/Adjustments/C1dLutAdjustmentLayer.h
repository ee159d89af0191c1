// Adjustment layers whose whole work is one table applied alike to red, green and blue.
#pragma once

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"

class C1dLutAdjustmentLayer : public CAdjustmentLayer {
public:
    // red = table[red], green = table[green], blue = table[blue]; the fourth byte is kept.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;

    const uint8* GetTable() const { return table; }

protected:
    // The table starts as the identity.
    explicit C1dLutAdjustmentLayer(const AdjustmentLayerSettings& inSettings);
    C1dLutAdjustmentLayer(const C1dLutAdjustmentLayer& inOther) = default;

    ByteTable table;
};
