#include "Src/Orvane/Src/Adjustments/CBrightnessContrastAdjustmentLayer.h"

#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"

namespace {

// The table arithmetic is 32-bit signed; stored extremes overflow a product, which wraps as the
// machine's 32-bit multiplication does.
int32 Wrap32(int64 inValue) {
    return int32(uint32(uint64(inValue)));
}

uint8 Clamp255(int32 inValue) {
    return uint8(inValue < 0 ? 0 : (inValue > 255 ? 255 : inValue));
}

}  // namespace

CBrightnessContrastAdjustmentLayer::CBrightnessContrastAdjustmentLayer(
    const AdjustmentLayerSettings& inSettings, SReadStream& inStream, uint32 inDataPosition)
    : C1dLutAdjustmentLayer(inSettings) {
    StAdjustmentDataReader block(inStream, inDataPosition);
    brightness = inStream.ReadI16();
    contrast = inStream.ReadI16();
    pivot = inStream.ReadI16();
    flag = inStream.ReadU8() != 0;
    BuildTables();
}

CLayer* CBrightnessContrastAdjustmentLayer::Clone() const {
    return new CBrightnessContrastAdjustmentLayer(*this);
}

void CBrightnessContrastAdjustmentLayer::WriteData(SWriteStream& inStream, uint32 inPosition) const {
    StAdjustmentDataWriter block(inStream, inPosition);
    inStream.WriteI16(brightness);
    inStream.WriteI16(contrast);
    inStream.WriteI16(pivot);
    inStream.WriteU8(flag ? 1 : 0);
    inStream.WriteU8(0);
}

void CBrightnessContrastAdjustmentLayer::BuildTables() {
    BuildBrightnessContrastTable(table, brightness, contrast, pivot);
}

// Input centre c and output centre m start at the pivot. Negative contrast flattens the curve toward the
// output centre (slope s / 255, s = contrast * 255 / 100 + 255) and brightness moves the output centre;
// non-negative contrast steepens it (slope 255 / s, s = 255 - contrast * 255 / 100) and brightness moves
// the input centre the other way; s = 0 is a hard step at the input centre. Divisions truncate toward
// zero; the half divisor (127, or s >> 1) rounds; results are clamped to 0..255.
void BuildBrightnessContrastTable(uint8* outTable, int32 inBrightness, int32 inContrast, int32 inPivot) {
    int32 c = inPivot;
    int32 m = inPivot;
    if (inContrast < 0) {
        m = m + inBrightness;
        const int32 s = inContrast * 255 / 100 + 255;
        for (int32 i = 0; i < kTableSize; ++i) {
            const int32 value = i < c ? m - Wrap32(int64(s) * (c - i) + 127) / 255
                                      : m + Wrap32(int64(s) * (i - c) + 127) / 255;
            outTable[i] = Clamp255(value);
        }
        return;
    }
    c = c - inBrightness;
    const int32 s = 255 - inContrast * 255 / 100;
    const int32 h = s >> 1;
    for (int32 i = 0; i < kTableSize; ++i) {
        int32 value;
        if (s == 0)
            value = i < c ? 0 : 255;
        else if (i < c)
            value = m - Wrap32(int64(c - i) * 255 + h) / s;
        else
            value = m + Wrap32(int64(i - c) * 255 + h) / s;
        outTable[i] = Clamp255(value);
    }
}
