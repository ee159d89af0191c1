// Walk over an area in fixed-size tiles.
#pragma once

#include <algorithm>

#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/Report.h"

// Cuts bounds into tiles of a fixed size, row by row, left to right; the last column and row are cut
// to the bounds. Empty bounds give no tiles. A tile size below 1 would never advance: it is reported
// as an assertion and the walk is empty.
class TileWalker {
public:
    TileWalker() = default;
    TileWalker(int32 inTileWidth, int32 inTileHeight, const GRect& inBounds) {
        Reset(inTileWidth, inTileHeight, inBounds);
    }

    void Reset(int32 inTileWidth, int32 inTileHeight, const GRect& inBounds) {
        mTileWidth = inTileWidth;
        mTileHeight = inTileHeight;
        mBounds = inBounds;
        if (!LCHECK(inTileWidth > 0 && inTileHeight > 0)) {
            mTile = GRect(inBounds.right, inBounds.bottom, inBounds.right, inBounds.bottom);  // not Valid
            return;
        }
        mTile = GRect(inBounds.left, inBounds.top, Step(inBounds.left, inTileWidth, inBounds.right),
                      Step(inBounds.top, inTileHeight, inBounds.bottom));
    }
    bool Valid() const {
        return mTileWidth > 0 && mTileHeight > 0 && mTile.left < mBounds.right && mTile.top < mBounds.bottom;
    }
    const GRect& Tile() const { return mTile; }
    const GRect& Bounds() const { return mBounds; }
    int32 TileWidth() const { return mTileWidth; }
    int32 TileHeight() const { return mTileHeight; }

    void Next() {
        if (!Valid()) return;
        if (mTile.right != mBounds.right) {
            mTile.left += mTileWidth;  // below right, which is below the bounds' right: no overflow
            mTile.right = Step(mTile.left, mTileWidth, mBounds.right);
        } else {
            mTile.left = mBounds.left;
            mTile.right = Step(mBounds.left, mTileWidth, mBounds.right);
            mTile.top = int32(std::min<int64>(int64(mTile.top) + mTileHeight, kMaxCoordinate));
            mTile.bottom = Step(mTile.top, mTileHeight, mBounds.bottom);
        }
    }
    // Number of tiles, found by walking a copy to the end.
    int32 Count() const {
        TileWalker w(mTileWidth, mTileHeight, mBounds);
        int32 n = 0;
        for (; w.Valid(); w.Next()) ++n;
        return n;
    }

private:
    static constexpr int64 kMaxCoordinate = 0x7FFFFFFF;

    // min(inStart + inSize, inLimit), without overflow.
    static int32 Step(int32 inStart, int32 inSize, int32 inLimit) {
        return int32(std::min<int64>(int64(inStart) + inSize, inLimit));
    }

    int32 mTileWidth = 0;
    int32 mTileHeight = 0;
    GRect mBounds;
    GRect mTile;
};
