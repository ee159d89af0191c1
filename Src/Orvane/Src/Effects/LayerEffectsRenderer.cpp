#include "Src/Orvane/Src/Effects/LayerEffectsRenderer.h"

#include "Src/Orvane/Src/Effects/ApplyOneEffect.h"
#include "Src/Orvane/Src/Effects/ApplyOneEmbossEffect.h"
#include "Src/Orvane/Src/Effects/EffectGeometry.h"
#include "Src/Orvane/Src/Effects/EffectSource.h"
#include "Src/Orvane/Src/Image/CImage.h"

namespace {

bool BevelHasOuterPart(const LayerFXParameters& p) {
    return p.mBevelEnabled && p.mBevelStyle != InnerBevel;
}
bool BevelHasInnerPart(const LayerFXParameters& p) {
    return p.mBevelEnabled && p.mBevelStyle != OuterBevel;
}

EmbossPart BevelPart(const LayerFXParameters& p, int32 inGlobalAngle, bool inInside) {
    // The pillow emboss lights its outer part from the other side, so the layer seems pressed in.
    const bool reverse =
        inInside ? p.mBevelDirection : (p.mBevelDirection != (p.mBevelStyle == PillowEmboss));
    EmbossPart part;
    part.mHighlightColor = p.mBevelHighlightColor.ToNativeQuad();
    part.mShadowColor = p.mBevelShadowColor.ToNativeQuad();
    part.mHighlightBlendMode = p.mBevelHighlightBlendMode;
    part.mShadowBlendMode = p.mBevelShadowBlendMode;
    part.mHighlightOpacity = p.mBevelHighlightOpacity;
    part.mShadowOpacity = p.mBevelShadowOpacity;
    part.mBlur = p.mBevelBlur;
    part.mStrength = p.mBevelStrength;
    part.mLightAngle = BevelLightAngle(p, inGlobalAngle, reverse);
    part.mInside = inInside;
    return part;
}

OneEffect Effect(const ColorRecord& inColor, uint32 inMode, uint8 inOpacity, GPoint inOffset, Fixed inBlur,
                 Fixed inIntensity, bool inInvert) {
    OneEffect effect;
    effect.mColor = inColor.ToNativeQuad();
    effect.mBlendMode = inMode;
    effect.mOpacity = inOpacity;
    effect.mOffset = inOffset;
    effect.mBlur = inBlur;
    effect.mIntensity = inIntensity;
    effect.mInvert = inInvert;
    return effect;
}

void DrawOuter(const LayerFXParameters& p, const EffectSource& inSource, uint8 inOpacity,
               const EffectTarget& inTarget, int32 inGlobalAngle) {
    if (p.mDropShadowEnabled)
        ApplyOneEffect(
            inSource, inOpacity, inTarget,
            Effect(p.mDropShadowColor, p.mDropShadowBlendMode, p.mDropShadowOpacity,
                   DropShadowOffset(p, inGlobalAngle), p.mDropShadowBlur, p.mDropShadowIntensity, false));
    if (BevelHasOuterPart(p))
        ApplyOneEmbossEffect(inSource, inOpacity, inTarget, BevelPart(p, inGlobalAngle, false));
    if (p.mOuterGlowEnabled)
        ApplyOneEffect(inSource, inOpacity, inTarget,
                       Effect(p.mOuterGlowColor, p.mOuterGlowBlendMode, p.mOuterGlowOpacity, GPoint(),
                              p.mOuterGlowBlur, p.mOuterGlowIntensity, false));
}

void DrawInner(const LayerFXParameters& p, const EffectSource& inSource, uint8 inOpacity,
               const EffectTarget& inTarget, int32 inGlobalAngle) {
    if (p.mInnerGlowEnabled)
        ApplyOneEffect(inSource, inOpacity, inTarget,
                       Effect(p.mInnerGlowColor, p.mInnerGlowBlendMode, p.mInnerGlowOpacity, GPoint(),
                              p.mInnerGlowBlur, p.mInnerGlowIntensity, p.mInnerGlowInvert));
    if (p.mInnerShadowEnabled)
        ApplyOneEffect(
            inSource, inOpacity, inTarget,
            Effect(p.mInnerShadowColor, p.mInnerShadowBlendMode, p.mInnerShadowOpacity,
                   InnerShadowOffset(p, inGlobalAngle), p.mInnerShadowBlur, p.mInnerShadowIntensity, true));
    if (BevelHasInnerPart(p))
        ApplyOneEmbossEffect(inSource, inOpacity, inTarget, BevelPart(p, inGlobalAngle, true));
}

}  // namespace

bool HasOuterEffectsToDraw(const LayerFXParameters& p) {
    return p.mOuterEffectsVisible && (p.mDropShadowEnabled || p.mOuterGlowEnabled || BevelHasOuterPart(p));
}

bool HasEffectsToDraw(const LayerFXParameters& p) {
    const bool inner =
        p.mInnerEffectsVisible && (p.mInnerGlowEnabled || p.mInnerShadowEnabled || BevelHasInnerPart(p));
    return inner || HasOuterEffectsToDraw(p);
}

void DrawLayerEffects(const LayerFXParameters& p, const LayerEffectsDrawing& inDrawing) {
    if (!(p.mInnerEffectsVisible || p.mOuterEffectsVisible) || inDrawing.mLayer == nullptr) return;
    CLayer& layer = *inDrawing.mLayer;
    const CImage* image = layer.GetImage();
    const int32 globalAngle = image != nullptr ? image->GetGlobalAngle() : kDefaultGlobalAngle;
    const EffectSource source(layer, inDrawing.mUseLayerMask);
    const uint8 opacity = layer.GetOpacity();

    if (p.mOuterEffectsVisible && inDrawing.mOuter != nullptr) {
        EffectTarget outer;
        outer.mPixels = inDrawing.mOuter;
        outer.mRowBytes = inDrawing.mOuterRowBytes;
        outer.mArea = inDrawing.mOuterArea;
        outer.mPreserveTransparency =
            inDrawing.mInGroup && image != nullptr && !image->IsLayerFirstInClipGroup(&layer);
        DrawOuter(p, source, opacity, outer, globalAngle);
    }
    if (p.mInnerEffectsVisible && inDrawing.mInnerFlag && inDrawing.mInner != nullptr) {
        EffectTarget inner;
        inner.mPixels = inDrawing.mInner;
        inner.mRowBytes = inDrawing.mInnerRowBytes;
        inner.mArea = inDrawing.mInnerArea;
        DrawInner(p, source, opacity, inner, globalAngle);
    }
}
