#include "Src/Orvane/Src/Image/ElementRows.h"

#include <cstring>

void CopyElements(const uint8* inSrc, int64 inSrcRowBytes, int64 inSrcColBytes, uint8* outDst, int64 inDstRowBytes,
                  int64 inDstColBytes, int32 inCount, int64 inWidth, int64 inHeight) {
    if (inSrcColBytes == inCount && inDstColBytes == inCount) {
        const int64 rowLength = inWidth * inCount;
        if (inSrcRowBytes == rowLength && inDstRowBytes == rowLength) {
            std::memcpy(outDst, inSrc, size_t(rowLength * inHeight));
            return;
        }
        for (int64 y = 0; y < inHeight; ++y, inSrc += inSrcRowBytes, outDst += inDstRowBytes)
            std::memcpy(outDst, inSrc, size_t(rowLength));
        return;
    }
    for (int64 y = 0; y < inHeight; ++y, inSrc += inSrcRowBytes, outDst += inDstRowBytes) {
        const uint8* src = inSrc;
        uint8* dst = outDst;
        if (inCount == 1) {
            for (int64 x = 0; x < inWidth; ++x, src += inSrcColBytes, dst += inDstColBytes) *dst = *src;
        } else {
            for (int64 x = 0; x < inWidth; ++x, src += inSrcColBytes, dst += inDstColBytes)
                std::memcpy(dst, src, size_t(inCount));
        }
    }
}

// Sets one row of inWidth elements, inColBytes apart, to the inCount bytes at inValue. The element sizes
// in use (one byte, one quad) get stores of a fixed size.
static void FillRow(uint8* outDst, int64 inColBytes, const uint8* inValue, int32 inCount, int64 inWidth) {
    switch (inCount) {
        case 1:
            for (int64 x = 0; x < inWidth; ++x, outDst += inColBytes) *outDst = *inValue;
            return;
        case 4:
            for (int64 x = 0; x < inWidth; ++x, outDst += inColBytes) std::memcpy(outDst, inValue, 4);
            return;
        default:
            for (int64 x = 0; x < inWidth; ++x, outDst += inColBytes) std::memcpy(outDst, inValue, size_t(inCount));
            return;
    }
}

// Sets inHeight rows of inWidth elements to the inCount bytes at inValue. A packed area is filled by
// writing its first row and copying that row down.
void FillElements(uint8* outDst, int64 inDstRowBytes, int64 inDstColBytes, const uint8* inValue, int32 inCount,
                  int64 inWidth, int64 inHeight) {
    if (inDstColBytes == inCount) {
        if (inCount == 1) {
            for (int64 y = 0; y < inHeight; ++y, outDst += inDstRowBytes) std::memset(outDst, *inValue, size_t(inWidth));
            return;
        }
        FillRow(outDst, inCount, inValue, inCount, inWidth);
        for (int64 y = 1; y < inHeight; ++y) std::memcpy(outDst + y * inDstRowBytes, outDst, size_t(inWidth * inCount));
        return;
    }
    for (int64 y = 0; y < inHeight; ++y, outDst += inDstRowBytes) FillRow(outDst, inDstColBytes, inValue, inCount, inWidth);
}
