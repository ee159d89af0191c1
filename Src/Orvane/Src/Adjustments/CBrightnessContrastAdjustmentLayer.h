// Brightness/contrast: one table that turns the curve about a pivot level. Key "brit".
//
// Block (8 bytes): brightness (i16), contrast (i16), pivot (i16), flag (u8, nonzero is true; kept and
// written back, it does not change the table), one padding byte (written 0, ignored when read).
#pragma once

#include "Src/Orvane/Src/Adjustments/C1dLutAdjustmentLayer.h"

class CBrightnessContrastAdjustmentLayer : public C1dLutAdjustmentLayer {
public:
    CBrightnessContrastAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                                       uint32 inDataPosition);

    CLayer* Clone() const override;
    uint32 GetAdjustmentType() const override { return kBrightnessContrastAdjustment; }
    uint32 GetDataLength() const override { return 8; }
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    void BuildTables() override;

    int16 GetBrightness() const { return brightness; }
    int16 GetContrast() const { return contrast; }
    int16 GetPivot() const { return pivot; }
    bool GetFlag() const { return flag; }

private:
    CBrightnessContrastAdjustmentLayer(const CBrightnessContrastAdjustmentLayer& inOther) = default;

    int16 brightness = 0;
    int16 contrast = 0;
    int16 pivot = 0;  // the input level around which contrast turns
    bool flag = false;
};

// The table itself: see the implementation for the arithmetic.
void BuildBrightnessContrastTable(uint8* outTable, int32 inBrightness, int32 inContrast, int32 inPivot);
