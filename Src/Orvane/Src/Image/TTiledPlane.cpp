#include "Src/Orvane/Src/Image/TTiledPlane.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "Src/Orvane/Src/Image/ElementRows.h"
#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/TileWalker.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

constexpr int64 kMaxTileCount = int64(1) << 22;

// Address of a pixel in caller memory whose first byte belongs to the top-left of inBufferRect.
template <class Byte>
Byte* CallerAddress(Byte* inBase, const GRect& inBufferRect, int64 inRowBytes, int64 inColBytes,
                    const GPoint& inPoint) {
    LCHECK_AS(inBufferRect.Contains(inPoint), "inBufferRect.ContainsPixel(inPoint)");
    return inBase + inRowBytes * (int64(inPoint.v) - inBufferRect.top) +
           inColBytes * (int64(inPoint.h) - inBufferRect.left);
}

template <class T>
const uint8* BytesOf(const T& inValue) {
    return reinterpret_cast<const uint8*>(&inValue);
}

template <class T>
bool SameValue(const T& inA, const T& inB) {
    return std::memcmp(&inA, &inB, sizeof(T)) == 0;
}

int64 Width64(const GRect& inRect) {
    return int64(inRect.right) - inRect.left;
}
int64 Height64(const GRect& inRect) {
    return int64(inRect.bottom) - inRect.top;
}

}  // namespace

bool TiledPlaneCanHold(const GRect& inBounds) {
    if (inBounds.Empty()) return true;
    const int64 across = TilesAlong(Width64(inBounds));
    const int64 down = TilesAlong(Height64(inBounds));
    return across * down <= kMaxTileCount;
}

// ---- Tile records and locks ----

template <class T>
const T& TTiledPlane<T>::Tile::GetConstant() const {
    LASSERT(mFlags & flag_IsConstant);
    return mConstant;
}

template <class T>
void TTiledPlane<T>::Tile::MakeConstant(const T& inValue) {
    mConstant = inValue;
    mFlags = flag_IsConstant | flag_FillPending;
    mBuffer = VMBuffer();
}

namespace {

// Gives a tile record's buffer its page if it has none yet: zeros, or, when the lock is about to write
// every byte of the page itself, whatever the allocator hands out.
void EnsureTileMemory(VMBuffer& ioBuffer, uint32 inTileBytes, bool inCleared) {
    if (ioBuffer.Size() != inTileBytes) ioBuffer = VMBuffer(inTileBytes, inTileBytes, inCleared);
}

}  // namespace

// Materialises a pending constant, locks the page and hands out its address; unlocks when it ends.
template <class T>
class TTiledPlane<T>::ReadLock {
public:
    explicit ReadLock(Tile& ioTile) : mTile(ioTile) {
        const bool pending = (mTile.mFlags & flag_IsConstant) && (mTile.mFlags & flag_FillPending);
        EnsureTileMemory(mTile.mBuffer, kTileBytes, !pending);
        if (pending) {
            FillElements(mTile.mBuffer.PageDataForWrite(0), kTileRowBytes, kElementBytes,
                         BytesOf(mTile.mConstant), kElementBytes, kTileSide, kTileSide);
            mTile.mFlags &= uint8(~flag_FillPending);
        }
        mTile.mBuffer.LockAll();
        mPtr = mTile.mBuffer.PageData(0);
    }
    ~ReadLock() { mTile.mBuffer.UnlockAll(); }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    const uint8* Ptr() const { return mPtr; }

private:
    Tile& mTile;
    const uint8* mPtr = nullptr;
};

