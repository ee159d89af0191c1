// Reading the layer effects of a document's "lrFX" block.
#pragma once

#include "Src/Orvane/Src/Image/LayerEffects.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class SReadStream;

// Reads the effects whose inLength-byte payload starts at the stream's position; the stream is left
// anywhere inside the payload (the caller moves on by the block's length). Throws when the block is
// refused (see LayerFXBlock.h); the layer reader then gives the layer no effects. The
// effects write themselves back through LayerEffects::WriteData.
LayerEffects ReadLayerEffects(SReadStream& inStream, uint32 inLength);
