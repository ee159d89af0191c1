// The five merges of an image and CompositeLayers.
//
// Every merge composites its chosen layers into a new RGB layer that replaces the active layer: name
// and id of the active layer, visible (whatever the active layer was); normal mode, opaque, unlinked,
// unclipped except after a merge down. The new layer is built before the stack changes, so a failing
// composite leaves the stack as it was.
#include <algorithm>
#include <utility>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Compositing/StGetCompositeTile.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/PowerPellin/LProgressScope.h"

// The locals named as the image's members keep the texts the assertions report.
namespace {

constexpr uint32 kMergedBlendMode = 12000;

// The side of the largest merged area: that of the largest canvas. Fuzz builds merge at most 4096 x 4096
// pixels, so that every input stays quick; larger areas take the same refusal there.
#if defined(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
constexpr int64 kMostMergedSide = 4096;
#else
constexpr int64 kMostMergedSide = kMaxImageDimension;
#endif

}  // namespace

// Layers other than the first may lie anywhere; a merged area holding more pixels than the largest
// canvas (30000 x 30000), or more of the buffer's 64 x 64 tiles than that canvas needs, would make the
// image too big to hold. Counting tiles keeps a thin strip from costing up to 64 times its pixels.
bool MergedAreaFits(const GRect& inArea) {
    const int64 width = int64(inArea.right) - inArea.left, height = int64(inArea.bottom) - inArea.top;
    const int64 most = kMostMergedSide;
    return inArea.Empty() || (width * height <= most * most &&
                              TilesAlong(width) * TilesAlong(height) <= TilesAlong(most) * TilesAlong(most));
}

