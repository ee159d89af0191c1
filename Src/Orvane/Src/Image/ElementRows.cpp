#include "Src/Orvane/Src/Image/ElementRows.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One byte into every fourth byte (a plane into one component of packed quads), 16 at a time: each
// 16-byte block of the destination keeps the three bytes between the ones written. A block ends 3
// bytes past its last element, so vectors run only while another element follows; the rest go singly.
void ScatterToQuads(const uint8* inSrc, uint8* outDst, int64 inWidth) {
    int64 x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i keep = _mm_set1_epi32(int32(0xFFFFFF00u));
    for (; x + 16 < inWidth; x += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(inSrc + x));
        const __m128i low = _mm_unpacklo_epi8(bytes, zero);
        const __m128i high = _mm_unpackhi_epi8(bytes, zero);
        const __m128i lanes[4] = {_mm_unpacklo_epi16(low, zero), _mm_unpackhi_epi16(low, zero),
                                  _mm_unpacklo_epi16(high, zero), _mm_unpackhi_epi16(high, zero)};
        for (int32 i = 0; i < 4; ++i) {
            auto* block = reinterpret_cast<__m128i*>(outDst + (x + 4 * i) * 4);
            _mm_storeu_si128(block, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(block), keep), lanes[i]));
        }
    }
#endif
    for (; x < inWidth; ++x) outDst[x * 4] = inSrc[x];
}

// Every fourth byte into consecutive bytes (one component of packed quads into a plane), 16 at a time;
// the last block read ends 3 bytes past its last element, so again only while another element follows.
void GatherFromQuads(const uint8* inSrc, uint8* outDst, int64 inWidth) {
    int64 x = 0;
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi32(0xFF);
    for (; x + 16 < inWidth; x += 16) {
        __m128i words[4];
        for (int32 i = 0; i < 4; ++i)
            words[i] = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(inSrc + (x + 4 * i) * 4)), low);
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(words[0], words[1]), _mm_packs_epi32(words[2], words[3]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(outDst + x), packed);
    }
#endif
    for (; x < inWidth; ++x) outDst[x] = inSrc[x * 4];
}

}  // namespace

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
        if (inCount == 1 && inSrcColBytes == 1 && inDstColBytes == 4) {
            ScatterToQuads(src, dst, inWidth);
        } else if (inCount == 1 && inSrcColBytes == 4 && inDstColBytes == 1) {
            GatherFromQuads(src, dst, inWidth);
        } else if (inCount == 1) {
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
