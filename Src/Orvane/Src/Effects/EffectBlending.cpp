#include "Src/Orvane/Src/Effects/EffectBlending.h"

#include <algorithm>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/Report.h"

void ForEachEffectStrip(const GRect& inArea, int32 inColumns,
                        const std::function<void(const GRect&)>& inBody) {
    for (int32 top = inArea.top; top < inArea.bottom; top += kEffectStripRows) {
        const int32 bottom = std::min(inArea.bottom, top + kEffectStripRows);
        for (int32 left = inArea.left; left < inArea.right; left += inColumns)
            inBody(GRect(left, top, std::min(inArea.right, left + inColumns), bottom));
    }
}

void BlendColorIntoCompositeTile(NativeQuad inColor, const GRect& inArea, const uint8* inMask,
                                 int32 inMaskRowBytes, const EffectTarget& inTarget, uint32 inBlendMode,
                                 uint8 inOpacity, NativeQuad* inTile) {
    if (inTile == nullptr) {
        LREPORT("BlendColorIntoCompositeTile: Bad composite buffer");
        return;
    }
    const int32 width = inArea.Width();
    for (int32 y = 0; y < inArea.Height(); ++y) {
        const uint8* mask = inMask + int64(y) * inMaskRowBytes;
        NativeQuad* row = inTile + int64(y) * width;
        for (int32 x = 0; x < width; ++x) {
            row[x] = inColor;
            row[x].alpha = mask[x];
        }
    }
    BlendTile(inArea, inTile, width * int32(sizeof(NativeQuad)), inTarget.At(inArea.left, inArea.top),
              inTarget.mRowBytes, inBlendMode, inOpacity, inTarget.mPreserveTransparency);
}
