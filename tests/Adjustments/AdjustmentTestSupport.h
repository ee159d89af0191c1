// Helpers of the adjustment suites: data blocks written byte by byte, adjustment layers read from them
// through the factory (checking that the stream is left where it was), and written back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "tests/Format/ReaderTestSupport.h"  // Word: a pixel as 0xAARRGGBB, so failures print all four components
#include "tests/support/DocumentBuilder.h"
#include "tests/support/MemoryFilePort.h"

namespace AdjustmentTest {

// The message of a refused block as the user sees it.
inline const std::string kRefusal = "the data of an adjustment layer is damaged";

using Block = Bytes;

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
    ByteVector bytes = WrittenBytes(0, [&](SWriteStream& stream) {
        stream.WriteU32(0xABCDEF01);
        inLayer.WriteData(stream, kStart);
        EXPECT_EQ(stream.GetPosition(), 4u);
    });
    bytes.resize(kStart + inLayer.GetDataLength(), 0xEE);  // unwritten padding would show as 0xEE
    return ByteVector(bytes.begin() + kStart, bytes.end());
}

// One pixel through the layer's AdjustTile, in place.
inline NativeQuad Adjust(CAdjustmentLayer& inLayer, NativeQuad inPixel) {
    int32 rowBytes = 4, sameRowBytes = 4;
    inLayer.AdjustTile(GRect(0, 0, 1, 1), &inPixel, rowBytes, &inPixel, sameRowBytes);
    return inPixel;
}

// One pixel through AdjustTile into a separate destination that holds (1, 2, 3, 4) before: shows which
// bytes of the destination the layer writes.
inline NativeQuad AdjustInto(CAdjustmentLayer& inLayer, NativeQuad inPixel) {
    NativeQuad out = MakeNativeQuad(1, 2, 3, 4);
    int32 rowBytes = 4, outRowBytes = 4;
    inLayer.AdjustTile(GRect(0, 0, 1, 1), &inPixel, rowBytes, &out, outRowBytes);
    return out;
}

// The table the layer applies to one component: channel 0 red, 1 green, 2 blue (other components 0).
inline std::vector<uint8> AppliedTable(CAdjustmentLayer& inLayer, int32 inChannel) {
    std::vector<NativeQuad> pixels(256);
    for (int32 i = 0; i < 256; ++i)
        pixels[i] = MakeNativeQuad(inChannel == 0 ? i : 0, inChannel == 1 ? i : 0, inChannel == 2 ? i : 0, 9);
    int32 rowBytes = 256 * 4, outRowBytes = 256 * 4;
    inLayer.AdjustTile(GRect(0, 0, 256, 1), pixels.data(), rowBytes, pixels.data(), outRowBytes);
    std::vector<uint8> table(256);
    for (int32 i = 0; i < 256; ++i) {
        const NativeQuad p = pixels[i];
        table[i] = inChannel == 0 ? p.red : (inChannel == 1 ? p.green : p.blue);
        EXPECT_EQ(p.alpha, 9);
    }
    return table;
}

// Every kind read from a block, with the block it writes back (the read block unless the case says
// otherwise: pads are written as zeros, old versions as the current one).
struct KindCase {
    const char* name;
    uint32 key;  // of the block in a document
    uint32 type;
    ByteVector data;
    uint32 length;           // GetDataLength
    ByteVector written;      // empty: the data itself; shorter than length: the rest is not written
    uint32 writtenType = 0;  // 0: the type read
};

