// A counted handle onto a layer's effect parameters.
//
// Copies share one LayerFXRep; every change goes through the handle, which first gives itself a private
// copy when the representation is shared, so changing a copied layer's effects never touches the
// original's. The last handle to let go deletes the representation.
#pragma once

#include "Src/Orvane/Src/Effects/LayerFXRep.h"

class SReadStream;
class SWriteStream;

class LayerFX {
public:
    // A fresh representation with the default parameters.
    LayerFX();
    // Reads an effects payload of inLength bytes starting at the stream's position (see LayerFXBlock).
    // A refused block throws; the fresh representation is released first.
    LayerFX(SReadStream& inStream, uint32 inLength);
    LayerFX(const LayerFX& inLayerFX);
    LayerFX& operator=(const LayerFX& inLayerFX);
    ~LayerFX();

    // The parameters; a handle without a representation throws NilPointerException.
    const LayerFXParameters& Parameters() const;

    // Changes one parameter, e.g. Set(&LayerFXParameters::mDropShadowOpacity, uint8(128)).
    template <typename Field, typename Value>
    void Set(Field LayerFXParameters::*inField, const Value& inValue) {
        MakeUnique();
        static_cast<LayerFXParameters&>(*mLayerFXRep).*inField = Field(inValue);
    }
    // Replaces every parameter at once.
    void SetParameters(const LayerFXParameters& inParameters);

    // The two visibility flags, and whether either is set.
    bool InnerEffectsVisible() const { return Parameters().mInnerEffectsVisible; }
    bool OuterEffectsVisible() const { return Parameters().mOuterEffectsVisible; }
    bool EffectsVisible() const { return InnerEffectsVisible() || OuterEffectsVisible(); }
    // Shows or hides all effects: both flags take the value.
    void SetEffectsVisible(bool inVisible);

    // The payload of an effects block, always kLayerFXBlockSize bytes.
    void Write(SWriteStream& inStream) const;

    bool operator==(const LayerFX& inOther) const;
    bool operator!=(const LayerFX& inOther) const { return !(*this == inOther); }

    // How many handles share the representation.
    int32 ShareCount() const;

private:
    // After this the representation belongs to this handle alone.
    void MakeUnique();

    LayerFXRep* mLayerFXRep = nullptr;
};
