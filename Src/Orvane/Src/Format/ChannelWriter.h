// One channel on its way into a document: where its rows come from, which rectangle they cover, and
// how they are stored (the ChannelLength the writer measured).
//
// Construction walks the rows once to count their packed sizes; writing walks them again and encodes
// each row as it goes, so no more than one row and its packed form are held at a time. The row source
// must give the same bytes on both walks and outlive the writer.
#pragma once

#include <functional>

#include "Src/Orvane/Src/Format/ChannelLength.h"
#include "Src/Pellin/Isol/GRect.h"

class CChannel;
class CLayer;
class SWriteStream;

class ChannelWriter {
public:
    // Fills outRow with the inRow.Width() bytes of the one-row rectangle inRow (image coordinates).
    using RowSource = std::function<void(const GRect& inRow, uint8* outRow)>;

    // Measures the rows of inRect. With inAllowRaw (layer channels) a channel whose packed rows are no
    // smaller than its raw rows is stored raw; without it (merged data) it is always packed. An empty
    // rectangle stores no rows.
    ChannelWriter(uint32 inKind, const GRect& inRect, RowSource inSource, bool inAllowRaw);

    // Rows of one channel of a layer, by kind: an RGB layer's red, green, blue or transparency; an
    // indexed layer's colour indexes (for every colour kind); an adjustment layer's colour and
    // transparency are those of the empty pixel, 255, 255, 255 and 0. Kind 4 is the layer mask, or the mask
    // default colour everywhere for a layer without one (what compositing takes as its coverage). The layer
    // must outlive the writer.
    static RowSource LayerRows(const CLayer& inLayer, uint32 inKind);
    // Rows of a channel; 0 outside its bounds. The channel must outlive the writer.
    static RowSource ChannelRows(const CChannel& inChannel);

    const ChannelLength& Length() const { return mLength; }
    const GRect& Rect() const { return mRect; }

    // The channel's entry in a layer record: stored id (i16) and GetLength (u32).
    void WriteEntry(SWriteStream& inStream) const;
    // The line counts, one u16 per row (nothing when stored raw).
    void WriteLineCounts(SWriteStream& inStream) const;
    // Every row in turn, packed or raw as measured.
    void WriteRows(SWriteStream& inStream) const;
    // A layer channel's stored data: u16 compression code (1 packed, 0 raw), line counts, rows; an
    // empty rectangle is the code 0 alone.
    void WriteLayerChannelData(SWriteStream& inStream) const;

private:
    uint32 RowBytes() const;

    GRect mRect;
    RowSource mSource;
    ChannelLength mLength;
};
