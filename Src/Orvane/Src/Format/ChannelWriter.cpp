#include "Src/Orvane/Src/Format/ChannelWriter.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "Src/Orvane/Src/Format/PackBits.h"
#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

// Rows are written at 8 bits per pixel: a row is as many bytes as the rectangle is wide.
uint32 RowBytesOf(const GRect& inRect) {
    return inRect.Empty() ? 0 : uint32(inRect.Width());
}

// A row buffer of at least inRowBytes bytes: the shared 64 KB scratch size covers every row a document
// can hold (30000 bytes), a larger one is allocated for wider rectangles.
class RowBuffer {
public:
    explicit RowBuffer(uint32 inRowBytes)
        : mScratch(inRowBytes > LScratchBuffer::kDefaultSize ? inRowBytes : LScratchBuffer::kDefaultSize) {
        if (mScratch.Ptr() == nullptr) throw std::bad_alloc();
    }
    uint8* Ptr() const { return static_cast<uint8*>(mScratch.Ptr()); }

private:
    LScratchBuffer mScratch;
};

GRect RowOf(const GRect& inRect, int32 inY) {
    return GRect(inRect.left, inY, inRect.right, inY + 1);
}

}  // namespace

ChannelWriter::ChannelWriter(uint32 inKind, const GRect& inRect, RowSource inSource, bool inAllowRaw)
    : mRect(inRect), mSource(std::move(inSource)), mLength(inKind) {
    if (mRect.Empty()) return;
    const uint32 rowBytes = RowBytes();
    RowBuffer row(rowBytes);
    for (int32 y = mRect.top; y < mRect.bottom; ++y) {
        mSource(RowOf(mRect, y), row.Ptr());
        mLength.AddPackedRow(uint16(PackBits::PackedRowSize(row.Ptr(), rowBytes)));
    }
    LCHECK_AS(
        mLength.LineCounts().size() == size_t(mRect.Height()),
        inAllowRaw ? "mLineCounts.size() == layerBounds.Height()" : "mLineCounts.size() == bounds.Height()");
    mLength.Finish(uint32(mRect.Height()), rowBytes, inAllowRaw);
}

uint32 ChannelWriter::RowBytes() const {
    return RowBytesOf(mRect);
}

ChannelWriter::RowSource ChannelWriter::LayerRows(const CLayer& inLayer, uint32 inKind) {
    const CLayer* layer = &inLayer;
    if (inKind == kChannelKindMask) {
        // Without a mask the layer's coverage is its mask default colour everywhere.
        if (!inLayer.HasLayerMask()) {
            const uint8 value = inLayer.GetMaskDefaultColor();
            return
                [value](const GRect& inRow, uint8* outRow) { std::memset(outRow, value, RowBytesOf(inRow)); };
        }
        return [layer](const GRect& inRow, uint8* outRow) {
            layer->GetLayerMaskTile(inRow, outRow, inRow.Width());
        };
    }
    switch (inLayer.GetLayerType()) {
        case eRGBLayer: {
            const auto* rgb = static_cast<const CRGBLayer*>(layer);
            const int32 channel = int32(inKind);
            return [rgb, channel](const GRect& inRow, uint8* outRow) {
                rgb->GetChannel(inRow, channel, outRow, inRow.Width(), 1);
            };
        }
        case eIndexedLayer: {
            const auto* indexed = static_cast<const CIndexedLayer*>(layer);
            return [indexed](const GRect& inRow, uint8* outRow) {
                indexed->GetIndexRows(inRow, outRow, inRow.Width());
            };
        }
        default: {
            // A layer without pixels of its own reads as the empty pixel, 0x00FFFFFF.
            const uint8 value = inKind == kChannelKindTransparency ? 0 : 255;
            return
                [value](const GRect& inRow, uint8* outRow) { std::memset(outRow, value, RowBytesOf(inRow)); };
        }
    }
}

ChannelWriter::RowSource ChannelWriter::ChannelRows(const CChannel& inChannel) {
    const CChannel* channel = &inChannel;
    return [channel](const GRect& inRow, uint8* outRow) {
        const uint8 outside = 0;
        channel->GetTile(inRow, outRow, inRow.Width(), kPadValue, &outside);
    };
}

void ChannelWriter::WriteEntry(SWriteStream& inStream) const {
    inStream.WriteI16(ChannelLength::StoredIDFromKind(mLength.GetKind()));
    inStream.WriteU32(mLength.GetLength());
}

void ChannelWriter::WriteLineCounts(SWriteStream& inStream) const {
    for (const uint16 count : mLength.LineCounts()) inStream.WriteU16(count);
}

void ChannelWriter::WriteRows(SWriteStream& inStream) const {
    if (mRect.Empty()) return;
    const uint32 rowBytes = RowBytes();
    RowBuffer row(rowBytes);
    const bool packed = mLength.IsPacked();
    std::vector<uint8> packedRow(packed ? PackBits::MaxPackedSize(rowBytes) : 0);
    for (int32 y = mRect.top; y < mRect.bottom; ++y) {
        mSource(RowOf(mRect, y), row.Ptr());
        if (packed) {
            const uint32 size = PackBits::PackRow(row.Ptr(), rowBytes, packedRow.data());
            inStream.WriteBytes(int32(size), packedRow.data());
        } else {
            inStream.WriteBytes(int32(rowBytes), row.Ptr());
        }
    }
}

void ChannelWriter::WriteLayerChannelData(SWriteStream& inStream) const {
    if (mRect.Empty()) {
        inStream.WriteU16(0);
        return;
    }
    inStream.WriteU16(mLength.IsPacked() ? 1 : 0);
    WriteLineCounts(inStream);
    WriteRows(inStream);
}
