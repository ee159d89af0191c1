#include "Src/Orvane/Src/Effects/EffectGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

int32 BlurGrowth(Fixed inBlur) {
    if (inBlur <= 0) return 0;
    return int32((int64(std::max(inBlur, 2 * kFixedOne)) + 65534) >> 16);
}

GRect GrowByBlur(const GRect& inRect, Fixed inBlur) {
    const int32 growth = BlurGrowth(inBlur);
    if (growth == 0) return inRect;
    return GRect(inRect.left - (growth - 1), inRect.top - (growth - 1), inRect.right + growth,
                 inRect.bottom + growth);
}

// The angle is taken to radians as degrees / (180 / pi), in that order; trunc keeps the sign of the
// product, so a light at 120 degrees over 5 pixels gives (2, 4).
GPoint ShadowOffset(Fixed inAngle, Fixed inDistance, bool inUseGlobalAngle, int32 inGlobalAngle) {
    const double degrees = inUseGlobalAngle ? double(inGlobalAngle) : inAngle / 65536.0;
    const double radians = degrees / (180.0 / std::numbers::pi);
    const double distance = double(inDistance >> 16);
    return GPoint(-int32(std::cos(radians) * distance), int32(std::sin(radians) * distance));
}

GPoint DropShadowOffset(const LayerFXParameters& p, int32 inGlobalAngle) {
    return ShadowOffset(p.mDropShadowAngle, p.mDropShadowDistance, p.mDropShadowUseGlobalAngle,
                        inGlobalAngle);
}

GPoint InnerShadowOffset(const LayerFXParameters& p, int32 inGlobalAngle) {
    return ShadowOffset(p.mInnerShadowAngle, p.mInnerShadowDistance, p.mInnerShadowUseGlobalAngle,
                        inGlobalAngle);
}

int32 BevelLightAngle(const LayerFXParameters& p, int32 inGlobalAngle, bool inReverse) {
    int32 angle = p.mBevelUseGlobalAngle ? inGlobalAngle : p.mBevelAngle / kFixedOne;
    if (inReverse) angle += 180;
    angle %= 360;
    return angle < 0 ? angle + 360 : angle;
}

namespace {

void AddEffect(GRect& ioBounds, const GRect& inArea, GPoint inOffset, Fixed inBlur, bool inReversed) {
    GRect moved = inArea;
    if (inReversed)
        moved.OffsetNegative(inOffset);
    else
        moved.Offset(inOffset);
    ioBounds.UnionWith(GrowByBlur(moved, inBlur));
}

}  // namespace

GRect EffectsBounds(const LayerFXParameters& p, const GRect& inArea, int32 inGlobalAngle, bool inReversed) {
    GRect bounds = inArea;
    if (p.mDropShadowEnabled && p.mDropShadowOpacity != 0)
        AddEffect(bounds, inArea, DropShadowOffset(p, inGlobalAngle), p.mDropShadowBlur, inReversed);
    if (p.mInnerShadowEnabled && p.mInnerShadowOpacity != 0)
        AddEffect(bounds, inArea, InnerShadowOffset(p, inGlobalAngle), p.mInnerShadowBlur, inReversed);
    if (p.mOuterGlowEnabled && p.mOuterGlowOpacity != 0)
        AddEffect(bounds, inArea, GPoint(), p.mOuterGlowBlur, inReversed);
    if (p.mInnerGlowEnabled && p.mInnerGlowOpacity != 0)
        AddEffect(bounds, inArea, GPoint(), p.mInnerGlowBlur, inReversed);
    if (p.mBevelEnabled && (p.mBevelHighlightOpacity != 0 || p.mBevelShadowOpacity != 0))
        AddEffect(bounds, inArea, GPoint(), p.mBevelBlur + kFixedOne, inReversed);
    return bounds;
}
