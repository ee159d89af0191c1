#include "Src/Orvane/Src/Format/ChannelLength.h"

#include "Src/Pellin/Isol/Report.h"

ChannelLength ChannelLength::FromEntry(int16 inStoredID, uint32 inEntryLength) {
    ChannelLength channel;
    if (!KindFromStoredID(inStoredID, channel.mKind)) LREPORT("Switch guard failed.");
    // Keep the entry as a raw length: data = length - 2 (wrapping for lengths below 2), so that
    // GetLength gives back exactly the stored value.
    channel.mDataLength = inEntryLength - 2;
    return channel;
}

bool ChannelLength::KindFromStoredID(int16 inStoredID, uint32& outKind) {
    switch (inStoredID) {
        case 0:
        case 1:
        case 2:
            outKind = uint32(inStoredID);
            return true;
        case -1:
            outKind = kChannelKindTransparency;
            return true;
        case -2:
            outKind = kChannelKindMask;
            return true;
        default:
            outKind = kChannelKindUnset;
            return false;
    }
}

int16 ChannelLength::StoredIDFromKind(uint32 inKind) {
    switch (inKind) {
        case kChannelKindRed:
        case kChannelKindGreen:
        case kChannelKindBlue:
            return int16(inKind);
        case kChannelKindTransparency:
            return -1;
        case kChannelKindMask:
            return -2;
        default:
            LASSERT(inKind <= kChannelKindMask);
            return 0;
    }
}

void ChannelLength::AddPackedRow(uint16 inPackedSize) {
    mLineCounts.push_back(inPackedSize);
    mDataLength += inPackedSize;
}

void ChannelLength::Finish(uint32 inRows, uint32 inRowBytes, bool inAllowRaw) {
    const uint64 rawSize = uint64(inRows) * inRowBytes;
    if (inAllowRaw && rawSize <= mDataLength) {
        mLineCounts.clear();
        mDataLength = uint32(rawSize);
    }
}

void ChannelLength::Clear() {
    mLineCounts.clear();
    mDataLength = 0;
}
