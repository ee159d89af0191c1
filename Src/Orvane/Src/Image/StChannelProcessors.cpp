#include "Src/Orvane/Src/Image/StChannelProcessors.h"

#include <algorithm>

// A part whose rows are contiguous (row bytes equal to its width) is inverted as one run.
bool StInvertChannel::Process(const GRect& inTileRect, uint8* inTilePtr, int32 inRowBytes) {
    if (inTileRect.Empty()) return true;
    const int32 width = inTileRect.Width();
    int32 rows = inTileRect.Height();
    int32 runLength = width;
    if (inRowBytes == width) {
        runLength = width * rows;
        rows = 1;
    }
    for (int32 y = 0; y < rows; ++y, inTilePtr += inRowBytes) {
        for (int32 x = 0; x < runLength; ++x) inTilePtr[x] = uint8(255 - inTilePtr[x]);
    }
    return true;
}

StFindBounds::StFindBounds(const GRect& inChannelBounds, uint8 inThreshold)
    : mThreshold(inThreshold),
      mMinX(inChannelBounds.right),
      mMinY(inChannelBounds.bottom),
      mMaxX(inChannelBounds.left),
      mMaxY(inChannelBounds.top) {}

GRect StFindBounds::GetBounds() const {
    if (!mFound) return GRect();
    return GRect(mMinX, mMinY, mMaxX + 1, mMaxY + 1);
}

// Each row is searched from the left for its first passing byte and, when there is one, from the right
// for its last.
template <class Passes>
void StFindBounds::Scan(const GRect& inTileRect, const uint8* inTilePtr, int32 inRowBytes, Passes inPasses) {
    const int32 width = inTileRect.Width();
    for (int32 y = 0; y < inTileRect.Height(); ++y, inTilePtr += inRowBytes) {
        int32 first = 0;
        while (first < width && !inPasses(inTilePtr[first])) ++first;
        if (first == width) continue;
        int32 last = width - 1;
        while (!inPasses(inTilePtr[last])) --last;
        const int32 row = inTileRect.top + y;
        if (!mFound) {
            mFound = true;
            mMinX = inTileRect.left + first;
            mMaxX = inTileRect.left + last;
            mMinY = row;
            mMaxY = row;
            continue;
        }
        mMinX = std::min(mMinX, inTileRect.left + first);
        mMaxX = std::max(mMaxX, inTileRect.left + last);
        mMinY = std::min(mMinY, row);
        mMaxY = std::max(mMaxY, row);
    }
}

bool StFindBoundsViaGreaterThan::Process(const GRect& inTileRect, const uint8* inTilePtr, int32 inRowBytes) {
    const uint8 threshold = mThreshold;
    Scan(inTileRect, inTilePtr, inRowBytes, [threshold](uint8 inByte) { return inByte > threshold; });
    return true;
}

bool StFindBoundsViaNotEqualTo::Process(const GRect& inTileRect, const uint8* inTilePtr, int32 inRowBytes) {
    const uint8 threshold = mThreshold;
    Scan(inTileRect, inTilePtr, inRowBytes, [threshold](uint8 inByte) { return inByte != threshold; });
    return true;
}
