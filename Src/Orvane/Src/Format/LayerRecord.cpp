#include "Src/Orvane/Src/Format/LayerRecord.h"

#include <algorithm>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Orvane/Src/Effects/LayerEffectsReader.h"
#include "Src/Orvane/Src/Format/StreamBounds.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"

namespace {

constexpr uint32 kTagSignature = FourCC("ZQRS");
constexpr uint32 kChannelEntryBytes = 6;  // i16 id, u32 length
constexpr uint32 kBlockHeaderBytes = 12;  // signature, key, u32 length

// Rectangles are stored top, left, bottom, right.
GRect ReadRect(SReadStream& inStream) {
    const int32 top = inStream.ReadI32();
    const int32 left = inStream.ReadI32();
    const int32 bottom = inStream.ReadI32();
    const int32 right = inStream.ReadI32();
    return GRect(left, top, right, bottom);
}

}  // namespace

// Record layout: rectangle (16), channel count (2), entries (6 each), blend signature and key (8),
// opacity, clipping, flags, filler (1 each), extra length (4), then the extra data.
void LayerRecord::Read(SReadStream& inStream) {
    mBounds = ReadRect(inStream);
    ReadChannelEntries(inStream);
    mBlendSignature = inStream.ReadFourCharCode();
    mBlendKey = inStream.ReadFourCharCode();
    mOpacity = inStream.ReadU8();
    mClipping = inStream.ReadU8();
    mFlags = inStream.ReadU8();
    inStream.Skip(1);

    mExtraLength = inStream.ReadU32();
    const uint64 extraStart = inStream.GetPosition();
    uint32 remaining = mExtraLength;
    if (remaining > 3) ReadMaskBlock(inStream, remaining);
    if (remaining > 3) {
        const uint32 rangesLength = inStream.ReadU32();
        remaining -= 4;
        inStream.Skip(rangesLength);
        remaining -= rangesLength;
    }
    if (remaining >= 1) ReadName(inStream, remaining);
    ReadAdditionalBlocks(inStream, remaining);
    StreamBounds::MoveTo(inStream, extraStart + mExtraLength);
}

void LayerRecord::ReadChannelEntries(SReadStream& inStream) {
    mChannelCount = inStream.ReadU16();
    mChannels.clear();
    mChannels.reserve(
        size_t(std::min<uint64>(mChannelCount, StreamBounds::BytesLeft(inStream) / kChannelEntryBytes + 1)));
    for (uint32 i = 0; i < mChannelCount; ++i) {
        const int16 id = inStream.ReadI16();
        const uint32 length = inStream.ReadU32();
        mChannels.push_back(ChannelLength::FromEntry(id, length));
    }
}

// Mask block: u32 length M, then M bytes of which the first 16 are the rectangle, the 17th the default
// colour and the 18th the flags; shorter blocks describe no mask, longer ones end in bytes nobody reads.
void LayerRecord::ReadMaskBlock(SReadStream& inStream, uint32& ioRemaining) {
    const uint32 maskLength = inStream.ReadU32();
    ioRemaining -= 4;
    const uint64 maskStart = inStream.GetPosition();
    if (maskLength >= 16) {
        mHasMask = true;
        mMaskBounds = ReadRect(inStream);
        if (maskLength >= 17) mMaskDefaultColor = inStream.ReadU8();
        if (maskLength >= 18) mMaskFlags = inStream.ReadU8();
    }
    StreamBounds::MoveTo(inStream, maskStart + maskLength);
    ioRemaining -= maskLength;
}

// Name: a length byte and the characters, zero-padded so that the whole field is a multiple of 4 bytes.
void LayerRecord::ReadName(SReadStream& inStream, uint32& ioRemaining) {
    const uint32 length = inStream.ReadU8();
    const uint32 padded = (length + 1 + 3) & ~3u;
    ioRemaining -= padded;
    char characters[255];
    inStream.ReadBytes(int32(length), characters);
    mName.assign(characters, length);
    inStream.Skip(padded - 1 - length);
}

// Blocks follow one another without alignment while at least a block header remains. A block whose
// length reaches beyond the extra data is still handled, and is the last one read: the record's end
// is known, so nothing after it is taken for another block.
void LayerRecord::ReadAdditionalBlocks(SReadStream& inStream, uint32& ioRemaining) {
    while (ioRemaining >= kBlockHeaderBytes) {
        const uint32 signature = inStream.ReadFourCharCode();
        const uint32 key = inStream.ReadFourCharCode();
        const uint32 length = inStream.ReadU32();
        const uint64 dataStart = inStream.GetPosition();
        ioRemaining -= kBlockHeaderBytes;
        ReadAdditionalBlock(inStream, signature, key, length);
        ioRemaining = length <= ioRemaining ? ioRemaining - length : 0;
        StreamBounds::MoveTo(inStream, dataStart + length);
    }
}

void LayerRecord::ReadAdditionalBlock(SReadStream& inStream, uint32 inSignature, uint32 inKey,
                                      uint32 inLength) {
    if (inSignature != kTagSignature) return;
    const uint32 dataStart = inStream.GetPosition();
    uint32 adjustmentType = 0;
    if (inKey == FourCC("lyid")) {
        mLayerID = inStream.ReadU32();
    } else if (inKey == FourCC("lrFX")) {
        mEffectsPosition = dataStart;
        mEffectsLength = inLength;
        try {
            mEffects = ReadLayerEffects(inStream, inLength);
            mHasEffects = true;
        } catch (const BaseException&) {
            // A refused effects block leaves the layer without effects; the document is still read.
            mEffects = LayerEffects();
            mHasEffects = false;
        }
    } else if (AdjustmentTypeFromKey(inSignature, inKey, adjustmentType)) {
        mHasAdjustment = true;
        mAdjustmentSignature = inSignature;
        mAdjustmentKey = inKey;
        mAdjustmentType = adjustmentType;
        mAdjustmentLength = inLength;
        mAdjustmentPosition = dataStart;
    }
    // "luni" (the name in 16-bit characters) and unknown keys are skipped by the caller.
}
