// One shadow or glow: a blurred, shifted, possibly inverted copy of the layer's coverage, drawn in a
// colour into a destination tile.
#pragma once

#include "Src/Orvane/Src/Effects/EffectBlending.h"
#include "Src/Orvane/Src/Effects/LayerFXRep.h"

class EffectSource;

struct OneEffect {
    NativeQuad mColor;
    uint32 mBlendMode = kBlendNormal;
    uint8 mOpacity = 255;
    GPoint mOffset;   // where the effect lies relative to the layer
    Fixed mBlur = 0;  // 0: the coverage is used as it stands
    Fixed mIntensity = 0;
    bool mInvert = false;  // draw where the layer is not: inner shadows and inward glows
};

// Draws inEffect at the effect opacity times inLayerOpacity (nothing when that is 0), over the layer's
// area moved by the offset and grown by the blur, clipped to the target's area; a plain effect only
// where the coverage can reach. Strips of at most kEffectStripColumns columns are blurred at a time;
// more than 1024 source columns in one blur refuse with "Warning: !(columnsToDo <= 1024)". An
// adjustment layer drawn without its mask requested reports "ApplyOneEffect: use layer mask should be
// true" (its mask is used all the same).
void ApplyOneEffect(const EffectSource& inSource, uint8 inLayerOpacity, const EffectTarget& inTarget,
                    const OneEffect& inEffect);
