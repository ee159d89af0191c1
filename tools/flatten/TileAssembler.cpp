#include "tools/flatten/TileAssembler.h"

#include <string>
#include <utility>

namespace {

constexpr int32 kPlanes = 4;

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

bool TileAssembler::Overlaps(const TileView& inTile) const {
    for (int32 y = inTile.top; y < inTile.bottom; ++y) {
        for (int32 x = inTile.left; x < inTile.right; ++x) {
            const uint64 bit = uint64(y) * uint64(mImage.width) + uint64(x);
            if ((mDeliveredBits[bit / 64] >> (bit % 64)) & 1u) return true;
        }
    }
    return false;
}

void TileAssembler::MarkDelivered(const TileView& inTile) {
    for (int32 y = inTile.top; y < inTile.bottom; ++y) {
        for (int32 x = inTile.left; x < inTile.right; ++x) {
            const uint64 bit = uint64(y) * uint64(mImage.width) + uint64(x);
            mDeliveredBits[bit / 64] |= uint64(1) << (bit % 64);
        }
    }
    mDelivered += int64(inTile.right - inTile.left) * (inTile.bottom - inTile.top);
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
        for (int32 column = 0; column < width; ++column, source += kPlanes, target += kPlanes) {
            for (int32 plane = 0; plane < kPlanes; ++plane) target[plane] = source[inTile.planeMap[plane]];
        }
    }
    MarkDelivered(inTile);
    return true;
}
