#include "Src/Orvane/Src/Image/CRGBLayer.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

GPoint Add(const GPoint& a, const GPoint& b) {
    return GPoint(a.h + b.h, a.v + b.v);
}
GPoint Subtract(const GPoint& a, const GPoint& b) {
    return GPoint(a.h - b.h, a.v - b.v);
}

}  // namespace

CRGBLayer::CRGBLayer(CImage* inImage, const CNativeQuadTileBuffer& inPixels, const std::string& inName,
                     bool inVisible, uint32 inBlendMode, uint8 inOpacity, uint32 inLayerID)
    : CRGBLayer(inImage, CNativeQuadTileBuffer(inPixels), inName, inVisible, inBlendMode, inOpacity,
                inLayerID) {}

CRGBLayer::CRGBLayer(CImage* inImage, CNativeQuadTileBuffer&& inPixels, const std::string& inName,
                     bool inVisible, uint32 inBlendMode, uint8 inOpacity, uint32 inLayerID)
    : CLayer(inName, LayerSettings(inLayerID, GPoint::zero, inVisible, inBlendMode, inOpacity), inImage),
      mPixels(std::move(inPixels)),
      mPosition(mPixels.GetBounds().TopLeft()) {
    mPixels.MoveTo(GPoint::zero);
}

CRGBLayer::CRGBLayer(CImage* inImage, const std::string& inName, bool inVisible, const GPoint& inPosition,
                     uint32 inBlendMode, uint8 inOpacity, const GPoint& inSize, uint32 inLayerID)
    : CLayer(inName, LayerSettings(inLayerID, GPoint::zero, inVisible, inBlendMode, inOpacity), inImage),
      mPixels(GRect(0, 0, inSize.h, inSize.v), kTransparentWhite),
      mPosition(inPosition) {}

CRGBLayer::CRGBLayer(const CRGBLayer& inOther)
    : CLayer(inOther),
      mPixels(inOther.mPixels),
      mPosition(inOther.mPosition),
      mTransparencyProtected(inOther.mTransparencyProtected),
      mContentBoundsDirty(inOther.mContentBoundsDirty),
      mContentBounds(inOther.mContentBounds) {}

CRGBLayer::~CRGBLayer() = default;

CLayer* CRGBLayer::Clone() const {
    return new CRGBLayer(*this);
}

GPoint CRGBLayer::Placement() const {
    return Add(GetOrigin(), mPosition);
}

GRect CRGBLayer::GetBounds() const {
    return GRect(mPixels.GetBounds()).Offset(Placement());
}

GPoint CRGBLayer::NormalizeOrigin() {
    const GPoint oldPosition = mPosition;
    mPosition = GetBounds().TopLeft();
    return Subtract(oldPosition, mPosition);
}

void CRGBLayer::SetPosition(const GPoint& inPosition) {
    if (inPosition == mPosition) return;
    LayerChanged();
    mPosition = inPosition;
    LayerChanged();
}

void CRGBLayer::GetTile(RasterPort*, RasterDevice*, RasterDescriptor* inDescriptor, const GRect& inRect) {
    const GRect portRect = inDescriptor->Rect();
    LASSERT(portRect == inRect);
    LASSERT(GetImage() != 0);
    if (!GetBounds().Intersects(inRect)) return;
    GetTile(inRect, static_cast<NativeQuad*>(inDescriptor->baseAddress), inDescriptor->rowBytes);
}

void CRGBLayer::GetTile(const GRect& inRect, NativeQuad* outDestination, int32 inRowBytes) const {
    const GRect local = GRect(inRect).OffsetNegative(Placement());
    mPixels.GetTile(local, outDestination, inRowBytes, kPadValue, &kTransparentWhite);
}

// The index of the one tile that holds all of inLocal (pixel coordinates, inside the pixels), or -1.
int32 CRGBLayer::TileHolding(const GRect& inLocal) const {
    if (inLocal.Empty() || !mPixels.GetBounds().Contains(inLocal)) return -1;
    const int32 index = mPixels.TileIndexOf(inLocal.TopLeft());
    return index == mPixels.TileIndexOf(GPoint(inLocal.right - 1, inLocal.bottom - 1)) ? index : -1;
}

bool CRGBLayer::ViewStoredTile(const GRect& inRect, CNQConstTileProcessor& inProcessor) const {
    const GRect local = GRect(inRect).OffsetNegative(Placement());
    const int32 index = TileHolding(local);
    if (index < 0 || mPixels.TileIsConstant(index)) return false;
    mPixels.ForEachPixelInArea(local, inProcessor, nullptr);
    return true;
}

bool CRGBLayer::IsTransparentOver(const GRect& inRect) const {
    const GRect local = GRect(inRect).OffsetNegative(Placement());
    if (!local.Empty() && !mPixels.GetBounds().Intersects(local)) return true;
    const int32 index = TileHolding(local);
    NativeQuad value;
    return index >= 0 && mPixels.GetTileConstant(index, value) && value.alpha == 0;
}

void CRGBLayer::SetTile(const GRect& inRect, const NativeQuad* inSource, int32 inRowBytes) {
    mPixels.SetTile(GRect(inRect).OffsetNegative(Placement()), inSource, inRowBytes);
    PixelsWritten(inRect);
}

void CRGBLayer::GetChannel(const GRect& inRect, int32 inChannelIndex, uint8* outDestination, int32 inRowBytes,
                           int32 inColumnBytes) const {
    const GRect local = GRect(inRect).OffsetNegative(Placement());
    mPixels.GetChannel(local, inChannelIndex, outDestination, inRowBytes, inColumnBytes, kPadValue,
                       &kTransparentWhite);
}

