// CImage: the five merges and CompositeLayers.
//
// Every merge composites its chosen layers into a new RGB layer that replaces the active layer: name
// and id of the active layer, visible (whatever the active layer was); normal mode, opaque, unlinked,
// unclipped except after a merge down. The new layer is built before the stack changes, so a failing
// composite leaves the stack as it was.
#include <algorithm>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

constexpr uint32 kMergedBlendMode = 12000;

}  // namespace

void CImage::CompositeLayers(const std::vector<CLayer*>& inLayers, CNativeQuadTileBuffer& outBuffer,
                             LProgressScope* inProgress) {
    StSuspendBroadcasting hold(*this);
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
        // Layers other than the first may lie anywhere; a merged area holding more pixels than the
        // largest canvas (30000 x 30000) would make the image too big to hold.
        const int64 pixels = (int64(area.right) - area.left) * (int64(area.bottom) - area.top);
        if (!area.Empty() && pixels > int64(kMaxImageDimension) * kMaxImageDimension)
            LTHROW_MESSAGE(kImageTooLargeError);
        if (area.Empty())
            outBuffer = CNativeQuadTileBuffer(GRect(0, 0, 1, 1), kTransparentWhite);
        else
            GetCompositeBuffer(area, outBuffer, inProgress);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void CImage::MergeLayers(const std::vector<CLayer*>& inComposite, const std::vector<CLayer*>& inRemove,
                         uint32 inResultClipping, bool inKeepClipping, LProgressScope* inProgress) {
    CLayer* active = mActiveLayer;
    active->Deactivate();
    CNativeQuadTileBuffer merged;
    CompositeLayers(inComposite, merged, inProgress);
    CRGBLayer* result = new CRGBLayer(this, merged, active->GetName(), true, kMergedBlendMode, 255,
                                      active->GetLayerID());
    if (inKeepClipping) result->SetClipping(inResultClipping, false);
    {
        StSuspendBroadcasting hold(*this);
        ReplaceLayer(active->GetLayerID(), result, false);
        for (CLayer* layer : inRemove) RemoveLayer(layer, false);
    }
    result->LayerChanged();
    BroadcastWholeComposite();
    if (!inRemove.empty()) BroadcastMessage(kMsgLayerListChanged, this);
    if (GetCurrentImage() == this && mActiveLayer != nullptr) mActiveLayer->Activate();
}

void CImage::FlattenImage(LProgressScope* inProgress) {
    if (!LCHECK(mActiveLayer != 0)) return;
    std::vector<CLayer*> visible, others;
    for (CLayer* layer : mLayers) {
        if (layer->GetVisible()) visible.push_back(layer);
        if (layer != mActiveLayer) others.push_back(layer);
    }
    MergeLayers(visible, others, 0, false, inProgress);
}

void CImage::MergeVisible(LProgressScope* inProgress, bool inRemoveMerged) {
    if (!LCHECK(mActiveLayer != 0)) return;
    std::vector<CLayer*> visible, remove;
    for (CLayer* layer : mLayers) {
        if (!layer->GetVisible()) continue;
        visible.push_back(layer);
        if (inRemoveMerged && layer != mActiveLayer) remove.push_back(layer);
    }
    MergeLayers(visible, remove, 0, false, inProgress);
}

void CImage::MergeDown(LProgressScope* inProgress, bool inRemoveMerged) {
    if (!LCHECK(mActiveLayer != 0)) return;
    const int32 position = GetLayerPosition(mActiveLayer);
    if (position <= 0)
        LTHROW_MESSAGE("$$$/Err/CImage/NoMergeDownBottomLayer=merge down can not be performed on the bottom layer");
    CLayer* lower = mLayers[size_t(position - 1)];
    std::vector<CLayer*> remove;
    if (inRemoveMerged) remove.push_back(lower);
    MergeLayers({lower, mActiveLayer}, remove, lower->GetClipping(), true, inProgress);
}

void CImage::MergeLinked(LProgressScope* inProgress, bool inRemoveMerged) {
    if (!LCHECK(mActiveLayer != 0) || !IsLayerLinked(mActiveLayer)) return;
    const uint32 link = mActiveLayer->GetLinkID();
    std::vector<CLayer*> linked, remove;
    for (CLayer* layer : mLayers) {
        if (layer->GetLinkID() != link) continue;
        if (layer->GetVisible()) linked.push_back(layer);
        if (inRemoveMerged && layer != mActiveLayer) remove.push_back(layer);
    }
    MergeLayers(linked, remove, 0, false, inProgress);
}

void CImage::MergeClipGroup(LProgressScope* inProgress, bool inRemoveMerged) {
    if (!LCHECK(mActiveLayer != 0) || !IsLayerFirstInClipGroup(mActiveLayer)) return;
    const int32 base = GetLayerPosition(mActiveLayer);
    const int32 end = GetClipGroupEnd(base);
    std::vector<CLayer*> members, remove;
    for (int32 p = base; p <= end; ++p) {
        CLayer* layer = mLayers[size_t(p)];
        if (layer->GetVisible()) members.push_back(layer);
        if (inRemoveMerged && p != base) remove.push_back(layer);
    }
    MergeLayers(members, remove, 0, false, inProgress);
}
