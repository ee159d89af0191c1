// Drawing all of a layer's effects into one tile of the composite.
//
// Outer effects go beneath the layer, into the composite being built: the drop shadow, the outer part
// of the bevel (every style but InnerBevel) and the outer glow, in that order. Inner effects go onto
// the layer's own tile, whose coverage later confines them: the inner glow, the inner shadow and the
// inner part of the bevel (every style but OuterBevel). Each group is drawn only while its visibility
// flag is set. Shadows take their light from the image's global angle when they say so.
#pragma once

#include "Src/Orvane/Src/Effects/LayerFXRep.h"
#include "Src/Orvane/Src/Image/LayerEffects.h"

// Whether the parameters draw anything beneath the layer, and anything at all.
bool HasOuterEffectsToDraw(const LayerFXParameters& inParameters);
bool HasEffectsToDraw(const LayerFXParameters& inParameters);

// Draws the effects for one call of the compositing pipeline. Outer effects drawn into a clip group's
// buffer for a layer clipped to the group's base keep the buffer's coverage, as the layer's own pixels
// do.
void DrawLayerEffects(const LayerFXParameters& inParameters, const LayerEffectsDrawing& inDrawing);