void CRGBLayer::SetChannel(const GRect& inRect, int32 inChannelIndex, const uint8* inSource, int32 inRowBytes,
                           int32 inColumnBytes) {
    mPixels.SetChannel(GRect(inRect).OffsetNegative(Placement()), inChannelIndex, inSource, inRowBytes,
                       inColumnBytes);
    PixelsWritten(inRect);
}

void CRGBLayer::SetChannels(const GRect& inRect, const uint8* const inChannels[4], int32 inRowBytes,
                            int32 inSplit, const uint8* const inLower[4]) {
    const GRect placed = GRect(inRect).OffsetNegative(Placement());
    mPixels.SetChannels(placed, inChannels, inRowBytes,
                        inLower != nullptr ? inSplit - (inRect.top - placed.top) : INT32_MAX, inLower);
    PixelsWritten(inRect);
}

void CRGBLayer::FillRect(const GRect& inRect, NativeQuad inValue) {
    mPixels.FillRect(GRect(inRect).OffsetNegative(Placement()), inValue);
    PixelsWritten(inRect);
}

void CRGBLayer::PixelsWritten(const GRect& inImageRect) {
    const GRect written = inImageRect.Intersection(GetBounds());
    if (written.Empty()) return;
    if (!mContentBoundsDirty && !GRect(mContentBounds).Offset(Placement()).Contains(written))
        mContentBoundsDirty = 1;
    LayerChanged(GetImage() != nullptr ? GetEffects().GrowBounds(written, GetImage()->GetGlobalAngle())
                                       : GetEffects().GrowBounds(written));
}

// The cache holds buffer coordinates; the scan finds the pixels whose alpha is not 0.
GRect CRGBLayer::GetContentBounds() const {
    if (mContentBoundsDirty) {
        mContentBoundsDirty = 0;
        mContentBounds = mPixels.GetBounds().Empty() ? GRect() : mPixels.FindNonTransparentBounds();
    }
    return GRect(mContentBounds).Offset(Placement());
}

bool CRGBLayer::IsEmpty() const {
    return GetContentBounds().Empty();
}

void CRGBLayer::ReplacePixels(const CNativeQuadTileBuffer& inPixels, const GPoint& inPosition) {
    mPixels = inPixels;
    mPosition = inPosition;
    mContentBoundsDirty = 1;
}

void CRGBLayer::ResizeTo(const GRect& inRect) {
    const GRect bounds = GetBounds();
    if (inRect == bounds) return;
    if (inRect.Empty()) {
        mPixels = CNativeQuadTileBuffer(GRect(0, 0, 1, 1), kTransparentWhite);
        mPosition = GPoint::zero;
        mContentBounds = GRect();
        mContentBoundsDirty = 0;
        return;
    }
    // When the known content lies inside the new rectangle it survives the resize unchanged, so the cache
    // is moved instead of being recomputed by the next scan.
    const bool keepCache = !mContentBoundsDirty && inRect.Contains(GRect(mContentBounds).Offset(Placement()));
    const GRect contentInImage = GRect(mContentBounds).Offset(Placement());
    if (bounds.Contains(inRect)) {
        // Shrinking keeps the tiles in place and only narrows the buffer's bounds: no pixel is copied.
        mPixels.ShrinkTo(GRect(inRect).OffsetNegative(Placement()));
        mPixels.MoveTo(GPoint::zero);
        mPosition = Subtract(inRect.TopLeft(), GetOrigin());
        mContentBoundsDirty = 1;
    } else {
        CNativeQuadTileBuffer resized(GRect(0, 0, inRect.Width(), inRect.Height()), kTransparentWhite);
        const GRect overlap = bounds.Intersection(inRect);
        if (!overlap.Empty()) {
            resized.CopyRect(mPixels, GRect(overlap).OffsetNegative(Placement()),
                             GRect(overlap).OffsetNegative(inRect.TopLeft()));
        }
        ReplacePixels(resized, Subtract(inRect.TopLeft(), GetOrigin()));
    }
    if (keepCache) {
        mContentBounds = GRect(contentInImage).OffsetNegative(Placement());
        mContentBoundsDirty = 0;
    }
}

void CRGBLayer::Activate() {
    GRect target = GetBounds();
    if (GetImage() != nullptr) target.UnionWith(GetImage()->GetImageRect());
    // Sides measured in 64 bits: a stored rectangle may span more than the coordinates can count.
    if (int64(target.right) - target.left > kMaxImageDimension ||
        int64(target.bottom) - target.top > kMaxImageDimension)
        LTHROW_MESSAGE(kImageTooLargeError);
    ResizeTo(target);
}

void CRGBLayer::Deactivate() {
    ResizeTo(GetContentBounds());
}

void CRGBLayer::TrimToContent(bool, LProgressScope*) {
    Deactivate();
}

void CRGBLayer::GrowToImage(bool, LProgressScope*, int32& outResult) {
    outResult = 0;
    Activate();
}

void CRGBLayer::GetPixels(CNativeQuadTileBuffer& outPixels, LProgressScope*) {
    outPixels = mPixels;
    outPixels.MoveTo(GetBounds().TopLeft());
}

void CRGBLayer::Crop(const GRect& inRect, LProgressScope*) {
    ResizeTo(inRect);
}

void CRGBLayer::Transform(const GPoint&, double, uint8, LProgressScope*) {
    ReportUnsupported("free transformation");
}
