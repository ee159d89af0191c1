// The layer step of the general composite path.
//
// Order matters and is reproduced exactly:
// - A clip group is composited into its own buffer (S2, transparent to begin with): the base is blended
//   into it with its own mode and opacity, the clipped layers with preserve-transparency on (they cannot
//   add coverage), and the finished group is blended into the destination again with the base's mode and
//   opacity, so those act twice. A hidden base hides the whole group.
// - Effects are drawn before the mask is applied; outer effects of a layer whose own pixels are
//   transparent in this tile are still drawn.
// - A pixel layer whose tile is fully transparent is skipped outside a clip group unless it has outer
//   effects; a layer whose bounds miss the tile is skipped outside a clip group.
// - An adjustment layer recolours a copy of what lies beneath it, takes its mask as coverage, and never
//   changes the coverage below it.
#include "Src/Orvane/Src/Compositing/CompositeLayerStep.h"

#include "Src/Orvane/Src/Compositing/CompositePlanes.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

constexpr const char* kBadLayerPosition =
    "$$$/Err/Orvane/CImage/BadLayerPosition=the layer at that position could not be found";

}  // namespace

bool LayerWritesWholeRect(const CLayer& inLayer, const GRect& inRect) {
    return inLayer.GetLayerType() == eRGBLayer && inLayer.GetBounds().Contains(inRect);
}

CompositeSubTile::CompositeSubTile(CImage& inImage, const GRect& inTile, NativeQuad* inDestination,
                                   int32 inRowBytes, const CompositeScratch& inScratch)
    : mImage(inImage),
      mTile(inTile),
      mWidth(inTile.Width()),
      mHeight(inTile.Height()),
      mDestination(inDestination),
      mRowBytes(inRowBytes),
      mScratch(inScratch),
      mScratchRowBytes(inScratch.mWidth * int32(sizeof(NativeQuad))) {}

void CompositeSubTile::Run() {
    mInGroup = false;
    mGroupBase = nullptr;
    mGroupMode = kBlendNormal;
    mGroupOpacity = 255;
    mTarget = mDestination;
    mTargetRowBytes = mRowBytes;
    mImage.GetRasterDescriptor().Set(mTile, mScratch.mLayerTile, mScratchRowBytes, kRasterKindCallerBuffer);

    const int32 count = mImage.GetLayerCount();
    for (int32 position = 0; position < count;) {
        CLayer* layer = mImage.GetLayerWithPosition(position);
        if (layer == nullptr) LTHROW_MESSAGE(kBadLayerPosition);
        position = Step(position, *layer);
    }
    if (mInGroup && !AlphaIsZero(mScratch.mGroupTile, mScratchRowBytes, mWidth, mHeight))
        BlendGroupIntoDestination();
}

int32 CompositeSubTile::Step(int32 inPosition, CLayer& inLayer) {
    GRect bounds = inLayer.GetBounds();
    const bool first = mImage.IsLayerFirstInClipGroup(&inLayer);
    const bool outer = inLayer.GetEffects().HasEffects() && inLayer.GetEffects().HasOuterEffects();
    int32 next = inPosition + 1;

    if (first && !inLayer.GetVisible()) {
        SkipHiddenGroup(next, inLayer);
        return next;
    }
    const bool ended =
        mInGroup && mGroupBase != nullptr && !mImage.AreLayersInSameClipGroup(&inLayer, mGroupBase);
    if (first || ended) ChangeGroup(inLayer, first);

    if (inLayer.GetVisible() && inLayer.HasEnabledLayerMask()) bounds.UnionWith(inLayer.GetLayerMaskBounds());
    bounds = inLayer.GetEffects().GrowBounds(bounds, mImage.GetGlobalAngle());
    if (!inLayer.GetVisible() || (!bounds.Intersects(mTile) && !mInGroup)) return next;

    if (inLayer.GetLayerType() == eAdjustmentLayer)
        AdjustmentStep(inLayer);
    else
        PixelStep(inLayer, outer);
    return next;
}

void CompositeSubTile::SkipHiddenGroup(int32& ioPosition, const CLayer& inBase) const {
    while (ioPosition < mImage.GetLayerCount()) {
        const CLayer* member = mImage.GetLayerWithPosition(ioPosition);
        if (member == nullptr || !mImage.AreLayersInSameClipGroup(&inBase, member)) return;
        ++ioPosition;
    }
}

