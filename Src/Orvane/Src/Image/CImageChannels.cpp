// CImage: extra channels, the selection and its bounds cache.
#include <algorithm>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

// Records the smallest and largest x and y of the bytes that pass a test during a read-only tile walk.
class FindBounds : public CChannelConstTileProcessor {
public:
    FindBounds(uint8 inThreshold, bool inGreaterThan)
        : mThreshold(inThreshold), mGreaterThan(inGreaterThan) {}

    bool Process(const GRect& inTileRect, const uint8* inTilePtr, int32 inRowBytes) override {
        for (int32 y = 0; y < inTileRect.Height(); ++y) {
            const uint8* row = inTilePtr + int64(y) * inRowBytes;
            for (int32 x = 0; x < inTileRect.Width(); ++x) {
                const bool passes = mGreaterThan ? row[x] > mThreshold : row[x] != mThreshold;
                if (!passes) continue;
                mBounds.UnionWith(GRect(inTileRect.left + x, inTileRect.top + y, inTileRect.left + x + 1,
                                        inTileRect.top + y + 1));
            }
        }
        return true;
    }
    const GRect& Bounds() const { return mBounds; }

private:
    uint8 mThreshold;
    bool mGreaterThan;
    GRect mBounds;
};

GRect Walk(const CChannel& inChannel, uint8 inThreshold, bool inGreaterThan) {
    FindBounds finder(inThreshold, inGreaterThan);
    inChannel.ForEachPixelInArea(inChannel.GetBounds(), finder, nullptr);
    return finder.Bounds();
}

}  // namespace

const CChannel& CImage::GetExtraChannel(int32 inChannelIndex) const {
    static const CChannel sEmpty;
    if (!LCHECK((inChannelIndex >= 0) && (inChannelIndex < GetExtraChannelCount()))) return sEmpty;
    return mExtraChannels[size_t(inChannelIndex)];
}

void CImage::AddExtraChannel(const CChannel& inChannel) {
    mExtraChannels.push_back(inChannel);
    BroadcastMessage(kMsgExtraChannelListChanged, this);
}

void CImage::RemoveExtraChannel(int32 inChannelIndex) {
    if (!LCHECK((inChannelIndex >= 0) && (inChannelIndex < GetExtraChannelCount()))) return;
    mExtraChannels.erase(mExtraChannels.begin() + inChannelIndex);
    BroadcastMessage(kMsgExtraChannelListChanged, this);
}

void CImage::ReplaceExtraChannel(int32 inChannelIndex, const CChannel& inChannel) {
    if (!LCHECK((inChannelIndex >= 0) && (inChannelIndex < GetExtraChannelCount()))) return;
    mExtraChannels[size_t(inChannelIndex)] = inChannel;
    GRect area = inChannel.GetBounds();
    BroadcastMessage(kMsgChannelPixelsChanged, &area);
}

void CImage::GetExtraChannelTile(int32 inChannelIndex, const GRect& inRect, uint8* outDestination,
                                 int32 inRowBytes) const {
    if (!LCHECK((inChannelIndex >= 0) && (inChannelIndex < GetExtraChannelCount()))) return;
    const uint8 padding = 0;
    mExtraChannels[size_t(inChannelIndex)].GetTile(inRect, outDestination, inRowBytes, kPadValue, &padding);
}

void CImage::SetExtraChannelTile(int32 inChannelIndex, const GRect& inRect, const uint8* inSource,
                                 int32 inRowBytes) {
    if (!LCHECK((inChannelIndex >= 0) && (inChannelIndex < GetExtraChannelCount()))) return;
    mExtraChannels[size_t(inChannelIndex)].SetTile(inRect, inSource, inRowBytes);
    GRect area = inRect;
    BroadcastMessage(kMsgChannelPixelsChanged, &area);
}

// Every byte b becomes 255 - b, one stored tile at a time.
void CImage::InvertExtraChannel(int32 inChannelIndex) {
    if (!LCHECK((inChannelIndex >= 0) && (inChannelIndex < GetExtraChannelCount()))) return;
    class Invert : public CChannelTileProcessor {
    public:
        bool Process(const GRect& inTileRect, uint8* inTilePtr, int32 inRowBytes) override {
            for (int32 y = 0; y < inTileRect.Height(); ++y)
                for (int32 x = 0; x < inTileRect.Width(); ++x) inTilePtr[int64(y) * inRowBytes + x] ^= 0xFF;
            return true;
        }
    } invert;
    CChannel& channel = mExtraChannels[size_t(inChannelIndex)];
    GRect area = channel.GetBounds();
    if (!area.Empty()) channel.ForEachPixelInArea(area, invert, nullptr);
    BroadcastMessage(kMsgChannelPixelsChanged, &area);
}

void CImage::SelectAll() {
    if (!mSelectionChannel.IsEmpty()) mSelectionChannel.FillRect(mSelectionChannel.GetBounds(), 255);
    InvalidateSelectionBounds();
    GRect bounds = GetSelectionBounds();
    BroadcastMessage(kMsgSelectionReplaced, &bounds);
}

void CImage::Deselect() {
    if (!mSelectionChannel.IsEmpty()) mSelectionChannel.FillRect(mSelectionChannel.GetBounds(), 0);
    mSelectionOwner = kInvalidLayerID;
    InvalidateSelectionBounds();
    GRect bounds;
    BroadcastMessage(kMsgSelectionReplaced, &bounds);
}

void CImage::SetSelection(const CChannel& inSelection) {
    if (mSelectionChannel.IsEmpty()) return;
    const GRect canvas = mSelectionChannel.GetBounds();
    mSelectionChannel.FillRect(canvas, 0);
    const GRect overlap = inSelection.GetBounds().Intersection(canvas);
    if (!overlap.Empty()) mSelectionChannel.CopyRect(inSelection, overlap, overlap);
    InvalidateSelectionBounds();
    GRect bounds = GetSelectionBounds();
    BroadcastMessage(kMsgSelectionReplaced, &bounds);
}

ZString CImage::SelectionChannelName() {
    return ZString("$$$/Temp/SelectionChannelName=Selection Channel");
}

void CImage::UpdateSelectionBounds() const {
    if (!mSelectionBoundsDirty) return;
    mSelectionBoundsDirty = false;
    mSelectionBounds = mSelectionHalfBounds = mSelectionFullBounds = GRect();
    if (mSelectionChannel.IsEmpty()) return;
    mSelectionBounds = Walk(mSelectionChannel, 0, true);
    if (mSelectionBounds.Empty()) return;
    mSelectionHalfBounds = Walk(mSelectionChannel, 127, true);
    if (mSelectionHalfBounds.Empty()) return;
    if (Walk(mSelectionChannel, 127, false).Empty()) mSelectionFullBounds = mSelectionChannel.GetBounds();
}

GRect CImage::GetSelectionBounds() const {
    UpdateSelectionBounds();
    return mSelectionBounds;
}

GRect CImage::GetSelectionHalfBounds() const {
    UpdateSelectionBounds();
    return mSelectionHalfBounds;
}

GRect CImage::GetSelectionFullBounds() const {
    UpdateSelectionBounds();
    return mSelectionFullBounds;
}
