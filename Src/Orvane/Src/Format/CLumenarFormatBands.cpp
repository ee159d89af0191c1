// CLumenarFormat: the layer data of a plain stack, merged band by band as it is decoded (docs/format.md,
// section 6.2, for the rows themselves).
//
// Reading every layer whole and then flattening holds all of them at once, and clears and fills that
// memory before the merge reads it all again. A stack whose merge needs nothing beyond the band it
// composites (pixel layers without effects, no adjustment layers) is instead decoded one row of tiles
// of the canvas at a time: each visible layer gets the band's rows of its channels, the band is
// composited, and the layers forget it again. Each channel keeps its own place in the file and its own
// ring of decoded rows (partly in memory shared with the other layers' channels, StoredChannelRows), so
// its rows come out exactly as the whole-layer read makes them: rows above the canvas are decoded too (a
// short row keeps bytes of earlier ones) and dropped, rows below it are not needed. Only stacks where nothing
// can go wrong take this way, so a document is refused, or read, as the other way does it.
#include <algorithm>
#include <cstdint>
#include <new>

#include "API/Platform/Platform.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Format/StoredChannelRows.h"
#include "Src/Orvane/Src/Format/StreamBounds.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Image/ElementRows.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

// The rings of all layers together stay below this; a stack that would need more is read whole.
constexpr uint64 kMostRingBytes = uint64(256) << 20;

// One record's layer and its stored channels: the four colour channels, then the mask when stored.
struct BandLayer {
    CRGBLayer* layer = nullptr;
    GRect rect;
    GRect maskRect;  // empty when no mask channel is stored
    uint32 kinds[4] = {};
    StoredChannelRows channels[5];
};

// A rectangle whose rows the four-channel read would decode: not empty, no wider than a scratch buffer.
bool Decodable(const GRect& inRect) {
    return !inRect.Empty() && int64(inRect.right) - inRect.left <= int64(LScratchBuffer::kDefaultSize);
}

// The row of its 64-row band of the canvas that a rectangle's first row is.
uint32 PhaseOf(const GRect& inRect) {
    return uint32(inRect.top) % uint32(kTileSide);
}

class StoredBands : public LayerBandSource {
public:
    StoredBands(SReadStream& ioStream, std::vector<BandLayer>& ioLayers)
        : mStream(ioStream), mLayers(ioLayers) {}

    // Each layer's band is decoded and stored before the next layer's is decoded, so that the rings' shared
    // memory can serve them all.
    void LoadBand(int32 inTop, int32 inBottom) override {
        for (BandLayer& entry : mLayers) {
            if (!entry.layer->GetVisible()) continue;
            const GRect& rect = entry.rect;
            const int32 top = std::max(inTop, rect.top), bottom = std::min(inBottom, rect.bottom);
            if (top < bottom) {
                for (size_t c = 0; c < 4; ++c) Rows(entry.channels[c], rect, top, bottom);
                WritePixels(entry, top, bottom);
            }
            const GRect& mask = entry.maskRect;
            const int32 maskTop = std::max(inTop, mask.top), maskBottom = std::min(inBottom, mask.bottom);
            if (!mask.Empty() && maskTop < maskBottom) {
                const uint8* rows = Rows(entry.channels[4], mask, maskTop, maskBottom);
                entry.layer->SetLayerMaskTile(GRect(mask.left, maskTop, mask.right, maskBottom), rows,
                                              int32(entry.channels[4].Stride()), 1);
            }
        }
    }

