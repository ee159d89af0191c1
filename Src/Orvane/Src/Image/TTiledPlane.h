// The storage shared by the pixel tile buffer and the one-byte channel: a rectangle of elements of type T
// cut into 64 x 64 tiles.
//
// The grid of tiles starts at the bounds' top-left, or, after ShrinkTo, up to 63 elements before it.
// Each tile is either constant (one value, no pixel memory needed) or stored in its own paged buffer of
// 64 * 64 * sizeof(T) bytes (row bytes 64 * sizeof(T)). The paged buffer of a tile is created on the first
// lock; a constant tile whose value has not yet been written into it carries the fill-pending flag.
// Copying a plane copies every tile record; the paged buffers share their memory copy-on-write, so the
// copies are independent.
//
// Rectangles are in plane coordinates (the coordinates of mBounds). Caller memory is described by a base
// address (the top-left pixel of the request), row bytes and column bytes; any stride sign is allowed.
// Reads of constant tiles never lock or page anything in. Instantiated for NativeQuad and uint8 only.
#pragma once

#include <vector>

#include "Src/Orvane/Src/Image/PaddingMode.h"
#include "Src/Orvane/Src/Storage/VMBuffer.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class LProgressScope;

inline constexpr int32 kTileShift = 6;
inline constexpr int32 kTileSide = 1 << kTileShift;
inline constexpr int32 kTileMask = kTileSide - 1;

// Tiles needed to cover inLength pixels from a tile edge.
inline constexpr int64 TilesAlong(int64 inLength) {
    return (inLength + kTileMask) >> kTileShift;
}

// Whether a plane over inBounds stays within the tile-record limit (2^22 tiles, about 17 gigapixels).
// Larger bounds can only come from damaged input; a plane made over them fails as an allocation.
bool TiledPlaneCanHold(const GRect& inBounds);

template <class T>
class TTiledPlane : public LAllocatedObject {
public:
    static constexpr int32 kElementBytes = int32(sizeof(T));
    static constexpr int32 kTileRowBytes = kTileSide * kElementBytes;
    static constexpr uint32 kTileBytes = uint32(kTileSide) * uint32(kTileRowBytes);
    static constexpr uint8 flag_IsConstant = 1;
    static constexpr uint8 flag_FillPending = 2;

    // An empty plane without tiles.
    TTiledPlane() = default;
    // Every tile constant with inFill (flags constant and fill pending). Empty bounds are an assertion and
    // give a plane without tiles. Throws std::bad_alloc for bounds too large to hold tile records for.
    TTiledPlane(const GRect& inBounds, const T& inFill);
    TTiledPlane(const TTiledPlane&) = default;
    TTiledPlane& operator=(const TTiledPlane&) = default;
    TTiledPlane(TTiledPlane&&) noexcept = default;
    TTiledPlane& operator=(TTiledPlane&&) noexcept = default;
    ~TTiledPlane() = default;

    const GRect& GetBounds() const { return mBounds; }
    // Moves the plane so that its top-left is inTopLeft; size and content are kept.
    void MoveTo(const GPoint& inTopLeft);
    // Narrows the bounds to inInner (inside them; an assertion otherwise) without copying a pixel: the
    // tiles that reach into inInner are kept where they are and the others dropped, so the tile grid no
    // longer starts at the bounds' top-left.
    void ShrinkTo(const GRect& inInner);

    int32 TilesAcross() const { return mTilesAcross; }
    int32 TilesDown() const { return mTilesDown; }
    int32 TileCount() const { return int32(mTiles.size()); }
    // State of one tile (index row-major): constant, and whether it has pixel memory at all.
    bool TileIsConstant(int32 inTileIndex) const;
    bool TileHasMemory(int32 inTileIndex) const;
    // The value of a constant tile in outValue; false for a stored tile (or an index outside the plane).
    bool GetTileConstant(int32 inTileIndex, T& outValue) const;
    // Index of the tile holding the pixel; asserted to lie inside the bounds (-1 otherwise).
    int32 TileIndexOf(const GPoint& inPixel) const;

