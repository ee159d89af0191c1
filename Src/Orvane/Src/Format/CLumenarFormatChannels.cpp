// CLumenarFormat: decoding stored channel rows into layers and channels (docs/format.md, section 6).
#include <algorithm>
#include <cstring>
#include <functional>

#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Format/LumenarRefusals.h"
#include "Src/Orvane/Src/Format/PackBits.h"
#include "Src/Orvane/Src/Format/StoredChannelRows.h"
#include "Src/Orvane/Src/Format/StreamBounds.h"
#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "Src/PowerPellin/LScratchBuffer.h"

// A stored layer channel: u16 compression code, then (packed) one u16 packed size per row of the
// record's rectangle (the mask rectangle for a mask channel), even when that rectangle has no columns,
// then the rows. Other codes are neither decoded nor consumed beyond the code.
uint16 CLumenarFormat::ReadLayerChannel(const ChannelLength& inChannel, CLayer* inLayer,
                                        const LayerRecord& inRecord) {
    SReadStream& stream = *mReadStream;
    const uint16 compression = stream.ReadU16();
    if (compression >= 2) return compression;
    const uint32 kind = inChannel.GetKind();
    const GRect rect = kind == kChannelKindMask ? inRecord.mMaskBounds : inRecord.mBounds;
    const bool packed = compression == 1;
    std::vector<uint16> lineCounts;
    if (packed) {
        const int64 rows = int64(rect.bottom) - int64(rect.top);
        if (rows > 0) StreamBounds::ReadLineCountTable(stream, uint64(rows), lineCounts);
    }
    LProgressScope progress;
    ReadChannelRows(rect, packed, lineCounts, 0, kind, inLayer, &progress);
    return compression;
}

// The common record of an RGB document: a layer's red, green, blue and transparency channels (in any
// order) first, then any others (a mask). When those four are stored whole inside the file, each with a
// length that agrees with its line counts and no line count reaching twice the row, their rows are
// decoded together, one band of up to 64 rows (a row of tiles of the layer) at a time, and woven into
// whole quads, instead of each channel's bytes being spread into the quads in a pass of their own. Each
// channel's rows are the ones ReadLayerChannel gives, short rows included (StoredChannelRows). Nothing
// in these four channels can fail, so a record where they could is left to the channel-by-channel path,
// with the stream back at its start; the channels after them are read one by one either way.
bool CLumenarFormat::ReadQuadRecord(LayerRecord& ioRecord, CLayer* inLayer) {
    if (inLayer == nullptr || inLayer->GetLayerType() != eRGBLayer || mDepth != 8 ||
        mColorMode == kModeIndexed || mColorMode == kModeGrayscale || ioRecord.mChannels.size() < 4 ||
        ioRecord.mBounds.Empty())
        return false;
    const GRect rect = ioRecord.mBounds;
    const int64 width = int64(rect.right) - int64(rect.left);
    const uint32 rows = uint32(int64(rect.bottom) - int64(rect.top));
    if (width > int64(LScratchBuffer::kDefaultSize)) return false;
    uint32 kinds = 0;
    uint64 total = 0;
    for (size_t c = 0; c < 4; ++c) {
        const ChannelLength& channel = ioRecord.mChannels[c];
        if (channel.GetKind() > kChannelKindTransparency) return false;
        kinds |= 1u << channel.GetKind();
        total += channel.GetLength();
    }
    SReadStream& stream = *mReadStream;
    if (kinds != 15 || total >= StreamBounds::BytesLeft(stream)) return false;

    StoredChannelRows planes[4];
    const uint32 start = stream.GetPosition();
    uint64 at = start;
    uint64 unbacked = mUnbackedRowBytes;
    for (size_t c = 0; c < 4; ++c) {
        const uint64 length = ioRecord.mChannels[c].GetLength();
        if (!planes[c].Prepare(stream, at, rows, uint32(width), length, unbacked) ||
            unbacked > kUnbackedRowByteLimit) {
            stream.SetPosition(start);
            return false;
        }
        at += length;
    }
    mUnbackedRowBytes = unbacked;

    // Rows are decoded a band at a time: a row of the layer's tiles.
    constexpr uint32 kBand = kTileSide;
    const uint32 phase = uint32(((int64(rect.top) - inLayer->GetBounds().top) % kBand + kBand) % kBand);
    for (StoredChannelRows& plane : planes) plane.Allocate(phase);
    CRGBLayer* layer = static_cast<CRGBLayer*>(inLayer);
    std::vector<uint8> bytes;
    for (uint32 first = 0; first < rows;) {
        const uint32 end = std::min(rows, first + kBand - (first + phase) % kBand);
        const uint8* channels[4];
        for (size_t c = 0; c < 4; ++c)
            channels[ioRecord.mChannels[c].GetKind()] = planes[c].Decode(stream, first, end, bytes);
        layer->SetChannels(GRect(rect.left, rect.top + int32(first), rect.right, rect.top + int32(end)),
                           channels, int32(planes[0].Stride()));
        first = end;
    }
    stream.SetPosition(uint32(at));
    for (size_t c = 0; c < 4; ++c) ioRecord.mChannels[c].SetStoredCompression(planes[c].GetCode());
    return true;
}

