// The rows of one stored layer channel, decoded in order a run of rows at a time into a ring of rows.
//
// A stored channel is a u16 compression code, then either its raw rows or a table of u16 packed sizes
// and the packed rows. A row holds exactly what the channel-by-channel decode (DecodeRows) leaves in its
// slot: a packed row is decoded from a buffer of twice the row that keeps the bytes earlier rows left
// beyond this row's own packed bytes, until the row is full; bytes its packets do not produce keep the
// row a scratch buffer's worth of rows earlier (zeros in the first batch). The ring holds a whole number
// of 64-row bands and more than one batch, or every row when there are fewer, so that the row a batch
// back is still there.
//
// Rows no later band can reach back to need not outlive their band. Given memory shared with other
// channels, a ring of one band keeps only its last batch of rows to itself and puts the band's first
// rows in the shared memory, which the next channel decoded may take over once this channel's band has
// been used: many channels then go through a few hundred kilobytes that stay in the processor's caches,
// instead of each through its own. A band's rows are then in two pieces (ContiguousRows).
#pragma once

#include <memory>
#include <vector>

#include "Src/Orvane/Src/Format/PackBits.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class SReadStream;

class StoredChannelRows {
public:
    // Reads the code and (packed) the table of the channel that starts at inAt and is declared inLength
    // bytes long, for inRows rows of inWidth (> 0) one-byte pixels. True when its rows decode without a
    // fault: code 0 or 1, every packed size below twice the row and the declared length the one the rows
    // take. Adds the row bytes that no packed size can fill to ioUnbacked. The stream is left anywhere.
    bool Prepare(SReadStream& ioStream, uint64 inAt, uint32 inRows, uint32 inWidth, uint64 inLength,
                 uint64& ioUnbacked);
    uint16 GetCode() const { return mCode; }
    // Bytes the ring takes to itself when row 0 is row inPhase of its 64-row band, with shared memory
    // (inShared) or without.
    uint64 RingBytes(uint32 inPhase, bool inShared = false) const {
        return uint64(RingRows(inPhase) - (inShared ? SharedRows(inPhase) : 0)) * Stride();
    }
    // Bytes of shared memory the ring uses for that phase.
    uint64 SharedBytes(uint32 inPhase) const { return uint64(SharedRows(inPhase)) * Stride(); }
    // Bytes from one row of the ring to the next: the row and room for the decoder to write past it.
    size_t Stride() const { return size_t(mWidth) + PackBits::kDecodeSlack; }
    // Makes the ring for that phase: in inRing (RingBytes(inPhase, inShared != nullptr) bytes that the
    // caller keeps) and inShared (SharedBytes(inPhase) bytes), or in memory of its own. A ring needs no
    // clearing: every row is written whole before it is read.
    void Allocate(uint32 inPhase, uint8* inRing = nullptr, uint8* inShared = nullptr);
    // Decodes rows [inFirst, inEnd), the next ones in order and inside one 64-row band, reading their
    // bytes through ioBytes, and returns row inFirst. Rows are Stride() bytes apart within a piece.
    const uint8* Decode(SReadStream& ioStream, uint32 inFirst, uint32 inEnd, std::vector<uint8>& ioBytes);
    // Row inRow, decoded in the band being used.
    const uint8* Row(uint32 inRow) const { return Slot((inRow + mPhase) % mRingRows); }
    // How many of rows [inFirst, inEnd) of one band lie in one piece from row inFirst on.
    uint32 ContiguousRows(uint32 inFirst, uint32 inEnd) const;
    // Rows decoded so far.
    uint32 Decoded() const { return mNext; }

private:
    uint32 RingRows(uint32 inPhase) const;
    uint32 SharedRows(uint32 inPhase) const;
    uint8* Slot(uint32 inSlot) const {
        return inSlot < mSharedRows ? mShared + inSlot * Stride() : mRing + (inSlot - mSharedRows) * Stride();
    }

    uint64 mPosition = 0;  // of the next row's bytes
    uint32 mRows = 0;
    uint32 mWidth = 0;
    uint32 mRowsPerBatch = 0;
    uint32 mPhase = 0;
    uint32 mRingRows = 0;
    uint32 mSharedRows = 0;  // the ring's first slots, in mShared
    uint32 mNext = 0;
    uint16 mCode = 0;
    std::vector<uint16> mLineCounts;  // empty when raw
    std::vector<uint8> mPackedRow;
    std::unique_ptr<uint8[]> mOwnRing;
    uint8* mRing = nullptr;
    uint8* mShared = nullptr;
};
