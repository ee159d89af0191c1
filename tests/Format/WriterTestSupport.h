// Writing documents in the writer suites: the codec's writer over an in-memory port, a big-endian byte
// appender for expected bytes, and a walk over a written document's framing to find its sections.
#pragma once

#include "tests/Format/ReaderTestSupport.h"

// The document the codec writes for inImage (resources from inResources, which may be null).
inline ByteVector WriteDocument(CImage& inImage, CImageResourceMgr* inResources) {
    return WrittenBytes(0, [&](SWriteStream& stream) {
        LProgressScope progress;
        CLumenarFormat(inResources).WriteImage(&inImage, &stream, &progress);
    });
}

// The same with an empty resource manager.
inline ByteVector WriteDocument(CImage& inImage) {
    CImageResourceMgr resources;
    return WriteDocument(inImage, &resources);
}

inline uint32 U16At(const ByteVector& inBytes, size_t inOffset) {
    return uint32(inBytes.at(inOffset)) << 8 | inBytes.at(inOffset + 1);
}
inline uint32 U32At(const ByteVector& inBytes, size_t inOffset) {
    return U16At(inBytes, inOffset) << 16 | U16At(inBytes, inOffset + 2);
}
inline ByteVector Slice(const ByteVector& inBytes, size_t inOffset, size_t inCount) {
    if (inOffset + inCount > inBytes.size()) return {};
    return ByteVector(inBytes.begin() + std::ptrdiff_t(inOffset),
                      inBytes.begin() + std::ptrdiff_t(inOffset + inCount));
}

// Offsets of a written document's parts, found from its length fields alone.
struct WrittenLayout {
    size_t layerSection = 0;  // its length field
    size_t layerInfo = 0;     // its length field (when the section is not empty)
    std::vector<size_t> records;
    size_t channelData = 0;  // first byte of the first record's channel data
    size_t globalMask = 0;   // its length field
    size_t merged = 0;       // the merged compression code

    explicit WrittenLayout(const ByteVector& inBytes) {
        const size_t resources = 30 + U32At(inBytes, 26);
        layerSection = resources + 4 + U32At(inBytes, resources);
        merged = layerSection + 4 + U32At(inBytes, layerSection);
        if (merged == layerSection + 4) return;
        layerInfo = layerSection + 4;
        globalMask = layerInfo + 4 + U32At(inBytes, layerInfo);
        size_t offset = layerInfo + 6;
        for (uint32 i = 0; i < U16At(inBytes, layerInfo + 4); ++i) {
            records.push_back(offset);
            const size_t extraField = offset + 30 + 6 * U16At(inBytes, offset + 16);
            offset = extraField + 4 + U32At(inBytes, extraField);
        }
        channelData = offset;
    }

    // Where the stored data of channel inChannel of record inRecord starts: channel data is stored
    // record after record, each channel taking the length of its entry.
    size_t ChannelData(const ByteVector& inBytes, size_t inRecord, size_t inChannel) const {
        size_t offset = channelData;
        for (size_t r = 0; r <= inRecord; ++r)
            for (uint32 c = 0; c < U16At(inBytes, records[r] + 16); ++c) {
                if (r == inRecord && c == inChannel) return offset;
                offset += U32At(inBytes, records[r] + 18 + 6 * c + 2);
            }
        return offset;
    }
};
