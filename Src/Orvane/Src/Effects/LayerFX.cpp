#include "Src/Orvane/Src/Effects/LayerFX.h"

#include "Src/Orvane/Src/Effects/LayerFXBlock.h"
#include "Src/Pellin/Isol/Exceptions.h"

LayerFX::LayerFX() {
    mLayerFXRep = new LayerFXRep;
    mLayerFXRep->Retain();
}

LayerFX::LayerFX(SReadStream& inStream, uint32 inLength) {
    LayerFXRep* fresh = new LayerFXRep;
    fresh->Retain();
    try {
        ReadLayerFXBlock(inStream, inLength, *fresh);
    } catch (...) {
        fresh->Release();
        throw;
    }
    mLayerFXRep = fresh;
}

LayerFX::LayerFX(const LayerFX& inLayerFX) : mLayerFXRep(inLayerFX.mLayerFXRep) {
    if (LCHECK(inLayerFX.mLayerFXRep != 0)) mLayerFXRep->Retain();
}

LayerFX& LayerFX::operator=(const LayerFX& inLayerFX) {
    LASSERT(mLayerFXRep != 0);
    if (inLayerFX.mLayerFXRep != mLayerFXRep) {
        if (inLayerFX.mLayerFXRep != nullptr) inLayerFX.mLayerFXRep->Retain();
        if (mLayerFXRep != nullptr) mLayerFXRep->Release();
        mLayerFXRep = inLayerFX.mLayerFXRep;
    }
    return *this;
}

LayerFX::~LayerFX() {
    if (mLayerFXRep != nullptr) mLayerFXRep->Release();
}

const LayerFXParameters& LayerFX::Parameters() const {
    return *ThrowIfNil(mLayerFXRep);
}

void LayerFX::SetParameters(const LayerFXParameters& inParameters) {
    MakeUnique();
    static_cast<LayerFXParameters&>(*mLayerFXRep) = inParameters;
}

void LayerFX::SetEffectsVisible(bool inVisible) {
    MakeUnique();
    mLayerFXRep->mInnerEffectsVisible = inVisible;
    mLayerFXRep->mOuterEffectsVisible = inVisible;
}

void LayerFX::Write(SWriteStream& inStream) const {
    WriteLayerFXBlock(inStream, Parameters());
}

bool LayerFX::operator==(const LayerFX& inOther) const {
    return mLayerFXRep == inOther.mLayerFXRep || Parameters() == inOther.Parameters();
}

int32 LayerFX::ShareCount() const {
    return ThrowIfNil(mLayerFXRep)->mRefCount;
}

void LayerFX::MakeUnique() {
    ThrowIfNil(mLayerFXRep);
    if (mLayerFXRep->mRefCount < 2) return;
    LayerFXRep* copy = new LayerFXRep;
    static_cast<LayerFXParameters&>(*copy) = *mLayerFXRep;
    copy->Retain();
    mLayerFXRep->Release();
    mLayerFXRep = copy;
}
