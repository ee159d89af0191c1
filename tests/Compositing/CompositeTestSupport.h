// Helpers of the composite suites: a test adjustment layer, a fake effects source, random stacks,
// reading composites into plain vectors, and the reference composite.
#pragma once

#include <random>
#include <vector>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "tests/Image/ImageTestSupport.h"

namespace CompositeTest {

// An adjustment layer (kind 4) over the whole canvas that inverts red, green and blue.
class InvertLayer : public CLayer {
public:
    explicit InvertLayer(uint32 inID)
        : CLayer("invert", LayerSettings(inID, GPoint::zero, true, 12000, 255)) {}
    void GetTile(RasterPort*, RasterDevice*, RasterDescriptor*, const GRect&) override {}
    void AdjustTile(const GRect& inRect, const NativeQuad* inSource, int32& ioSourceRowBytes,
                    NativeQuad* outDestination, int32& ioDestinationRowBytes) override;
    GRect GetBounds() const override { return GetImage() != nullptr ? GetImage()->GetImageRect() : GRect(); }
    GRect GetContentBounds() const override { return GetBounds(); }
    bool IsEmpty() const override { return false; }
    void Scale(double, double, int32, LProgressScope*) override {}
    void Crop(const GRect&, LProgressScope*) override {}
    LayerKind GetLayerType() const override { return eAdjustmentLayer; }
    CLayer* Clone() const override { return new InvertLayer(*this); }
    void ReservedOperation15(void*) override {}
    void ReservedOperation16(void*) override {}
};

// Effects that grow the bounds by mGrow, and when drawn record the call and paint mOuterColor into the
// outer destination (when mOuter) and mInnerColor into the inner one.
class FakeEffects : public LayerEffectsSource {
public:
    struct Call {
        GRect area;
        bool innerAlphaAllOpaque;
        bool useLayerMask;
    };
    bool mOuter = true;
    int32 mGrow = 0;
    NativeQuad mOuterColor = MakeNativeQuad(0, 0, 0, 255);
    NativeQuad mInnerColor = MakeNativeQuad(0, 255, 255, 255);
    mutable std::vector<Call> mCalls;

    bool HasEffects() const override { return true; }
    bool HasOuterEffects() const override { return mOuter; }
    GRect GrowBounds(const GRect& inBounds) const override { return GRect(inBounds).Inset(-mGrow, -mGrow); }
    bool Equals(const LayerEffectsSource& inOther) const override { return this == &inOther; }
    void Render(const LayerEffectsDrawing& inDrawing) const override;
};

// The composite of inRect, row after row.
std::vector<NativeQuad> Composite(CImage& inImage, const GRect& inRect);

// What a random stack may hold.
struct StackOptions {
    int32 width = 40;
    int32 height = 30;
    int32 maxLayers = 5;
    bool allowBehind = true;      // Behind changes pixels under fully transparent sources
    bool allowAdjustment = true;  // InvertLayer
    bool allowIndexed = false;  // indexed layers write index 0 colours over the whole tile they are asked for
};
// A random stack: modes, opacities, visibility, clipping, masks (default colour, inverted, disabled),
// layer bounds inside and outside the canvas, pixels with every kind of alpha.
std::unique_ptr<CImage> RandomStack(std::mt19937& ioRandom, const StackOptions& inOptions);

}  // namespace CompositeTest

// A straightforward composite for tests, written from the layer step list: clip groups worked out from
// the clipping values alone, every blend through the per-pixel reference kernels, every pixel by itself.
// Decisions the pipeline takes for a whole sub-tile (skipping layers whose bounds miss it or whose pixels
// are all transparent there) are taken over the same sub-tiles. Effects are not modelled.
namespace CompositeReference {

// The composite of inRect, row after row.
std::vector<NativeQuad> Composite(CImage& inImage, const GRect& inRect);

}  // namespace CompositeReference
