// A layer's effects as the image model and the compositing pipeline see them: the LayerEffects source
// built from a LayerFX.
#pragma once

#include "Src/Orvane/Src/Effects/LayerFX.h"
#include "Src/Orvane/Src/Image/LayerEffects.h"

class LayerFXSource : public LayerEffectsSource {
public:
    explicit LayerFXSource(const LayerFX& inLayerFX) : mLayerFX(inLayerFX) {}

    // A LayerEffects handle over a copy of inLayerFX (sharing its representation).
    static LayerEffects MakeEffects(const LayerFX& inLayerFX);
    // The LayerFX behind a handle, or null for the empty record and for sources of other kinds.
    static const LayerFX* Find(const LayerEffects& inEffects);

    const LayerFX& GetLayerFX() const { return mLayerFX; }

    // An effect is switched on in a group whose visibility flag is set.
    bool HasEffects() const override;
    // A drop shadow, outer glow or outer bevel part is switched on and outer effects are shown.
    bool HasOuterEffects() const override;
    // Grown with the shadows lit from the default global angle.
    GRect GrowBounds(const GRect& inBounds) const override;
    GRect GrowBoundsAtAngle(const GRect& inBounds, int32 inGlobalAngle) const override;
    bool Equals(const LayerEffectsSource& inOther) const override;
    void Render(const LayerEffectsDrawing& inDrawing) const override;
    // The "lrFX" payload: always kLayerFXBlockSize bytes.
    uint32 GetDataLength() const override;
    void WriteData(SWriteStream& inStream) const override;

private:
    LayerFX mLayerFX;
};
