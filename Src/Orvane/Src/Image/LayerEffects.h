// A layer's effects record as the image model and the compositing pipeline see it.
//
// A LayerEffects value is a counted handle onto an effects source. The default value is the shared
// empty record: no effects, no outer effects, and bounds are not grown. The effects engine supplies its
// own LayerEffectsSource (parameters plus rendering); layers only store, copy and compare handles, and
// the pipeline only asks the three questions below and hands the source to the effects renderer.
#pragma once

#include <memory>

#include "Src/Pellin/Isol/GRect.h"

class CLayer;
class SWriteStream;
struct NativeQuad;

// One call of the effects renderer for one tile of the composite. The inner destination is the layer's
// own tile (its alpha set to 255 for the call; the pipeline restores or replaces it afterwards, so the
// layer's coverage confines what is drawn there); the outer destination is the composite being built
// beneath the layer (the destination or the clip-group buffer).
struct LayerEffectsDrawing {
    CLayer* mLayer = nullptr;
    GRect mInnerArea;
    NativeQuad* mInner = nullptr;
    int32 mInnerRowBytes = 0;
    bool mInnerFlag = true;  // always set by the pipeline
    GRect mOuterArea;
    NativeQuad* mOuter = nullptr;
    int32 mOuterRowBytes = 0;
    bool mInGroup = false;       // the outer destination is a clip-group buffer
    bool mUseLayerMask = false;  // the layer has an enabled layer mask
};

class LayerEffectsSource {
public:
    virtual ~LayerEffectsSource() = default;
    // Any effect is switched on and shown.
    virtual bool HasEffects() const = 0;
    // Effects drawn beneath the layer (shadows and glows outside its pixels) are switched on and shown.
    virtual bool HasOuterEffects() const = 0;
    // inBounds grown by how far the effects reach beyond the layer's pixels.
    virtual GRect GrowBounds(const GRect& inBounds) const = 0;
    // The same in an image whose global light angle is inGlobalAngle (whole degrees); sources whose
    // reach does not depend on the light keep this default.
    virtual GRect GrowBoundsAtAngle(const GRect& inBounds, int32 inGlobalAngle) const {
        (void)inGlobalAngle;
        return GrowBounds(inBounds);
    }
    // Parameter equality; sources of different kinds are unequal.
    virtual bool Equals(const LayerEffectsSource& inOther) const = 0;
    // Draws the effects of one tile; a source that draws nothing keeps this default.
    virtual void Render(const LayerEffectsDrawing& inDrawing) const { (void)inDrawing; }
    // Byte length of the "lrFX" data the source writes into a document (a multiple of 4); 0: the source
    // writes no block, and the layer is stored without effects.
    virtual uint32 GetDataLength() const { return 0; }
    // Writes that data at the stream's position.
    virtual void WriteData(SWriteStream& inStream) const { (void)inStream; }
};

class LayerEffects {
public:
    LayerEffects() = default;  // the shared empty record
    explicit LayerEffects(std::shared_ptr<const LayerEffectsSource> inSource)
        : mSource(std::move(inSource)) {}

    bool IsEmptyRecord() const { return mSource == nullptr; }
    bool HasEffects() const { return mSource != nullptr && mSource->HasEffects(); }
    bool HasOuterEffects() const { return mSource != nullptr && mSource->HasOuterEffects(); }
    GRect GrowBounds(const GRect& inBounds) const {
        return mSource != nullptr ? mSource->GrowBounds(inBounds) : inBounds;
    }
    GRect GrowBounds(const GRect& inBounds, int32 inGlobalAngle) const {
        return mSource != nullptr ? mSource->GrowBoundsAtAngle(inBounds, inGlobalAngle) : inBounds;
    }
    // Nothing for the empty record.
    void Render(const LayerEffectsDrawing& inDrawing) const {
        if (mSource != nullptr) mSource->Render(inDrawing);
    }
    // What a document stores of the effects: 0 bytes (no block) for the empty record.
    uint32 GetDataLength() const { return mSource != nullptr ? mSource->GetDataLength() : 0; }
    void WriteData(SWriteStream& inStream) const {
        if (mSource != nullptr) mSource->WriteData(inStream);
    }
    // Null for the empty record.
    const LayerEffectsSource* Source() const { return mSource.get(); }

    bool operator==(const LayerEffects& inOther) const {
        if (mSource == inOther.mSource) return true;
        if (mSource == nullptr || inOther.mSource == nullptr) return false;
        return mSource->Equals(*inOther.mSource);
    }
    bool operator!=(const LayerEffects& inOther) const { return !(*this == inOther); }

private:
    std::shared_ptr<const LayerEffectsSource> mSource;
};
