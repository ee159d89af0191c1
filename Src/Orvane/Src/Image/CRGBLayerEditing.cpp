// The pixel-editing operations of CRGBLayer: nearest-neighbour scaling, flips, and painting through the
// blend engine. None of them is reached by reading or writing a document.
#include <algorithm>
#include <cmath>
#include <vector>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

constexpr int32 kQuadBytes = int32(sizeof(NativeQuad));

// The process-wide buffer a paint stroke saves the pixels into; empty between strokes.
CNativeQuadTileBuffer& PreStrokeStorage() {
    static CNativeQuadTileBuffer sStorage;
    return sStorage;
}

}  // namespace

// Destination column x samples source column floor(x / factor) (clamped to the last column), and the
// position becomes floor(position * factor) per axis.
void CRGBLayer::Scale(double inHorizontalFactor, double inVerticalFactor, int32, LProgressScope*) {
    if (!(inHorizontalFactor > 0.0) || !(inVerticalFactor > 0.0)) {
        LREPORT("CRGBLayer::Scale needs positive factors");
        return;
    }
    const GRect source = mPixels.GetBounds();
    const double newWidth = std::ceil(source.Width() * inHorizontalFactor);
    const double newHeight = std::ceil(source.Height() * inVerticalFactor);
    if (newWidth > kMaxImageDimension || newHeight > kMaxImageDimension) LTHROW_MESSAGE(kImageTooLargeError);
    const int32 width = std::max(1, int32(newWidth));
    const int32 height = std::max(1, int32(newHeight));
    CNativeQuadTileBuffer scaled(GRect(0, 0, width, height), kTransparentWhite);
    std::vector<int32> columns(size_t(width), 0);
    for (int32 x = 0; x < width; ++x)
        columns[size_t(x)] = std::min(source.Width() - 1, int32(std::floor(x / inHorizontalFactor)));
    std::vector<NativeQuad> sourceRow(static_cast<size_t>(source.Width()));
    std::vector<NativeQuad> row(static_cast<size_t>(width));
    int32 loadedRow = -1;
    for (int32 y = 0; y < height; ++y) {
        const int32 sourceY = std::min(source.Height() - 1, int32(std::floor(y / inVerticalFactor)));
        if (sourceY != loadedRow) {
            mPixels.GetTile(GRect(0, sourceY, source.Width(), sourceY + 1), sourceRow.data(),
                            source.Width() * kQuadBytes, kPadValue, &kTransparentWhite);
            for (int32 x = 0; x < width; ++x) row[size_t(x)] = sourceRow[size_t(columns[size_t(x)])];
            loadedRow = sourceY;
        }
        scaled.SetTile(GRect(0, y, width, y + 1), row.data(), width * kQuadBytes);
    }
    ReplacePixels(scaled, GPoint(int32(std::floor(mPosition.h * inHorizontalFactor)),
                                 int32(std::floor(mPosition.v * inVerticalFactor))));
}

// Columns are mirrored inside the buffer; the image bounds [l, r) become [axis - r, axis - l).
void CRGBLayer::FlipHorizontal(const GPoint& inAxis, LProgressScope*) {
    const GRect source = mPixels.GetBounds();
    const GRect bounds = GetBounds();
    CNativeQuadTileBuffer flipped(source, kTransparentWhite);
    std::vector<NativeQuad> row(static_cast<size_t>(source.Width()));
    for (int32 y = 0; y < source.Height(); ++y) {
        const GRect line(0, y, source.Width(), y + 1);
        mPixels.GetTile(line, row.data(), source.Width() * kQuadBytes, kPadValue, &kTransparentWhite);
        std::reverse(row.begin(), row.end());
        flipped.SetTile(line, row.data(), source.Width() * kQuadBytes);
    }
    ReplacePixels(flipped, GPoint(inAxis.h - bounds.right - GetOrigin().h, mPosition.v));
}

