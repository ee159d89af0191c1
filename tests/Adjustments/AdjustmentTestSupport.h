// Helpers of the adjustment suites: data blocks written byte by byte, adjustment layers read from them
// through the factory (checking that the stream is left where it was), and written back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "tests/support/DocumentBuilder.h"
#include "tests/support/MemoryFilePort.h"

namespace AdjustmentTest {

// The message of a refused block as the user sees it.
inline const std::string kRefusal = "the data of an adjustment layer is damaged";

// A big-endian block writer.
class Block {
public:
    Block& U8(uint32 inValue) {
        bytes.push_back(uint8(inValue));
        return *this;
    }
    Block& U16(uint32 inValue) { return U8(inValue >> 8).U8(inValue); }
    Block& I16(int32 inValue) { return U16(uint32(inValue) & 0xFFFF); }
    Block& U32(uint32 inValue) { return U16(inValue >> 16).U16(inValue); }
    Block& Bytes(const uint8* inData, size_t inCount) {
        bytes.insert(bytes.end(), inData, inData + inCount);
        return *this;
    }
    Block& Zeros(size_t inCount) {
        bytes.insert(bytes.end(), inCount, 0);
        return *this;
    }
    ByteVector bytes;
};

// Where the block lands in the test file, and where the stream stands when the layer is built.
inline constexpr uint32 kBlockPosition = 100;
inline constexpr uint32 kStreamPosition = 37;

struct ReadResult {
    std::unique_ptr<CAdjustmentLayer> layer;
    std::string error;  // the message of a refusal
};

// Builds the layer of inType from inData placed at kBlockPosition of a file with 0xEE filler around it;
// inLength is the block length handed to the factory (default: the data's size); inFailedRequests heap
// requests fail from the factory call on. Expects the stream back at kStreamPosition whatever happened.
inline ReadResult ReadAdjustment(uint32 inType, const ByteVector& inData, int64 inLength = -1,
                                 int32 inFailedRequests = 0) {
    ByteVector file(kBlockPosition + inData.size() + 64, 0xEE);
    for (size_t i = 0; i < inData.size(); ++i) file[kBlockPosition + i] = inData[i];
    MemoryFilePort port(file);
    SReadStream stream(&port, 0, 4096, 0);
    stream.SetPosition(kStreamPosition);
    AdjustmentLayerSettings settings;
    settings.mName = "adjustment";
    settings.mLayerID = 5;
    ReadResult result;
    try {
        if (inFailedRequests > 0) AllocatorTesting::FailHeapRequests(inFailedRequests);
        result.layer.reset(CreateAdjustmentLayer(settings, inType, stream, kBlockPosition,
                                                 uint32(inLength < 0 ? int64(inData.size()) : inLength)));
    } catch (const BaseException& e) {
        result.error = e.Message().Text();
    }
    AllocatorTesting::FailHeapRequests(0);
    EXPECT_EQ(stream.GetPosition(), kStreamPosition);
    return result;
}

// What the layer writes: GetDataLength bytes at a position, the stream elsewhere before and after.
inline ByteVector WrittenData(const CAdjustmentLayer& inLayer) {
    constexpr uint32 kStart = 12;
    MemoryFilePort port;
    {
        SWriteStream stream(&port, 0, 4096, 0);
        stream.WriteU32(0xABCDEF01);
        inLayer.WriteData(stream, kStart);
        EXPECT_EQ(stream.GetPosition(), 4u);
    }
    ByteVector bytes = port.Bytes();
    bytes.resize(kStart + inLayer.GetDataLength(), 0xEE);  // unwritten padding would show as 0xEE
    return ByteVector(bytes.begin() + kStart, bytes.end());
}

// One pixel through the layer's AdjustTile, in place.
inline NativeQuad Adjust(CAdjustmentLayer& inLayer, NativeQuad inPixel) {
    int32 rowBytes = 4;
    int32 sameRowBytes = 4;
    inLayer.AdjustTile(GRect(0, 0, 1, 1), &inPixel, rowBytes, &inPixel, sameRowBytes);
    return inPixel;
}

// The table the layer applies to one component: channel 0 red, 1 green, 2 blue (other components 0).
inline std::vector<uint8> AppliedTable(CAdjustmentLayer& inLayer, int32 inChannel) {
    std::vector<NativeQuad> pixels(256);
    for (int32 i = 0; i < 256; ++i)
        pixels[i] = MakeNativeQuad(inChannel == 0 ? i : 0, inChannel == 1 ? i : 0, inChannel == 2 ? i : 0, 9);
    int32 rowBytes = 256 * 4;
    int32 outRowBytes = 256 * 4;
    inLayer.AdjustTile(GRect(0, 0, 256, 1), pixels.data(), rowBytes, pixels.data(), outRowBytes);
    std::vector<uint8> table(256);
    for (int32 i = 0; i < 256; ++i) {
        const NativeQuad p = pixels[i];
        table[i] = inChannel == 0 ? p.red : (inChannel == 1 ? p.green : p.blue);
        EXPECT_EQ(p.alpha, 9);
    }
    return table;
}

inline std::vector<uint8> Identity() {
    std::vector<uint8> table(256);
    for (int32 i = 0; i < 256; ++i) table[i] = uint8(i);
    return table;
}

}  // namespace AdjustmentTest
