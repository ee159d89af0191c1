// Writing documents in the writer suites: the codec's writer over an in-memory port, a big-endian byte
// appender for expected bytes, and a walk over a written document's framing to find its sections.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/MemoryFilePort.h"

// The document the codec writes for inImage (resources from inResources, which may be null).
inline ByteVector WriteDocument(CImage& inImage, CImageResourceMgr* inResources) {
    MemoryFilePort port;
    {
        SWriteStream stream(&port, 0, 4096, 0);
        CLumenarFormat format(inResources);
        LProgressScope progress;
        format.WriteImage(&inImage, &stream, &progress);
        stream.Flush(true);
    }
    return port.Bytes();
}

// The same with an empty resource manager.
inline ByteVector WriteDocument(CImage& inImage) {
    CImageResourceMgr resources;
    return WriteDocument(inImage, &resources);
}

// Expected bytes, big-endian.
class Bytes {
public:
    Bytes& U8(uint32 inValue) {
        mBytes.push_back(uint8(inValue));
        return *this;
    }
    Bytes& U16(uint32 inValue) { return U8(inValue >> 8).U8(inValue); }
    Bytes& U32(uint32 inValue) { return U16(inValue >> 16).U16(inValue); }
    Bytes& Key(const char* inKey) {
        for (int32 i = 0; i < 4; ++i) U8(uint8(inKey[i]));
        return *this;
    }
    Bytes& Raw(std::initializer_list<uint8> inBytes) {
        mBytes.insert(mBytes.end(), inBytes);
        return *this;
    }
    Bytes& Repeat(uint8 inValue, size_t inCount) {
        mBytes.insert(mBytes.end(), inCount, inValue);
        return *this;
    }
    const ByteVector& Get() const { return mBytes; }

private:
    ByteVector mBytes;
};

inline uint32 U16At(const ByteVector& inBytes, size_t inOffset) {
    return uint32(inBytes.at(inOffset)) << 8 | inBytes.at(inOffset + 1);
}
inline uint32 U32At(const ByteVector& inBytes, size_t inOffset) {
    return U16At(inBytes, inOffset) << 16 | U16At(inBytes, inOffset + 2);
}
inline ByteVector Slice(const ByteVector& inBytes, size_t inOffset, size_t inCount) {
    if (inOffset + inCount > inBytes.size()) return {};
    return ByteVector(inBytes.begin() + std::ptrdiff_t(inOffset), inBytes.begin() + std::ptrdiff_t(inOffset + inCount));
}

// Offsets of a written document's parts, found from its length fields alone.
struct WrittenLayout {
    size_t colourModeData = 0;  // its length field
    size_t resources = 0;       // its length field
    size_t layerSection = 0;    // its length field
    size_t layerInfo = 0;       // its length field (when the section is not empty)
    std::vector<size_t> records;
    size_t channelData = 0;     // first byte of the first record's channel data
    size_t globalMask = 0;      // its length field
    size_t merged = 0;          // the merged compression code

    explicit WrittenLayout(const ByteVector& inBytes) {
        colourModeData = 26;
        resources = colourModeData + 4 + U32At(inBytes, colourModeData);
        layerSection = resources + 4 + U32At(inBytes, resources);
        const uint32 sectionLength = U32At(inBytes, layerSection);
        merged = layerSection + 4 + sectionLength;
        if (sectionLength == 0) return;
        layerInfo = layerSection + 4;
        const uint32 infoLength = U32At(inBytes, layerInfo);
        globalMask = layerInfo + 4 + infoLength;
        const uint32 count = U16At(inBytes, layerInfo + 4);
        size_t offset = layerInfo + 6;
        for (uint32 i = 0; i < count; ++i) {
            records.push_back(offset);
            const uint32 channels = U16At(inBytes, offset + 16);
            const size_t extraField = offset + 18 + 6 * channels + 12;
            offset = extraField + 4 + U32At(inBytes, extraField);
        }
        channelData = offset;
    }

    // Where the stored data of channel inChannel of record inRecord starts: channel data is stored
    // record after record, each channel taking the length of its entry.
    size_t ChannelData(const ByteVector& inBytes, size_t inRecord, size_t inChannel) const {
        size_t offset = channelData;
        for (size_t r = 0; r <= inRecord; ++r) {
            const uint32 channels = U16At(inBytes, records[r] + 16);
            for (uint32 c = 0; c < channels; ++c) {
                if (r == inRecord && c == inChannel) return offset;
                offset += U32At(inBytes, records[r] + 18 + 6 * c + 2);
            }
        }
        return offset;
    }
};
