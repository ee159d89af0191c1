#include "Src/Orvane/Src/Effects/LayerEffectsReader.h"

// The effects engine replaces this body with its block reader; the layer reader already keeps the block's
// position and length and catches a refusal.
LayerEffects ReadLayerEffects(SReadStream&, uint32) { return LayerEffects(); }
