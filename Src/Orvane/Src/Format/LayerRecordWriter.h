// One layer on its way into a document's layer section: the record that describes it and the writers
// of its channels.
//
// Built from an RGB, indexed or adjustment layer (any other kind is reported and gets a record as an
// RGB layer would); the layer must stay unchanged and alive while the writer exists, since the channel
// rows are fetched from it again when they are written. The record header and the channel data are
// written separately because a document stores all records first and then all channel data.
#pragma once

#include <vector>

#include "Src/Orvane/Src/Format/ChannelWriter.h"
#include "Src/Orvane/Src/Format/LayerRecord.h"

class CAdjustmentLayer;
class CLayer;
class SWriteStream;

class LayerRecordWriter {
public:
    explicit LayerRecordWriter(const CLayer& inLayer);

    // The record as it will be written (bounds, channels, blend key, settings, mask block, name, id,
    // adjustment block length, extra length).
    const LayerRecord& Record() const { return mRecord; }
    const std::vector<ChannelWriter>& Channels() const { return mChannels; }
    // Bytes of the record header: 34 + 6 per channel + the extra length.
    uint32 RecordSize() const;
    // Bytes of the channel data: the sum of the channels' stored lengths.
    uint64 ChannelDataSize() const;

    // The record header: rectangle, channel entries, blend mode, settings, then the extra data (mask
    // block, blending ranges, name, adjustment block, effects block, id block).
    void WriteHeader(SWriteStream& inStream) const;
    // Every channel's stored data in record order.
    void WriteChannelData(SWriteStream& inStream) const;

private:
    void BuildMaskBlock();
    void BuildChannels();
    void BuildExtraLength();
    void WriteMaskBlock(SWriteStream& inStream) const;
    void WriteName(SWriteStream& inStream) const;
    void WriteAdjustmentBlock(SWriteStream& inStream) const;
    void WriteEffectsBlock(SWriteStream& inStream) const;
    uint32 PaddedNameLength() const;

    const CLayer& mLayer;
    const CAdjustmentLayer* mAdjustment = nullptr;  // the layer, when it is an adjustment layer
    LayerRecord mRecord;
    uint32 mMaskBlockLength = 0;  // 20 or 0
    std::vector<ChannelWriter> mChannels;
};