    // Outside the bounds inPaddingValue decides per mode; kPadNone leaves outValue untouched.
    void GetPixel(const GPoint& inPoint, T& outValue, PaddingMode inPaddingMode,
                  const T* inPaddingValue) const;
    // Nothing outside the bounds, nothing when the pixel's tile is constant with an equal value.
    void SetPixel(const GPoint& inPoint, const T& inValue);
    // Sets the rectangle (clipped to the bounds); tiles covered entirely become constant and give their
    // memory back.
    void FillRect(const GRect& inRect, const T& inValue);
    // Copies inSrcRect of inSource to inDestRect of this plane (clipped to the bounds). The source
    // rectangle must lie inside the source and the sizes must agree (assertions; the copy then covers
    // what both allow). Constant source tiles become fills, so constancy carries over.
    void CopyRect(const TTiledPlane& inSource, const GRect& inSrcRect, const GRect& inDestRect);
    // True when byte inByteOffset of every element of inRect ∩ bounds holds one value (stored in
    // outValue when given); an empty intersection answers true.
    bool IsByteConstant(const GRect& inRect, int32 inByteOffset, uint8* outValue) const;

protected:
    // Reads bytes [inByteOffset, inByteOffset + inByteCount) of every element of inRect to caller memory,
    // then pads the part outside the bounds. The padding value is a whole element; its bytes at the same
    // offset are used.
    void ReadBytes(const GRect& inRect, uint8* outPtr, int64 inRowBytes, int64 inColBytes, int32 inByteOffset,
                   int32 inByteCount, PaddingMode inPaddingMode, const T* inPaddingValue) const;
    // Writes those bytes of every element of inRect ∩ bounds from caller memory.
    void WriteBytes(const GRect& inRect, const uint8* inPtr, int64 inRowBytes, int64 inColBytes,
                    int32 inByteOffset, int32 inByteCount);
    // Writes every byte of every element of inRect ∩ bounds, byte k from the plane inBytes[k] (one byte
    // per pixel, inRowBytes per row, the first at inRect's top-left). Tiles a part covers are not filled
    // with their old value first. With inLower, rows from row inSplit on come from those planes instead
    // (their first row being row inSplit).
    void WriteBytePlanes(const GRect& inRect, const uint8* const inBytes[], int64 inRowBytes,
                         int32 inSplit = INT32_MAX, const uint8* const inLower[] = nullptr);

    // One visit of the tile walk: the part rectangle, the address of its first element inside the tile
    // and the tile's row bytes. Returning false stops the walk.
    using TileVisitor = bool (*)(void* inContext, const GRect& inPart, uint8* inPtr, int32 inRowBytes);
    // The walk behind ForEachPixelInArea: reports inOutOfBoundsText when the area is not inside the
    // bounds, visits every tile part of area ∩ bounds under a read (or write) lock, and reports progress
    // per grid cell; the scope (may be null) is completed at the end or when a visit returns false.
    // With inOverwrites the visitor writes every element of each part, so that a tile a part covers
    // whole is not filled with its constant first.
    void WalkArea(const GRect& inArea, bool inWrite, TileVisitor inVisitor, void* inContext,
                  LProgressScope* inProgress, const char* inOutOfBoundsText, bool inOverwrites = false) const;

    // The part of inSrcRect that a copy to inDestRect can take: cut to the destination's size and to
    // inSrcBounds, the offset between the two rectangles kept. Used after a failed size or containment
    // assertion to stay inside both.
    static GRect ClipCopySource(const GRect& inSrcRect, const GRect& inDestRect, const GRect& inSrcBounds);
    // Bounds of the elements whose byte inByteOffset is not inValue, found by reading the plane in pieces
    // through a scratch buffer; an empty rectangle when there are none.
    GRect BoundsOfBytesNotEqual(int32 inByteOffset, uint8 inValue) const;

private:
    struct Tile {
        VMBuffer mBuffer;  // empty until the tile is first locked
        T mConstant{};
        uint8 mFlags = flag_IsConstant | flag_FillPending;

        // The constant value; asserted to be a constant tile.
        const T& GetConstant() const;
        void MakeConstant(const T& inValue);
    };
    class ReadLock;
    class WriteLock;

    GRect CellOf(int32 inColumn, int32 inRow) const;
    // True when a part of a cell is everything of that tile that lies inside the bounds.
    bool CoversTile(const GRect& inCell, const GRect& inPart) const;
    template <class Visit>
    void ForEachPart(const GRect& inClipped, Visit&& inVisit) const;
    void Pad(const GRect& inRect, uint8* outPtr, int64 inRowBytes, int64 inColBytes, int32 inByteOffset,
             int32 inByteCount, PaddingMode inPaddingMode, const T* inPaddingValue) const;
    void PadEdge(const GRect& inRect, uint8* outPtr, int64 inRowBytes, int64 inColBytes, int32 inByteOffset,
                 int32 inByteCount) const;
    // The element at a pixel inside the bounds.
    T ElementAt(int32 inX, int32 inY) const;

    GRect mBounds;
    GPoint mGrid;  // top-left of tile (0, 0): the bounds' top-left until ShrinkTo narrows them
    int32 mTilesAcross = 0;
    int32 mTilesDown = 0;
    // Mutable: the first read lock of a constant tile writes its value into the paged buffer.
    mutable std::vector<Tile> mTiles;
};
