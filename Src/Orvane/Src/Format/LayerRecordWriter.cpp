#include "Src/Orvane/Src/Format/LayerRecordWriter.h"

#include <algorithm>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SWriteStream.h"

namespace {

constexpr uint32 kTagSignature = FourCC("ZQRS");
constexpr uint32 kMaskBlockBytes = 20;       // rectangle (16), default colour, flags, two zero bytes
constexpr uint32 kBlendingRangesBytes = 40;  // ten groups of 0, 0, 255, 255
constexpr uint32 kBlockHeaderBytes = 12;     // signature, key, u32 length
constexpr uint32 kIDBlockBytes = kBlockHeaderBytes + 4;
// Rectangle (16), channel count (2), blend signature and key (8), opacity, clipping, flags, filler (4),
// extra length (4).
constexpr uint32 kRecordFixedBytes = 34;
constexpr uint32 kChannelEntryBytes = 6;
constexpr uint32 kLongestName = 255;  // the name's length is one byte

// Rectangles are stored top, left, bottom, right.
void WriteRect(SWriteStream& inStream, const GRect& inRect) {
    inStream.WriteI32(inRect.top);
    inStream.WriteI32(inRect.left);
    inStream.WriteI32(inRect.bottom);
    inStream.WriteI32(inRect.right);
}

void WriteZeros(SWriteStream& inStream, uint32 inCount) {
    static const uint8 kZeros[64] = {};
    while (inCount > 0) {
        const uint32 chunk = std::min<uint32>(inCount, sizeof kZeros);
        inStream.WriteBytes(int32(chunk), kZeros);
        inCount -= chunk;
    }
}

}  // namespace

LayerRecordWriter::LayerRecordWriter(const CLayer& inLayer) : mLayer(inLayer) {
    const LayerKind kind = inLayer.GetLayerType();
    if (kind != eRGBLayer && kind != eIndexedLayer && kind != eAdjustmentLayer)
        LREPORT("A Orvane specific layer type is pretending to be a Lumenar layer");
    if (kind == eAdjustmentLayer) mAdjustment = static_cast<const CAdjustmentLayer*>(&inLayer);

    LayerRecord& record = mRecord;
    record.mBounds = inLayer.GetBounds();
    InternalToExternalBlendMode(inLayer.GetBlendMode(), record.mBlendSignature, record.mBlendKey);
    record.mOpacity = inLayer.GetOpacity();
    record.mClipping = inLayer.GetClipping() != 0 ? 1 : 0;
    if (kind == eRGBLayer && static_cast<const CRGBLayer&>(inLayer).GetTransparencyProtected())
        record.mFlags |= kRecordTransparencyProtected;
    if (!inLayer.GetVisible()) record.mFlags |= kRecordHidden;
    const std::string& name = inLayer.GetName();
    record.mName = name.substr(0, std::min<size_t>(name.size(), kLongestName));
    record.mLayerID = inLayer.GetLayerID();
    if (mAdjustment != nullptr) {
        record.mHasAdjustment = true;
        record.mAdjustmentSignature = kTagSignature;
        record.mAdjustmentType = mAdjustment->GetAdjustmentType();
        if (record.mAdjustmentType >= kAdjustmentTypeCount)
            LREPORT("LayerRecordWriter: adjustment type outside the key table");
        record.mAdjustmentKey = AdjustmentKeyTable[std::min(record.mAdjustmentType, kAdjustmentTypeCount)];
        record.mAdjustmentLength = mAdjustment->GetDataLength();
    }
    record.mEffects = inLayer.GetEffects();
    record.mEffectsLength = RoundUpTo4(record.mEffects.GetDataLength());
    record.mHasEffects = record.mEffectsLength != 0;

    BuildMaskBlock();
    BuildChannels();
    BuildExtraLength();
}

// A layer mask is described by its rectangle, default colour and flags. An adjustment layer always
// gets a block: without a mask it carries the layer's bounds, the mask default colour and no flags.
void LayerRecordWriter::BuildMaskBlock() {
    LayerRecord& record = mRecord;
    if (mLayer.HasLayerMask()) {
        mMaskBlockLength = kMaskBlockBytes;
        record.mHasMask = true;
        record.mMaskBounds = mLayer.GetLayerMaskBounds();
        record.mMaskDefaultColor = mLayer.GetMaskDefaultColor();
        record.mMaskFlags = uint8((mLayer.GetMaskLinked() ? 0 : kMaskNotLinked) |
                                  (mLayer.GetMaskEnabled() ? 0 : kMaskDisabled) |
                                  (mLayer.GetMaskInverted() ? kMaskInverted : 0));
    } else if (mAdjustment != nullptr) {
        mMaskBlockLength = kMaskBlockBytes;
        record.mHasMask = true;
        record.mMaskBounds = record.mBounds;
        record.mMaskDefaultColor = mLayer.GetMaskDefaultColor();
        record.mMaskFlags = 0;
    }
}

// RGB layers store red, green, blue and transparency, and the mask when they have one; indexed layers
// their indexes; adjustment layers all five. The mask channel covers the rectangle of the mask block.
void LayerRecordWriter::BuildChannels() {
    std::vector<uint32> kinds;
    switch (mLayer.GetLayerType()) {
        case eIndexedLayer:
            kinds = {kChannelKindRed};
            break;
        case eAdjustmentLayer:
            kinds = {kChannelKindRed, kChannelKindGreen, kChannelKindBlue, kChannelKindTransparency,
                     kChannelKindMask};
            break;
        default:
            kinds = {kChannelKindRed, kChannelKindGreen, kChannelKindBlue, kChannelKindTransparency};
            if (mLayer.HasLayerMask()) kinds.push_back(kChannelKindMask);
            break;
    }
    mChannels.reserve(kinds.size());
    for (const uint32 kind : kinds) {
        const GRect rect = kind == kChannelKindMask ? mRecord.mMaskBounds : mRecord.mBounds;
        mChannels.emplace_back(kind, rect, ChannelWriter::LayerRows(mLayer, kind), true);
        mRecord.mChannels.push_back(mChannels.back().Length());
    }
    mRecord.mChannelCount = uint16(mChannels.size());
}