void CompositeSubTile::ChangeGroup(CLayer& inLayer, bool inFirst) {
    if (mInGroup) BlendGroupIntoDestination();
    if (inFirst) {
        mInGroup = true;
        mGroupBase = &inLayer;
        mTarget = mScratch.mGroupTile;
        mTargetRowBytes = mScratchRowBytes;
        mGroupMode = inLayer.GetBlendMode();
        mGroupOpacity = inLayer.GetOpacity();
        FillQuads(mScratch.mGroupTile, mScratchRowBytes, mWidth, mHeight, kTransparentWhite);
    } else {
        mTarget = mDestination;
        mTargetRowBytes = mRowBytes;
        mInGroup = false;
        mGroupBase = nullptr;
    }
}

void CompositeSubTile::BlendGroupIntoDestination() {
    BlendTile(mTile, mScratch.mGroupTile, mScratchRowBytes, mDestination, mRowBytes, mGroupMode,
              mGroupOpacity, false);
}

void CompositeSubTile::ReadMask(const CLayer& inLayer) {
    if (inLayer.HasLayerMask())
        inLayer.GetLayerMaskTile(mTile, mScratch.mMask, mScratch.mWidth);
    else
        FillBytes(mScratch.mMask, mScratch.mWidth, mWidth, mHeight, inLayer.GetMaskDefaultColor());
    if (inLayer.GetMaskInverted()) InvertBytes(mScratch.mMask, mScratch.mWidth, mWidth, mHeight);
}

// The layer tile's alpha is 255 for the call; the caller restores or replaces it.
void CompositeSubTile::DrawEffects(CLayer& inLayer) {
    SetAlpha(mScratch.mLayerTile, mScratchRowBytes, mWidth, mHeight, 255);
    LayerEffectsDrawing drawing;
    drawing.mLayer = &inLayer;
    drawing.mInnerArea = mTile;
    drawing.mInner = mScratch.mLayerTile;
    drawing.mInnerRowBytes = mScratchRowBytes;
    drawing.mInnerFlag = true;
    drawing.mOuterArea = mTile;
    drawing.mOuter = mTarget;
    drawing.mOuterRowBytes = mTargetRowBytes;
    drawing.mInGroup = mInGroup;
    drawing.mUseLayerMask = inLayer.HasEnabledLayerMask();
    inLayer.GetEffects().Render(drawing);
}

void CompositeSubTile::AdjustmentStep(CLayer& inLayer) {
    if (!inLayer.GetMaskEnabled()) return;
    LScratchBuffer below;  // S4: what lies beneath, whose coverage is put back at the end
    auto* saved = static_cast<NativeQuad*>(below.Ptr());
    CopyQuads(mTarget, mTargetRowBytes, saved, mScratchRowBytes, mWidth, mHeight);
    int32 sourceRowBytes = mScratchRowBytes;
    int32 destinationRowBytes = mScratchRowBytes;
    inLayer.AdjustTile(mTile, saved, sourceRowBytes, mScratch.mLayerTile, destinationRowBytes);
    if (inLayer.GetEffects().HasEffects()) DrawEffects(inLayer);
    ReadMask(inLayer);
    CopyBytesToAlpha(mScratch.mMask, mScratch.mWidth, mScratch.mLayerTile, mScratchRowBytes, mWidth, mHeight);
    SetAlpha(mTarget, mTargetRowBytes, mWidth, mHeight, 255);
    BlendTile(mTile, mScratch.mLayerTile, mScratchRowBytes, mTarget, mTargetRowBytes, inLayer.GetBlendMode(),
              inLayer.GetOpacity(), false);
    for (int32 y = 0; y < mHeight; ++y) {
        const NativeQuad* from = QuadAt(saved, mScratchRowBytes, 0, y);
        NativeQuad* to = QuadAt(mTarget, mTargetRowBytes, 0, y);
        for (int32 x = 0; x < mWidth; ++x) to[x].alpha = from[x].alpha;
    }
}

