#include "tools/flatten/TileAssembler.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int32 kPlanes = 4;

// One row of pixels, each byte of a target pixel taken from the source byte the plane map names. The
// maps hosts use (the same order, or red and blue swapped) run without the per-byte map lookup.
void CopyPixels(const uint8* inSource, uint8* outTarget, int32 inWidth, const int16 inMap[kPlanes]) {
    const bool same = inMap[0] == 0 && inMap[1] == 1 && inMap[2] == 2 && inMap[3] == 3;
    const bool swapped = inMap[0] == 2 && inMap[1] == 1 && inMap[2] == 0 && inMap[3] == 3;
    if (same) {
        std::memcpy(outTarget, inSource, size_t(inWidth) * kPlanes);
    } else if (swapped) {
        int32 x = 0;
#if defined(__SSE2__)
        // Four pixels at a time: bytes 1 and 3 of each stay, bytes 0 and 2 trade places.
        const __m128i kept = _mm_set1_epi32(int32(0xFF00FF00u));
        const __m128i low = _mm_set1_epi32(0xFF);
        for (; x + 4 <= inWidth; x += 4, inSource += 4 * kPlanes, outTarget += 4 * kPlanes) {
            const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(inSource));
            const __m128i moved = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(p, 16), low),
                                               _mm_slli_epi32(_mm_and_si128(p, low), 16));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(outTarget),
                             _mm_or_si128(_mm_and_si128(p, kept), moved));
        }
#endif
        for (; x < inWidth; ++x, inSource += kPlanes, outTarget += kPlanes) {
            outTarget[0] = inSource[2];
            outTarget[1] = inSource[1];
            outTarget[2] = inSource[0];
            outTarget[3] = inSource[3];
        }
    } else {
        for (int32 x = 0; x < inWidth; ++x, inSource += kPlanes, outTarget += kPlanes)
            for (int32 plane = 0; plane < kPlanes; ++plane) outTarget[plane] = inSource[inMap[plane]];
    }
}

std::string Describe(const TileView& inTile) {
    return "tile (top " + std::to_string(inTile.top) + ", left " + std::to_string(inTile.left) + ", bottom " +
           std::to_string(inTile.bottom) + ", right " + std::to_string(inTile.right) + ")";
}

}  // namespace

TileAssembler::TileAssembler(int32 inWidth, int32 inHeight) {
    mImage.width = inWidth;
    mImage.height = inHeight;
    const uint64 pixels = uint64(inWidth) * uint64(inHeight);
    mImage.pixels.resize(size_t(pixels) * kPlanes);  // not cleared: every pixel is delivered before use
    mDeliveredBits.assign(size_t((pixels + 63) / 64), 0);
}

bool TileAssembler::CheckGeometry(const TileView& inTile, std::string& outError) const {
    auto refuse = [&](const std::string& inWhy) {
        outError = Describe(inTile) + ": " + inWhy;
        return false;
    };
    if (inTile.data == nullptr) return refuse("no pixel data");
    if (inTile.left < 0 || inTile.top < 0 || inTile.right > mImage.width || inTile.bottom > mImage.height)
        return refuse("outside the " + std::to_string(mImage.width) + " x " + std::to_string(mImage.height) +
                      " image");
    if (inTile.left >= inTile.right || inTile.top >= inTile.bottom) return refuse("empty rectangle");
    if (inTile.firstPlane != 0 || inTile.planeLimit != kPlanes)
        return refuse("planes " + std::to_string(inTile.firstPlane) + " to " +
                      std::to_string(inTile.planeLimit) + ", expected 0 to 4");
    if (inTile.columnStep != kPlanes)
        return refuse("column step " + std::to_string(inTile.columnStep) + ", expected 4");
    if (inTile.planeStep != 1)
        return refuse("plane step " + std::to_string(inTile.planeStep) + ", expected 1");
    if (int64(inTile.rowStep) < int64(inTile.right - inTile.left) * inTile.columnStep)
        return refuse("row step " + std::to_string(inTile.rowStep) + " shorter than a row");
    bool used[kPlanes] = {};
    for (int32 plane = 0; plane < kPlanes; ++plane) {
        const int16 offset = inTile.planeMap[plane];
        if (offset < 0 || offset >= kPlanes || used[offset])
            return refuse("plane map does not give each plane its own byte of the pixel");
        used[offset] = true;
    }
    return true;
}

namespace {

// Calls inVisit(word index, mask) for the words of a bit set that bits [inFirst, inLimit) touch.
template <class Visit>
bool ForEachWord(uint64 inFirst, uint64 inLimit, Visit inVisit) {
    for (uint64 bit = inFirst; bit < inLimit;) {
        const uint64 word = bit / 64, low = bit % 64;
        const uint64 count = std::min<uint64>(64 - low, inLimit - bit);
        const uint64 mask = (count == 64 ? ~uint64(0) : ((uint64(1) << count) - 1)) << low;
        if (!inVisit(size_t(word), mask)) return false;
        bit += count;
    }
    return true;
}

uint64 RowStart(const TileView& inTile, int32 inY, int32 inWidth) {
    return uint64(inY) * uint64(inWidth) + uint64(inTile.left);
}

}  // namespace

bool TileAssembler::Overlaps(const TileView& inTile) const {
    const uint64 width = uint64(inTile.right - inTile.left);
    for (int32 y = inTile.top; y < inTile.bottom; ++y) {
        const uint64 first = RowStart(inTile, y, mImage.width);
        if (!ForEachWord(first, first + width, [&](size_t inWord, uint64 inMask) {
                return (mDeliveredBits[inWord] & inMask) == 0;
            }))
            return true;
    }
    return false;
}

void TileAssembler::MarkDelivered(const TileView& inTile) {
    const uint64 width = uint64(inTile.right - inTile.left);
    for (int32 y = inTile.top; y < inTile.bottom; ++y) {
        const uint64 first = RowStart(inTile, y, mImage.width);
        ForEachWord(first, first + width, [&](size_t inWord, uint64 inMask) {
            mDeliveredBits[inWord] |= inMask;
            return true;
        });
    }
    mDelivered += int64(width) * (inTile.bottom - inTile.top);
}

bool TileAssembler::Add(const TileView& inTile, std::string& outError) {
    if (!CheckGeometry(inTile, outError)) return false;
    if (Overlaps(inTile)) {
        outError = Describe(inTile) + ": repeats pixels already delivered";
        return false;
    }
    const int32 width = inTile.right - inTile.left;
    for (int32 row = 0; row < inTile.bottom - inTile.top; ++row) {
        const uint8* source = inTile.data + size_t(row) * size_t(inTile.rowStep);
        uint8* target = mImage.pixels.data() +
                        (size_t(inTile.top + row) * size_t(mImage.width) + size_t(inTile.left)) * kPlanes;
        CopyPixels(source, target, width, inTile.planeMap);
    }
    MarkDelivered(inTile);
    return true;
}
