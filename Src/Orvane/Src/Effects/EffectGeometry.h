// Where layer effects lie: blur reach, shadow offsets, bevel light angles and the effects bounds.
#pragma once

#include "Src/Orvane/Src/Effects/LayerFXRep.h"
#include "Src/Pellin/Isol/GRect.h"

// The light angle of an image that says nothing else, in whole degrees.
inline constexpr int32 kDefaultGlobalAngle = 30;

// How far a blur reaches for bounds: 0 for a blur of 0 or less, else the blur rounded up to whole
// pixels and at least 2.
int32 BlurGrowth(Fixed inBlur);

// inRect grown by a blur: left and top move out by growth - 1, right and bottom by growth. A blur of 0
// leaves the rectangle as it is.
GRect GrowByBlur(const GRect& inRect, Fixed inBlur);

// The offset of a shadow cast by a light at an angle (the image's global angle when inUseGlobalAngle,
// else inAngle in 16.16 degrees) over a distance in whole pixels: (-trunc(cos a x d), trunc(sin a x d)).
GPoint ShadowOffset(Fixed inAngle, Fixed inDistance, bool inUseGlobalAngle, int32 inGlobalAngle);
GPoint DropShadowOffset(const LayerFXParameters& inParameters, int32 inGlobalAngle);
GPoint InnerShadowOffset(const LayerFXParameters& inParameters, int32 inGlobalAngle);

// The bevel's light in whole degrees 0..359: the global angle or the bevel's own (truncated toward
// zero), turned by 180 when inReverse.
int32 BevelLightAngle(const LayerFXParameters& inParameters, int32 inGlobalAngle, bool inReverse);

// The layer area united with the area of every enabled effect of nonzero opacity: moved by the shadow
// offsets (backwards when inReversed) and grown by the effect's blur; the bevel counts with its blur
// plus 1.0 when either of its opacities is nonzero.
GRect EffectsBounds(const LayerFXParameters& inParameters, const GRect& inArea, int32 inGlobalAngle,
                    bool inReversed = false);
