#include "Src/Orvane/Src/Adjustments/CInvertAdjustmentLayer.h"

CInvertAdjustmentLayer::CInvertAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream&,
                                               uint32)
    : C1dLutAdjustmentLayer(inSettings) {
    BuildTables();
}

CLayer* CInvertAdjustmentLayer::Clone() const {
    return new CInvertAdjustmentLayer(*this);
}

void CInvertAdjustmentLayer::BuildTables() {
    for (int32 i = 0; i < kTableSize; ++i) table[i] = uint8(255 - i);
}
