#include "Src/Orvane/Src/Image/CIndexedLayer.h"

#include <algorithm>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

GPoint Add(const GPoint& a, const GPoint& b) {
    return GPoint(a.h + b.h, a.v + b.v);
}
GPoint Subtract(const GPoint& a, const GPoint& b) {
    return GPoint(a.h - b.h, a.v - b.v);
}

constexpr uint8 kOutsideIndex = 0;

}  // namespace

CIndexedLayer::CIndexedLayer(CImage* inImage, const std::string& inName, bool inVisible,
                             const GRect& inBounds, uint32 inBlendMode, uint8 inOpacity,
                             const NativeQuadCLUTRef& inTable, uint8 inInitialIndex, uint32 inLayerID)
    : CLayer(inName, LayerSettings(inLayerID, GPoint::zero, inVisible, inBlendMode, inOpacity), inImage),
      mIndexPlane(GRect(0, 0, inBounds.Width(), inBounds.Height()), inInitialIndex),
      mColorTable(inTable),
      mPosition(inBounds.TopLeft()) {}

CIndexedLayer::CIndexedLayer(const CIndexedLayer& inOther)
    : CLayer(inOther),
      mIndexPlane(inOther.mIndexPlane),
      mColorTable(inOther.mColorTable),
      mPosition(inOther.mPosition) {}

CIndexedLayer::~CIndexedLayer() = default;

CLayer* CIndexedLayer::Clone() const {
    return new CIndexedLayer(*this);
}

GPoint CIndexedLayer::Placement() const {
    return Add(GetOrigin(), mPosition);
}

GRect CIndexedLayer::GetBounds() const {
    const GRect bufferBounds = mIndexPlane.GetBounds();
    LASSERT(bufferBounds.TopLeft() == GPoint::zero);
    return GRect(bufferBounds).Offset(Placement());
}

GRect CIndexedLayer::GetContentBounds() const {
    return GetBounds();
}

bool CIndexedLayer::IsEmpty() const {
    return GetContentBounds().Empty();
}

GPoint CIndexedLayer::NormalizeOrigin() {
    const GPoint oldPosition = mPosition;
    mPosition = GetBounds().TopLeft();
    return Subtract(oldPosition, mPosition);
}

void CIndexedLayer::SetIndexRows(const GRect& inRect, const uint8* inSource, int32 inRowStride) {
    if (inSource == nullptr || inRect.Empty()) return;
    mIndexPlane.SetTile(GRect(inRect).OffsetNegative(Placement()), inSource, inRowStride);
    LayerChanged();
}

void CIndexedLayer::GetIndexRows(const GRect& inRect, uint8* outDestination, int32 inRowStride) const {
    const uint8 outside = kOutsideIndex;
    mIndexPlane.GetTile(GRect(inRect).OffsetNegative(Placement()), outDestination, inRowStride, kPadValue,
                        &outside);
}

// The rectangle is converted in strips that fit one scratch buffer of index bytes: as many whole columns
// as fit (up to the width), then as many rows as fit. The pixel (x, y) goes to
// base + rowBytes * (y - top) + 4 * (x - left).
void CIndexedLayer::GetTile(RasterPort*, RasterDevice*, RasterDescriptor* inDescriptor, const GRect& inRect) {
    const GRect portRect = inDescriptor->Rect();
    LASSERT(portRect == inRect);
    LASSERT(GetImage() != 0);
    if (inRect.Empty() || inDescriptor->baseAddress == nullptr) return;
    const NativeQuadCLUT* table = mColorTable.Get();
    LScratchBuffer scratch;
    auto* indexes = static_cast<uint8*>(scratch.Ptr());
    const int32 size = int32(scratch.Size());
    const int32 stripWidth = std::min(inRect.Width(), size);
    const int32 stripHeight = std::max(1, std::min(inRect.Height(), size / stripWidth));
    auto* base = static_cast<uint8*>(inDescriptor->baseAddress);
    const int64 rowBytes = inDescriptor->rowBytes;
    for (int32 top = inRect.top; top < inRect.bottom; top += stripHeight) {
        for (int32 left = inRect.left; left < inRect.right; left += stripWidth) {
            const GRect strip(left, top, std::min(inRect.right, left + stripWidth),
                              std::min(inRect.bottom, top + stripHeight));
            GetIndexRows(strip, indexes, stripWidth);
            for (int32 y = strip.top; y < strip.bottom; ++y) {
                auto* row = reinterpret_cast<NativeQuad*>(base + rowBytes * (y - inRect.top)) +
                            (strip.left - inRect.left);
                const uint8* source = indexes + int64(stripWidth) * (y - strip.top);
                for (int32 x = 0; x < strip.Width(); ++x)
                    row[x] = table != nullptr ? table->Colors()[source[x]] : kTransparentWhite;
            }
        }
    }
}

void CIndexedLayer::ReplacePlane(const CChannel& inPlane, const GPoint& inPosition) {
    mIndexPlane = inPlane;
    mPosition = inPosition;
}

void CIndexedLayer::ResizeTo(const GRect& inRect) {
    const GRect bounds = GetBounds();
    if (inRect == bounds) return;
    const GPoint position = Subtract(inRect.TopLeft(), GetOrigin());
    if (inRect.Empty()) {
        ReplacePlane(CChannel(), position);
    } else {
        CChannel resized(GRect(0, 0, inRect.Width(), inRect.Height()), kOutsideIndex);
        const GRect overlap = bounds.Intersection(inRect);
        if (!overlap.Empty())
            resized.CopyRect(mIndexPlane, GRect(overlap).OffsetNegative(Placement()),
                             GRect(overlap).OffsetNegative(inRect.TopLeft()));
        ReplacePlane(resized, position);
    }
    LayerChanged();
}

void CIndexedLayer::Activate() {
    GRect target = GetBounds();
    if (GetImage() != nullptr) target.UnionWith(GetImage()->GetImageRect());
    if (int64(target.right) - target.left > kMaxImageDimension ||
        int64(target.bottom) - target.top > kMaxImageDimension)
        LTHROW_MESSAGE(kImageTooLargeError);
    ResizeTo(target);
}

void CIndexedLayer::Deactivate() {
    ResizeTo(GetContentBounds());
}

void CIndexedLayer::TrimToContent(bool, LProgressScope*) {
    Deactivate();
}

void CIndexedLayer::GrowToImage(bool, LProgressScope*, int32& outResult) {
    outResult = 0;
    Activate();
}

void CIndexedLayer::BeginPaintStroke() {
    Activate();
}

void CIndexedLayer::Crop(const GRect& inRect, LProgressScope*) {
    ResizeTo(inRect);
}

void CIndexedLayer::Transform(const GPoint&, double, uint8, LProgressScope*) {
    ReportUnsupported("free transformation");
}
