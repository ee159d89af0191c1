// GetScaledCompositeTile: the composite seen at a scale factor, sampled nearest-neighbour.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Compositing/Checkerboard.h"
#include "Src/Orvane/Src/Compositing/CompositePlanes.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

// floor(inValue) as an int32, saturated at the ends of the range.
int32 SaturatedInt(double inValue) {
    if (!(inValue > -2147483648.0)) return INT32_MIN;
    if (!(inValue < 2147483647.0)) return INT32_MAX;
    return int32(inValue);
}

int32 FloorDiv(double inValue, double inScale) {
    return SaturatedInt(std::floor(inValue / inScale));
}
int32 CeilDiv(double inValue, double inScale) {
    return SaturatedInt(std::ceil(inValue / inScale));
}

}  // namespace

// Output column i samples source column floor((left + i) / f) and output row j source row
// floor((top + j) / f). Each output row composites the one source row it samples, over the source
// columns the row needs, and picks the sampled pixels. Samples outside the canvas stay transparent white.
void GetScaledCompositeTile(CImage& ioImage, const GRect& inScaledRect, double inScale,
                            NativeQuad* outDestination, int32 inRowBytes) {
    if (inScale == 1.0) {
        GetCompositeTile(ioImage, inScaledRect, outDestination, inRowBytes);
        return;
    }
    const int32 width = inScaledRect.Width();
    const int32 height = inScaledRect.Height();
    FillQuads(outDestination, inRowBytes, width, height, kTransparentWhite);
    if (!(inScale > 0.0) || !std::isfinite(inScale)) {
        LREPORT("GetScaledCompositeTile needs a positive scale factor");
        return;
    }
    const GRect inTileRect =
        GRect(FloorDiv(inScaledRect.left, inScale), FloorDiv(inScaledRect.top, inScale),
              CeilDiv(inScaledRect.right, inScale), CeilDiv(inScaledRect.bottom, inScale))
            .Intersection(ioImage.GetImageRect());
    if (!LCHECK(!inTileRect.Empty()) || inScaledRect.Empty()) return;

    LScratchBuffer hTableBuffer, vTableBuffer;
    const bool columnsFit =
        LCHECK_AS(int64(width) * int64(sizeof(int32)) <= int64(hTableBuffer.Size()),
                  "(long) (inTileRect.Width() * sizeof(int32)) <= hTableBuffer.GetSize()");
    const bool rowsFit = LCHECK_AS(int64(height) * int64(sizeof(int32)) <= int64(vTableBuffer.Size()),
                                   "(long) (inTileRect.Height() * sizeof(int32)) <= vTableBuffer.GetSize()");
    if (!columnsFit || !rowsFit) return;
    auto* columns = static_cast<int32*>(hTableBuffer.Ptr());
    auto* rows = static_cast<int32*>(vTableBuffer.Ptr());
    for (int32 i = 0; i < width; ++i) columns[i] = FloorDiv(double(inScaledRect.left) + i, inScale);
    for (int32 j = 0; j < height; ++j) rows[j] = FloorDiv(double(inScaledRect.top) + j, inScale);

    const int32 stripLeft = std::max(columns[0], inTileRect.left);
    const int32 stripRight = std::min(columns[width - 1] + 1, inTileRect.right);
    if (stripLeft >= stripRight) return;
    LScratchBuffer stripBuffer(uint32(stripRight - stripLeft) * uint32(sizeof(NativeQuad)));
    if (stripBuffer.Ptr() == nullptr) throw std::bad_alloc();
    auto* strip = static_cast<NativeQuad*>(stripBuffer.Ptr());
    const int32 stripRowBytes = (stripRight - stripLeft) * int32(sizeof(NativeQuad));
    int32 loadedRow = 0;
    bool loaded = false;
    for (int32 j = 0; j < height; ++j) {
        const int32 sourceRow = rows[j];
        if (sourceRow < inTileRect.top || sourceRow >= inTileRect.bottom) continue;
        if (!loaded || sourceRow != loadedRow) {
            GetCompositeTile(ioImage, GRect(stripLeft, sourceRow, stripRight, sourceRow + 1), strip,
                             stripRowBytes);
            loadedRow = sourceRow;
            loaded = true;
        }
        NativeQuad* row = QuadAt(outDestination, inRowBytes, 0, j);
        for (int32 i = 0; i < width; ++i)
            if (columns[i] >= stripLeft && columns[i] < stripRight) row[i] = strip[columns[i] - stripLeft];
    }
}

void GetScaledCompositeTile(CImage& ioImage, const GRect& inScaledRect, double inScale,
                            NativeQuad* outDestination, int32 inRowBytes, NativeQuad inCheckerColorA,
                            NativeQuad inCheckerColorB, int32 inCheckerSize) {
    GetScaledCompositeTile(ioImage, inScaledRect, inScale, outDestination, inRowBytes);
    ApplyCheckerboard(inScaledRect, outDestination, inRowBytes, inCheckerColorA, inCheckerColorB,
                      inCheckerSize);
}
