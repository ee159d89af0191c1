// Where an effect is drawn and how its mask reaches the pixels.
#pragma once

#include <functional>

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"

// A destination tile: inArea's pixels (image coordinates) starting at mPixels, rows mRowBytes apart.
// With mPreserveTransparency the blends keep the destination's alpha.
struct EffectTarget {
    NativeQuad* mPixels = nullptr;
    int32 mRowBytes = 0;
    GRect mArea;
    bool mPreserveTransparency = false;

    NativeQuad* At(int32 inX, int32 inY) const {
        return reinterpret_cast<NativeQuad*>(reinterpret_cast<uint8*>(mPixels) +
                                             int64(inY - mArea.top) * mRowBytes) +
               (inX - mArea.left);
    }
};

// Columns one strip of effect work may span, and rows; a strip never needs more.
inline constexpr int32 kEffectStripColumns = 508;
inline constexpr int32 kEmbossStripColumns = 506;
inline constexpr int32 kEffectStripRows = 128;

// Calls inBody for each strip of inArea, row-major: at most inColumns wide and kEffectStripRows high.
void ForEachEffectStrip(const GRect& inArea, int32 inColumns,
                        const std::function<void(const GRect&)>& inBody);

// Fills inTile (inArea's size, rows inArea.Width() x 4 bytes apart) with inColor whose alpha is the
// mask byte of each pixel, and blends it into the target at inArea with the mode and opacity. A null
// tile reports "BlendColorIntoCompositeTile: Bad composite buffer" and draws nothing.
void BlendColorIntoCompositeTile(NativeQuad inColor, const GRect& inArea, const uint8* inMask,
                                 int32 inMaskRowBytes, const EffectTarget& inTarget, uint32 inBlendMode,
                                 uint8 inOpacity, NativeQuad* inTile);
