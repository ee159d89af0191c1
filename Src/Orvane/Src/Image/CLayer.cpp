#include "Src/Orvane/Src/Image/CLayer.h"

#include <algorithm>
#include <vector>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

CLayer::CLayer(const std::string& inName, const LayerSettings& inSettings, CImage* inImage)
    : mImage(inImage), mName(inName), mSettings(inSettings) {
    LASSERT(mSettings.mLayerID != kInvalidLayerID);
}

CLayer::CLayer(const CLayer& inOther)
    : LAllocatedObject(),
      mImage(inOther.mImage),
      mName(inOther.mName),
      mSettings(inOther.mSettings),
      mLayerMask(inOther.mLayerMask),
      mMaskOrigin(inOther.mMaskOrigin),
      mMaskDefaultColor(inOther.mMaskDefaultColor),
      mClipping(inOther.mClipping),
      mLinkID(inOther.mLinkID),
      mEffects(inOther.mEffects) {}

CLayer::~CLayer() = default;

GPoint CLayer::NormalizeOrigin() {
    return GPoint::zero;
}

void CLayer::SetName(const std::string& inName) {
    mName = inName;
}

void CLayer::AdjustTile(const GRect&, const NativeQuad*, int32&, NativeQuad*, int32&) {
    LREPORT("Must override AdjustTile for layers of type eAdjustmentLayer");
}

void CLayer::Transform(const GPoint&, double, uint8, LProgressScope*) {}
void CLayer::FlipHorizontal(const GPoint&, LProgressScope*) {}
void CLayer::FlipVertical(const GPoint&, LProgressScope*) {}
void CLayer::Activate() {}
void CLayer::Deactivate() {}
void CLayer::TrimToContent(bool, LProgressScope*) {}
void CLayer::ReservedOperation20(void*, void*, void*, void*) {}
void CLayer::GrowToImage(bool, LProgressScope*, int32& outResult) {
    outResult = 0;
}
bool CLayer::HasOwnPixels() const {
    return true;
}
bool CLayer::SupportsPixelTransforms() const {
    return true;
}
bool CLayer::CanFillArea() const {
    return false;
}
void CLayer::FillArea(const GRect&, NativeQuad, uint32, uint8) {}
bool CLayer::CanPaintPixels() const {
    return false;
}
void CLayer::PaintPixels(const GRect&, const NativeQuad*, int32, uint32, uint8) {}
bool CLayer::CanPaintStrokes() const {
    return false;
}
void CLayer::BeginPaintStroke() {}
void CLayer::DoPaintStrokeSelf(const GPoint*, int32, NativeQuad, int32, uint32, uint8, LProgressScope*) {}
void CLayer::EndPaintStroke() {}

// Renders the layer through its own GetTile, one 64-row band at a time, into a buffer over GetBounds.
void CLayer::GetPixels(CNativeQuadTileBuffer& outPixels, LProgressScope*) {
    const GRect bounds = GetBounds();
    if (bounds.Empty()) {
        outPixels = CNativeQuadTileBuffer(GRect(0, 0, 1, 1), kTransparentWhite);
        return;
    }
    outPixels = CNativeQuadTileBuffer(bounds, kTransparentWhite);
    const int32 bandHeight = 64;
    std::vector<NativeQuad> band(size_t(bounds.Width()) * bandHeight);
    RasterDescriptor descriptor;
    for (int32 top = bounds.top; top < bounds.bottom; top += bandHeight) {
        const GRect piece(bounds.left, top, bounds.right, std::min(bounds.bottom, top + bandHeight));
        std::fill(band.begin(), band.end(), kTransparentWhite);
        descriptor.Set(piece, band.data(), bounds.Width() * 4, kRasterKindCallerBuffer);
        GetTile(nullptr, nullptr, &descriptor, piece);
        outPixels.SetTile(piece, band.data(), bounds.Width() * 4);
    }
}

void CLayer::SetLayerID(uint32 inLayerID) {
    LASSERT(inLayerID != kInvalidLayerID);
    mSettings.mLayerID = inLayerID;
}

void CLayer::SetSettings(const LayerSettings& inSettings, bool inNotify) {
    if (mSettings == inSettings) return;
    if (inNotify) LayerChanged();
    mSettings = inSettings;
    if (inNotify) LayerChanged();
}

void CLayer::SetOrigin(const GPoint& inOrigin) {
    LayerChanged();
    mSettings.mOrigin = inOrigin;
    LayerChanged();
}

void CLayer::SetMaskOffset(const GPoint& inOffset) {
    LayerChanged();
    mSettings.mMaskOffset = inOffset;
    LayerChanged();
}

// The value setters share one rule: an unchanged value sends nothing; a change is stored, then announced.
template <class Field, class Value>
static bool StoreIfChanged(Field& ioField, Value inValue) {
    if (ioField == Field(inValue)) return false;
    ioField = Field(inValue);
    return true;
}

void CLayer::SetVisible(bool inVisible, bool inNotify) {
    if (StoreIfChanged(mSettings.mVisible, inVisible) && inNotify) LayerChanged();
}

void CLayer::SetBlendMode(uint32 inBlendMode) {
    if (StoreIfChanged(mSettings.mBlendMode, inBlendMode)) LayerChanged();
}

void CLayer::SetOpacity(uint8 inOpacity) {
    if (StoreIfChanged(mSettings.mOpacity, inOpacity)) LayerChanged();
}

void CLayer::SetMaskEnabled(bool inEnabled) {
    if (StoreIfChanged(mSettings.mMaskEnabled, inEnabled)) LayerChanged();
}

void CLayer::SetMaskInverted(bool inInverted) {
    if (StoreIfChanged(mSettings.mMaskInverted, inInverted)) LayerChanged();
}

void CLayer::SetMaskLinked(bool inLinked) {
    mSettings.mMaskLinked = inLinked;
}

void CLayer::SetAdjustmentMask(bool inAdjustmentMask) {
    if (StoreIfChanged(mSettings.mAdjustmentMask, inAdjustmentMask)) LayerChanged();
}

void CLayer::SetClipping(uint32 inClipping, bool inNotify) {
    if (StoreIfChanged(mClipping, inClipping) && inNotify) LayerChanged();
}

void CLayer::SetEffects(const LayerEffects& inEffects) {
    if (mEffects == inEffects) return;
    LayerChanged();
    mEffects = inEffects;
    LayerChanged();
}

GRect CLayer::AffectedArea() const {
    GRect area = GetBounds();
    if (HasEnabledLayerMask()) area.UnionWith(GetLayerMaskBounds());
    return mImage != nullptr ? mEffects.GrowBounds(area, mImage->GetGlobalAngle())
                             : mEffects.GrowBounds(area);
}

void CLayer::LayerChanged() {
    if (mImage == nullptr) return;
    const GRect area = AffectedArea();
    if (!area.Empty()) mImage->LayerChanged(area, GetLayerID());
}

void CLayer::LayerChanged(const GRect& inArea) {
    if (mImage != nullptr) mImage->LayerChanged(inArea, GetLayerID());
}

void CLayer::ReportUnsupported(const char* inOperation) const {
    std::string text = "This layer does not support ";
    text += inOperation;
    text += "; the layer is left unchanged";
    LREPORT(text.c_str());
}