void CRGBLayer::FlipVertical(const GPoint& inAxis, LProgressScope*) {
    const GRect source = mPixels.GetBounds();
    const GRect bounds = GetBounds();
    CNativeQuadTileBuffer flipped(source, kTransparentWhite);
    std::vector<NativeQuad> row(static_cast<size_t>(source.Width()));
    for (int32 y = 0; y < source.Height(); ++y) {
        mPixels.GetTile(GRect(0, y, source.Width(), y + 1), row.data(), source.Width() * kQuadBytes,
                        kPadValue, &kTransparentWhite);
        const int32 target = source.Height() - 1 - y;
        flipped.SetTile(GRect(0, target, source.Width(), target + 1), row.data(),
                        source.Width() * kQuadBytes);
    }
    ReplacePixels(flipped, GPoint(mPosition.h, inAxis.v - bounds.bottom - GetOrigin().v));
}

// Blends a constant colour over inRect (clipped to the pixels) band by band; alpha is kept when the
// layer's transparency is protected.
void CRGBLayer::FillArea(const GRect& inRect, NativeQuad inColor, uint32 inBlendMode, uint8 inOpacity) {
    const GRect area = inRect.Intersection(GetBounds());
    if (area.Empty()) return;
    const int32 rowBytes = area.Width() * kQuadBytes;
    const int32 bandHeight = std::max(1, std::min(area.Height(), 65536 / rowBytes));
    std::vector<NativeQuad> color(static_cast<size_t>(area.Width()) * size_t(bandHeight), inColor);
    std::vector<NativeQuad> pixels(color.size());
    for (int32 top = area.top; top < area.bottom; top += bandHeight) {
        const GRect band(area.left, top, area.right, std::min(area.bottom, top + bandHeight));
        GetTile(band, pixels.data(), rowBytes);
        BlendTile(band, color.data(), rowBytes, pixels.data(), rowBytes, inBlendMode, inOpacity,
                  GetTransparencyProtected());
        SetTile(band, pixels.data(), rowBytes);
    }
}

void CRGBLayer::PaintPixels(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                            uint32 inBlendMode, uint8 inOpacity) {
    const GRect area = inRect.Intersection(GetBounds());
    if (area.Empty() || inSource == nullptr) return;
    const int32 rowBytes = area.Width() * kQuadBytes;
    std::vector<NativeQuad> pixels(static_cast<size_t>(area.Width()) * size_t(area.Height()));
    GetTile(area, pixels.data(), rowBytes);
    const auto* first = reinterpret_cast<const uint8*>(inSource) +
                        int64(inSourceRowBytes) * (area.top - inRect.top) +
                        int64(area.left - inRect.left) * kQuadBytes;
    BlendTile(area, reinterpret_cast<const NativeQuad*>(first), inSourceRowBytes, pixels.data(), rowBytes,
              inBlendMode, inOpacity, GetTransparencyProtected());
    SetTile(area, pixels.data(), rowBytes);
}

void CRGBLayer::BeginPaintStroke() {
    CNativeQuadTileBuffer* sPreStrokeBuffer = &PreStrokeStorage();
    LASSERT(sPreStrokeBuffer->GetBounds().Empty());
    GetPixels(*sPreStrokeBuffer, nullptr);
}

void CRGBLayer::DoPaintStrokeSelf(const GPoint* inPoints, int32 inPointCount, NativeQuad inColor,
                                  int32 inBrushSize, uint32 inBlendMode, uint8 inOpacity, LProgressScope*) {
    try {
        const int32 size = std::max(1, inBrushSize);
        for (int32 i = 0; inPoints != nullptr && i < inPointCount; ++i) {
            const GRect stamp(inPoints[i].h - size / 2, inPoints[i].v - size / 2,
                              inPoints[i].h - size / 2 + size, inPoints[i].v - size / 2 + size);
            FillArea(stamp, inColor, inBlendMode, inOpacity);
        }
    } catch (const BaseException&) {
        throw;
    } catch (const std::exception&) {
        throw;
    } catch (...) {
        LREPORT("There was an unknown exception type thrown in CRGBLayer::DoPaintStrokeSelf");
    }
}

void CRGBLayer::EndPaintStroke() {
    CNativeQuadTileBuffer* sPreStrokeBuffer = &PreStrokeStorage();
    LASSERT(!sPreStrokeBuffer->GetBounds().Empty());
    *sPreStrokeBuffer = CNativeQuadTileBuffer();
}
