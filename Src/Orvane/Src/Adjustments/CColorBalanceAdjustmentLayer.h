// Colour balance: shifts the colours of the shadows, midtones and highlights along three axes
// (cyan-red, magenta-green, yellow-blue), each axis reducing to one table for its colour.
//
// Block "blnc" (declared length 20): nine signed 16-bit values in the order shadows, midtones,
// highlights, each range giving its three axes (negative toward cyan, magenta, yellow); then one byte,
// non-zero to preserve luminosity. The padding byte after it is not written.
#pragma once

#include "Src/Orvane/Src/Adjustments/C3dLutAdjustmentLayer.h"

class CColorBalanceAdjustmentLayer : public C3dLutAdjustmentLayer {
public:
    enum Range : int32 { kShadows = 0, kMidtones = 1, kHighlights = 2 };

    // Reads the block at inDataPosition and leaves the stream where it was.
    CColorBalanceAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                                 uint32 inDataPosition);

    CLayer* Clone() const override;
    uint32 GetAdjustmentType() const override { return kColorBalanceAdjustment; }
    uint32 GetDataLength() const override { return 20; }
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    // Axis 0 builds the red table, 1 the green and 2 the blue one.
    void BuildTables() override;

private:
    CColorBalanceAdjustmentLayer(const CColorBalanceAdjustmentLayer& inOther) = default;

    int16 Value(int32 inRange, int32 inAxis) const { return values[inRange * 3 + inAxis]; }
    void BuildAxisTable(int32 inAxis, uint8* outTable) const;

    int16 values[9] = {};  // [range * 3 + axis]
    bool preserveLuminosity = false;
};
