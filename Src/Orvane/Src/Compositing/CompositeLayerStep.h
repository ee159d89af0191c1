// The general path of the composite for one sub-tile: every layer of the stack, bottom to top, blended
// into the destination through the clip-group buffer, masks, adjustment tables and effects.
//
// Used by GetCompositeTile (CImageComposite.h) only. The scratch memory is the caller's and must hold one
// sub-tile in each part (quads of the given row bytes, mask and saved-alpha bytes of row bytes width).
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"

class CImage;
class CLayer;

// Whether the layer's GetTile writes every pixel of inRect, so that the destination need not be cleared
// first: a pixel layer does inside its bounds.
bool LayerWritesWholeRect(const CLayer& inLayer, const GRect& inRect);

// The scratch planes of one composite call; every quad plane has row bytes mWidth x 4, every byte plane
// row bytes mWidth.
struct CompositeScratch {
    int32 mWidth = 0;
    NativeQuad* mLayerTile = nullptr;  // S1: the layer's pixels
    NativeQuad* mGroupTile = nullptr;  // S2: the clip-group buffer
    uint8* mMask = nullptr;            // S3, first half: the mask bytes
    uint8* mSavedAlpha = nullptr;      // S3, second half: the layer alpha kept while effects draw
};

class CompositeSubTile {
public:
    // inDestination addresses inTile's top-left pixel of the destination.
    CompositeSubTile(CImage& inImage, const GRect& inTile, NativeQuad* inDestination, int32 inRowBytes,
                     const CompositeScratch& inScratch);
    CompositeSubTile(const CompositeSubTile&) = delete;
    CompositeSubTile& operator=(const CompositeSubTile&) = delete;

    // Runs the layer step for every position and blends a pending clip group at the end. A position
    // without a layer throws the "bad layer position" error.
    void Run();

private:
    // The layer step; returns the next position to visit.
    int32 Step(int32 inPosition, CLayer& inLayer);
    void SkipHiddenGroup(int32& ioPosition, const CLayer& inBase) const;
    void ChangeGroup(CLayer& inLayer, bool inFirst);
    void BlendGroupIntoDestination();
    void AdjustmentStep(CLayer& inLayer);
    void PixelStep(CLayer& inLayer, bool inOuter);
    // The layer's mask over the tile into the mask plane (its default colour where it has none),
    // inverted when the layer says so.
    void ReadMask(const CLayer& inLayer);
    void DrawEffects(CLayer& inLayer);

    CImage& mImage;
    const GRect mTile;
    const int32 mWidth;
    const int32 mHeight;
    NativeQuad* const mDestination;
    const int32 mRowBytes;
    const CompositeScratch mScratch;
    const int32 mScratchRowBytes;

    bool mInGroup = false;
    const CLayer* mGroupBase = nullptr;
    uint32 mGroupMode = 0;
    uint8 mGroupOpacity = 255;
    NativeQuad* mTarget = nullptr;
    int32 mTargetRowBytes = 0;
};