    // Forgets the rows from the band before this one to this band's end: a layer whose tiles do not
    // start on the canvas's grid gives a tile back once both bands it reaches into are done.
    void DropBand(int32 inTop, int32 inBottom) override {
        for (BandLayer& entry : mLayers) {
            if (!entry.layer->GetVisible()) continue;
            const GRect bounds = entry.layer->GetBounds();
            const GRect done(bounds.left, inTop - kTileSide, bounds.right, inBottom);
            entry.layer->FillRect(done, kTransparentWhite);
            entry.layer->FillLayerMaskRect(done, entry.layer->GetMaskDefaultColor());
        }
    }

private:
    // Stores the decoded rows [inTop, inBottom) of the layer's colour channels. A layer whose tiles lie on
    // the canvas's grid keeps a tile that is transparent in the band as it is, constant transparent white:
    // the merge blends no transparent tile, whatever colours it holds.
    static void WritePixels(BandLayer& ioEntry, int32 inTop, int32 inBottom) {
        const GRect& rect = ioEntry.rect;
        // The four channels share the rectangle, and so the pieces their rows lie in.
        const StoredChannelRows& first = ioEntry.channels[0];
        const int32 stride = int32(first.Stride());
        const int32 split =
            inTop + int32(first.ContiguousRows(uint32(inTop - rect.top), uint32(inBottom - rect.top)));
        const bool twoPieces = split < inBottom;
        const uint8* upper[4];  // by kind, at the rectangle's left
        const uint8* lower[4];
        for (size_t c = 0; c < 4; ++c) {
            upper[ioEntry.kinds[c]] = ioEntry.channels[c].Row(uint32(inTop - rect.top));
            lower[ioEntry.kinds[c]] = twoPieces ? ioEntry.channels[c].Row(uint32(split - rect.top)) : nullptr;
        }
        auto write = [&](int32 inLeft, int32 inRight) {
            if (inLeft >= inRight) return;
            const int32 offset = inLeft - rect.left;
            const uint8* const planes[4] = {upper[0] + offset, upper[1] + offset, upper[2] + offset,
                                            upper[3] + offset};
            const uint8* rest[4] = {};
            for (size_t k = 0; twoPieces && k < 4; ++k) rest[k] = lower[k] + offset;
            ioEntry.layer->SetChannels(GRect(inLeft, inTop, inRight, inBottom), planes, stride, split,
                                       twoPieces ? rest : nullptr);
        };
        auto zero = [&](int32 inLeft, int32 inRight) {
            const int32 offset = inLeft - rect.left, width = inRight - inLeft;
            return BytesAreZero(upper[kChannelKindTransparency] + offset, stride, width, split - inTop) &&
                   (!twoPieces ||
                    BytesAreZero(lower[kChannelKindTransparency] + offset, stride, width, inBottom - split));
        };
        const GRect bounds = ioEntry.layer->GetBounds();
        if (((bounds.left | bounds.top) & kTileMask) != 0) return write(rect.left, rect.right);
        int32 pending = rect.left;  // the columns from here on still to be written
        for (int32 left = rect.left; left < rect.right;) {
            const int32 right = std::min(rect.right, (left & ~kTileMask) + kTileSide);
            if (zero(left, right)) {
                write(pending, left);
                pending = right;
            }
            left = right;
        }
        write(pending, rect.right);
    }

    // Decodes rows [inTop, inBottom) of a channel over inRect, after any of its rows above inTop not yet
    // decoded (those above the canvas), a 64-row band of the canvas at a time; returns row inTop.
    const uint8* Rows(StoredChannelRows& ioChannel, const GRect& inRect, int32 inTop, int32 inBottom) {
        for (int32 row = inRect.top + int32(ioChannel.Decoded()); row < inTop;) {
            const int32 end = std::min(inTop, (row & ~kTileMask) + kTileSide);
            ioChannel.Decode(mStream, uint32(row - inRect.top), uint32(end - inRect.top), mBytes);
            row = end;
        }
        return ioChannel.Decode(mStream, uint32(inTop - inRect.top), uint32(inBottom - inRect.top), mBytes);
    }

    SReadStream& mStream;
    std::vector<BandLayer>& mLayers;
    std::vector<uint8> mBytes;
};

