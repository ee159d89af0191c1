// Tile processors that fill a tile buffer with an image's composite, tile by tile.
//
// Both hold the image without owning it; a processor asked to process while it holds no image throws
// NilPointerException. Tile rectangles are image coordinates (the buffer sits over the composited area).
#pragma once

#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/NativeQuad.h"

class CImage;

class StGetCompositeTileNoCheckerboard : public CNQTileProcessor {
public:
    explicit StGetCompositeTileNoCheckerboard(CImage* inImage) : mImage(inImage) {}
    // GetCompositeTile over the tile part, which writes every pixel; always goes on with the walk.
    bool Process(const GRect& inTileRect, NativeQuad* inTilePtr, int32 inRowBytes) override;
    bool OverwritesParts() const override { return true; }

private:
    CImage* mImage;
};

class StGetCompositeTileWithCheckerboard : public CNQTileProcessor {
public:
    StGetCompositeTileWithCheckerboard(CImage* inImage, NativeQuad inColorA, NativeQuad inColorB,
                                       int32 inSquareSize)
        : mImage(inImage), mColorA(inColorA), mColorB(inColorB), mSquareSize(inSquareSize) {}
    // GetCompositeTile, then the checkerboard pass over the same pixels; always goes on with the walk.
    bool Process(const GRect& inTileRect, NativeQuad* inTilePtr, int32 inRowBytes) override;

private:
    CImage* mImage;
    NativeQuad mColorA;
    NativeQuad mColorB;
    int32 mSquareSize;
};
