// The layer mask of CLayer. The mask channel's bounds always start at (0, 0); its image position is
// mask origin + mask offset, so moving the mask never touches its pixels.
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

GPoint Add(const GPoint& a, const GPoint& b) {
    return GPoint(a.h + b.h, a.v + b.v);
}

}  // namespace

void CLayer::CreateLayerMask(uint8 inDefaultColor, const GRect& inRect) {
    const bool noMaskYet = LCHECK_AS(!HasLayerMask(), "!HasLayerMask ()");
    const bool inImage = LCHECK(mImage != 0);
    if (!noMaskYet || !inImage) return;
    mMaskDefaultColor = inDefaultColor;
    const GRect canvas = mImage->GetImageRect();
    GRect maskRect = inRect.Empty() ? canvas : inRect.Intersection(canvas);
    if (maskRect.Empty()) maskRect = canvas;
    mLayerMask = CChannel(GRect(0, 0, maskRect.Width(), maskRect.Height()), inDefaultColor);
    mMaskOrigin = maskRect.TopLeft();
    mSettings.mMaskOffset = GPoint::zero;
    LayerChanged();
}

void CLayer::SetLayerMask(const CChannel& inMask) {
    const GRect newBounds = inMask.GetBounds();
    if (!LCHECK(!newBounds.Empty())) return;
    mLayerMask = inMask;
    mMaskOrigin = newBounds.TopLeft();
    mLayerMask.MoveTo(GPoint::zero);
    mSettings.mMaskOffset = GPoint::zero;
    LayerChanged();
}

void CLayer::GetLayerMask(CChannel& outMask) const {
    outMask = mLayerMask;
    if (HasLayerMask()) outMask.MoveTo(GetLayerMaskBounds().TopLeft());
}

GRect CLayer::GetLayerMaskBounds() const {
    if (!HasLayerMask()) return GRect();
    const GRect bufferBounds = mLayerMask.GetBounds();
    LASSERT(bufferBounds.TopLeft() == GPoint::zero);
    return GRect(bufferBounds).Offset(Add(mMaskOrigin, mSettings.mMaskOffset));
}

void CLayer::RemoveLayerMask() {
    mLayerMask = CChannel();
    mSettings.mAdjustmentMask = 0;
    LayerChanged();
}

void CLayer::GetLayerMaskTile(const GRect& inRect, uint8* outDestination, int32 inRowBytes,
                              int32 inColumnBytes) const {
    LCHECK_AS(HasLayerMask(), "HasLayerMask ()");
    const GRect local = GRect(inRect).OffsetNegative(Add(mMaskOrigin, mSettings.mMaskOffset));
    const uint8 padding = mMaskDefaultColor;
    mLayerMask.GetTile(local, outDestination, inRowBytes, inColumnBytes, kPadValue, &padding);
}

void CLayer::FillLayerMaskRect(const GRect& inRect, uint8 inValue) {
    if (HasLayerMask())
        mLayerMask.FillRect(GRect(inRect).OffsetNegative(Add(mMaskOrigin, mSettings.mMaskOffset)), inValue);
}

void CLayer::SetLayerMaskTile(const GRect& inRect, const uint8* inSource, int32 inRowBytes,
                              int32 inColumnBytes) {
    if (!LCHECK(HasLayerMask()) || inRect.Empty()) return;
    const GRect current = GetLayerMaskBounds();
    if (!current.Contains(inRect)) {
        const GRect grown = current.Union(inRect);
        if (int64(grown.right) - grown.left > kMaxImageDimension ||
            int64(grown.bottom) - grown.top > kMaxImageDimension)
            LTHROW_MESSAGE(kImageTooLargeError);
        CChannel larger(GRect(0, 0, grown.Width(), grown.Height()), mMaskDefaultColor);
        const GRect oldBounds = mLayerMask.GetBounds();
        larger.CopyRect(mLayerMask, oldBounds,
                        GRect(oldBounds).Offset(current.left - grown.left, current.top - grown.top));
        mLayerMask = larger;
        // Keep the offset; the origin absorbs the growth so the old pixels stay where they were.
        mMaskOrigin = GPoint(grown.left - mSettings.mMaskOffset.h, grown.top - mSettings.mMaskOffset.v);
    }
    const GRect local = GRect(inRect).OffsetNegative(Add(mMaskOrigin, mSettings.mMaskOffset));
    mLayerMask.SetTile(local, inSource, inRowBytes, inColumnBytes);
    LayerChanged();
}