// Whether a rectangle is no larger than the largest canvas: a mask grows to take in every stored row,
// and reading whole refuses one that would grow beyond that; bands only take its rows on the canvas.
bool WithinLargestCanvas(const GRect& inRect) {
    return int64(inRect.right) - inRect.left <= kMaxImageDimension &&
           int64(inRect.bottom) - inRect.top <= kMaxImageDimension;
}

// Whether a rectangle lies where the image's raster target can name it (16-bit coordinates): merging
// whole reports every part of a layer beyond that, bands never composite there.
bool WithinRasterRange(const GRect& inRect) {
    return inRect.left >= INT16_MIN && inRect.top >= INT16_MIN && inRect.right <= INT16_MAX &&
           inRect.bottom <= INT16_MAX;
}

// The record's layer and channels, when the band merge can take them: an RGB layer without effects,
// its four colour channels in any order and no other channel but its mask, rows no wider than a
// scratch buffer, the mask's rectangle united with the canvas no larger than the largest canvas. Adds
// the channels' declared lengths to ioTotal.
bool DescribeLayer(const LayerRecord& inRecord, CLayer* inLayer, const GRect& inCanvas, BandLayer& outEntry,
                   uint64& ioTotal) {
    const size_t channels = inRecord.mChannels.size();
    if (inLayer == nullptr || inLayer->GetLayerType() != eRGBLayer || inRecord.mHasEffects ||
        inRecord.mHasAdjustment || !Decodable(inRecord.mBounds) || (channels != 4 && channels != 5) ||
        inLayer->HasLayerMask() != inRecord.mHasMask)
        return false;
    outEntry.layer = static_cast<CRGBLayer*>(inLayer);
    outEntry.rect = inRecord.mBounds;
    uint32 kinds = 0;
    for (size_t c = 0; c < channels; ++c) {
        const uint32 kind = inRecord.mChannels[c].GetKind();
        if (c < 4) {
            if (kind > kChannelKindTransparency) return false;
            outEntry.kinds[c] = kind;
            kinds |= 1u << kind;
        } else if (kind != kChannelKindMask || !inRecord.mHasMask || !Decodable(inRecord.mMaskBounds)) {
            return false;
        }
        ioTotal += inRecord.mChannels[c].GetLength();
    }
    if (channels == 5) outEntry.maskRect = inRecord.mMaskBounds;
    return kinds == 15 && (channels == 4 || WithinLargestCanvas(inRecord.mMaskBounds.Union(inCanvas)));
}

// A layer's colour channel c decodes its band's shared rows into shared part c. A mask keeps its whole
// ring to itself: its band then lies in one piece, where a mask tile written in two would be filled first.
constexpr size_t kSharedParts = 4;

// Reads every channel's code and table from inStart on; true when all of them decode without a fault.
// outEnd is where the last channel ends; the rings of the visible layers take outRingBytes of their own
// and share kSharedParts parts of outSharedBytes each.
bool PrepareChannels(SReadStream& ioStream, const std::vector<LayerRecord>& inRecords,
                     std::vector<BandLayer>& ioLayers, uint64 inStart, uint64& ioUnbacked, uint64& outEnd,
                     uint64& outRingBytes, uint64& outSharedBytes) {
    uint64 at = inStart;
    uint64 ringBytes = 0, sharedBytes = 0;
    for (size_t i = 0; i < ioLayers.size(); ++i) {
        BandLayer& entry = ioLayers[i];
        for (size_t c = 0; c < inRecords[i].mChannels.size(); ++c) {
            const GRect& rect = c < 4 ? entry.rect : entry.maskRect;
            const uint64 length = inRecords[i].mChannels[c].GetLength();
            if (!entry.channels[c].Prepare(ioStream, at, uint32(rect.Height()), uint32(rect.Width()), length,
                                           ioUnbacked))
                return false;
            at += length;
            if ((inRecords[i].mFlags & kRecordHidden) == 0) {
                ringBytes += entry.channels[c].RingBytes(PhaseOf(rect), c < kSharedParts);
                if (c < kSharedParts)
                    sharedBytes = std::max(sharedBytes, entry.channels[c].SharedBytes(PhaseOf(rect)));
            }
        }
    }
    outEnd = at;
    outRingBytes = ringBytes;
    outSharedBytes = sharedBytes;
    return true;
}

