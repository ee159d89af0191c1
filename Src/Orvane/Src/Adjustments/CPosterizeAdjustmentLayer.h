// Posterize: the colour components are reduced to a number of evenly spread levels. Key "post".
//
// Block (4 bytes): levels (i16, held sign-extended), two padding bytes (written 0).
#pragma once

#include "Src/Orvane/Src/Adjustments/C1dLutAdjustmentLayer.h"

class CPosterizeAdjustmentLayer : public C1dLutAdjustmentLayer {
public:
    // Any stored level count is accepted and written back unchanged; counts below 2 build the table of 2.
    CPosterizeAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                              uint32 inDataPosition);

    CLayer* Clone() const override;
    uint32 GetAdjustmentType() const override { return kPosterizeAdjustment; }
    uint32 GetDataLength() const override { return 4; }
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    void BuildTables() override;

    int32 GetLevels() const { return levels; }

private:
    CPosterizeAdjustmentLayer(const CPosterizeAdjustmentLayer& inOther) = default;

    int32 levels = 0;
};

void BuildPosterizeTable(uint8* outTable, int32 inLevels);
