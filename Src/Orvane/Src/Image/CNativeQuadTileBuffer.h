// A rectangle of NativeQuad pixels in 64 x 64 tiles (the storage of layers and composite buffers).
//
// Pixel (x, y) of the buffer is the pixel at those coordinates; the tile holding it is
// ((y - top) >> 6) * TilesAcross() + ((x - left) >> 6), at byte ((y - top) & 63) * 256 + ((x - left) & 63) *
// 4 of its 16384-byte paged buffer. Tiles holding one colour are kept as that colour only. Reads that reach
// outside the bounds follow a PaddingMode; kPadThrow throws OutOfImageBounds. Rectangles are in the
// buffer's coordinates; row bytes (and column bytes where taken) describe caller memory, whose first
// pixel is the request's top-left. Bad arguments (null pointers, wrong column bytes, rectangles that do
// not fit) are reported as assertions and the operation goes on with what is safe.
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Orvane/Src/Image/PaddingMode.h"
#include "Src/Orvane/Src/Image/TTiledPlane.h"
#include "Src/Pellin/Isol/GRect.h"

class CChannel;
class LProgressScope;

// Processor of the writing tile walk: gets each tile part (buffer coordinates), the address of its first
// quad inside the tile and the tile's row bytes (256); returning false stops the walk.
class CNQTileProcessor {
public:
    virtual ~CNQTileProcessor() = default;
    virtual bool Process(const GRect& inTileRect, NativeQuad* inTilePtr, int32 inRowBytes) = 0;
    // True for a processor that writes every pixel of each part: a constant tile it is handed whole then
    // comes with memory that holds anything, not its constant.
    virtual bool OverwritesParts() const { return false; }
};

// Processor of the read-only tile walk; the pixels may be shared with copies of the buffer and must not
// be written.
class CNQConstTileProcessor {
public:
    virtual ~CNQConstTileProcessor() = default;
    virtual bool Process(const GRect& inTileRect, const NativeQuad* inTilePtr, int32 inRowBytes) = 0;
};

class CNativeQuadTileBuffer : public TTiledPlane<NativeQuad> {
public:
    // An empty buffer without tiles (a placeholder to assign to).
    CNativeQuadTileBuffer() = default;
    // Every pixel inFill; no pixel memory until a tile is written or walked. Empty bounds are an
    // assertion and give a buffer without tiles.
    CNativeQuadTileBuffer(const GRect& inBounds, const NativeQuad& inFill) : TTiledPlane(inBounds, inFill) {}

    // Copies the rectangle's pixels to packed rows of quads at outPtr, padding outside the bounds.
    void GetTile(const GRect& inRect, NativeQuad* outPtr, int32 inRowBytes,
                 PaddingMode inPaddingMode = kPadNone, const NativeQuad* inPaddingValue = nullptr) const;
    // The same; outPtrColBytes must be 4 (asserted; the quads are packed either way).
    void GetTile(const GRect& inRect, NativeQuad* outPtr, int32 inRowBytes, int32 outPtrColBytes,
                 PaddingMode inPaddingMode, const NativeQuad* inPaddingValue) const;
    // Copies packed quads from caller memory into the rectangle ∩ bounds.
    void SetTile(const GRect& inRect, const NativeQuad* inPtr, int32 inRowBytes);
    // The same; inPtrColBytes must be 4 (asserted).
    void SetTile(const GRect& inRect, const NativeQuad* inPtr, int32 inRowBytes, int32 inPtrColBytes);

    // One component (red 0, green 1, blue 2, alpha 3; anything else is reported and taken as alpha) of
    // each pixel to caller memory with the given pixel stride; kPadValue pads with the same component
    // of the padding quad.
    void GetChannel(const GRect& inRect, int32 inChannel, uint8* outPtr, int32 inRowBytes, int32 inColBytes,
                    PaddingMode inPaddingMode, const NativeQuad* inPaddingValue) const;
    // Writes one component of each pixel of the rectangle ∩ bounds; the other components are kept.
    void SetChannel(const GRect& inRect, int32 inChannel, const uint8* inPtr, int32 inRowBytes,
                    int32 inColBytes);
    // Writes all four components of each pixel of the rectangle ∩ bounds, component c from inChannels[c]
    // (one byte per pixel, inRowBytes per row); with inLower, rows from row inSplit on from those.
    void SetChannels(const GRect& inRect, const uint8* const inChannels[4], int32 inRowBytes,
                     int32 inSplit = INT32_MAX, const uint8* const inLower[4] = nullptr);

    // Fills inDestRect from the channel's inSrcRect: red = green = blue = the channel byte, alpha 255.
    // The source must lie inside the channel and the sizes must agree (assertions).
    void CopyFromChannel(const CChannel& inChannel, const GRect& inSrcRect, const GRect& inDestRect);
    // Fills inDestRect with inColorTable[channel byte] (a table of 256 quads, alpha included).
    void CopyFromIndexedChannel(const CChannel& inChannel, const NativeQuad* inColorTable,
                                const GRect& inSrcRect, const GRect& inDestRect);

    // Not available: reports so and answers false.
    bool IsConstant() const;
    // True when one component has one value over inRect ∩ bounds (stored in outValue when given); an
    // empty intersection answers true.
    bool IsChannelConstant(const GRect& inRect, int32 inChannel, uint8* outValue = nullptr) const;
    // Bounds of the pixels whose alpha is not 0 (buffer coordinates); empty when there are none.
    GRect FindNonTransparentBounds() const;

    // Walks the tiles of inArea ∩ bounds (an area reaching outside is reported), handing each part to
    // the processor under a write lock (the tiles stop being constant) or a read lock. Progress goes to
    // inProgress (may be null) per grid cell; the scope is completed at the end or when the processor
    // stops the walk.
    void ForEachPixelInArea(const GRect& inArea, CNQTileProcessor& inProcessor, LProgressScope* inProgress);
    void ForEachPixelInArea(const GRect& inArea, CNQConstTileProcessor& inProcessor,
                            LProgressScope* inProgress) const;

private:
    void ExpandFromChannel(const CChannel& inChannel, const NativeQuad* inColorTable, const GRect& inSrcRect,
                           const GRect& inDestRect);
};
