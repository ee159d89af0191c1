// Tile processors over channels: inverting the bytes, and finding the bounds of the bytes that pass a
// test. Each holds its state by value; a finder is used for one walk and then asked for its result.
#pragma once

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Pellin/Isol/GRect.h"

// Every byte b of each part becomes 255 - b. Never stops the walk.
class StInvertChannel : public CChannelTileProcessor {
public:
    bool Process(const GRect& inTileRect, uint8* inTilePtr, int32 inRowBytes) override;
};

// Shared state of the bounds finders: the threshold and the extremes of the bytes found so far.
class StFindBounds : public CChannelConstTileProcessor {
public:
    // (min x, min y, max x + 1, max y + 1) of the bytes that passed; empty when none did.
    GRect GetBounds() const;

protected:
    StFindBounds(const GRect& inChannelBounds, uint8 inThreshold);
    template <class Passes>
    void Scan(const GRect& inTileRect, const uint8* inTilePtr, int32 inRowBytes, Passes inPasses);

    uint8 mThreshold;

private:
    bool mFound = false;
    int32 mMinX;
    int32 mMinY;
    int32 mMaxX;
    int32 mMaxY;
};

// Bounds of the bytes greater than the threshold.
class StFindBoundsViaGreaterThan : public StFindBounds {
public:
    StFindBoundsViaGreaterThan(const GRect& inChannelBounds, uint8 inThreshold)
        : StFindBounds(inChannelBounds, inThreshold) {}
    bool Process(const GRect& inTileRect, const uint8* inTilePtr, int32 inRowBytes) override;
};

// Bounds of the bytes different from the threshold.
class StFindBoundsViaNotEqualTo : public StFindBounds {
public:
    StFindBoundsViaNotEqualTo(const GRect& inChannelBounds, uint8 inThreshold)
        : StFindBounds(inChannelBounds, inThreshold) {}
    bool Process(const GRect& inTileRect, const uint8* inTilePtr, int32 inRowBytes) override;
};
