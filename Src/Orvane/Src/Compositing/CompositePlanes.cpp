#include "Src/Orvane/Src/Compositing/CompositePlanes.h"

#include <cstring>

#include "Src/Orvane/Src/Image/ElementRows.h"
#include "Src/Orvane/Src/Image/PixelMath.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const uint8* ByteRow(const uint8* inFirst, int32 inRowBytes, int32 inRow) {
    return inFirst + int64(inRowBytes) * inRow;
}
uint8* ByteRow(uint8* inFirst, int32 inRowBytes, int32 inRow) {
    return inFirst + int64(inRowBytes) * inRow;
}
const NativeQuad* QuadRow(const NativeQuad* inFirst, int32 inRowBytes, int32 inRow) {
    return QuadAt(const_cast<NativeQuad*>(inFirst), inRowBytes, 0, inRow);
}

#if defined(__SSE2__)
__m128i LoadQuads(const NativeQuad* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
void StoreQuads(NativeQuad* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Mul8 of 32-bit lanes holding values below 256.
__m128i Mul8Lanes(__m128i x, __m128i y) {
    return _mm_mulhi_epu16(_mm_add_epi32(_mm_mullo_epi16(x, y), _mm_set1_epi32(128)), _mm_set1_epi32(257));
}

// The four quads at inFrom to outTo with alpha = Mul8(factor lane, alpha).
void ScaleAlphaOfFour(const NativeQuad* inFrom, NativeQuad* outTo, __m128i inFactors) {
    const __m128i q = LoadQuads(inFrom);
    const __m128i alpha = Mul8Lanes(_mm_srli_epi32(q, 24), inFactors);
    StoreQuads(outTo, _mm_or_si128(_mm_and_si128(q, _mm_set1_epi32(0x00FFFFFF)), _mm_slli_epi32(alpha, 24)));
}
#endif

// One row from inFrom to outTo (the same row, or one that does not overlap it) with alpha = Mul8(factor,
// alpha), the factor from inBytes (one per pixel) or inConstant.
void ScaleAlphaRow(const NativeQuad* inFrom, NativeQuad* outTo, const uint8* inBytes, uint8 inConstant,
                   int32 inWidth) {
    int32 x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= inWidth; x += 4) {
        __m128i factors = _mm_set1_epi32(inConstant);
        if (inBytes != nullptr) {
            int32 word;
            std::memcpy(&word, inBytes + x, 4);
            factors = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
        }
        ScaleAlphaOfFour(inFrom + x, outTo + x, factors);
    }
#endif
    for (; x < inWidth; ++x) {
        outTo[x] = inFrom[x];
        outTo[x].alpha = Mul8(inBytes != nullptr ? inBytes[x] : inConstant, inFrom[x].alpha);
    }
}

}  // namespace

void FillQuads(NativeQuad* outPixels, int32 inRowBytes, int32 inWidth, int32 inHeight, NativeQuad inValue) {
    if (inWidth <= 0) return;
    FillElements(reinterpret_cast<uint8*>(outPixels), inRowBytes, 4, reinterpret_cast<const uint8*>(&inValue),
                 4, inWidth, inHeight);
}

void CopyQuads(const NativeQuad* inSource, int32 inSourceRowBytes, NativeQuad* outDestination,
               int32 inDestinationRowBytes, int32 inWidth, int32 inHeight) {
    if (inWidth <= 0) return;
    for (int32 y = 0; y < inHeight; ++y)
        std::memmove(QuadAt(outDestination, inDestinationRowBytes, 0, y),
                     QuadRow(inSource, inSourceRowBytes, y), size_t(inWidth) * sizeof(NativeQuad));
}

bool AlphaIsZero(const NativeQuad* inPixels, int32 inRowBytes, int32 inWidth, int32 inHeight) {
    for (int32 y = 0; y < inHeight; ++y)
        if (ElementsHaveOtherByte(reinterpret_cast<const uint8*>(QuadRow(inPixels, inRowBytes, y)), inWidth,
                                  4, 3, 0))
            return false;
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
    if (inWidth <= 0) return;
    CopyBytesOutOfQuads(reinterpret_cast<const uint8*>(inPixels), inRowBytes, 3, outBytes, inByteRowBytes,
                        inWidth, inHeight);
}

void CopyBytesToAlpha(const uint8* inBytes, int32 inByteRowBytes, NativeQuad* ioPixels, int32 inRowBytes,
                      int32 inWidth, int32 inHeight) {
    if (inWidth <= 0) return;
    CopyBytesIntoQuads(inBytes, inByteRowBytes, reinterpret_cast<uint8*>(ioPixels), inRowBytes, 3, inWidth,
                       inHeight);
}

void MultiplyAlphaByBytes(const uint8* inBytes, int32 inByteRowBytes, NativeQuad* ioPixels, int32 inRowBytes,
                          int32 inWidth, int32 inHeight) {
    MultiplyAlphaByBytes(inBytes, inByteRowBytes, ioPixels, inRowBytes, ioPixels, inRowBytes, inWidth,
                         inHeight);
}

void MultiplyAlphaByBytes(const uint8* inBytes, int32 inByteRowBytes, const NativeQuad* inPixels,
                          int32 inRowBytes, NativeQuad* outPixels, int32 inOutRowBytes, int32 inWidth,
                          int32 inHeight) {
    for (int32 y = 0; y < inHeight; ++y) {
        const NativeQuad* from = QuadRow(inPixels, inRowBytes, y);
        ScaleAlphaRow(from, QuadAt(outPixels, inOutRowBytes, 0, y), ByteRow(inBytes, inByteRowBytes, y), 0,
                      inWidth);
    }
}

void FillBytes(uint8* outBytes, int32 inRowBytes, int32 inWidth, int32 inHeight, uint8 inValue) {
    if (inWidth <= 0) return;
    for (int32 y = 0; y < inHeight; ++y)
        std::memset(ByteRow(outBytes, inRowBytes, y), inValue, size_t(inWidth));
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
    for (int32 y = 0; y < inHeight; ++y)
        ScaleAlphaRow(QuadAt(ioPixels, inRowBytes, 0, y), QuadAt(ioPixels, inRowBytes, 0, y), nullptr,
                      inOpacity, inWidth);
}
