// Walk over an area in fixed-size tiles.
#pragma once

#include <algorithm>

#include "Src/Pellin/Isol/GRect.h"

// Cuts bounds into tiles of a fixed size, row by row, left to right; the last column and row are cut
// to the bounds.
class TileWalker {
public:
    TileWalker() = default;
    TileWalker(int32 inTileWidth, int32 inTileHeight, const GRect& inBounds) { Reset(inTileWidth, inTileHeight, inBounds); }

    void Reset(int32 inTileWidth, int32 inTileHeight, const GRect& inBounds) {
        mTileWidth = inTileWidth;
        mTileHeight = inTileHeight;
        mBounds = inBounds;
        mTile = GRect(inBounds.left, inBounds.top, std::min(inBounds.right, inBounds.left + inTileWidth),
                      std::min(inBounds.bottom, inBounds.top + inTileHeight));
    }
    bool Valid() const { return mTile.left < mBounds.right && mTile.top < mBounds.bottom; }
    const GRect& Tile() const { return mTile; }
    const GRect& Bounds() const { return mBounds; }
    int32 TileWidth() const { return mTileWidth; }
    int32 TileHeight() const { return mTileHeight; }

    void Next() {
        if (mTile.right != mBounds.right) {
            mTile.left += mTileWidth;
            mTile.right = std::min(mTile.left + mTileWidth, mBounds.right);
        } else {
            mTile.left = mBounds.left;
            mTile.right = std::min(mBounds.left + mTileWidth, mBounds.right);
            mTile.top += mTileHeight;
            mTile.bottom = std::min(mTile.top + mTileHeight, mBounds.bottom);
        }
    }
    // Number of tiles, found by walking a copy to the end.
    int32 Count() const {
        TileWalker w(*this);
        w.Reset(mTileWidth, mTileHeight, mBounds);
        int32 n = 0;
        for (; w.Valid(); w.Next()) ++n;
        return n;
    }

private:
    int32 mTileWidth = 0;
    int32 mTileHeight = 0;
    GRect mBounds;
    GRect mTile;
};
