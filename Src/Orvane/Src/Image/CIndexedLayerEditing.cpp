// The editing operations of CIndexedLayer: nearest-neighbour scaling, flips, and painting through the
// blend engine with the result mapped back to the nearest table entry. None of them is reached by
// reading or writing a document.
#include <algorithm>
#include <cmath>
#include <vector>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

constexpr int32 kQuadBytes = int32(sizeof(NativeQuad));
constexpr uint8 kNewIndex = 0;

}  // namespace

// Destination column x samples source column floor(x / factor) (clamped to the last column), and the
// position becomes floor(position * factor) per axis.
void CIndexedLayer::Scale(double inHorizontalFactor, double inVerticalFactor, int32, LProgressScope*) {
    if (!(inHorizontalFactor > 0.0) || !(inVerticalFactor > 0.0)) {
        LREPORT("CIndexedLayer::Scale needs positive factors");
        return;
    }
    const GRect source = mIndexPlane.GetBounds();
    if (source.Empty()) return;
    const double newWidth = std::ceil(source.Width() * inHorizontalFactor);
    const double newHeight = std::ceil(source.Height() * inVerticalFactor);
    if (newWidth > kMaxImageDimension || newHeight > kMaxImageDimension) LTHROW_MESSAGE(kImageTooLargeError);
    const int32 width = std::max(1, int32(newWidth));
    const int32 height = std::max(1, int32(newHeight));
    CChannel scaled(GRect(0, 0, width, height), kNewIndex);
    std::vector<uint8> sourceRow(static_cast<size_t>(source.Width()));
    std::vector<uint8> row(static_cast<size_t>(width));
    for (int32 y = 0; y < height; ++y) {
        const int32 sourceY = std::min(source.Height() - 1, int32(std::floor(y / inVerticalFactor)));
        mIndexPlane.GetTile(GRect(0, sourceY, source.Width(), sourceY + 1), sourceRow.data(), source.Width(),
                            kPadValue, &kNewIndex);
        for (int32 x = 0; x < width; ++x)
            row[size_t(x)] =
                sourceRow[size_t(std::min(source.Width() - 1, int32(std::floor(x / inHorizontalFactor))))];
        scaled.SetTile(GRect(0, y, width, y + 1), row.data(), width);
    }
    ReplacePlane(scaled, GPoint(int32(std::floor(mPosition.h * inHorizontalFactor)),
                                int32(std::floor(mPosition.v * inVerticalFactor))));
}

// Columns are mirrored inside the plane; the image bounds [l, r) become [axis - r, axis - l).
void CIndexedLayer::FlipHorizontal(const GPoint& inAxis, LProgressScope*) {
    const GRect source = mIndexPlane.GetBounds();
    const GRect bounds = GetBounds();
    if (source.Empty()) return;
    CChannel flipped(source, kNewIndex);
    std::vector<uint8> row(static_cast<size_t>(source.Width()));
    for (int32 y = 0; y < source.Height(); ++y) {
        const GRect line(0, y, source.Width(), y + 1);
        mIndexPlane.GetTile(line, row.data(), source.Width(), kPadValue, &kNewIndex);
        std::reverse(row.begin(), row.end());
        flipped.SetTile(line, row.data(), source.Width());
    }
    ReplacePlane(flipped, GPoint(inAxis.h - bounds.right - GetOrigin().h, mPosition.v));
}

void CIndexedLayer::FlipVertical(const GPoint& inAxis, LProgressScope*) {
    const GRect source = mIndexPlane.GetBounds();
    const GRect bounds = GetBounds();
    if (source.Empty()) return;
    CChannel flipped(source, kNewIndex);
    std::vector<uint8> row(static_cast<size_t>(source.Width()));
    for (int32 y = 0; y < source.Height(); ++y) {
        mIndexPlane.GetTile(GRect(0, y, source.Width(), y + 1), row.data(), source.Width(), kPadValue,
                            &kNewIndex);
        const int32 target = source.Height() - 1 - y;
        flipped.SetTile(GRect(0, target, source.Width(), target + 1), row.data(), source.Width());
    }
    ReplacePlane(flipped, GPoint(mPosition.h, inAxis.v - bounds.bottom - GetOrigin().v));
}

// Band by band: the indexes become colours, the source is blended over them, and each blended colour is
// stored as the index of its nearest table entry.
void CIndexedLayer::PaintColors(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                                uint32 inBlendMode, uint8 inOpacity) {
    const GRect area = inRect.Intersection(GetBounds());
    const NativeQuadCLUT* table = mColorTable.Get();
    if (area.Empty() || inSource == nullptr || table == nullptr) return;
    const int32 width = area.Width();
    const int32 bandHeight = std::max(1, std::min(area.Height(), 65536 / (width * kQuadBytes)));
    std::vector<uint8> indexes(size_t(width) * size_t(bandHeight));
    std::vector<NativeQuad> colors(indexes.size());
    for (int32 top = area.top; top < area.bottom; top += bandHeight) {
        const GRect band(area.left, top, area.right, std::min(area.bottom, top + bandHeight));
        GetIndexRows(band, indexes.data(), width);
        for (size_t i = 0; i < size_t(width) * size_t(band.Height()); ++i)
            colors[i] = table->Colors()[indexes[i]];
        const auto* first = reinterpret_cast<const uint8*>(inSource) +
                            int64(inSourceRowBytes) * (band.top - inRect.top) +
                            int64(band.left - inRect.left) * kQuadBytes;
        BlendTile(band, reinterpret_cast<const NativeQuad*>(first), inSourceRowBytes, colors.data(),
                  width * kQuadBytes, inBlendMode, inOpacity, false);
        for (size_t i = 0; i < size_t(width) * size_t(band.Height()); ++i)
            indexes[i] = table->NearestIndex(colors[i]);
        mIndexPlane.SetTile(GRect(band).OffsetNegative(Placement()), indexes.data(), width);
    }
    LayerChanged(area);
}

// One colour over inRect: a single row of that colour read with source row bytes 0.
void CIndexedLayer::FillArea(const GRect& inRect, NativeQuad inColor, uint32 inBlendMode, uint8 inOpacity) {
    const GRect area = inRect.Intersection(GetBounds());
    if (area.Empty()) return;
    const std::vector<NativeQuad> row(size_t(area.Width()), inColor);
    PaintColors(area, row.data(), 0, inBlendMode, inOpacity);
}

void CIndexedLayer::PaintPixels(const GRect& inRect, const NativeQuad* inSource, int32 inSourceRowBytes,
                                uint32 inBlendMode, uint8 inOpacity) {
    PaintColors(inRect, inSource, inSourceRowBytes, inBlendMode, inOpacity);
}

void CIndexedLayer::DoPaintStrokeSelf(const GPoint* inPoints, int32 inPointCount, NativeQuad inColor,
                                      int32 inBrushSize, uint32 inBlendMode, uint8 inOpacity,
                                      LProgressScope*) {
    const int32 size = std::max(1, inBrushSize);
    for (int32 i = 0; inPoints != nullptr && i < inPointCount; ++i) {
        const GRect stamp(inPoints[i].h - size / 2, inPoints[i].v - size / 2, inPoints[i].h - size / 2 + size,
                          inPoints[i].v - size / 2 + size);
        FillArea(stamp, inColor, inBlendMode, inOpacity);
    }
}
