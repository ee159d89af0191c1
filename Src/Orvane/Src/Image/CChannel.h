// A rectangle of 8-bit values in 64 x 64 tiles: layer masks, extra channels, the selection, index planes.
//
// Stored like CNativeQuadTileBuffer with one byte per pixel: the byte of (x, y) is in tile
// ((y - top) >> 6) * TilesAcross() + ((x - left) >> 6) at ((y - top) & 63) * 64 + ((x - left) & 63) of its
// 4096-byte paged buffer; tiles of one value are kept as that value only. A channel with empty bounds is
// empty (a layer without a mask holds one). Reads outside the bounds follow a PaddingMode with a byte
// padding value; kPadThrow throws OutOfImageBounds. Bad arguments are reported as assertions and the
// operation goes on with what is safe.
#pragma once

#include "Src/Orvane/Src/Image/PaddingMode.h"
#include "Src/Orvane/Src/Image/TTiledPlane.h"
#include "Src/Pellin/Isol/GRect.h"

class LProgressScope;

// Processor of the writing tile walk: each tile part (channel coordinates), the address of its first
// byte and the tile's row bytes (64); returning false stops the walk.
class CChannelTileProcessor {
public:
    virtual ~CChannelTileProcessor() = default;
    virtual bool Process(const GRect& inTileRect, uint8* inTilePtr, int32 inRowBytes) = 0;
};

// Processor of the read-only tile walk; the bytes may be shared with copies and must not be written.
class CChannelConstTileProcessor {
public:
    virtual ~CChannelConstTileProcessor() = default;
    virtual bool Process(const GRect& inTileRect, const uint8* inTilePtr, int32 inRowBytes) = 0;
};

class CChannel : public TTiledPlane<uint8> {
public:
    // An empty channel.
    CChannel() = default;
    // Every byte inDefault, no pixel memory until a tile is written or walked. Empty bounds are an
    // assertion and give a channel without tiles.
    CChannel(const GRect& inBounds, uint8 inDefault) : TTiledPlane(inBounds, inDefault) {}

    bool IsEmpty() const { return GetBounds().Empty(); }

    // Bytes of the rectangle to caller memory (column bytes 1 in the short form), padded outside the
    // bounds; inPaddingValue is needed for kPadValue only.
    void GetTile(const GRect& inRect, uint8* outPtr, int32 inRowBytes, PaddingMode inPaddingMode = kPadNone,
                 const uint8* inPaddingValue = nullptr) const;
    void GetTile(const GRect& inRect, uint8* outPtr, int32 inRowBytes, int32 inColBytes,
                 PaddingMode inPaddingMode, const uint8* inPaddingValue) const;
    // Bytes from caller memory into the rectangle ∩ bounds.
    void SetTile(const GRect& inRect, const uint8* inPtr, int32 inRowBytes, int32 inColBytes = 1);

    // Not available: reports so and answers false.
    bool IsConstant() const;
    // Bounds of the bytes different from inValue (channel coordinates); empty when there are none.
    GRect FindBoundsNotEqualTo(uint8 inValue) const;

    // The tile walk of CNativeQuadTileBuffer::ForEachPixelInArea with one byte per pixel.
    void ForEachPixelInArea(const GRect& inArea, CChannelTileProcessor& inProcessor,
                            LProgressScope* inProgress);
    void ForEachPixelInArea(const GRect& inArea, CChannelConstTileProcessor& inProcessor,
                            LProgressScope* inProgress) const;
};