uint32 LayerRecordWriter::PaddedNameLength() const {
    return (uint32(mRecord.mName.size()) + 1 + 3) & ~3u;
}

void LayerRecordWriter::BuildExtraLength() {
    uint32 extra = (mMaskBlockLength + 4) + (kBlendingRangesBytes + 4) + PaddedNameLength() + kIDBlockBytes;
    if (mRecord.mHasAdjustment) extra += kBlockHeaderBytes + mRecord.mAdjustmentLength;
    if (mRecord.mHasEffects) extra += kBlockHeaderBytes + mRecord.mEffectsLength;
    mRecord.mExtraLength = extra;
}

uint32 LayerRecordWriter::RecordSize() const {
    return kRecordFixedBytes + kChannelEntryBytes * uint32(mChannels.size()) + mRecord.mExtraLength;
}

uint64 LayerRecordWriter::ChannelDataSize() const {
    uint64 size = 0;
    for (const ChannelWriter& channel : mChannels) size += channel.Length().GetLength();
    return size;
}

void LayerRecordWriter::WriteHeader(SWriteStream& inStream) const {
    const LayerRecord& record = mRecord;
    WriteRect(inStream, record.mBounds);
    inStream.WriteU16(record.mChannelCount);
    for (const ChannelWriter& channel : mChannels) channel.WriteEntry(inStream);
    inStream.WriteFourCharCode(record.mBlendSignature);
    inStream.WriteFourCharCode(record.mBlendKey);
    inStream.WriteU8(record.mOpacity);
    inStream.WriteU8(record.mClipping);
    inStream.WriteU8(record.mFlags);
    inStream.WriteU8(0);
    inStream.WriteU32(record.mExtraLength);

    WriteMaskBlock(inStream);
    inStream.WriteU32(kBlendingRangesBytes);
    for (int32 group = 0; group < 10; ++group) {
        static const uint8 kFullRange[4] = {0, 0, 255, 255};
        inStream.WriteBytes(4, kFullRange);
    }
    WriteName(inStream);
    WriteAdjustmentBlock(inStream);
    WriteEffectsBlock(inStream);
    inStream.WriteFourCharCode(kTagSignature);
    inStream.WriteFourCharCode(FourCC("lyid"));
    inStream.WriteU32(4);
    inStream.WriteU32(record.mLayerID);
}

void LayerRecordWriter::WriteMaskBlock(SWriteStream& inStream) const {
    inStream.WriteU32(mMaskBlockLength);
    if (mMaskBlockLength == 0) return;
    WriteRect(inStream, mRecord.mMaskBounds);
    inStream.WriteU8(mRecord.mMaskDefaultColor);
    inStream.WriteU8(mRecord.mMaskFlags);
    inStream.WriteU16(0);
}

// A length byte, the characters, then zero bytes up to a multiple of 4 for the whole field.
void LayerRecordWriter::WriteName(SWriteStream& inStream) const {
    const std::string& name = mRecord.mName;
    inStream.WriteU8(uint8(name.size()));
    inStream.WriteBytes(int32(name.size()), name.data());
    WriteZeros(inStream, PaddedNameLength() - 1 - uint32(name.size()));
}

// The layer writes its own payload at the position after the length field. The declared length is
// zero-filled first, so whatever the payload leaves of it is padding of zero bytes; the stream then
// stands at the block's end.
void LayerRecordWriter::WriteAdjustmentBlock(SWriteStream& inStream) const {
    if (!mRecord.mHasAdjustment) return;
    inStream.WriteFourCharCode(mRecord.mAdjustmentSignature);
    inStream.WriteFourCharCode(mRecord.mAdjustmentKey);
    inStream.WriteU32(mRecord.mAdjustmentLength);
    const uint32 dataPosition = inStream.GetPosition();
    WriteZeros(inStream, mRecord.mAdjustmentLength);
    mAdjustment->WriteData(inStream, dataPosition);
    inStream.SetPosition(dataPosition + mRecord.mAdjustmentLength);
}

// The effects write their own data; the declared length is theirs rounded up to a multiple of 4, and
// the bytes they leave of it are zero.
void LayerRecordWriter::WriteEffectsBlock(SWriteStream& inStream) const {
    if (!mRecord.mHasEffects) return;
    inStream.WriteFourCharCode(kTagSignature);
    inStream.WriteFourCharCode(FourCC("lrFX"));
    inStream.WriteU32(mRecord.mEffectsLength);
    const uint32 dataPosition = inStream.GetPosition();
    mRecord.mEffects.WriteData(inStream);
    const uint32 written = inStream.GetPosition() - dataPosition;
    if (written > mRecord.mEffectsLength) {
        LREPORT("LayerRecordWriter: the effects wrote more than they declared");
        inStream.SetPosition(dataPosition + mRecord.mEffectsLength);
    } else {
        WriteZeros(inStream, mRecord.mEffectsLength - written);
    }
}

void LayerRecordWriter::WriteChannelData(SWriteStream& inStream) const {
    for (const ChannelWriter& channel : mChannels) channel.WriteLayerChannelData(inStream);
}
