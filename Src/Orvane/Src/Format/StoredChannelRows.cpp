#include "Src/Orvane/Src/Format/StoredChannelRows.h"

#include <algorithm>
#include <cstring>

#include "Src/Orvane/Src/Format/PackBits.h"
#include "Src/Orvane/Src/Format/StreamBounds.h"
#include "Src/Orvane/Src/Image/TTiledPlane.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/PowerPellin/LScratchBuffer.h"

bool StoredChannelRows::Prepare(SReadStream& ioStream, uint64 inAt, uint32 inRows, uint32 inWidth,
                                uint64 inLength, uint64& ioUnbacked) {
    mRows = inRows;
    mWidth = inWidth;
    mRowsPerBatch = LScratchBuffer::kDefaultSize / inWidth;
    ioStream.SetPosition(uint32(inAt));
    mCode = ioStream.ReadU16();
    mLineCounts.clear();
    uint64 length = 2 + uint64(inRows) * inWidth;
    bool regular = mCode < 2;
    if (mCode == 1) {
        // The table is read only when the declared length can hold it.
        length = 2 + 2 * uint64(inRows);
        regular = length <= inLength;
        if (regular) StreamBounds::ReadLineCountTable(ioStream, inRows, mLineCounts);
        for (uint16 count : mLineCounts) {
            length += count;
            ioUnbacked += inWidth - std::min<uint64>(inWidth, PackBits::MostDecodedFrom(count));
            regular = regular && count < 2 * inWidth;
        }
    }
    mPosition = inAt + 2 + 2 * uint64(mLineCounts.size());
    return regular && length == inLength;
}

uint32 StoredChannelRows::RingRows(uint32 inPhase) const {
    constexpr uint32 kBand = kTileSide;  // a row of the layers' tiles
    const uint32 bands = (std::max(mRowsPerBatch + 1, kBand) + kBand - 1) / kBand;
    return uint32(std::min<uint64>(uint64(bands) * kBand, uint64(inPhase) + mRows));
}

// A ring of one band whose rows reach into the next band: its slots are the rows' places in the band,
// and only the last batch of them is read from the next band. A ring of a single band shares it all,
// one of several bands none.
uint32 StoredChannelRows::SharedRows(uint32 inPhase) const {
    const uint32 rows = RingRows(inPhase);
    if (uint64(inPhase) + mRows <= uint64(kTileSide)) return rows;
    return rows == uint32(kTileSide) ? rows - mRowsPerBatch : 0;
}

void StoredChannelRows::Allocate(uint32 inPhase, uint8* inRing, uint8* inShared) {
    mPhase = inPhase;
    mNext = 0;
    mRingRows = RingRows(inPhase);
    mSharedRows = inShared != nullptr ? SharedRows(inPhase) : 0;
    mShared = inShared;
    if (inRing == nullptr && mSharedRows < mRingRows) {
        mOwnRing.reset(new uint8[size_t(mRingRows - mSharedRows) * Stride()]);
        inRing = mOwnRing.get();
    }
    mRing = inRing;
    mPackedRow.assign(size_t(mWidth) * 2 + PackBits::kDecodeSlack, 0);
}

const uint8* StoredChannelRows::Decode(SReadStream& ioStream, uint32 inFirst, uint32 inEnd,
                                       std::vector<uint8>& ioBytes) {
    const bool packed = mCode == 1;
    uint64 bytes = uint64(inEnd - inFirst) * mWidth;
    if (packed) {
        bytes = 0;
        for (uint32 i = inFirst; i < inEnd; ++i) bytes += mLineCounts[i];
    }
    ioBytes.resize(size_t(bytes));
    ioStream.ReadAt(uint32(mPosition), int32(bytes), ioBytes.data());
    mPosition += bytes;
    const uint8* from = ioBytes.data();
    for (uint32 i = inFirst; i < inEnd; ++i) {
        uint8* slot = Slot((i + mPhase) % mRingRows);
        if (!packed) {
            std::memcpy(slot, from, mWidth);
            from += mWidth;
            continue;
        }
        const uint32 count = mLineCounts[i];
        if (count > 0) std::memcpy(mPackedRow.data(), from, count);
        from += count;
        const uint32 produced =
            PackBits::DecodeRowWithSlack(mPackedRow.data(), 2 * mWidth, slot, mWidth).produced;
        if (produced == mWidth) continue;
        // The ring holds more rows than a batch, so the row a batch back has a slot of its own.
        if (i < mRowsPerBatch)
            std::memset(slot + produced, 0, mWidth - produced);
        else
            std::memcpy(slot + produced, Row(i - mRowsPerBatch) + produced, mWidth - produced);
    }
    mNext = inEnd;
    return Row(inFirst);
}

uint32 StoredChannelRows::ContiguousRows(uint32 inFirst, uint32 inEnd) const {
    const uint32 slot = (inFirst + mPhase) % mRingRows;
    return slot < mSharedRows ? std::min(inEnd - inFirst, mSharedRows - slot) : inEnd - inFirst;
}
