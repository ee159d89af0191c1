// The coverage plane a layer's effects are drawn from.
//
// For a pixel layer it is the layer's transparency over its area (GetBounds); for an adjustment layer,
// which has no pixels, full coverage over its area. When the layer mask is used (always, for an
// adjustment layer) the coverage is multiplied by the mask as the compositing pipeline applies it:
// the mask's default colour outside the mask, inverted when the layer says so. Outside the area the
// plane is 0.
#pragma once

#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class CLayer;

class EffectSource {
public:
    // The layer must outlive the source.
    EffectSource(CLayer& inLayer, bool inUseLayerMask);

    bool IsAdjustment() const { return mAdjustment; }
    // Whether the caller asked for the layer mask (an adjustment layer uses it regardless).
    bool LayerMaskRequested() const { return mUseLayerMask; }
    const GRect& Area() const { return mArea; }
    // A rectangle inside the area outside which the plane is certainly 0.
    GRect CoverageBounds() const;

    // Fills inRect's bytes (image coordinates) of a plane whose rows lie inRowBytes apart.
    void Read(const GRect& inRect, uint8* outPlane, int32 inRowBytes) const;

private:
    void ReadTransparency(const GRect& inRect, uint8* outPlane, int32 inRowBytes) const;
    void MultiplyByMask(const GRect& inRect, uint8* ioPlane, int32 inRowBytes) const;

    CLayer& mLayer;
    const bool mAdjustment;
    const bool mUseLayerMask;
    const GRect mArea;
};