void CLumenarFormat::ReadChannelRows(const GRect& inRect, bool inPacked,
                                     const std::vector<uint16>& inLineCounts, uint32 inCursor, uint32 inKind,
                                     CLayer* inLayer, LProgressScope* inProgress) {
    RowStore sink;
    const LayerKind layerKind = inLayer != nullptr ? inLayer->GetLayerType() : LayerKind(-1);
    CRGBLayer* rgbLayer = layerKind == eRGBLayer ? static_cast<CRGBLayer*>(inLayer) : nullptr;
    if (inKind == kChannelKindTransparency) {
        if (rgbLayer != nullptr)
            sink = [rgbLayer](const GRect& r, const uint8* p, int32 s) {
                rgbLayer->SetChannel(r, 3, p, s, 1);
            };
    } else if (inKind == kChannelKindMask) {
        const bool hasMask = rgbLayer != nullptr ? LCHECK(rgbLayer->HasLayerMask())
                                                 : layerKind == eAdjustmentLayer && inLayer->HasLayerMask();
        if (hasMask)
            sink = [inLayer](const GRect& r, const uint8* p, int32 s) {
                inLayer->SetLayerMaskTile(r, p, s, 1);
            };
    } else if (inKind > kChannelKindBlue) {
        // An unknown stored id: the rows are read and go nowhere.
    } else if (mColorMode == kModeIndexed) {
        sink = IndexRowStore(inLayer);
    } else if (mColorMode == kModeGrayscale) {
        if (rgbLayer != nullptr)
            sink = [rgbLayer](const GRect& r, const uint8* p, int32 s) {
                rgbLayer->SetChannel(r, 0, p, s, 1);
                rgbLayer->SetChannel(r, 2, p, s, 1);
                rgbLayer->SetChannel(r, 1, p, s, 1);
            };
    } else if (rgbLayer != nullptr) {
        const int32 channel = int32(inKind);
        sink = [rgbLayer, channel](const GRect& r, const uint8* p, int32 s) {
            rgbLayer->SetChannel(r, channel, p, s, 1);
        };
    }
    DecodeRows(inRect, inPacked, inLineCounts, inCursor, sink, inProgress);
    if (inProgress != nullptr) inProgress->SetPortionComplete(1.0);
}

void CLumenarFormat::ReadExtraChannel(const GRect& inRect, bool inPacked,
                                      const std::vector<uint16>& inLineCounts, uint32 inCursor,
                                      CChannel& outChannel) {
    RowStore sink;
    sink = [&outChannel](const GRect& r, const uint8* p, int32 s) { outChannel.SetTile(r, p, s, 1); };
    DecodeRows(inRect, inPacked, inLineCounts, inCursor, sink, nullptr);
}

