#include "Src/Orvane/Src/Image/ElementRows.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
__m128i LoadBlock(const uint8* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
void StoreBlock(uint8* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Four source bytes as the 32-bit lanes of four quads, shifted to byte inShift / 8 of each.
__m128i FourBytesAsLanes(const uint8* inSrc, __m128i inShift) {
    int32 word;
    std::memcpy(&word, inSrc, 4);
    const __m128i zero = _mm_setzero_si128();
    return _mm_sll_epi32(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero), inShift);
}
#endif

// Byte inByteOffset of inWidth consecutive quads from inWidth consecutive bytes. Vectors cover whole
// quads (4 at a time), so nothing outside the row's quads is read or written.
void ScatterRow(const uint8* inSrc, uint8* outQuads, int32 inByteOffset, int64 inWidth) {
    int64 x = 0;
#if defined(__SSE2__)
    const __m128i shift = _mm_cvtsi32_si128(8 * inByteOffset);
    const __m128i keep = _mm_set1_epi32(int32(~(0xFFu << (8 * inByteOffset))));
    for (; x + 4 <= inWidth; x += 4) {
        uint8* block = outQuads + x * 4;
        StoreBlock(block,
                   _mm_or_si128(_mm_and_si128(LoadBlock(block), keep), FourBytesAsLanes(inSrc + x, shift)));
    }
#endif
    for (; x < inWidth; ++x) outQuads[x * 4 + inByteOffset] = inSrc[x];
}

// The reverse: byte inByteOffset of inWidth quads into consecutive bytes, 16 (then singly) at a time.
void GatherRow(const uint8* inQuads, int32 inByteOffset, uint8* outDst, int64 inWidth) {
    int64 x = 0;
#if defined(__SSE2__)
    const __m128i shift = _mm_cvtsi32_si128(8 * inByteOffset);
    const __m128i low = _mm_set1_epi32(0xFF);
    for (; x + 16 <= inWidth; x += 16) {
        __m128i words[4];
        for (int32 i = 0; i < 4; ++i)
            words[i] = _mm_and_si128(_mm_srl_epi32(LoadBlock(inQuads + (x + 4 * i) * 4), shift), low);
        StoreBlock(outDst + x, _mm_packus_epi16(_mm_packs_epi32(words[0], words[1]),
                                                _mm_packs_epi32(words[2], words[3])));
    }
#endif
    for (; x < inWidth; ++x) outDst[x] = inQuads[x * 4 + inByteOffset];
}

// Four byte planes woven into quads, 16 at a time (then singly).
void InterleaveRow(const uint8* const inBytes[4], int64 inOffset, uint8* outQuads, int64 inWidth) {
    const uint8* b0 = inBytes[0] + inOffset;
    const uint8* b1 = inBytes[1] + inOffset;
    const uint8* b2 = inBytes[2] + inOffset;
    const uint8* b3 = inBytes[3] + inOffset;
    int64 x = 0;
#if defined(__SSE2__)
    for (; x + 16 <= inWidth; x += 16) {
        const __m128i low01 = _mm_unpacklo_epi8(LoadBlock(b0 + x), LoadBlock(b1 + x));
        const __m128i high01 = _mm_unpackhi_epi8(LoadBlock(b0 + x), LoadBlock(b1 + x));
        const __m128i low23 = _mm_unpacklo_epi8(LoadBlock(b2 + x), LoadBlock(b3 + x));
        const __m128i high23 = _mm_unpackhi_epi8(LoadBlock(b2 + x), LoadBlock(b3 + x));
        uint8* out = outQuads + x * 4;
        StoreBlock(out, _mm_unpacklo_epi16(low01, low23));
        StoreBlock(out + 16, _mm_unpackhi_epi16(low01, low23));
        StoreBlock(out + 32, _mm_unpacklo_epi16(high01, high23));
        StoreBlock(out + 48, _mm_unpackhi_epi16(high01, high23));
    }
#endif
    for (; x < inWidth; ++x) {
        uint8* out = outQuads + x * 4;
        out[0] = b0[x];
        out[1] = b1[x];
        out[2] = b2[x];
        out[3] = b3[x];
    }
}

}  // namespace

void InterleaveBytesIntoQuads(const uint8* const inBytes[4], int64 inSrcRowBytes, uint8* outQuads,
                              int64 inDstRowBytes, int64 inWidth, int64 inHeight) {
    for (int64 y = 0; y < inHeight; ++y, outQuads += inDstRowBytes)
        InterleaveRow(inBytes, y * inSrcRowBytes, outQuads, inWidth);
}

