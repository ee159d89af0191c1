// CImage: the layer stack and the active layer.
#include <algorithm>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

using std::find;

CLayer* CImage::GetLayerWithPosition(int32 inPosition) const {
    if (inPosition < 0 || inPosition >= GetLayerCount()) {
        LREPORT("Bad CLayer in CImage::GetLayerWithPosition");
        return nullptr;
    }
    return mLayers[size_t(inPosition)];
}

CLayer* CImage::GetLayerWithID(uint32 inLayerID) const {
    for (CLayer* layer : mLayers)
        if (layer->GetLayerID() == inLayerID) return layer;
    return nullptr;
}

int32 CImage::GetLayerPosition(const CLayer* inLayer) const {
    const auto found = find(mLayers.begin(), mLayers.end(), inLayer);
    return found == mLayers.end() ? kLayerNotFound : int32(found - mLayers.begin());
}

int32 CImage::GetLayerPositionWithID(uint32 inLayerID) const {
    return GetLayerPosition(GetLayerWithID(inLayerID));
}

CLayer* CImage::RequireLayerWithID(uint32 inLayerID) const {
    CLayer* layer = GetLayerWithID(inLayerID);
    if (layer == nullptr)
        LTHROW_MESSAGE("$$$/Err/Orvane/CImage/BadLayerID=the layer with that ID could not be found");
    return layer;
}

void CImage::AddLayer(CLayer* inLayer, bool inMakeActive, int32 inPosition, bool inVisibleInOtherFrames) {
    if (!LCHECK(inLayer != 0)) LTHROW_MESSAGE("$$$/Err/Orvane/CImage/AddLayerNil=the layer is invalid");
    inLayer->SetImage(this);
    const int32 count = GetLayerCount();
    int32 position = count;
    if (inPosition != -1) {
        // Inserting between two members of one clip group joins the group.
        const CLayer* below =
            (inPosition - 1 >= 0 && inPosition - 1 < count) ? mLayers[size_t(inPosition - 1)] : nullptr;
        const CLayer* above = (inPosition >= 0 && inPosition < count) ? mLayers[size_t(inPosition)] : nullptr;
        if (below != nullptr && above != nullptr && below->GetClipping() != 0 &&
            below->GetClipping() == above->GetClipping())
            inLayer->SetClipping(below->GetClipping(), false);
        position = Pin(0, inPosition, count);
    }
    try {
        mLayers.insert(mLayers.begin() + position, inLayer);
    } catch (...) {
        delete inLayer;
        throw;
    }
    SyncLayerIntoFrames(inLayer, inVisibleInOtherFrames);
    BroadcastMessage(kMsgLayerListChanged, this);
    if (mActiveLayer == nullptr) SetActiveLayer(inLayer);
    if (inMakeActive) SetActiveLayerByID(inLayer->GetLayerID());
}

// The active frame takes the current settings; frames that do not know the layer yet get its settings
// with the visible flag chosen by the caller.
void CImage::SyncLayerIntoFrames(CLayer* inLayer, bool inVisibleInOtherFrames) {
    SyncFrames();
    if (GetFrameCount() < 2) return;
    LayerSettings settings = inLayer->GetSettings();
    settings.mVisible = inVisibleInOtherFrames;
    for (FrameInfo& frame : mFrames)
        if (!frame.HasSettingsForLayer(settings.mLayerID))
            frame.SetSettingsForLayer(settings.mLayerID, settings);
}

void CImage::RemoveLayer(CLayer* inLayer, bool inNotify) {
    if (!LCHECK(mLayers.size() > 1))
        LTHROW_MESSAGE("$$$/Image/RemoveLayer/OnlyOneLayer=can't delete the last layer");
    const int32 position = GetLayerPosition(inLayer);
    if (position == kLayerNotFound) {
        LREPORT("CImage::RemoveLayer - the layer is not in this image");
        return;
    }
    if (IsLayerFirstInClipGroup(inLayer)) RemoveLayerFromClipGroup(inLayer);
    if (inLayer == mActiveLayer) SetActiveLayer(mLayers[size_t(position == 0 ? 1 : position - 1)]);
    mLayers.erase(mLayers.begin() + position);
    SyncFrames();
    const uint32 id = inLayer->GetLayerID();
    for (FrameInfo& frame : mFrames)
        if (frame.HasSettingsForLayer(id)) frame.RemoveSettingsForLayer(id);
    BroadcastMessage(kMsgLayerListChanged, this);
    if (inNotify) BroadcastWholeComposite();
    delete inLayer;
}

