#include "Src/Orvane/Src/Effects/EffectSource.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

// Raster descriptors carry 16-bit coordinates.
const GRect kDescriptorLimits(std::numeric_limits<int16>::min(), std::numeric_limits<int16>::min(),
                              std::numeric_limits<int16>::max(), std::numeric_limits<int16>::max());

}  // namespace

EffectSource::EffectSource(CLayer& inLayer, bool inUseLayerMask)
    : mLayer(inLayer),
      mAdjustment(inLayer.GetLayerType() == eAdjustmentLayer),
      mUseLayerMask(inUseLayerMask),
      mArea(inLayer.GetBounds()) {}

GRect EffectSource::CoverageBounds() const {
    if (mAdjustment) return mArea;
    return mLayer.GetContentBounds().Intersection(mArea);
}

void EffectSource::Read(const GRect& inRect, uint8* outPlane, int32 inRowBytes) const {
    for (int32 y = 0; y < inRect.Height(); ++y)
        std::memset(outPlane + int64(y) * inRowBytes, 0, size_t(inRect.Width()));
    const GRect covered = inRect.Intersection(mArea);
    if (covered.Empty()) return;
    uint8* start = outPlane + int64(covered.top - inRect.top) * inRowBytes + (covered.left - inRect.left);
    if (mAdjustment) {
        for (int32 y = 0; y < covered.Height(); ++y)
            std::memset(start + int64(y) * inRowBytes, 255, size_t(covered.Width()));
    } else {
        ReadTransparency(covered, start, inRowBytes);
    }
    if (mUseLayerMask || mAdjustment) MultiplyByMask(covered, start, inRowBytes);
}

// RGB layers hand out their alpha plane directly; any other pixel layer is asked for whole pixels through
// a raster descriptor of our own, a band of rows at a time.
void EffectSource::ReadTransparency(const GRect& inRect, uint8* outPlane, int32 inRowBytes) const {
    if (const auto* rgb = dynamic_cast<const CRGBLayer*>(&mLayer)) {
        rgb->GetChannel(inRect, kAlphaChannel, outPlane, inRowBytes, 1);
        return;
    }
    CImage* image = mLayer.GetImage();
    const GRect reachable = inRect.Intersection(kDescriptorLimits);
    if (image == nullptr || reachable.Empty()) return;
    LScratchBuffer scratch;
    auto* quads = static_cast<NativeQuad*>(scratch.Ptr());
    const int32 width = reachable.Width();
    const int32 bandRows = std::max<int32>(1, int32(scratch.Size() / sizeof(NativeQuad)) / width);
    for (int32 top = reachable.top; top < reachable.bottom; top += bandRows) {
        const GRect band(reachable.left, top, reachable.right, std::min(reachable.bottom, top + bandRows));
        for (int32 i = 0; i < width * band.Height(); ++i) quads[i] = kTransparentWhite;
        RasterDescriptor descriptor;
        descriptor.Set(band, quads, width * int32(sizeof(NativeQuad)), kRasterKindCallerBuffer);
        mLayer.GetTile(image->GetRasterPort(), image->GetRasterDevice(), &descriptor, band);
        for (int32 y = 0; y < band.Height(); ++y) {
            uint8* row = outPlane + int64(band.top - inRect.top + y) * inRowBytes + (band.left - inRect.left);
            for (int32 x = 0; x < width; ++x) row[x] = quads[y * width + x].alpha;
        }
    }
}

void EffectSource::MultiplyByMask(const GRect& inRect, uint8* ioPlane, int32 inRowBytes) const {
    const int32 width = inRect.Width();
    LScratchBuffer scratch(uint32(uint64(width) * uint64(inRect.Height())));
    auto* mask = static_cast<uint8*>(scratch.Ptr());
    if (mask == nullptr) throw std::bad_alloc();
    if (mLayer.HasLayerMask())
        mLayer.GetLayerMaskTile(inRect, mask, width);
    else
        std::memset(mask, mLayer.GetMaskDefaultColor(), scratch.Size());
    const bool inverted = mLayer.GetMaskInverted();
    for (int32 y = 0; y < inRect.Height(); ++y) {
        const uint8* maskRow = mask + int64(y) * width;
        uint8* plane = ioPlane + int64(y) * inRowBytes;
        for (int32 x = 0; x < width; ++x) plane[x] = Mul8(inverted ? 255 - maskRow[x] : maskRow[x], plane[x]);
    }
}