// Like the read lock, and the tile stops being constant. When the caller is about to overwrite every
// meaningful element of the tile, the pending constant is not written first; when it overwrites every
// element of the tile's memory (inside the bounds or not), a new page is not cleared either.
template <class T>
class TTiledPlane<T>::WriteLock {
public:
    WriteLock(Tile& ioTile, bool inOverwritesTile, bool inOverwritesMemory = false) : mTile(ioTile) {
        const bool pending = (mTile.mFlags & flag_IsConstant) && (mTile.mFlags & flag_FillPending);
        EnsureTileMemory(mTile.mBuffer, kTileBytes, !(pending && (!inOverwritesTile || inOverwritesMemory)));
        mPtr = mTile.mBuffer.PageDataForWrite(0);
        if (pending && !inOverwritesTile)
            FillElements(mPtr, kTileRowBytes, kElementBytes, BytesOf(mTile.mConstant), kElementBytes,
                         kTileSide, kTileSide);
        mTile.mFlags = 0;
        mTile.mBuffer.LockAll();
    }
    ~WriteLock() { mTile.mBuffer.UnlockAll(); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    uint8* Ptr() const { return mPtr; }

private:
    Tile& mTile;
    uint8* mPtr = nullptr;
};

// ---- Geometry ----

template <class T>
TTiledPlane<T>::TTiledPlane(const GRect& inBounds, const T& inFill)
    : mBounds(inBounds), mGrid(inBounds.TopLeft()) {
    if (!LCHECK(!mBounds.Empty())) return;
    const int64 across = TilesAlong(Width64(mBounds));
    const int64 down = TilesAlong(Height64(mBounds));
    if (across * down > kMaxTileCount) throw std::bad_alloc();
    mTilesAcross = int32(across);
    mTilesDown = int32(down);
    Tile fill;
    fill.mConstant = inFill;
    mTiles.assign(size_t(across * down), fill);
}

template <class T>
void TTiledPlane<T>::MoveTo(const GPoint& inTopLeft) {
    const int32 dx = inTopLeft.h - mBounds.left;
    const int32 dy = inTopLeft.v - mBounds.top;
    mBounds.Offset(dx, dy);
    mGrid = GPoint(mGrid.h + dx, mGrid.v + dy);
}

template <class T>
void TTiledPlane<T>::ShrinkTo(const GRect& inInner) {
    if (!LCHECK(!inInner.Empty() && mBounds.Contains(inInner)) || inInner == mBounds) return;
    const int32 firstColumn = int32((int64(inInner.left) - mGrid.h) >> kTileShift);
    const int32 lastColumn = int32((int64(inInner.right) - 1 - mGrid.h) >> kTileShift);
    const int32 firstRow = int32((int64(inInner.top) - mGrid.v) >> kTileShift);
    const int32 lastRow = int32((int64(inInner.bottom) - 1 - mGrid.v) >> kTileShift);
    std::vector<Tile> kept;
    kept.reserve(size_t(lastColumn - firstColumn + 1) * size_t(lastRow - firstRow + 1));
    for (int32 row = firstRow; row <= lastRow; ++row)
        for (int32 column = firstColumn; column <= lastColumn; ++column)
            kept.push_back(std::move(mTiles[size_t(row) * size_t(mTilesAcross) + size_t(column)]));
    mTiles = std::move(kept);
    mTilesAcross = lastColumn - firstColumn + 1;
    mTilesDown = lastRow - firstRow + 1;
    mGrid =
        GPoint(int32(mGrid.h + int64(firstColumn) * kTileSide), int32(mGrid.v + int64(firstRow) * kTileSide));
    mBounds = inInner;
}

template <class T>
bool TTiledPlane<T>::TileIsConstant(int32 inTileIndex) const {
    return inTileIndex >= 0 && inTileIndex < TileCount() &&
           (mTiles[size_t(inTileIndex)].mFlags & flag_IsConstant);
}

template <class T>
bool TTiledPlane<T>::GetTileConstant(int32 inTileIndex, T& outValue) const {
    if (!TileIsConstant(inTileIndex)) return false;
    outValue = mTiles[size_t(inTileIndex)].mConstant;
    return true;
}

template <class T>
bool TTiledPlane<T>::TileHasMemory(int32 inTileIndex) const {
    return inTileIndex >= 0 && inTileIndex < TileCount() && mTiles[size_t(inTileIndex)].mBuffer.Size() != 0;
}

template <class T>
int32 TTiledPlane<T>::TileIndexOf(const GPoint& inPixel) const {
    if (!LCHECK_AS(mBounds.Contains(inPixel), "mBounds.ContainsPixel(inPixel)")) return -1;
    return int32((int64(inPixel.v) - mGrid.v) >> kTileShift) * mTilesAcross +
           int32((int64(inPixel.h) - mGrid.h) >> kTileShift);
}

// The grid cell at (column, row); its right and bottom are cut at the largest coordinate so that bounds
// near the end of the coordinate range stay representable.
template <class T>
GRect TTiledPlane<T>::CellOf(int32 inColumn, int32 inRow) const {
    const int64 left = int64(mGrid.h) + int64(inColumn) * kTileSide;
    const int64 top = int64(mGrid.v) + int64(inRow) * kTileSide;
    constexpr int64 kLast = std::numeric_limits<int32>::max();
    return GRect(int32(left), int32(top), int32(std::min(left + kTileSide, kLast)),
                 int32(std::min(top + kTileSide, kLast)));
}

// Byte offset inside a tile's memory of the first element of a part of it.
namespace {
// True when a part is a whole 64 x 64 cell: a write of it reaches every byte of the tile's memory.
bool FillsCell(const GRect& inCell, const GRect& inPart) {
    return inPart == inCell && inCell.Width() == kTileSide && inCell.Height() == kTileSide;
}

int64 TileOffset(const GRect& inTileRect, const GRect& inPart, int32 inElementBytes) {
    LASSERT(!inTileRect.Empty());
    const GRect localTileRect = GRect(inPart).Offset(-inTileRect.left, -inTileRect.top);
    LASSERT(!localTileRect.Empty());
    return int64(localTileRect.top) * kTileSide * inElementBytes + int64(localTileRect.left) * inElementBytes;
}
}  // namespace

// The rectangle walk: inClipped (non-empty, inside the bounds) snapped outward to the tile grid, cells
// visited row by row, left to right; each visit gets the tile index, the cell and cell ∩ inClipped.
template <class T>
template <class Visit>
void TTiledPlane<T>::ForEachPart(const GRect& inClipped, Visit&& inVisit) const {
    const int32 firstColumn = int32((int64(inClipped.left) - mGrid.h) >> kTileShift);
    const int32 lastColumn = int32((int64(inClipped.right) - 1 - mGrid.h) >> kTileShift);
    const int32 firstRow = int32((int64(inClipped.top) - mGrid.v) >> kTileShift);
    const int32 lastRow = int32((int64(inClipped.bottom) - 1 - mGrid.v) >> kTileShift);
    for (int32 row = firstRow; row <= lastRow; ++row) {
        for (int32 column = firstColumn; column <= lastColumn; ++column) {
            const GRect cell = CellOf(column, row);
            if (!inVisit(row * mTilesAcross + column, cell, cell.Intersection(inClipped))) return;
        }
    }
}

// ---- Single pixels, fills and copies ----

template <class T>
T TTiledPlane<T>::ElementAt(int32 inX, int32 inY) const {
    const int32 index = TileIndexOf(GPoint(inX, inY));
    T value{};
    if (index < 0) return value;
    Tile& tile = mTiles[size_t(index)];
    if (tile.mFlags & flag_IsConstant) return tile.GetConstant();
    ReadLock lock(tile);
    const int64 offset =
        int64((inY - mGrid.v) & kTileMask) * kTileRowBytes + ((inX - mGrid.h) & kTileMask) * kElementBytes;
    std::memcpy(&value, lock.Ptr() + offset, sizeof(T));
    return value;
}

template <class T>
void TTiledPlane<T>::GetPixel(const GPoint& inPoint, T& outValue, PaddingMode inPaddingMode,
                              const T* inPaddingValue) const {
    if (mBounds.Contains(inPoint)) {
        outValue = ElementAt(inPoint.h, inPoint.v);
        return;
    }
    if (mBounds.Empty()) {
        LREPORT("What the heck? The bounds are empty");
        return;
    }
    switch (inPaddingMode) {
        case kPadNone:
            return;
        case kPadEdge:
            outValue = ElementAt(Pin(mBounds.left, inPoint.h, mBounds.right - 1),
                                 Pin(mBounds.top, inPoint.v, mBounds.bottom - 1));
            return;
        case kPadValue:
            if (LCHECK(inPaddingValue != 0)) outValue = *inPaddingValue;
            return;
        case kPadThrow:
            LTHROW(OutOfImageBounds);
        default:
            LREPORT("Switch guard failed.");
            return;
    }
}

template <class T>
void TTiledPlane<T>::SetPixel(const GPoint& inPoint, const T& inValue) {
    if (!mBounds.Contains(inPoint)) return;
    Tile& tile = mTiles[size_t(TileIndexOf(inPoint))];
    if ((tile.mFlags & flag_IsConstant) && SameValue(tile.mConstant, inValue)) return;
    WriteLock lock(tile, false);
    const int64 offset = int64((inPoint.v - mGrid.v) & kTileMask) * kTileRowBytes +
                         ((inPoint.h - mGrid.h) & kTileMask) * kElementBytes;
    std::memcpy(lock.Ptr() + offset, &inValue, sizeof(T));
}

// A part covers its tile when it reaches, in each direction, either the tile's side or the plane's edge
// (edge tiles extend past the bounds in memory only).
template <class T>
void TTiledPlane<T>::FillRect(const GRect& inRect, const T& inValue) {
    const GRect clipped = inRect.Intersection(mBounds);
    if (clipped.Empty()) return;
    ForEachPart(clipped, [&](int32 inIndex, const GRect& inCell, const GRect& inPart) {
        Tile& tile = mTiles[size_t(inIndex)];
        if (CoversTile(inCell, inPart)) {
            tile.MakeConstant(inValue);
        } else {
            WriteLock lock(tile, false);
            FillElements(lock.Ptr() + TileOffset(inCell, inPart, kElementBytes), kTileRowBytes, kElementBytes,
                         BytesOf(inValue), kElementBytes, inPart.Width(), inPart.Height());
        }
        return true;
    });
}

template <class T>
bool TTiledPlane<T>::CoversTile(const GRect& inCell, const GRect& inPart) const {
    return (inPart.left == inCell.left || inPart.left == mBounds.left) &&
           (inPart.top == inCell.top || inPart.top == mBounds.top) &&
           (inPart.right == inCell.right || inPart.right == mBounds.right) &&
           (inPart.bottom == inCell.bottom || inPart.bottom == mBounds.bottom);
}

template <class T>
void TTiledPlane<T>::CopyRect(const TTiledPlane& inSource, const GRect& inSrcRect, const GRect& inDestRect) {
    if (&inSource == this) {
        // Reading from a snapshot keeps overlapping copies within one plane independent of visit order;
        // the snapshot shares the pages until this plane writes.
        const TTiledPlane snapshot(inSource);
        CopyRect(snapshot, inSrcRect, inDestRect);
        return;
    }
    const GRect& srcBounds = inSource.GetBounds();
    LASSERT(srcBounds.Contains(inSrcRect));
    LCHECK_AS(Width64(inDestRect) == Width64(inSrcRect) && Height64(inDestRect) == Height64(inSrcRect),
              "(inDestRect.Width() == inSrcRect.Width()) && (inDestRect.Height() == inSrcRect.Height())");
    const GRect effective = ClipCopySource(inSrcRect, inDestRect, srcBounds);
    if (effective.Empty()) return;
    const int64 dx = int64(inDestRect.left) - inSrcRect.left;
    const int64 dy = int64(inDestRect.top) - inSrcRect.top;
    inSource.ForEachPart(effective, [&](int32 inIndex, const GRect& inCell, const GRect& srcTileRect) {
        LASSERT(!srcTileRect.Empty());
        const GRect destPart(int32(srcTileRect.left + dx), int32(srcTileRect.top + dy),
                             int32(srcTileRect.right + dx), int32(srcTileRect.bottom + dy));
        Tile& tile = inSource.mTiles[size_t(inIndex)];
        if (tile.mFlags & flag_IsConstant) {
            FillRect(destPart, tile.GetConstant());
        } else {
            ReadLock lock(tile);
            WriteBytes(destPart, lock.Ptr() + TileOffset(inCell, srcTileRect, kElementBytes), kTileRowBytes,
                       kElementBytes, 0, kElementBytes);
        }
        return true;
    });
}

template <class T>
GRect TTiledPlane<T>::ClipCopySource(const GRect& inSrcRect, const GRect& inDestRect,
                                     const GRect& inSrcBounds) {
    if (inSrcRect.Empty() || inDestRect.Empty()) return GRect();
    GRect clipped = inSrcRect;
    clipped.right = int32(std::min<int64>(inSrcRect.right, inSrcRect.left + Width64(inDestRect)));
    clipped.bottom = int32(std::min<int64>(inSrcRect.bottom, inSrcRect.top + Height64(inDestRect)));
    return clipped.IntersectWith(inSrcBounds);
}

template <class T>
bool TTiledPlane<T>::IsByteConstant(const GRect& inRect, int32 inByteOffset, uint8* outValue) const {
    const GRect clipped = inRect.Intersection(mBounds);
    if (clipped.Empty()) return true;
    bool haveValue = false;
    bool constant = true;
    uint8 value = 0;
    ForEachPart(clipped, [&](int32 inIndex, const GRect& inCell, const GRect& inPart) {
        Tile& tile = mTiles[size_t(inIndex)];
        if (tile.mFlags & flag_IsConstant) {
            const uint8 byte = BytesOf(tile.GetConstant())[inByteOffset];
            if (haveValue && byte != value) constant = false;
            value = byte;
            haveValue = true;
            return constant;
        }
        ReadLock lock(tile);
        const uint8* row = lock.Ptr() + TileOffset(inCell, inPart, kElementBytes);
        if (!haveValue) value = row[inByteOffset];
        haveValue = true;
        for (int32 y = 0; y < inPart.Height() && constant; ++y, row += kTileRowBytes)
            constant = !ElementsHaveOtherByte(row, inPart.Width(), kElementBytes, inByteOffset, value);
        return constant;
    });
    if (constant && outValue != nullptr) *outValue = value;
    return constant;
}

// The edges are searched from outside in, so a plane whose content reaches its edges costs a few rows
// rather than a read of every element: the first row with content from the top, the first from the
// bottom, then, on the rows between, each row is searched from its left end only as far as the leftmost
// content found so far and from its right end as far as the rightmost, until both reach the bounds.
// A band of a tile row's height whose byte is one value throughout (untouched constant tiles: a layer
// stretched far beyond the canvas is mostly that) is taken whole or not at all without reading it. Rows
// are read through the scratch buffer in pieces as wide as it allows.
template <class T>
GRect TTiledPlane<T>::BoundsOfBytesNotEqual(int32 inByteOffset, uint8 inValue) const {
    if (mBounds.Empty()) return GRect();
    LScratchBuffer buffer;
    const int32 chunk = int32(std::min<int64>(buffer.Size(), Width64(mBounds)));
    if (!LCHECK(chunk > 0)) return GRect();
    uint8* bytes = static_cast<uint8*>(buffer.Ptr());
    // The first (or, inFromRight, the last) column in [inFrom, inTo) of row inY whose byte differs, or
    // kNone; the row is read chunk by chunk from the end the search starts at.
    constexpr int32 kNone = std::numeric_limits<int32>::min();
    auto search = [&](int32 inY, int32 inFrom, int32 inTo, bool inFromRight) -> int32 {
        for (int64 done = 0; done < int64(inTo) - inFrom;) {
            const int32 count = int32(std::min<int64>(chunk, int64(inTo) - inFrom - done));
            const int32 left = inFromRight ? int32(inTo - done - count) : int32(inFrom + done);
            ReadBytes(GRect(left, inY, left + count, inY + 1), bytes, count, 1, inByteOffset, 1, kPadNone,
                      nullptr);
            for (int32 i = 0; i < count; ++i) {
                const int32 at = inFromRight ? count - 1 - i : i;
                if (bytes[at] != inValue) return left + at;
            }
            done += count;
        }
        return kNone;
    };
    // A band of rows: 1 when its byte is one value that differs, 0 when it is inValue throughout, -1 when
    // it must be read.
    auto band = [&](int32 inTop, int32 inBottom) {
        uint8 constant = 0;
        if (!IsByteConstant(GRect(mBounds.left, inTop, mBounds.right, inBottom), inByteOffset, &constant))
            return -1;
        return constant != inValue ? 1 : 0;
    };
    // The first row with content met walking from inStart by inStep, band by band; inEnd excluded.
    auto firstRow = [&](int32 inStart, int32 inEnd, int32 inStep) -> int32 {
        for (int32 y = inStart; y != inEnd;) {
            const int32 rows = int32(std::min<int64>(kTileSide, (int64(inEnd) - y) * inStep));
            const int32 top = inStep > 0 ? y : y - rows + 1;
            const int32 whole = band(top, top + rows);
            if (whole == 1) return y;
            if (whole == -1)
                for (int32 i = 0; i < rows; ++i)
                    if (search(y + i * inStep, mBounds.left, mBounds.right, false) != kNone)
                        return y + i * inStep;
            y += rows * inStep;
        }
        return inEnd;
    };
    const int32 top = firstRow(mBounds.top, mBounds.bottom, 1);
    if (top == mBounds.bottom) return GRect();
    const int32 bottom = firstRow(mBounds.bottom - 1, top - 1, -1) + 1;
    int32 left = mBounds.right, right = mBounds.left;
    for (int32 y = top; y < bottom && (left > mBounds.left || right < mBounds.right);) {
        const int32 rows = std::min(kTileSide, bottom - y);
        const int32 whole = band(y, y + rows);
        if (whole == 1) {
            left = mBounds.left;
            right = mBounds.right;
        } else if (whole == -1) {
            for (int32 i = 0; i < rows; ++i) {
                const int32 first = search(y + i, mBounds.left, left, false);
                if (first != kNone) left = first;
                const int32 last = search(y + i, std::max(right, left), mBounds.right, true);
                if (last != kNone) right = last + 1;
            }
        }
        y += rows;
    }
    return GRect(left, top, right, bottom);
}

// ---- Rectangle reads and writes ----

template <class T>
void TTiledPlane<T>::ReadBytes(const GRect& inRect, uint8* outPtr, int64 inRowBytes, int64 inColBytes,
                               int32 inByteOffset, int32 inByteCount, PaddingMode inPaddingMode,
                               const T* inPaddingValue) const {
    if (!LCHECK(outPtr != 0) || inRect.Empty()) return;
    const GRect clipped = inRect.Intersection(mBounds);
    if (!clipped.Empty()) {
        ForEachPart(clipped, [&](int32 inIndex, const GRect& inCell, const GRect& inPart) {
            Tile& tile = mTiles[size_t(inIndex)];
            uint8* dst = CallerAddress(outPtr, inRect, inRowBytes, inColBytes, inPart.TopLeft());
            if (tile.mFlags & flag_IsConstant) {
                FillElements(dst, inRowBytes, inColBytes, BytesOf(tile.GetConstant()) + inByteOffset,
                             inByteCount, inPart.Width(), inPart.Height());
            } else {
                ReadLock lock(tile);
                if (kElementBytes == 4 && inByteCount == 1 && inColBytes == 1)
                    CopyBytesOutOfQuads(lock.Ptr() + TileOffset(inCell, inPart, kElementBytes), kTileRowBytes,
                                        inByteOffset, dst, inRowBytes, inPart.Width(), inPart.Height());
                else
                    CopyElements(lock.Ptr() + TileOffset(inCell, inPart, kElementBytes) + inByteOffset,
                                 kTileRowBytes, kElementBytes, dst, inRowBytes, inColBytes, inByteCount,
                                 inPart.Width(), inPart.Height());
            }
            return true;
        });
    }
    if (!mBounds.Contains(inRect))
        Pad(inRect, outPtr, inRowBytes, inColBytes, inByteOffset, inByteCount, inPaddingMode, inPaddingValue);
}

template <class T>
void TTiledPlane<T>::WriteBytes(const GRect& inRect, const uint8* inPtr, int64 inRowBytes, int64 inColBytes,
                                int32 inByteOffset, int32 inByteCount) {
    if (!LCHECK(inPtr != 0)) return;
    const GRect clipped = inRect.Intersection(mBounds);
    if (clipped.Empty()) return;
    const bool wholeElements = inByteCount == kElementBytes;
    ForEachPart(clipped, [&](int32 inIndex, const GRect& inCell, const GRect& inPart) {
        WriteLock lock(mTiles[size_t(inIndex)], wholeElements && CoversTile(inCell, inPart),
                       wholeElements && FillsCell(inCell, inPart));
        const uint8* from = CallerAddress(inPtr, inRect, inRowBytes, inColBytes, inPart.TopLeft());
        uint8* to = lock.Ptr() + TileOffset(inCell, inPart, kElementBytes);
        if (kElementBytes == 4 && inByteCount == 1 && inColBytes == 1)
            CopyBytesIntoQuads(from, inRowBytes, to, kTileRowBytes, inByteOffset, inPart.Width(),
                               inPart.Height());
        else
            CopyElements(from, inRowBytes, inColBytes, to + inByteOffset, kTileRowBytes, kElementBytes,
                         inByteCount, inPart.Width(), inPart.Height());
        return true;
    });
}

template <class T>
void TTiledPlane<T>::WriteBytePlanes(const GRect& inRect, const uint8* const inBytes[], int64 inRowBytes,
                                     int32 inSplit, const uint8* const inLower[]) {
    const GRect clipped = inRect.Intersection(mBounds);
    if (clipped.Empty()) return;
    // Rows [inTop, inBottom) of the part at inTo, from planes whose first row is row inFirst.
    auto write = [&](const uint8* const inPlanes[], int32 inFirst, const GRect& inPart, int32 inTop,
                     int32 inBottom, uint8* inTo) {
        if (inTop >= inBottom) return;
        const int64 offset = inRowBytes * (int64(inTop) - inFirst) + (int64(inPart.left) - inRect.left);
        uint8* to = inTo + int64(inTop - inPart.top) * kTileRowBytes;
        if constexpr (kElementBytes == 4) {
            const uint8* const from[4] = {inPlanes[0] + offset, inPlanes[1] + offset, inPlanes[2] + offset,
                                          inPlanes[3] + offset};
            InterleaveBytesIntoQuads(from, inRowBytes, to, kTileRowBytes, inPart.Width(), inBottom - inTop);
        } else {
            for (int32 k = 0; k < kElementBytes; ++k)
                CopyElements(inPlanes[k] + offset, inRowBytes, 1, to + k, kTileRowBytes, kElementBytes, 1,
                             inPart.Width(), inBottom - inTop);
        }
    };
    ForEachPart(clipped, [&](int32 inIndex, const GRect& inCell, const GRect& inPart) {
        WriteLock lock(mTiles[size_t(inIndex)], CoversTile(inCell, inPart), FillsCell(inCell, inPart));
        uint8* to = lock.Ptr() + TileOffset(inCell, inPart, kElementBytes);
        const int32 split =
            inLower != nullptr ? std::clamp(inSplit, inPart.top, inPart.bottom) : inPart.bottom;
        write(inBytes, inRect.top, inPart, inPart.top, split, to);
        if (inLower != nullptr) write(inLower, inSplit, inPart, split, inPart.bottom, to);
        return true;
    });
}

// ---- Padding ----

namespace {

// Calls inSpan(y, x0, x1) for every run [x0, x1) of row y of inRect that lies outside inBounds, and
// tells whether the whole row is outside.
template <class Span>
void ForEachOutsideSpan(const GRect& inRect, const GRect& inBounds, Span&& inSpan) {
    for (int32 y = inRect.top; y < inRect.bottom; ++y) {
        if (y < inBounds.top || y >= inBounds.bottom) {
            inSpan(y, int64(inRect.left), int64(inRect.right), true);
            continue;
        }
        if (inRect.left < inBounds.left)
            inSpan(y, int64(inRect.left), int64(std::min(inRect.right, inBounds.left)), false);
        if (inRect.right > inBounds.right)
            inSpan(y, int64(std::max(inRect.left, inBounds.right)), int64(inRect.right), false);
    }
}

}  // namespace

template <class T>
void TTiledPlane<T>::Pad(const GRect& inRect, uint8* outPtr, int64 inRowBytes, int64 inColBytes,
                         int32 inByteOffset, int32 inByteCount, PaddingMode inPaddingMode,
                         const T* inPaddingValue) const {
    if (mBounds.Empty()) {
        LREPORT("What the heck? The bounds are empty");
        return;
    }
    auto address = [&](int64 inX, int32 inY) {
        return outPtr + inRowBytes * (int64(inY) - inRect.top) + inColBytes * (inX - inRect.left);
    };
    switch (inPaddingMode) {
        case kPadNone:
            return;
        case kPadEdge:
            PadEdge(inRect, outPtr, inRowBytes, inColBytes, inByteOffset, inByteCount);
            return;
        case kPadValue:
            if (!LCHECK(inPaddingValue != 0)) return;
            ForEachOutsideSpan(inRect, mBounds, [&](int32 inY, int64 inX0, int64 inX1, bool) {
                FillElements(address(inX0, inY), inRowBytes, inColBytes,
                             BytesOf(*inPaddingValue) + inByteOffset, inByteCount, inX1 - inX0, 1);
            });
            return;
        case kPadThrow:
            LTHROW(OutOfImageBounds);
        default:
            LREPORT("Switch guard failed.");
            return;
    }
}

// Each outside pixel takes the pixel at its coordinates clamped into the bounds: runs left and right of
// the bounds repeat the row's edge pixel; the middle of a row above or below copies the clamped row.
template <class T>
void TTiledPlane<T>::PadEdge(const GRect& inRect, uint8* outPtr, int64 inRowBytes, int64 inColBytes,
                             int32 inByteOffset, int32 inByteCount) const {
    auto address = [&](int64 inX, int32 inY) {
        return outPtr + inRowBytes * (int64(inY) - inRect.top) + inColBytes * (inX - inRect.left);
    };
    const int32 middleLeft = std::max(inRect.left, mBounds.left);
    const int32 middleRight = std::min(inRect.right, mBounds.right);
    ForEachOutsideSpan(inRect, mBounds, [&](int32 inY, int64 inX0, int64 inX1, bool inWholeRow) {
        const int32 sourceY = Pin(mBounds.top, inY, mBounds.bottom - 1);
        if (inX0 < mBounds.left) {
            const T edge = ElementAt(mBounds.left, sourceY);
            const int64 end = std::min<int64>(inX1, mBounds.left);
            FillElements(address(inX0, inY), inRowBytes, inColBytes, BytesOf(edge) + inByteOffset,
                         inByteCount, end - inX0, 1);
        }
        if (inX1 > mBounds.right) {
            const T edge = ElementAt(mBounds.right - 1, sourceY);
            const int64 start = std::max<int64>(inX0, mBounds.right);
            FillElements(address(start, inY), inRowBytes, inColBytes, BytesOf(edge) + inByteOffset,
                         inByteCount, inX1 - start, 1);
        }
        if (inWholeRow && middleLeft < middleRight)
            ReadBytes(GRect(middleLeft, sourceY, middleRight, sourceY + 1), address(middleLeft, inY),
                      inRowBytes, inColBytes, inByteOffset, inByteCount, kPadNone, nullptr);
    });
}

// ---- The tile walk ----

template <class T>
void TTiledPlane<T>::WalkArea(const GRect& inArea, bool inWrite, TileVisitor inVisitor, void* inContext,
                              LProgressScope* inProgress, const char* inOutOfBoundsText,
                              bool inOverwrites) const {
    if (!mBounds.Contains(inArea)) LREPORT(inOutOfBoundsText);
    const GRect clipped = inArea.Intersection(mBounds);
    if (!clipped.Empty()) {
        const int64 columns = ((int64(clipped.right) - 1 - mGrid.h) >> kTileShift) -
                              ((int64(clipped.left) - mGrid.h) >> kTileShift) + 1;
        const int64 rows = ((int64(clipped.bottom) - 1 - mGrid.v) >> kTileShift) -
                           ((int64(clipped.top) - mGrid.v) >> kTileShift) + 1;
        const double total = double(columns * rows);
        int64 done = 0;
        ForEachPart(clipped, [&](int32 inIndex, const GRect& inCell, const GRect& inPart) {
            Tile& tile = mTiles[size_t(inIndex)];
            const int64 offset = TileOffset(inCell, inPart, kElementBytes);
            bool goOn;
            if (inWrite) {
                WriteLock lock(tile, inOverwrites && CoversTile(inCell, inPart),
                               inOverwrites && FillsCell(inCell, inPart));
                goOn = inVisitor(inContext, inPart, lock.Ptr() + offset, kTileRowBytes);
            } else {
                ReadLock lock(tile);
                goOn = inVisitor(inContext, inPart, const_cast<uint8*>(lock.Ptr()) + offset, kTileRowBytes);
            }
            if (!goOn) return false;
            ++done;
            if (inProgress != nullptr) inProgress->SetPortionComplete(double(done) / total);
            return true;
        });
    }
    if (inProgress != nullptr) inProgress->SetPortionComplete(1.0);
}

template class TTiledPlane<NativeQuad>;
template class TTiledPlane<uint8>;
