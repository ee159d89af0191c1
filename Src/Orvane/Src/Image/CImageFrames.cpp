// CImage: animation frames. The active frame keeps every layer's current settings (frame sync); switching
// frames applies the new frame's settings to the layers.
#include <algorithm>
#include <cmath>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Report.h"

FrameInfo CImage::GetFrame(int32 inIndex) const {
    if (!LCHECK_AS(inIndex >= 0 && inIndex < GetFrameCount(), "inIndex >= 0 && inIndex < mFrames.size()"))
        return FrameInfo();
    return mFrames[size_t(inIndex)];
}

void CImage::SyncFrames() {
    FrameInfo& active = mFrames[size_t(mActiveFrameIndex)];
    FrameInfo record(active.GetProperty(), active.GetFlag());
    for (const CLayer* layer : mLayers) record.StoreSettings(layer->GetSettings());
    if (record != active) active = record;
}

void CImage::ApplyFrameSettings(const FrameInfo& inFrame) {
    StSuspendBroadcasting hold(*this);
    for (CLayer* layer : mLayers)
        if (inFrame.HasSettingsForLayer(layer->GetLayerID()))
            layer->SetSettings(inFrame.GetSettingsForLayer(layer->GetLayerID()));
}

void CImage::SetActiveFrame(int32 inActiveFrameIndex) {
    if (!LCHECK((0 <= inActiveFrameIndex) && (inActiveFrameIndex < GetFrameCount())) ||
        inActiveFrameIndex == mActiveFrameIndex)
        return;
    SyncFrames();
    mActiveFrameIndex = inActiveFrameIndex;
    ApplyFrameSettings(mFrames[size_t(mActiveFrameIndex)]);
    int32 index = mActiveFrameIndex;
    BroadcastMessage(kMsgActiveFrameChanged, &index);
}

// The active frame stays the same frame when others are inserted before it.
void CImage::InsertFrame(int32 inPosition, const FrameInfo& inFrame) {
    LASSERT(inPosition >= 0);
    const int32 position = Pin(0, inPosition, GetFrameCount());
    mFrames.insert(mFrames.begin() + position, inFrame);
    if (position <= mActiveFrameIndex && GetFrameCount() > 1) ++mActiveFrameIndex;
    BroadcastMessage(kMsgFrameListChanged, this);
}

// Deleting the active frame makes the frame now at its index (or the last one) active and applies it.
void CImage::DeleteFrame(int32 inIndex) {
    if (!LCHECK(mFrames.size() > 1) || inIndex < 0 || inIndex >= GetFrameCount()) return;
    mFrames.erase(mFrames.begin() + inIndex);
    if (inIndex < mActiveFrameIndex) {
        --mActiveFrameIndex;
    } else if (inIndex == mActiveFrameIndex) {
        mActiveFrameIndex = std::min(mActiveFrameIndex, GetFrameCount() - 1);
        ApplyFrameSettings(mFrames[size_t(mActiveFrameIndex)]);
    }
    BroadcastMessage(kMsgFrameListChanged, this);
}

// The active frame index follows the frame it names.
void CImage::MoveFrame(int32 inOldIndex, int32 inNewIndex) {
    if (!LCHECK(inOldIndex != inNewIndex) || inOldIndex < 0 || inOldIndex >= GetFrameCount()) return;
    const int32 newIndex = Pin(0, inNewIndex, GetFrameCount() - 1);
    const FrameInfo moving = mFrames[size_t(inOldIndex)];
    mFrames.erase(mFrames.begin() + inOldIndex);
    mFrames.insert(mFrames.begin() + newIndex, moving);
    if (mActiveFrameIndex == inOldIndex)
        mActiveFrameIndex = newIndex;
    else if (inOldIndex < mActiveFrameIndex && newIndex >= mActiveFrameIndex)
        --mActiveFrameIndex;
    else if (inOldIndex > mActiveFrameIndex && newIndex <= mActiveFrameIndex)
        ++mActiveFrameIndex;
    int32 index = newIndex;
    BroadcastMessage(kMsgFrameMoved, &index);
}

// Frame k strictly between start s and end e gets, for every layer both ends know, the value
// start + round((end - start) * (k - s) / (e - s)) of each chosen property, and the start frame's
// two frame properties.
void CImage::TweenFrames(int32 inStartIndex, int32 inEndIndex, bool inChangeOrigin, bool inChangeOpacity) {
    if (!inChangeOrigin && !inChangeOpacity) {
        LREPORT("Don't call TweenFrames without either origin or opacity set to change");
        return;
    }
    const bool valid = inStartIndex >= 0 && inEndIndex < GetFrameCount() && inEndIndex > inStartIndex;
    if (!LCHECK(valid)) return;
    SyncFrames();
    const FrameInfo start = mFrames[size_t(inStartIndex)];
    const FrameInfo end = mFrames[size_t(inEndIndex)];
    const double span = inEndIndex - inStartIndex;
    auto step = [](int32 a, int32 b, double t) { return int32(std::lround(a + (b - a) * t)); };
    for (int32 k = inStartIndex + 1; k < inEndIndex; ++k) {
        const double t = (k - inStartIndex) / span;
        FrameInfo& frame = mFrames[size_t(k)];
        frame.SetProperty(start.GetProperty());
        frame.SetFlag(start.GetFlag());
        for (int32 i = 0; i < start.GetLayerCount(); ++i) {
            const LayerSettings from = start.GetSettingsAt(i);
            if (!end.HasSettingsForLayer(from.mLayerID)) continue;
            const LayerSettings to = end.GetSettingsForLayer(from.mLayerID);
            LayerSettings settings =
                frame.HasSettingsForLayer(from.mLayerID) ? frame.GetSettingsForLayer(from.mLayerID) : from;
            if (inChangeOrigin)
                settings.mOrigin =
                    GPoint(step(from.mOrigin.h, to.mOrigin.h, t), step(from.mOrigin.v, to.mOrigin.v, t));
            if (inChangeOpacity) settings.mOpacity = uint8(step(from.mOpacity, to.mOpacity, t));
            frame.SetSettingsForLayer(from.mLayerID, settings);
        }
    }
    if (mActiveFrameIndex > inStartIndex && mActiveFrameIndex < inEndIndex)
        ApplyFrameSettings(mFrames[size_t(mActiveFrameIndex)]);
    BroadcastMessage(kMsgGeometryChanged, this);
}
