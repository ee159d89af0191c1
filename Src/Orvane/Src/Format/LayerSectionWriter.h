// The layer and mask section of a document being written: the layer information (record count, every
// record, every record's channel data) and the global mask information.
//
// An image with any indexed layer stores no layers: its section is the length 0 alone and the picture
// lives in the merged image data only. Otherwise every RGB and adjustment layer gets a record, bottom
// layer first; layers of other kinds are left out. The image must stay unchanged and alive while the
// writer exists.
#pragma once

#include <memory>
#include <vector>

#include "Src/Orvane/Src/Format/LayerRecordWriter.h"

class CImage;
class LProgressScope;
class SWriteStream;

class LayerSectionWriter {
public:
    explicit LayerSectionWriter(const CImage& inImage);

    // True when the image has an indexed layer: the section is written as an empty one.
    bool IsEmpty() const { return mEmpty; }
    const std::vector<std::unique_ptr<LayerRecordWriter>>& Records() const { return mRecords; }
    // Bytes of the layer information after its length field (count, records, channel data), rounded
    // up to even.
    uint32 LayerInfoLength() const;
    // 14 when some layer has a layer mask, else 0.
    uint32 GlobalMaskLength() const;
    // The value of the section's length field.
    uint32 SectionLength() const;

    // Writes the whole section, its length field first. Progress goes from 0 to 1 over the records.
    void Write(SWriteStream& inStream, LProgressScope* inProgress) const;

private:
    void WriteGlobalMaskInfo(SWriteStream& inStream) const;

    bool mEmpty = false;
    bool mAnyLayerMask = false;
    std::vector<std::unique_ptr<LayerRecordWriter>> mRecords;
};
