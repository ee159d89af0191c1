// Assembles the tiles a module delivers into one RGBA image, checking every tile's geometry first.
//
// A tile is taken only when its rectangle lies inside the image, it carries the four 8-bit planes
// interleaved (column step 4, plane step 1, first plane 0, plane limit 4, a plane map that puts each
// plane on its own byte of the pixel) and its row step covers a row. Each pixel may arrive once.
#pragma once

#include <string>
#include <vector>

#include "tools/host/HostSession.h"
#include "tools/png/PngWriter.h"

class TileAssembler {
public:
    // An image of inWidth x inHeight pixels (both at least 1), transparent black until tiles arrive.
    TileAssembler(int32 inWidth, int32 inHeight);

    // Copies the tile's planes 0, 1, 2 and 3 into red, green, blue and alpha. A malformed tile, or one
    // overlapping pixels already delivered, is refused with a description in outError and changes
    // nothing.
    bool Add(const TileView& inTile, std::string& outError);

    // Pixels delivered so far, and whether that is every pixel of the image.
    int64 DeliveredPixels() const { return mDelivered; }
    bool Complete() const { return mDelivered == int64(mImage.width) * mImage.height; }

    const RgbaImage& Image() const { return mImage; }
    RgbaImage TakeImage() { return std::move(mImage); }

private:
    bool CheckGeometry(const TileView& inTile, std::string& outError) const;
    bool Overlaps(const TileView& inTile) const;
    void MarkDelivered(const TileView& inTile);

    RgbaImage mImage;
    std::vector<uint64, UnclearedAllocator<uint64>> mDeliveredBits;  // one bit per pixel, rows packed
    int64 mDelivered = 0;
};
