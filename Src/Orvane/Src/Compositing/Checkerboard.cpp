#include "Src/Orvane/Src/Compositing/Checkerboard.h"

#include "Src/Orvane/Src/Compositing/CompositePlanes.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

// Alpha a over background k: 255 keeps the colour, 0 takes the whole background quad, otherwise every
// component moves toward k by Mul8(distance, 255 - a), rounding the distance, not the result. Alpha
// becomes 0 unless the background quad was taken.
inline void MatteOne(NativeQuad& ioPixel, NativeQuad inBackground) {
    const uint32 a = ioPixel.alpha;
    if (a == 0) {
        ioPixel = inBackground;
        return;
    }
    if (a != 255) {
        const uint32 missing = 255 - a;
        uint8* components[3] = {&ioPixel.red, &ioPixel.green, &ioPixel.blue};
        const uint8 targets[3] = {inBackground.red, inBackground.green, inBackground.blue};
        for (int32 i = 0; i < 3; ++i) {
            const uint32 c = *components[i];
            const uint32 k = targets[i];
            *components[i] = uint8(c < k ? c + Mul8(k - c, missing) : c - Mul8(c - k, missing));
        }
    }
    ioPixel.alpha = 0;
}

}  // namespace

void ApplyCheckerboard(const GRect& inRect, NativeQuad* ioPixels, int32 inRowBytes, NativeQuad inColorA,
                       NativeQuad inColorB, int32 inSquareSize) {
    LASSERT(inSquareSize > 0 && (inSquareSize & (inSquareSize - 1)) == 0);
    if (inRect.Empty() || inSquareSize <= 0) return;
    const int32 period = 2 * inSquareSize - 1;
    const int32 y0 = inRect.top & period;
    const int32 x0 = inRect.left & period;
    for (int32 j = 0; j < inRect.Height(); ++j) {
        const int32 y = y0 + j;
        NativeQuad* row = QuadAt(ioPixels, inRowBytes, 0, j);
        for (int32 i = 0; i < inRect.Width(); ++i) {
            const int32 x = x0 + i;
            MatteOne(row[i], (y & inSquareSize) != (x & inSquareSize) ? inColorB : inColorA);
        }
    }
}

void MatteOverColor(NativeQuad* ioPixels, int32 inRows, int32 inColumns, NativeQuad inColor,
                    int32 inRowBytes) {
    const int32 rowBytes = inRowBytes != 0 ? inRowBytes : inColumns * int32(sizeof(NativeQuad));
    for (int32 j = 0; j < inRows; ++j) {
        NativeQuad* row = QuadAt(ioPixels, rowBytes, 0, j);
        for (int32 i = 0; i < inColumns; ++i) MatteOne(row[i], inColor);
    }
}
