// One part of a bevel or emboss: the layer's coverage taken as a height field, lit from an angle, and
// drawn as a highlight mask and a shadow mask.
#pragma once

#include "Src/Orvane/Src/Effects/EffectBlending.h"
#include "Src/Orvane/Src/Effects/LayerFXRep.h"

class EffectSource;

// The light over the height field: direction (x, y) and height z, scaled by 255.9, for a light at an
// angle (degrees) and 30 degrees of elevation over a relief of depth 1530 / d; D = (1530 / d)^2.
struct EmbossLight {
    int32 mX = 0;
    int32 mY = 0;
    int32 mZ = 0;
    int32 mD = 0;

    static EmbossLight For(int32 inAngleDegrees, int32 inDepth);
};

struct EmbossShade {
    uint8 mHighlight = 0;
    uint8 mShadow = 0;
};

// The shade of one pixel from its height gradient in 8.8 units: gx = left column sum - right column
// sum, gy = bottom row sum - top row sum of the 3 x 3 neighbourhood. A flat pixel gets neither.
EmbossShade ShadeEmboss(int32 inGradientX, int32 inGradientY, const EmbossLight& inLight);

struct EmbossPart {
    NativeQuad mHighlightColor;
    NativeQuad mShadowColor;
    uint32 mHighlightBlendMode = kBlendScreen;
    uint32 mShadowBlendMode = kBlendMultiply;
    uint8 mHighlightOpacity = 255;
    uint8 mShadowOpacity = 255;
    Fixed mBlur = 0;
    Fixed mStrength = kFixedOne;  // depth in whole units, 1..20
    int32 mLightAngle = 0;        // whole degrees
    bool mInside = false;         // only where the layer has coverage
};

// Draws the highlight, then the shadow, each at its opacity times inLayerOpacity and only when that is
// nonzero, over the layer's area grown by the blur and one more pixel, clipped to the target's area,
// in strips of at most kEmbossStripColumns columns. An adjustment layer drawn without its mask
// requested reports "ApplyOneEmbossEffect: layer mask should be active".
void ApplyOneEmbossEffect(const EffectSource& inSource, uint8 inLayerOpacity, const EffectTarget& inTarget,
                          const EmbossPart& inPart);
