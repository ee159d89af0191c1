#include "Src/Orvane/Src/Compositing/CompositePlanes.h"

#include <cstring>

#include "Src/Orvane/Src/Image/PixelMath.h"

namespace {

const uint8* ByteRow(const uint8* inFirst, int32 inRowBytes, int32 inRow) { return inFirst + int64(inRowBytes) * inRow; }
uint8* ByteRow(uint8* inFirst, int32 inRowBytes, int32 inRow) { return inFirst + int64(inRowBytes) * inRow; }
const NativeQuad* QuadRow(const NativeQuad* inFirst, int32 inRowBytes, int32 inRow) {
    return QuadAt(const_cast<NativeQuad*>(inFirst), inRowBytes, 0, inRow);
}

}  // namespace

void FillQuads(NativeQuad* outPixels, int32 inRowBytes, int32 inWidth, int32 inHeight, NativeQuad inValue) {
    for (int32 y = 0; y < inHeight; ++y) {
        NativeQuad* row = QuadAt(outPixels, inRowBytes, 0, y);
        for (int32 x = 0; x < inWidth; ++x) row[x] = inValue;
    }
}

void CopyQuads(const NativeQuad* inSource, int32 inSourceRowBytes, NativeQuad* outDestination,
               int32 inDestinationRowBytes, int32 inWidth, int32 inHeight) {
    if (inWidth <= 0) return;
    for (int32 y = 0; y < inHeight; ++y)
        std::memmove(QuadAt(outDestination, inDestinationRowBytes, 0, y), QuadRow(inSource, inSourceRowBytes, y),
                     size_t(inWidth) * sizeof(NativeQuad));
}

bool AlphaIsZero(const NativeQuad* inPixels, int32 inRowBytes, int32 inWidth, int32 inHeight) {
    for (int32 y = 0; y < inHeight; ++y) {
        const NativeQuad* row = QuadRow(inPixels, inRowBytes, y);
        for (int32 x = 0; x < inWidth; ++x)
            if (row[x].alpha != 0) return false;
    }
    return true;
}

void SetAlpha(NativeQuad* ioPixels, int32 inRowBytes, int32 inWidth, int32 inHeight, uint8 inAlpha) {
    for (int32 y = 0; y < inHeight; ++y) {
        NativeQuad* row = QuadAt(ioPixels, inRowBytes, 0, y);
        for (int32 x = 0; x < inWidth; ++x) row[x].alpha = inAlpha;
    }
}

void CopyAlphaToBytes(const NativeQuad* inPixels, int32 inRowBytes, uint8* outBytes, int32 inByteRowBytes,
                      int32 inWidth, int32 inHeight) {
    for (int32 y = 0; y < inHeight; ++y) {
        const NativeQuad* row = QuadRow(inPixels, inRowBytes, y);
        uint8* bytes = ByteRow(outBytes, inByteRowBytes, y);
        for (int32 x = 0; x < inWidth; ++x) bytes[x] = row[x].alpha;
    }
}

void CopyBytesToAlpha(const uint8* inBytes, int32 inByteRowBytes, NativeQuad* ioPixels, int32 inRowBytes,
                      int32 inWidth, int32 inHeight) {
    for (int32 y = 0; y < inHeight; ++y) {
        const uint8* bytes = ByteRow(inBytes, inByteRowBytes, y);
        NativeQuad* row = QuadAt(ioPixels, inRowBytes, 0, y);
        for (int32 x = 0; x < inWidth; ++x) row[x].alpha = bytes[x];
    }
}

void MultiplyAlphaByBytes(const uint8* inBytes, int32 inByteRowBytes, NativeQuad* ioPixels, int32 inRowBytes,
                          int32 inWidth, int32 inHeight) {
    for (int32 y = 0; y < inHeight; ++y) {
        const uint8* bytes = ByteRow(inBytes, inByteRowBytes, y);
        NativeQuad* row = QuadAt(ioPixels, inRowBytes, 0, y);
        for (int32 x = 0; x < inWidth; ++x) row[x].alpha = Mul8(bytes[x], row[x].alpha);
    }
}

void FillBytes(uint8* outBytes, int32 inRowBytes, int32 inWidth, int32 inHeight, uint8 inValue) {
    if (inWidth <= 0) return;
    for (int32 y = 0; y < inHeight; ++y) std::memset(ByteRow(outBytes, inRowBytes, y), inValue, size_t(inWidth));
}

void InvertBytes(uint8* ioBytes, int32 inRowBytes, int32 inWidth, int32 inHeight) {
    for (int32 y = 0; y < inHeight; ++y) {
        uint8* bytes = ByteRow(ioBytes, inRowBytes, y);
        for (int32 x = 0; x < inWidth; ++x) bytes[x] = uint8(255 - bytes[x]);
    }
}

void ScaleAlpha(NativeQuad* ioPixels, int32 inRowBytes, int32 inWidth, int32 inHeight, uint8 inOpacity) {
    if (inOpacity == 255) return;
    if (inOpacity == 0) {
        SetAlpha(ioPixels, inRowBytes, inWidth, inHeight, 0);
        return;
    }
    for (int32 y = 0; y < inHeight; ++y) {
        NativeQuad* row = QuadAt(ioPixels, inRowBytes, 0, y);
        for (int32 x = 0; x < inWidth; ++x) row[x].alpha = Mul8(row[x].alpha, inOpacity);
    }
}
