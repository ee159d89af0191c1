// CImage: clip groups, link groups and layer masks by layer id.
//
// A layer with clipping 0 whose upper neighbour is clipped is the base of a clip group; the group is the
// base and the run of clipped layers directly above it. Layers sharing a non-zero link id are linked.
#include <algorithm>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

constexpr uint32 kLinkIDLimit = 10000;

}  // namespace

bool CImage::IsLayerInClipGroup(const CLayer* inLayer) const {
    const int32 position = GetLayerPosition(inLayer);
    if (GetLayerCount() < 2 || position == kLayerNotFound) return false;
    if (inLayer->GetClipping() != 0) return true;
    return position + 1 < GetLayerCount() && mLayers[size_t(position + 1)]->GetClipping() != 0;
}

bool CImage::IsLayerFirstInClipGroup(const CLayer* inLayer) const {
    const int32 position = GetLayerPosition(inLayer);
    if (GetLayerCount() < 2 || position == kLayerNotFound) return false;
    return inLayer->GetClipping() == 0 && position + 1 < GetLayerCount() &&
           mLayers[size_t(position + 1)]->GetClipping() != 0;
}

bool CImage::IsLayerLastInClipGroup(const CLayer* inLayer) const {
    const int32 position = GetLayerPosition(inLayer);
    if (GetLayerCount() < 2 || position == kLayerNotFound) return false;
    return inLayer->GetClipping() != 0 &&
           (position + 1 == GetLayerCount() || mLayers[size_t(position + 1)]->GetClipping() == 0);
}

bool CImage::AreLayersInSameClipGroup(const CLayer* inFirst, const CLayer* inSecond) const {
    if (!IsLayerInClipGroup(inFirst) || !IsLayerInClipGroup(inSecond)) return false;
    const int32 lo = std::min(GetLayerPosition(inFirst), GetLayerPosition(inSecond));
    const int32 hi = std::max(GetLayerPosition(inFirst), GetLayerPosition(inSecond));
    const CLayer* firstLayer = mLayers[size_t(lo)];
    const CLayer* secondLayer = mLayers[size_t(hi)];
    LASSERT((firstLayer != 0) && (secondLayer != 0));
    if (hi - lo == 1) return !IsLayerFirstInClipGroup(secondLayer);
    for (int32 p = lo + 1; p <= hi; ++p) {
        const CLayer* layer = mLayers[size_t(p)];
        if (!IsLayerInClipGroup(layer) || IsLayerFirstInClipGroup(layer)) return false;
    }
    return true;
}

int32 CImage::GetClipGroupEnd(int32 inBasePosition) const {
    if (inBasePosition < 0 || inBasePosition >= GetLayerCount()) return inBasePosition;
    int32 end = inBasePosition;
    while (end + 1 < GetLayerCount() && mLayers[size_t(end + 1)]->GetClipping() != 0) ++end;
    return end;
}

void CImage::AddLayerToClipGroup(CLayer* inLayer) {
    const int32 position = GetLayerPosition(inLayer);
    if (position == kLayerNotFound) return;
    if (position == 0) {
        LREPORT("Don't call CImage::AddLayerToClipGroup() with the layer 0");
        return;
    }
    inLayer->SetClipping(1, false);
    BroadcastWholeComposite();
}

// Precomputed before anything changes: the layer and each following layer that shares a group with its
// lower neighbour.
void CImage::RemoveLayerFromClipGroup(CLayer* inLayer) {
    const int32 position = GetLayerPosition(inLayer);
    if (position == kLayerNotFound) return;
    int32 last = position;
    while (last + 1 < GetLayerCount() &&
           AreLayersInSameClipGroup(mLayers[size_t(last)], mLayers[size_t(last + 1)]))
        ++last;
    for (int32 p = position; p <= last; ++p) mLayers[size_t(p)]->SetClipping(0, false);
    BroadcastWholeComposite();
}

bool CImage::IsLayerLinked(const CLayer* inLayer) const {
    return inLayer != nullptr && inLayer->GetLinkID() != 0;
}

bool CImage::AreLayersLinked(const CLayer* inFirst, const CLayer* inSecond) const {
    return IsLayerLinked(inFirst) && IsLayerLinked(inSecond) && inFirst->GetLinkID() == inSecond->GetLinkID();
}

uint32 CImage::NewLinkID() const {
    for (uint32 id = 1; id < kLinkIDLimit; ++id) {
        bool used = false;
        for (const CLayer* layer : mLayers) used = used || layer->GetLinkID() == id;
        if (!used) return id;
    }
    return 0;
}

void CImage::LinkLayers(CLayer* inFirst, CLayer* inSecond) {
    if (inFirst == nullptr || inSecond == nullptr) return;
    if (inSecond->GetLinkID() == 0) inSecond->SetLinkID(NewLinkID());
    inFirst->SetLinkID(inSecond->GetLinkID());
}

void CImage::UnlinkLayer(CLayer* inLayer) {
    if (inLayer == nullptr || inLayer->GetLinkID() == 0) return;
    const uint32 id = inLayer->GetLinkID();
    inLayer->SetLinkID(0);
    CLayer* remaining = nullptr;
    int32 count = 0;
    for (auto layer = mLayers.rbegin(); layer != mLayers.rend(); ++layer) {
        if ((*layer)->GetLinkID() != id) continue;
        if (count++ == 0) remaining = *layer;
    }
    if (count == 1) remaining->SetLinkID(0);
}

void CImage::AddLayerMask(uint32 inLayerID, uint8 inDefaultColor, const GRect& inRect) {
    CLayer* layer = RequireLayerWithID(inLayerID);
    if (layer->HasLayerMask())
        LTHROW_MESSAGE("$$$/Err/Orvane/CImage/AlreadyHasLayerMask=the layer already has a layer mask");
    layer->CreateLayerMask(inDefaultColor, inRect);
    for (FrameInfo& frame : mFrames) {
        for (const CLayer* each : mLayers) {
            if (!frame.HasSettingsForLayer(each->GetLayerID())) continue;
            LayerSettings settings = frame.GetSettingsForLayer(each->GetLayerID());
            settings.mMaskOffset = each->GetMaskOffset();
            frame.SetSettingsForLayer(each->GetLayerID(), settings);
        }
    }
    uint32 id = inLayerID;
    BroadcastMessage(kMsgLayerMaskChanged, &id);
}

void CImage::RemoveLayerMask(uint32 inLayerID) {
    CLayer* layer = RequireLayerWithID(inLayerID);
    if (!layer->HasLayerMask())
        LTHROW_MESSAGE("$$$/Err/Orvane/CImage/NoLayerMask=the layer does not have a layer mask");
    layer->RemoveLayerMask();
    uint32 id = inLayerID;
    BroadcastMessage(kMsgLayerMaskChanged, &id);
}

void CImage::SetLayerMask(uint32 inLayerID, const CChannel& inMask) {
    RequireLayerWithID(inLayerID)->SetLayerMask(inMask);
    uint32 id = inLayerID;
    BroadcastMessage(kMsgLayerMaskChanged, &id);
}

void CImage::GetLayerMask(uint32 inLayerID, CChannel& outMask) const {
    RequireLayerWithID(inLayerID)->GetLayerMask(outMask);
}
