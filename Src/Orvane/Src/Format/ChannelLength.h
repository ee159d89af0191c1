// The stored description of one channel: which channel it is, and how many bytes it occupies.
//
// A stored channel is a u16 compression code, then (packed only) one u16 packed size per row, then the
// rows. GetLength is that whole size; it is the value of the channel's entry in a layer record.
#pragma once

#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"

// Channel kinds, and the ids they are stored under: 0, 1, 2, -1, -2.
enum ChannelKind : uint32 {
    kChannelKindRed = 0,  // also gray, or the colour index, in one-channel modes
    kChannelKindGreen = 1,
    kChannelKindBlue = 2,
    kChannelKindTransparency = 3,
    kChannelKindMask = 4,
    kChannelKindUnset = 0xFFFFFFFF,  // a stored id outside -2..2: the channel's rows go nowhere
};

class ChannelLength {
public:
    ChannelLength() = default;
    explicit ChannelLength(uint32 inKind) : mKind(inKind) {}

    // The channel of a layer-record entry. An id outside -2..2 reports "Switch guard failed." and leaves
    // the kind unset. The entry's length is kept as it stands: GetLength returns it unchanged.
    static ChannelLength FromEntry(int16 inStoredID, uint32 inEntryLength);

    // The kind stored under an id; false (and kChannelKindUnset) for ids outside -2..2.
    static bool KindFromStoredID(int16 inStoredID, uint32& outKind);
    // The id a kind is stored under; kinds outside 0..4 assert and give 0.
    static int16 StoredIDFromKind(uint32 inKind);

    uint32 GetKind() const { return mKind; }
    void SetKind(uint32 inKind) { mKind = inKind; }

    // The packed size of each row; empty when the channel is stored raw.
    const std::vector<uint16>& LineCounts() const { return mLineCounts; }
    bool IsPacked() const { return !mLineCounts.empty(); }
    // Bytes of row data: the sum of the line counts, or rows x rowBytes when raw.
    uint32 GetDataLength() const { return mDataLength; }

    // The compression code a read found at the channel's bytes (kCompressionUnread before that, and for
    // channels built for writing).
    static constexpr uint32 kCompressionUnread = 0xFFFFFFFF;
    uint32 GetStoredCompression() const { return mStoredCompression; }
    void SetStoredCompression(uint16 inCode) { mStoredCompression = inCode; }

    // The stored size: compression code, line counts and data, modulo 2^32.
    uint32 GetLength() const { return mDataLength + 2 * uint32(mLineCounts.size()) + 2; }

    // Building a channel for writing: append each row's packed size in turn, then let Finish decide.
    void AddPackedRow(uint16 inPackedSize);
    // With inAllowRaw, a channel whose packed rows are no smaller than its raw rows is stored raw: the
    // line counts are dropped and the data length becomes inRows x inRowBytes.
    void Finish(uint32 inRows, uint32 inRowBytes, bool inAllowRaw);
    // Forgets the rows: an empty rectangle stores no line counts and no data.
    void Clear();

private:
    uint32 mKind = kChannelKindUnset;
    std::vector<uint16> mLineCounts;
    uint32 mDataLength = 0;
    uint32 mStoredCompression = kCompressionUnread;
};