void CImage::RemoveLayerAtPosition(int32 inPosition, bool inNotify) {
    CLayer* layer = GetLayerWithPosition(inPosition);
    if (layer == nullptr)
        LTHROW_MESSAGE(
            "$$$/Err/Orvane/CImage/BadLayerPosition=the layer at that position could not be found");
    RemoveLayer(layer, inNotify);
}

void CImage::ReplaceLayer(uint32 inLayerID, CLayer* inNewLayer, bool inNotify) {
    if (!LCHECK(inNewLayer != 0)) LTHROW_MESSAGE("$$$/Err/Orvane/CImage/AddLayerNil=the layer is invalid");
    inNewLayer->SetImage(this);
    const int32 position = GetLayerPositionWithID(inLayerID);
    if (position == kLayerNotFound) {
        delete inNewLayer;
        LTHROW_MESSAGE("$$$/Err/Orvane/CImage/ReplaceLayer=layer with that ID was not found");
    }
    CLayer* old = mLayers[size_t(position)];
    inNewLayer->SetLayerID(inLayerID);
    mLayers[size_t(position)] = inNewLayer;
    if (mActiveLayer == old) mActiveLayer = inNewLayer;
    delete old;
    if (inNotify) inNewLayer->LayerChanged();
}

// Positions are insertion points in the stack as it is before the move. The moving layer (or clip group)
// is taken out first; the layer below the insertion point is then looked at in the remaining stack.
void CImage::MoveLayer(CLayer* inLayer, int32 inNewPosition) {
    const int32 layerPosition = GetLayerPosition(inLayer);
    if (!LCHECK(layerPosition != kLayerNotFound)) return;
    const int32 newPosition = Pin(0, inNewPosition, GetLayerCount());
    const bool isBase = IsLayerFirstInClipGroup(inLayer);
    const int32 groupEnd = isBase ? GetClipGroupEnd(layerPosition) : layerPosition;
    if (isBase && newPosition > layerPosition && newPosition <= groupEnd) {
        // Moving a base up inside its own group: the members it passes leave the group.
        for (int32 p = layerPosition + 1; p < newPosition; ++p) mLayers[size_t(p)]->SetClipping(0, false);
        mLayers.erase(mLayers.begin() + layerPosition);
        mLayers.insert(mLayers.begin() + (newPosition - 1), inLayer);
    } else {
        const std::vector<CLayer*> block(mLayers.begin() + layerPosition, mLayers.begin() + groupEnd + 1);
        const int32 blockSize = int32(block.size());
        mLayers.erase(mLayers.begin() + layerPosition, mLayers.begin() + groupEnd + 1);
        int32 insertAt =
            newPosition > groupEnd ? newPosition - blockSize : std::min(newPosition, layerPosition);
        insertAt = Pin(0, insertAt, GetLayerCount());
        if (!isBase) {
            const CLayer* targetBelow = insertAt > 0 ? mLayers[size_t(insertAt - 1)] : nullptr;
            const bool joins = targetBelow != nullptr && IsLayerInClipGroup(targetBelow);
            inLayer->SetClipping(joins ? 1 : 0, false);
        }
        mLayers.insert(mLayers.begin() + insertAt, block.begin(), block.end());
    }
    BroadcastMessage(kMsgLayerOrderChanged, inLayer);
}

void CImage::SetActiveLayer(CLayer* inActiveLayer) {
    if (inActiveLayer == mActiveLayer) return;
    if (!LCHECK((inActiveLayer == 0) ||
                (find(mLayers.begin(), mLayers.end(), inActiveLayer) != mLayers.end())))
        return;
    if (mActiveLayer != nullptr) mActiveLayer->Deactivate();
    mActiveLayer = inActiveLayer;
    BroadcastMessage(kMsgActiveLayerChanged, inActiveLayer);
    if (inActiveLayer != nullptr) inActiveLayer->Activate();
}

void CImage::SetActiveLayerByPosition(int32 inPosition) {
    if (inPosition < 0 || inPosition >= GetLayerCount()) {
        if (!mLayers.empty()) SetActiveLayer(mLayers.front());
        return;
    }
    SetActiveLayer(mLayers[size_t(inPosition)]);
}

void CImage::SetActiveLayerByID(uint32 inLayerID) {
    if (CLayer* layer = GetLayerWithID(inLayerID)) SetActiveLayer(layer);
}

uint32 CImage::GetActiveLayerID() const {
    return mActiveLayer != nullptr ? mActiveLayer->GetLayerID() : kInvalidLayerID;
}

int32 CImage::GetActiveLayerPosition() const {
    return mActiveLayer != nullptr ? GetLayerPosition(mActiveLayer) : kLayerNotFound;
}