inline std::vector<KindCase> EveryKind() {
    Block curves;  // curve form: the blue curve inverts, the curve of bit 20 is kept as read
    curves.U8(0).I16(1).U32(1u << 3 | 1u << 20).I16(2).I16(255).I16(0).I16(0).I16(255);
    curves.I16(2).I16(10).I16(0).I16(20).I16(255).Zeros(1);
    Block map;  // map form: master inverts, blue halves; bit 30 is no entry and is not written
    map.U8(1).I16(1).U32(1u << 0 | 1u << 3 | 1u << 30);
    for (int32 i = 0; i < 512; ++i) map.U8(i < 256 ? 255 - i : (i - 256) / 2 + 10);
    map.Zeros(1);
    Block mapWritten(map);
    mapWritten.bytes[3] = 0;                 // the top byte of the entry bits
    Block levels2, levels1, levels1Written;  // version 1: 16-byte records, values at +0, +4, +6, +8, +10
    levels2.I16(2);
    for (int32 v : {0, 255, 0, 255, 100, 20, 230, 10, 240, 130}) levels2.U16(v);
    levels1.I16(1).U16(2);
    levels1Written.I16(2);
    for (const auto& r :
         {std::array<int32, 5>{0, 255, 0, 255, 100}, std::array<int32, 5>{25, 235, 5, 250, 90}}) {
        levels1.U16(r[0]).U16(0xDEAD).U16(r[1]).U16(r[2]).U16(r[3]).U16(r[4]).U32(0xBEEFBEEF);
        for (int32 v : r) levels1Written.U16(v);
    }
    levels1Written.Zeros(2);  // written as version 2
    Block mixer;
    mixer.I16(1).U16(1);
    for (int32 v : {30, 59, 11, 0, -5, 100, -200, 0, 7, 0, 0, 0, 100, 0, 50, 1, 2, 3, 4, 5}) mixer.I16(v);
    Block selective;
    selective.I16(1).I16(1).I16(11).I16(22).I16(33).I16(44);
    for (int32 range = 0; range < 9; ++range)
        for (int32 v : {range * 7 - 30, -range, 100 - range * 20, range % 3 - 1}) selective.I16(v);
    Block selectiveWritten(selective);
    std::fill_n(selectiveWritten.bytes.begin() + 4, 8, 0);  // the first record is written as zeros
    Block hue2;
    hue2.I16(2).U8(0).U8(0).I16(-90).I16(40).I16(-20).I16(33).I16(-12).I16(5);
    for (int32 r = 0; r < 6; ++r)
        for (int32 v : {60 * r, 60 * r + 10, 60 * r + 20, 60 * r + 30, r - 30, 45, -60}) hue2.I16(v % 360);
    Block colorize2(hue2);
    colorize2.bytes[2] = 1;  // the colorize flag
    Block hue1;
    hue1.I16(1).U8(0).U8(0);
    for (int32 i = 0; i < 24; ++i) hue1.I16(i * 9 - 100);
    Block balance;
    for (int32 v : {-20, 5, 17, 0, -33, 100, 12, -100, 3}) balance.I16(v);
    return {
        {"levels", FourCC("levl"), kLevelsAdjustment, levels2.bytes, 24, {}},
        {"levels version 1", FourCC("levl"), kLevelsAdjustment, levels1.bytes, 24, levels1Written.bytes},
        {"curves", FourCC("curv"), kCurvesAdjustment, curves.bytes, 28, {}},
        {"curves map", FourCC("curv"), kCurvesAdjustment, map.bytes, 520, mapWritten.bytes},
        {"null curves", FourCC("curv"), kCurvesAdjustment, Block().U8(0).I16(1).U32(0).Zeros(1).bytes, 8, {}},
        {"brightness/contrast", FourCC("brit"), kBrightnessContrastAdjustment,
         Block().I16(-32768).I16(32767).I16(-5).U8(7).U8(0xAA).bytes, 8,
         Block().I16(-32768).I16(32767).I16(-5).U8(1).U8(0).bytes},
        {"threshold", FourCC("thrs"), kThresholdAdjustment, Block().I16(77).U16(0xFFFF).bytes, 4,
         Block().I16(77).U16(0).bytes},
        {"invert", FourCC("nvrt"), kInvertAdjustment, {}, 0, {}},
        {"posterize below two", FourCC("post"), kPosterizeAdjustment, Block().I16(-7).U16(0x1234).bytes, 4,
         Block().I16(-7).U16(0).bytes},
        {"colour balance", FourCC("blnc"), kColorBalanceAdjustment, Block(balance).U8(1).U8(0xAA).bytes, 20,
         Block(balance).U8(1).bytes},
        {"channel mixer", FourCC("mixr"), kChannelMixerAdjustment, mixer.bytes, 44, {}},
        {"selective colour", FourCC("selc"), kSelectiveColorAdjustment, selective.bytes, 84,
         selectiveWritten.bytes},
        {"hue/saturation 1", FourCC("hue "), kHueSaturationAdjustment, hue1.bytes, 52, {}},
        {"hue/saturation 1 under the new key", FourCC("hue2"), kHueSaturation2Adjustment, hue1.bytes, 52,
         ByteVector(), kHueSaturationAdjustment},
        {"hue/saturation 2", FourCC("hue2"), kHueSaturation2Adjustment, hue2.bytes, 100, {}},
        {"hue/saturation 2 colorize", FourCC("hue2"), kHueSaturation2Adjustment, colorize2.bytes, 100, {}},
        {"hue/saturation 2 under the old key", FourCC("hue "), kHueSaturationAdjustment, hue2.bytes, 100,
         ByteVector(), kHueSaturation2Adjustment},
    };
}

inline std::vector<uint8> Identity() {
    std::vector<uint8> table(256);
    for (int32 i = 0; i < 256; ++i) table[i] = uint8(i);
    return table;
}

}  // namespace AdjustmentTest