void CompositeLayers(CImage& ioImage, const std::vector<CLayer*>& inLayers, CNativeQuadTileBuffer& outBuffer,
                     LProgressScope* inProgress) {
    const std::vector<CLayer*>& mLayers = ioImage.GetLayers();
    LBroadcaster::StSuspendBroadcasting hold(ioImage);
    std::vector<bool> formerVisibility;
    formerVisibility.reserve(mLayers.size());
    GRect area;
    for (CLayer* layer : mLayers) {
        formerVisibility.push_back(layer->GetVisible());
        const bool listed = std::find(inLayers.begin(), inLayers.end(), layer) != inLayers.end();
        layer->SetVisible(listed, false);
        if (listed) area.UnionWith(layer->GetContentBounds());
    }
    auto restore = [&] {
        LASSERT(formerVisibility.size() == mLayers.size());
        for (size_t i = 0; i < mLayers.size() && i < formerVisibility.size(); ++i)
            mLayers[i]->SetVisible(formerVisibility[i], false);
    };
    try {
        if (!MergedAreaFits(area)) LTHROW_MESSAGE(kImageTooLargeError);
        if (area.Empty())
            outBuffer = CNativeQuadTileBuffer(GRect(0, 0, 1, 1), kTransparentWhite);
        else
            GetCompositeBuffer(ioImage, area, outBuffer, inProgress);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

namespace {

// Steps shared by the merges: inComposite fills the merged buffer, which becomes the new layer.
template <class Composite>
void ReplaceByMerged(CImage& ioImage, const std::vector<CLayer*>& inRemove, uint32 inResultClipping,
                     bool inKeepClipping, Composite&& inComposite) {
    CLayer* active = ioImage.GetActiveLayer();
    CNativeQuadTileBuffer merged;
    inComposite(merged);
    CRGBLayer* result = new CRGBLayer(&ioImage, std::move(merged), active->GetName(), true, kMergedBlendMode,
                                      255, active->GetLayerID());
    if (inKeepClipping) result->SetClipping(inResultClipping, false);
    {
        LBroadcaster::StSuspendBroadcasting hold(ioImage);
        ioImage.ReplaceLayer(active->GetLayerID(), result, false);
        for (CLayer* layer : inRemove) ioImage.RemoveLayer(layer, false);
    }
    result->LayerChanged();
    ioImage.BroadcastWholeComposite();
    if (!inRemove.empty()) ioImage.BroadcastMessage(kMsgLayerListChanged, &ioImage);
    if (CImage::GetCurrentImage() == &ioImage && ioImage.GetActiveLayer() != nullptr)
        ioImage.GetActiveLayer()->Activate();
}

void MergeLayers(CImage& ioImage, const std::vector<CLayer*>& inComposite,
                 const std::vector<CLayer*>& inRemove, uint32 inResultClipping, bool inKeepClipping,
                 LProgressScope* inProgress) {
    ReplaceByMerged(ioImage, inRemove, inResultClipping, inKeepClipping,
                    [&](CNativeQuadTileBuffer& outMerged) {
                        ioImage.GetActiveLayer()->Deactivate();
                        CompositeLayers(ioImage, inComposite, outMerged, inProgress);
                    });
}

}  // namespace

void FlattenImage(CImage& ioImage, LProgressScope* inProgress) {
    CLayer* const mActiveLayer = ioImage.GetActiveLayer();
    if (!LCHECK(mActiveLayer != 0)) return;
    std::vector<CLayer*> visible, others;
    for (CLayer* layer : ioImage.GetLayers()) {
        if (layer->GetVisible()) visible.push_back(layer);
        if (layer != mActiveLayer) others.push_back(layer);
    }
    MergeLayers(ioImage, visible, others, 0, false, inProgress);
}

// The layers hold only the rows the source gives them for a band, and the canvas is composited band by
// band; nothing outside the canvas is merged, as nothing there is ever delivered. A layer is not shrunk
// to its content first (it holds none yet): pixels outside that content are transparent, and a
// transparent pixel adds nothing to a composite. The merged layer covers the whole canvas; where the
// merge above would leave no pixel, the composite of transparent layers is transparent white, as the
// missing pixel reads.
void FlattenImageInBands(CImage& ioImage, LayerBandSource& ioSource, LProgressScope* inProgress) {
    CLayer* const mActiveLayer = ioImage.GetActiveLayer();
    if (!LCHECK(mActiveLayer != 0)) return;
    std::vector<CLayer*> others;
    for (CLayer* layer : ioImage.GetLayers())
        if (layer != mActiveLayer) others.push_back(layer);
    ReplaceByMerged(ioImage, others, 0, false, [&](CNativeQuadTileBuffer& outMerged) {
        LBroadcaster::StSuspendBroadcasting hold(ioImage);
        const GRect canvas = ioImage.GetImageRect();
        outMerged = CNativeQuadTileBuffer(canvas, kTransparentWhite);
        StGetCompositeTileNoCheckerboard processor(&ioImage);
        for (int32 top = canvas.top; top < canvas.bottom; top += kTileSide) {
            const GRect band(canvas.left, top, canvas.right, std::min(canvas.bottom, top + kTileSide));
            ioSource.LoadBand(band.top, band.bottom);
            outMerged.ForEachPixelInArea(band, processor, nullptr);
            ioSource.DropBand(band.top, band.bottom);
            if (inProgress != nullptr)
                inProgress->SetPortionComplete(double(band.bottom - canvas.top) / canvas.Height());
        }
    });
}

void MergeVisible(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged) {
    CLayer* const mActiveLayer = ioImage.GetActiveLayer();
    if (!LCHECK(mActiveLayer != 0)) return;
    std::vector<CLayer*> visible, remove;
    for (CLayer* layer : ioImage.GetLayers()) {
        if (!layer->GetVisible()) continue;
        visible.push_back(layer);
        if (inRemoveMerged && layer != mActiveLayer) remove.push_back(layer);
    }
    MergeLayers(ioImage, visible, remove, 0, false, inProgress);
}

void MergeDown(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged) {
    CLayer* const mActiveLayer = ioImage.GetActiveLayer();
    if (!LCHECK(mActiveLayer != 0)) return;
    const int32 position = ioImage.GetLayerPosition(mActiveLayer);
    if (position <= 0)
        LTHROW_MESSAGE(
            "$$$/Err/CImage/NoMergeDownBottomLayer=merge down can not be performed on the bottom layer");
    CLayer* lower = ioImage.GetLayers()[size_t(position - 1)];
    std::vector<CLayer*> remove;
    if (inRemoveMerged) remove.push_back(lower);
    MergeLayers(ioImage, {lower, mActiveLayer}, remove, lower->GetClipping(), true, inProgress);
}

void MergeLinked(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged) {
    CLayer* const mActiveLayer = ioImage.GetActiveLayer();
    if (!LCHECK(mActiveLayer != 0) || !ioImage.IsLayerLinked(mActiveLayer)) return;
    const uint32 link = mActiveLayer->GetLinkID();
    std::vector<CLayer*> linked, remove;
    for (CLayer* layer : ioImage.GetLayers()) {
        if (layer->GetLinkID() != link) continue;
        if (layer->GetVisible()) linked.push_back(layer);
        if (inRemoveMerged && layer != mActiveLayer) remove.push_back(layer);
    }
    MergeLayers(ioImage, linked, remove, 0, false, inProgress);
}

void MergeClipGroup(CImage& ioImage, LProgressScope* inProgress, bool inRemoveMerged) {
    CLayer* const mActiveLayer = ioImage.GetActiveLayer();
    if (!LCHECK(mActiveLayer != 0) || !ioImage.IsLayerFirstInClipGroup(mActiveLayer)) return;
    const int32 base = ioImage.GetLayerPosition(mActiveLayer);
    const int32 end = ioImage.GetClipGroupEnd(base);
    std::vector<CLayer*> members, remove;
    for (int32 p = base; p <= end; ++p) {
        CLayer* layer = ioImage.GetLayers()[size_t(p)];
        if (layer->GetVisible()) members.push_back(layer);
        if (inRemoveMerged && p != base) remove.push_back(layer);
    }
    MergeLayers(ioImage, members, remove, 0, false, inProgress);
}
