// Hue/saturation: turns the hue, scales the saturation and moves the lightness, for the whole image and
// for six colour ranges; or, in colorize mode, paints every pixel one hue and saturation by its lightness.
//
// Blocks "hue " (version 1, 52 bytes) and "hue2" (version 2, 100 bytes), both starting with the version:
//   +0 u16 version (1 or 2); +2 u8 colorize flag; +3 a zero byte; +4 colorize hue, saturation, lightness;
//   version 2: +10 master hue, saturation, lightness; +16 six ranges of seven 16-bit values (beginRamp,
//              begin, end, endRamp in degrees, then hue, saturation, lightness);
//   version 1: +10 21 values: the master hue and the six ranges' hues, then the saturations and then the
//              lightnesses the same way, in percentages that the layer converts to version 2's units.
// Which key a block came under does not matter; the version inside decides. A version-1 block is
// written back as version 1 with its values as read.
#pragma once

#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/HueSaturationTables.h"

class CHueSaturationAdjustmentLayer : public CAdjustmentLayer {
public:
    // Reads the block at inDataPosition and leaves the stream where it was. A version outside 1..2
    // refuses the block (throws).
    CHueSaturationAdjustmentLayer(const AdjustmentLayerSettings& inSettings, SReadStream& inStream,
                                  uint32 inDataPosition);

    // Colorize: each colour from its table at the pixel's lightness (max + min) / 2, the fourth byte left
    // alone. Otherwise the source pixels are copied whole to the destination and converted there.
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;
    CLayer* Clone() const override;

    // 4 for a version-1 block, 9 for version 2.
    uint32 GetAdjustmentType() const override;
    uint32 GetDataLength() const override { return version < 2 ? 52 : 100; }
    void WriteData(SWriteStream& inStream, uint32 inPosition) const override;
    // Builds the tables of the mode in use.
    void BuildTables() override;

    int16 GetVersion() const { return version; }
    bool GetColorize() const { return colorize; }
    const HueSaturationParameters& GetParameters() const { return parameters; }

private:
    CHueSaturationAdjustmentLayer(const CHueSaturationAdjustmentLayer& inOther) = default;

    void ReadVersion2(SReadStream& inStream);
    void ReadVersion1(SReadStream& inStream);

    int16 version = 2;
    bool colorize = false;
    HueSaturationParameters parameters;
    int16 version1Values[24] = {};  // a version-1 block's values after the zero byte, as read
    ColorizeTables colorizeTables;
    HueTables hueTables;
};
