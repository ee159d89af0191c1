// The composite of any rectangle of the canvas, whole composite buffers and scaled composites.
#include <algorithm>
#include <cmath>
#include <new>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Compositing/Checkerboard.h"
#include "Src/Orvane/Src/Compositing/CompositeLayerStep.h"
#include "Src/Orvane/Src/Compositing/CompositePlanes.h"
#include "Src/Orvane/Src/Compositing/StGetCompositeTile.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

constexpr int32 kQuadBytes = int32(sizeof(NativeQuad));

// Clears the descriptor's base address on every way out, so that the image never keeps a pointer into
// a caller's buffer between calls.
class StClearRasterBase {
public:
    explicit StClearRasterBase(RasterDescriptor& inDescriptor) : mDescriptor(inDescriptor) {}
    ~StClearRasterBase() { mDescriptor.baseAddress = nullptr; }
    StClearRasterBase(const StClearRasterBase&) = delete;
    StClearRasterBase& operator=(const StClearRasterBase&) = delete;

private:
    RasterDescriptor& mDescriptor;
};

// One normal, visible layer without an enabled mask or effects writes straight into the destination.
bool TakesFastPath(const CLayer& inLayer) {
    return inLayer.GetBlendMode() == kBlendNormal && inLayer.GetVisible() && !inLayer.HasEnabledLayerMask() &&
           !inLayer.GetEffects().HasEffects();
}

}  // namespace

void GetCompositeTile(CImage& ioImage, const GRect& inRect, NativeQuad* outDestination, int32 inRowBytes) {
    // Named as the image's own call, so that the assertion reports the text it always has.
    const auto GetLayerCount = [&ioImage] { return ioImage.GetLayerCount(); };
    ioImage.CreateRasterPortIfNeeded();
    const std::vector<CLayer*>& layers = ioImage.GetLayers();
    const bool alone = GetLayerCount() == 1 && TakesFastPath(*layers[0]);
    if (!alone || !LayerWritesWholeRect(*layers[0], inRect))
        FillQuads(outDestination, inRowBytes, inRect.Width(), inRect.Height(), kTransparentWhite);
    if (!LCHECK(!(GetLayerCount() <= 0)) || inRect.Empty()) return;
    RasterDescriptor& descriptor = ioImage.GetRasterDescriptor();
    StClearRasterBase clearBase(descriptor);

    if (alone) {
        CLayer& layer = *layers[0];
        descriptor.Set(inRect, outDestination, inRowBytes, kRasterKindCallerBuffer);
        layer.GetTile(ioImage.GetRasterPort(), ioImage.GetRasterDevice(), &descriptor, inRect);
        ScaleAlpha(outDestination, inRowBytes, inRect.Width(), inRect.Height(), layer.GetOpacity());
        return;
    }
    if (std::none_of(layers.begin(), layers.end(), [](const CLayer* l) { return l->GetVisible(); })) return;

    // Sub-tiles of w x h pixels fill the layer scratch buffer: w = min(width, size / 4),
    // h = min(height, size / (w * 4)).
    LScratchBuffer layerBuffer, groupBuffer, maskBuffer;
    const int32 size = int32(layerBuffer.Size());
    CompositeScratch scratch;
    scratch.mWidth = std::min(inRect.Width(), size / kQuadBytes);
    const int32 subHeight = std::min(inRect.Height(), size / (scratch.mWidth * kQuadBytes));
    scratch.mLayerTile = static_cast<NativeQuad*>(layerBuffer.Ptr());
    scratch.mGroupTile = static_cast<NativeQuad*>(groupBuffer.Ptr());
    scratch.mMask = static_cast<uint8*>(maskBuffer.Ptr());
    scratch.mSavedAlpha = scratch.mMask + maskBuffer.Size() / 2;
    for (int32 top = inRect.top; top < inRect.bottom; top += subHeight) {
        for (int32 left = inRect.left; left < inRect.right; left += scratch.mWidth) {
            const GRect tile(left, top, std::min(inRect.right, left + scratch.mWidth),
                             std::min(inRect.bottom, top + subHeight));
            NativeQuad* first = QuadAt(outDestination, inRowBytes, left - inRect.left, top - inRect.top);
            CompositeSubTile(ioImage, tile, first, inRowBytes, scratch).Run();
        }
    }
}

void GetCompositeBuffer(CImage& ioImage, const GRect& inRect, CNativeQuadTileBuffer& ioBuffer,
                        LProgressScope* inProgress) {
    StGetCompositeTileNoCheckerboard processor(&ioImage);
    if (ioBuffer.GetBounds().Width() == inRect.Width() && ioBuffer.GetBounds().Height() == inRect.Height())
        ioBuffer.MoveTo(inRect.TopLeft());
    else
        ioBuffer = CNativeQuadTileBuffer(inRect, kTransparentWhite);
    ioBuffer.ForEachPixelInArea(inRect, processor, inProgress);
}

void GetCompositeBuffer(CImage& ioImage, const GRect& inRect, CNativeQuadTileBuffer& ioBuffer,
                        NativeQuad inCheckerColorA, NativeQuad inCheckerColorB, int32 inCheckerSize,
                        LProgressScope* inProgress) {
    StGetCompositeTileWithCheckerboard processor(&ioImage, inCheckerColorA, inCheckerColorB, inCheckerSize);
    if (ioBuffer.GetBounds().Width() == inRect.Width() && ioBuffer.GetBounds().Height() == inRect.Height())
        ioBuffer.MoveTo(inRect.TopLeft());
    else
        ioBuffer = CNativeQuadTileBuffer(inRect, kTransparentWhite);
    ioBuffer.ForEachPixelInArea(inRect, processor, inProgress);
}

void GetEntireComposite(CImage& ioImage, CNativeQuadTileBuffer& ioBuffer, LProgressScope* inProgress) {
    GetCompositeBuffer(ioImage, ioImage.GetImageRect(), ioBuffer, inProgress);
}
