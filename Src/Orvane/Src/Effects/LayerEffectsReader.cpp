#include "Src/Orvane/Src/Effects/LayerEffectsReader.h"

#include "Src/Orvane/Src/Effects/LayerFXSource.h"

LayerEffects ReadLayerEffects(SReadStream& inStream, uint32 inLength) {
    return LayerFXSource::MakeEffects(LayerFX(inStream, inLength));
}
