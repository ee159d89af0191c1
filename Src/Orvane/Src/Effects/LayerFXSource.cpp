#include "Src/Orvane/Src/Effects/LayerFXSource.h"

#include <memory>

#include "Src/Orvane/Src/Effects/EffectGeometry.h"
#include "Src/Orvane/Src/Effects/LayerEffectsRenderer.h"
#include "Src/Orvane/Src/Effects/LayerFXBlock.h"

LayerEffects LayerFXSource::MakeEffects(const LayerFX& inLayerFX) {
    return LayerEffects(std::make_shared<const LayerFXSource>(inLayerFX));
}

const LayerFX* LayerFXSource::Find(const LayerEffects& inEffects) {
    const auto* source = dynamic_cast<const LayerFXSource*>(inEffects.Source());
    return source != nullptr ? &source->mLayerFX : nullptr;
}

bool LayerFXSource::HasEffects() const {
    return HasEffectsToDraw(mLayerFX.Parameters());
}

bool LayerFXSource::HasOuterEffects() const {
    return HasOuterEffectsToDraw(mLayerFX.Parameters());
}

GRect LayerFXSource::GrowBounds(const GRect& inBounds) const {
    return GrowBoundsAtAngle(inBounds, kDefaultGlobalAngle);
}

GRect LayerFXSource::GrowBoundsAtAngle(const GRect& inBounds, int32 inGlobalAngle) const {
    return EffectsBounds(mLayerFX.Parameters(), inBounds, inGlobalAngle);
}

bool LayerFXSource::Equals(const LayerEffectsSource& inOther) const {
    const auto* other = dynamic_cast<const LayerFXSource*>(&inOther);
    return other != nullptr && mLayerFX == other->mLayerFX;
}

void LayerFXSource::Render(const LayerEffectsDrawing& inDrawing) const {
    DrawLayerEffects(mLayerFX.Parameters(), inDrawing);
}

uint32 LayerFXSource::GetDataLength() const {
    return kLayerFXBlockSize;
}

void LayerFXSource::WriteData(SWriteStream& inStream) const {
    mLayerFX.Write(inStream);
}