// Rows are decoded into slots of the shared scratch buffer and handed on in batches of as many rows as
// it holds. A slot is one stored row (rowBytes), or one byte per pixel when that is longer (depths below
// 8), so a destination never reads past a slot; bytes a short row does not produce keep what the slot
// held before (zero at first). Each row is one read of the stream, so a file cut inside the last row
// still loads and one cut earlier fails at the read after the one that crossed its end.
void CLumenarFormat::DecodeRows(const GRect& inRect, bool inPacked, const std::vector<uint16>& inLineCounts,
                                uint32 inCursor, const RowStore& inSink, LProgressScope* inProgress) {
    if (inRect.Empty()) return;
    SReadStream& stream = *mReadStream;
    const int64 width = int64(inRect.right) - int64(inRect.left);
    const uint32 rows = uint32(int64(inRect.bottom) - int64(inRect.top));
    const uint64 rowBytes = RowBytes(width);
    const uint64 stride = std::max<uint64>(rowBytes, uint64(width));

    // Only a layer other than the first can be this wide (the first is held to the canvas limit); its
    // rows would not fit the scratch buffer that every row passes through.
    LScratchBuffer scratch;
    if (stride > scratch.Size()) LTHROW_MESSAGE(LumenarRefusal::kImageTooLarge);
    // Pixels that no stored byte can fill count against the document's limit: those of packed rows whose
    // counts fall short, and those beyond the stored bytes of every row at depths below 8 (at depth 0 a
    // row stores nothing at all). The latter count by the 64-pixel tile columns their rows occupy, as
    // planes store whole tiles: a one-pixel-wide row at depth 0 costs 64 bytes without a byte in the file.
    if (inPacked) {
        if (uint64(inCursor) + rows > inLineCounts.size()) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);
        for (uint32 i = 0; i < rows; ++i)
            mUnbackedRowBytes +=
                rowBytes - std::min(rowBytes, PackBits::MostDecodedFrom(inLineCounts[inCursor + i]));
    }
    const uint64 tiledRowBytes = (stride + kTileMask) & ~uint64(kTileMask);
    if (stride > rowBytes) mUnbackedRowBytes += uint64(rows) * (tiledRowBytes - rowBytes);
    if (mUnbackedRowBytes > kUnbackedRowByteLimit) LTHROW_MESSAGE(LumenarRefusal::kUnknownFormat);

    uint8* const slots = static_cast<uint8*>(scratch.Ptr());
    const uint32 rowsPerBatch = uint32(scratch.Size() / stride);
    std::memset(slots, 0, size_t(stride) * std::min(rows, rowsPerBatch));
    std::vector<uint8> packedRow(std::max<size_t>(size_t(rowBytes) * 2, 1));

    uint32 batchStart = 0;
    for (uint32 i = 0; i < rows; ++i) {
        if (inProgress != nullptr && (rows < 16 || i % 16 == 0))
            inProgress->SetPortionComplete(double(i) / rows);
        uint8* slot = slots + size_t(i - batchStart) * stride;
        if (!inPacked) {
            stream.ReadBytes(int32(rowBytes), slot);
        } else {
            // The row's packed bytes go to the start of the packed-row buffer (grown, for a count that
            // reaches twice the row, to hold it: at most 65535 bytes). Packets are then decoded until the
            // row is full, not until the count is used up: a row whose count falls short goes on with the
            // bytes earlier rows of this channel left in the buffer (zeros at first), and stops at the
            // buffer's end.
            const uint32 count = inLineCounts[inCursor + i];
            LCHECK_AS(count < rowBytes * 2, "count < rowBytes*2");
            if (count > packedRow.size()) packedRow.resize(count);
            stream.ReadBytes(int32(count), packedRow.data());
            PackBits::DecodeRow(packedRow.data(), uint32(packedRow.size()), slot, uint32(rowBytes));
        }
        if (i + 1 - batchStart == rowsPerBatch || i + 1 == rows) {
            const GRect batch(inRect.left, inRect.top + int32(batchStart), inRect.right,
                              inRect.top + int32(i + 1));
            if (inSink) inSink(batch, slots, int32(stride));
            batchStart = i + 1;
        }
    }
}