namespace {

// Tests and blends a layer's tile where it is stored, for a layer without effects: what the copy below
// would do, without the copy. With a mask (read into the scratch mask already), the tile is copied once,
// its alpha multiplied by the mask on the way, instead of copied and then multiplied. A tile whose alpha
// is zero, before or after the mask, blends nothing.
class StoredTileBlend : public CNQConstTileProcessor {
public:
    StoredTileBlend(const GRect& inTile, NativeQuad* inTarget, int32 inTargetRowBytes, const CLayer& inLayer,
                    bool inPreserve, const CompositeScratch* inMasked)
        : mTile(inTile),
          mTarget(inTarget),
          mTargetRowBytes(inTargetRowBytes),
          mLayer(inLayer),
          mPreserve(inPreserve),
          mMasked(inMasked) {}
    bool Process(const GRect&, const NativeQuad* inPixels, int32 inRowBytes) override {
        const int32 width = mTile.Width(), height = mTile.Height();
        if (mMasked != nullptr) {
            const int32 rowBytes = mMasked->mWidth * int32(sizeof(NativeQuad));
            MultiplyAlphaByBytes(mMasked->mMask, mMasked->mWidth, inPixels, inRowBytes, mMasked->mLayerTile,
                                 rowBytes, width, height);
            inPixels = mMasked->mLayerTile;
            inRowBytes = rowBytes;
        }
        if (!AlphaIsZero(inPixels, inRowBytes, width, height))
            BlendTile(mTile, inPixels, inRowBytes, mTarget, mTargetRowBytes, mLayer.GetBlendMode(),
                      mLayer.GetOpacity(), mPreserve);
        return true;
    }

private:
    const GRect& mTile;
    NativeQuad* mTarget;
    int32 mTargetRowBytes;
    const CLayer& mLayer;
    bool mPreserve;
    const CompositeScratch* mMasked;
};

}  // namespace

void CompositeSubTile::PixelStep(CLayer& inLayer, bool inOuter) {
    const bool preserve = mInGroup && &inLayer != mGroupBase;
    bool maskRead = false;  // the scratch mask holds the layer's mask over the tile
    if (inLayer.GetLayerType() == eRGBLayer && !inLayer.GetEffects().HasEffects()) {
        // Without effects a transparent tile changes nothing below, masked or not.
        const CRGBLayer& pixels = static_cast<const CRGBLayer&>(inLayer);
        if (pixels.IsTransparentOver(mTile)) return;
        const bool masked = inLayer.HasEnabledLayerMask();
        if (masked) ReadMask(inLayer);
        maskRead = masked;
        StoredTileBlend blend(mTile, mTarget, mTargetRowBytes, inLayer, preserve,
                              masked ? &mScratch : nullptr);
        if (pixels.ViewStoredTile(mTile, blend)) return;
    }
    if (!LayerWritesWholeRect(inLayer, mTile))
        FillQuads(mScratch.mLayerTile, mScratchRowBytes, mWidth, mHeight, kTransparentWhite);
    inLayer.GetTile(mImage.GetRasterPort(), mImage.GetRasterDevice(), &mImage.GetRasterDescriptor(), mTile);
    const bool transparent = AlphaIsZero(mScratch.mLayerTile, mScratchRowBytes, mWidth, mHeight);
    if (transparent && !mInGroup && !inOuter) return;

    if (inLayer.GetEffects().HasEffects()) {
        CopyAlphaToBytes(mScratch.mLayerTile, mScratchRowBytes, mScratch.mSavedAlpha, mScratch.mWidth, mWidth,
                         mHeight);
        DrawEffects(inLayer);
        CopyBytesToAlpha(mScratch.mSavedAlpha, mScratch.mWidth, mScratch.mLayerTile, mScratchRowBytes, mWidth,
                         mHeight);
    }
    if (inLayer.HasEnabledLayerMask()) {
        if (!maskRead) ReadMask(inLayer);
        MultiplyAlphaByBytes(mScratch.mMask, mScratch.mWidth, mScratch.mLayerTile, mScratchRowBytes, mWidth,
                             mHeight);
    }
    if (!transparent) {
        BlendTile(mTile, mScratch.mLayerTile, mScratchRowBytes, mTarget, mTargetRowBytes,
                  inLayer.GetBlendMode(), inLayer.GetOpacity(), preserve);
    }
}