// The rings of all visible layers in one block of large pages: fresh memory costs a fault per page, and
// thousands of small pages would cost more than decoding into them.
class RingBlock {
public:
    explicit RingBlock(uint64 inBytes)
        : mBytes(uint32((std::max<uint64>(inBytes, 1) + Platform::kLargeBlockAlignment - 1) &
                        ~uint64(Platform::kLargeBlockAlignment - 1))),
          mBase(static_cast<uint8*>(Platform::LargeBlockMap(mBytes))) {
        if (mBase == nullptr) throw std::bad_alloc();
    }
    ~RingBlock() { Platform::LargeBlockUnmap(mBase, mBytes); }
    RingBlock(const RingBlock&) = delete;
    RingBlock& operator=(const RingBlock&) = delete;
    uint8* Base() const { return mBase; }

private:
    uint32 mBytes;
    uint8* mBase;
};

}  // namespace

bool CLumenarFormat::MergeLayerDataInBands(LProgressScope* inProgress) {
    const size_t count = mLayerRecords.size();
    if (mDepth != 8 || mColorMode != kModeRGB || count < 2 || mImage->GetActiveLayer() == nullptr)
        return false;
    std::vector<BandLayer> layers(count);
    std::vector<uint32> ids;
    GRect area;
    uint64 total = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!DescribeLayer(mLayerRecords[i], mRecordLayers[i], mImage->GetImageRect(), layers[i], total))
            return false;
        if ((mLayerRecords[i].mFlags & kRecordHidden) == 0) area.UnionWith(mLayerRecords[i].mBounds);
        ids.push_back(mRecordLayers[i]->GetLayerID());
    }
    // A repeated id sends a mask to another layer; the merged area must be one the whole read can hold
    // and name without a report.
    std::sort(ids.begin(), ids.end());
    SReadStream& stream = *mReadStream;
    if (std::adjacent_find(ids.begin(), ids.end()) != ids.end() || !MergedAreaFits(area) ||
        !WithinRasterRange(area) || total >= StreamBounds::BytesLeft(stream))
        return false;
    const uint32 start = stream.GetPosition();
    uint64 unbacked = mUnbackedRowBytes, end = start, ringBytes = 0, sharedBytes = 0;
    if (!PrepareChannels(stream, mLayerRecords, layers, start, unbacked, end, ringBytes, sharedBytes) ||
        unbacked > kUnbackedRowByteLimit || ringBytes + kSharedParts * sharedBytes > kMostRingBytes) {
        stream.SetPosition(start);
        return false;
    }
    mUnbackedRowBytes = unbacked;

    RingBlock rings(kSharedParts * sharedBytes + ringBytes);
    uint8* const shared = rings.Base();
    uint8* ring = shared + kSharedParts * sharedBytes;
    for (size_t i = 0; i < count; ++i) {
        LayerRecord& record = mLayerRecords[i];
        BandLayer& entry = layers[i];
        ApplyRecordSettings(entry.layer, record);
        for (size_t c = 0; c < record.mChannels.size(); ++c) {
            record.mChannels[c].SetStoredCompression(entry.channels[c].GetCode());
            if (!entry.layer->GetVisible()) continue;
            const uint32 phase = PhaseOf(c < 4 ? entry.rect : entry.maskRect);
            entry.channels[c].Allocate(phase, ring, c < kSharedParts ? shared + c * sharedBytes : nullptr);
            ring += entry.channels[c].RingBytes(phase, c < kSharedParts);
        }
    }
    StoredBands bands(stream, layers);
    FlattenImageInBands(*mImage, bands, inProgress);
    mRecordLayers.assign(count, nullptr);
    stream.SetPosition(uint32(end));
    return true;
}