void CopyBytesIntoQuads(const uint8* inSrc, int64 inSrcRowBytes, uint8* outQuads, int64 inDstRowBytes,
                        int32 inByteOffset, int64 inWidth, int64 inHeight) {
    for (int64 y = 0; y < inHeight; ++y, inSrc += inSrcRowBytes, outQuads += inDstRowBytes)
        ScatterRow(inSrc, outQuads, inByteOffset, inWidth);
}

void CopyBytesOutOfQuads(const uint8* inQuads, int64 inSrcRowBytes, int32 inByteOffset, uint8* outDst,
                         int64 inDstRowBytes, int64 inWidth, int64 inHeight) {
    for (int64 y = 0; y < inHeight; ++y, inQuads += inSrcRowBytes, outDst += inDstRowBytes)
        GatherRow(inQuads, inByteOffset, outDst, inWidth);
}

void CopyElements(const uint8* inSrc, int64 inSrcRowBytes, int64 inSrcColBytes, uint8* outDst,
                  int64 inDstRowBytes, int64 inDstColBytes, int32 inCount, int64 inWidth, int64 inHeight) {
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
        case 4: {
            int64 x = 0;
#if defined(__SSE2__)
            if (inColBytes == 4) {
                int32 word;
                std::memcpy(&word, inValue, 4);
                const __m128i four = _mm_set1_epi32(word);
                for (; x + 4 <= inWidth; x += 4, outDst += 16) StoreBlock(outDst, four);
            }
#endif
            for (; x < inWidth; ++x, outDst += inColBytes) std::memcpy(outDst, inValue, 4);
            return;
        }
        default:
            for (int64 x = 0; x < inWidth; ++x, outDst += inColBytes)
                std::memcpy(outDst, inValue, size_t(inCount));
            return;
    }
}

// Sets inHeight rows of inWidth elements to the inCount bytes at inValue. A packed area is filled by
// writing its first row and copying that row down.
void FillElements(uint8* outDst, int64 inDstRowBytes, int64 inDstColBytes, const uint8* inValue,
                  int32 inCount, int64 inWidth, int64 inHeight) {
    if (inDstColBytes == inCount) {
        if (inCount == 1) {
            for (int64 y = 0; y < inHeight; ++y, outDst += inDstRowBytes)
                std::memset(outDst, *inValue, size_t(inWidth));
            return;
        }
        FillRow(outDst, inCount, inValue, inCount, inWidth);
        for (int64 y = 1; y < inHeight; ++y)
            std::memcpy(outDst + y * inDstRowBytes, outDst, size_t(inWidth * inCount));
        return;
    }
    for (int64 y = 0; y < inHeight; ++y, outDst += inDstRowBytes)
        FillRow(outDst, inDstColBytes, inValue, inCount, inWidth);
}

bool BytesAreZero(const uint8* inBytes, int64 inRowBytes, int64 inWidth, int64 inHeight) {
    // Rows are tested as they end, so an area with content near its top costs a row or two.
    for (int64 y = 0; y < inHeight; ++y, inBytes += inRowBytes) {
        uint8 any = 0;
        int64 x = 0;
#if defined(__SSE2__)
        __m128i anyVector = _mm_setzero_si128();
        for (; x + 16 <= inWidth; x += 16) anyVector = _mm_or_si128(anyVector, LoadBlock(inBytes + x));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(anyVector, _mm_setzero_si128())) != 0xFFFF) return false;
#endif
        for (; x < inWidth; ++x) any |= inBytes[x];
        if (any != 0) return false;
    }
    return true;
}

bool ElementsHaveOtherByte(const uint8* inElements, int32 inCount, int32 inStride, int32 inByteOffset,
                           uint8 inValue) {
    int32 x = 0;
    uint8 differs = 0;
#if defined(__SSE2__)
    if (inStride == 4) {
        const __m128i mask = _mm_set1_epi32(int32(0xFFu << (8 * inByteOffset)));
        const __m128i want = _mm_set1_epi32(int32(uint32(inValue) << (8 * inByteOffset)));
        __m128i any = _mm_setzero_si128();
        for (; x + 4 <= inCount; x += 4) {
            const __m128i quads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(inElements + x * 4));
            any = _mm_or_si128(any, _mm_and_si128(_mm_xor_si128(quads, want), mask));
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) != 0xFFFF) return true;
    }
#endif
    for (; x < inCount; ++x) differs |= uint8(inElements[x * inStride + inByteOffset] ^ inValue);
    return differs != 0;
}
