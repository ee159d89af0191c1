// Invert: every colour component c becomes 255 - c. Key "nvrt"; the block holds no data.
#pragma once

#include "Src/Orvane/Src/Adjustments/C1dLutAdjustmentLayer.h"

class CInvertAdjustmentLayer : public C1dLutAdjustmentLayer {
public:
    // The block is empty: nothing is read and the stream is not touched.
    CInvertAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                           uint32 inDataPosition);

    CLayer* Clone() const override;
    uint32 GetAdjustmentType() const override { return kInvertAdjustment; }
    void BuildTables() override;

private:
    CInvertAdjustmentLayer(const CInvertAdjustmentLayer& inOther) = default;
};
