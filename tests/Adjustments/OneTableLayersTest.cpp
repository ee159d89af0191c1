// Invert, brightness/contrast, threshold and posterize layers read from their blocks, and the framework
// they share: the factory, the stream left in place, the tile application and writing back.
#include <gtest/gtest.h>

#include <set>

#include "Src/Orvane/Src/Adjustments/CBrightnessContrastAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CPosterizeAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CThresholdAdjustmentLayer.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/support/ReportCapture.h"

using namespace AdjustmentTest;

namespace {

std::vector<uint8> BrightnessContrast(int32 inBrightness, int32 inContrast, int32 inPivot) {
    ReadResult read = ReadAdjustment(kBrightnessContrastAdjustment,
                                     Block().I16(inBrightness).I16(inContrast).I16(inPivot).U8(1).U8(0xAA).bytes);
    EXPECT_NE(read.layer, nullptr);
    return AppliedTable(*read.layer, 1);
}

std::vector<uint8> Posterize(int32 inLevels) {
    ReadResult read = ReadAdjustment(kPosterizeAdjustment, Block().I16(inLevels).U16(0).bytes);
    EXPECT_NE(read.layer, nullptr);
    return AppliedTable(*read.layer, 2);
}

// Every kind read from a block: the layer the factory builds, the block it writes back (the read block
// unless the case says otherwise: pads are written as zeros, old versions as the current one) and a clone
// that writes and applies the same. Refused blocks are in the document suite.
TEST(AdjustmentFactoryTest, EveryKindBuildsItsLayerWritesItsBlockBackAndClones) {
    struct Case {
        const char* name;
        uint32 type;
        ByteVector data;
        uint32 length;     // GetDataLength
        ByteVector written;    // empty: the data itself; shorter than length: the rest is not written
        uint32 writtenType = 0;  // 0: the type read
    };
    Block curves;  // curve form: the blue curve inverts, the curve of bit 20 is kept as read
    curves.U8(0).I16(1).U32(1u << 3 | 1u << 20).I16(2).I16(255).I16(0).I16(0).I16(255);
    curves.I16(2).I16(10).I16(0).I16(20).I16(255).Zeros(1);
    Block mixer;
    mixer.I16(1).U16(1);
    for (int32 v : {30, 59, 11, 0, -5, 100, -200, 0, 7, 0, 0, 0, 100, 0, 50, 1, 2, 3, 4, 5}) mixer.I16(v);
    Block selective, selectiveWritten;  // the first record is written as zeros
    selective.I16(1).I16(1).I16(11).I16(22).I16(33).I16(44);
    selectiveWritten.I16(1).I16(1).Zeros(8);
    for (int32 range = 0; range < 9; ++range)
        for (int32 v : {range * 7 - 30, -range, 100 - range * 20, range % 3 - 1}) {
            selective.I16(v);
            selectiveWritten.I16(v);
        }
    Block hue2;
    hue2.I16(2).U8(1).U8(0).I16(-90).I16(40).I16(-20).I16(33).I16(-12).I16(5);
    for (int32 r = 0; r < 6; ++r)
        for (int32 v : {60 * r, 60 * r + 10, 60 * r + 20, 60 * r + 30, r - 30, 45, -60}) hue2.I16(v % 360);
    Block hue1;
    hue1.I16(1).U8(0).U8(0);
    for (int32 i = 0; i < 24; ++i) hue1.I16(i * 9 - 100);
    Block balance;
    for (int32 v : {-20, 5, 17, 0, -33, 100, 12, -100, 3}) balance.I16(v);
    const Case cases[] = {
        {"levels", kLevelsAdjustment, Block().I16(2).U16(0).U16(255).U16(0).U16(255).U16(100).bytes, 12, {}},
        {"curves", kCurvesAdjustment, curves.bytes, 28, {}},
        {"brightness/contrast", kBrightnessContrastAdjustment, Block().I16(-32768).I16(32767).I16(-5).U8(7).U8(0xAA).bytes,
         8, Block().I16(-32768).I16(32767).I16(-5).U8(1).U8(0).bytes},
        {"threshold", kThresholdAdjustment, Block().I16(77).U16(0xFFFF).bytes, 4, Block().I16(77).U16(0).bytes},
        {"invert", kInvertAdjustment, {}, 0, {}},
        {"posterize below two", kPosterizeAdjustment, Block().I16(-7).U16(0x1234).bytes, 4, Block().I16(-7).U16(0).bytes},
        {"colour balance", kColorBalanceAdjustment, Block(balance).U8(1).U8(0xAA).bytes, 20, Block(balance).U8(1).bytes},
        {"channel mixer", kChannelMixerAdjustment, mixer.bytes, 44, {}},
        {"selective colour", kSelectiveColorAdjustment, selective.bytes, 84, selectiveWritten.bytes},
        {"hue/saturation 1", kHueSaturationAdjustment, hue1.bytes, 52, {}},
        {"hue/saturation 1 under the new key", kHueSaturation2Adjustment, hue1.bytes, 52, {}, kHueSaturationAdjustment},
        {"hue/saturation 2", kHueSaturation2Adjustment, hue2.bytes, 100, {}},
        {"hue/saturation 2 under the old key", kHueSaturationAdjustment, hue2.bytes, 100, {}, kHueSaturation2Adjustment},
    };
    for (const Case& each : cases) {
        ReadResult read = ReadAdjustment(each.type, each.data);
        ASSERT_NE(read.layer, nullptr) << each.name << ": " << read.error;
        CAdjustmentLayer& layer = *read.layer;
        const uint32 type = each.writtenType ? each.writtenType : each.type;
        EXPECT_EQ(layer.GetAdjustmentType(), type) << each.name;
        EXPECT_EQ(layer.GetLayerType(), eAdjustmentLayer);
        EXPECT_EQ(layer.GetName(), "adjustment");
        EXPECT_EQ(layer.GetLayerID(), 5u);
        EXPECT_EQ(layer.GetOrigin(), GPoint::zero);
        EXPECT_FALSE(layer.HasOwnPixels());
        EXPECT_FALSE(layer.SupportsPixelTransforms());
        // Without a mask the layer covers nothing: its bounds are its mask's.
        EXPECT_TRUE(layer.GetBounds().Empty());
        EXPECT_TRUE(layer.GetContentBounds().Empty());
        EXPECT_TRUE(layer.IsEmpty());
        EXPECT_EQ(layer.GetDataLength(), each.length) << each.name;
        const ByteVector written = WrittenData(layer);
        const ByteVector& want = each.written.empty() ? each.data : each.written;
        EXPECT_EQ(ByteVector(written.begin(), written.begin() + std::ptrdiff_t(std::min(written.size(), want.size()))), want)
            << each.name;
        std::unique_ptr<CAdjustmentLayer> clone(static_cast<CAdjustmentLayer*>(layer.Clone()));
        EXPECT_EQ(clone->GetAdjustmentType(), type) << each.name;
        EXPECT_EQ(WrittenData(*clone), written) << each.name;
        for (int32 channel = 0; channel < 3; ++channel)
            EXPECT_EQ(AppliedTable(*clone, channel), AppliedTable(layer, channel)) << each.name;
        const NativeQuad pixel = MakeNativeQuad(90, 20, 200, 7);
        EXPECT_EQ(Adjust(*clone, pixel), Adjust(layer, pixel)) << each.name;
    }
}

TEST(AdjustmentFactoryTest, UnknownTypesAndFailedAllocationsGiveNoLayer) {
    std::string reports = CaptureReports([] { EXPECT_EQ(ReadAdjustment(11, {}).layer, nullptr); });
    EXPECT_TRUE(Contains(reports, "CreateAdjustmentLayer: unknown layer type!"));
    ReadResult read = ReadAdjustment(kInvertAdjustment, {}, -1, 1);
    EXPECT_EQ(read.layer, nullptr);
    EXPECT_EQ(read.error, "");
}

TEST(AdjustmentFactoryTest, TileRequestsAreRefusedAndTheMaskGivesTheBounds) {
    ReadResult read = ReadAdjustment(kInvertAdjustment, {});
    NativeQuad pixel = MakeNativeQuad(1, 2, 3, 4);
    RasterDescriptor descriptor;
    descriptor.left = 0;
    descriptor.top = 0;
    descriptor.right = 1;
    descriptor.bottom = 1;
    descriptor.baseAddress = &pixel;
    descriptor.rowBytes = 4;
    const std::string reports =
        CaptureReports([&] { read.layer->GetTile(nullptr, nullptr, &descriptor, GRect(0, 0, 1, 1)); });
    EXPECT_TRUE(Contains(reports, "Adjustment Layer does not support Get Tile!"));
    EXPECT_EQ(pixel, MakeNativeQuad(1, 2, 3, 4));

    read.layer->SetLayerMask(CChannel(GRect(3, 4, 10, 12), 200));
    read.layer->SetMaskOffset(GPoint(1, -1));
    EXPECT_EQ(read.layer->GetBounds(), GRect(4, 3, 11, 11));
    EXPECT_FALSE(read.layer->IsEmpty());
}

TEST(InvertLayerTest, EmptyBlockInvertsColoursAndKeepsTheFourthByte) {
    ReadResult read = ReadAdjustment(kInvertAdjustment, {});
    ASSERT_NE(read.layer, nullptr);
    EXPECT_EQ(Adjust(*read.layer, NativeQuad{0, 128, 255, 200}), (NativeQuad{255, 127, 0, 200}));
}

TEST(BrightnessContrastLayerTest, FiguresOfBothBranches) {
    EXPECT_EQ(BrightnessContrast(0, 0, 127), Identity());
    // Contrast 100: a hard step at the input centre, pivot minus brightness.
    const std::vector<uint8> step = BrightnessContrast(20, 100, 120);
    for (int32 i = 0; i < 256; ++i) ASSERT_EQ(step[i], i < 100 ? 0 : 255) << i;
    // Contrast -100: everything at the output centre, pivot plus brightness, clamped.
    for (int32 i : BrightnessContrast(30, -100, 90)) ASSERT_EQ(i, 120);
    for (int32 i : BrightnessContrast(200, -100, 90)) ASSERT_EQ(i, 255);
    // Steeper: s = 255 - 127 = 128, input centre 108, output centre 128.
    const std::vector<uint8> steep = BrightnessContrast(20, 50, 128);
    EXPECT_EQ(steep[0], 0);      // 128 - (108 * 255 + 64) / 128 < 0
    EXPECT_EQ(steep[100], 112);  // 128 - (8 * 255 + 64) / 128 = 128 - 16
    EXPECT_EQ(steep[108], 128);
    EXPECT_EQ(steep[110], 132);  // 128 + (510 + 64) / 128
    EXPECT_EQ(steep[200], 255);
    // Flatter: s = -127 + 255 = 128, output centre 110, input centre 100.
    const std::vector<uint8> flat = BrightnessContrast(10, -50, 100);
    EXPECT_EQ(flat[0], 60);    // 110 - (128 * 100 + 127) / 255
    EXPECT_EQ(flat[100], 110);
    EXPECT_EQ(flat[255], 188);  // 110 + (128 * 155 + 127) / 255
}

TEST(ThresholdLayerTest, LuminanceDecidesBlackOrWhite) {
    auto threshold = [](int32 inLevel) {
        ReadResult read = ReadAdjustment(kThresholdAdjustment, Block().I16(inLevel).U16(0xFFFF).bytes);
        EXPECT_NE(read.layer, nullptr);
        return std::move(read.layer);
    };
    // Pure red has luminance (255 * 4915 + 8192) >> 14 = 76; pure green 150; pure blue 28.
    std::unique_ptr<CAdjustmentLayer> at76 = threshold(76), at77 = threshold(77);
    EXPECT_EQ(Adjust(*at76, MakeNativeQuad(255, 0, 0, 3)), MakeNativeQuad(255, 255, 255, 3));
    EXPECT_EQ(Adjust(*at77, MakeNativeQuad(255, 0, 0, 3)), MakeNativeQuad(0, 0, 0, 3));
    EXPECT_EQ(Adjust(*at77, MakeNativeQuad(0, 255, 0, 3)), MakeNativeQuad(255, 255, 255, 3));
    EXPECT_EQ(Adjust(*at77, MakeNativeQuad(0, 0, 255, 3)), MakeNativeQuad(0, 0, 0, 3));
    EXPECT_EQ(ThresholdLuminance(255, 255, 255), 255);
    std::unique_ptr<CAdjustmentLayer> white = threshold(0), black = threshold(256);
    for (int32 v = 0; v < 256; v += 5) {
        const NativeQuad pixel = MakeNativeQuad(uint8(v), uint8(255 - v), uint8(v / 2), 9);
        EXPECT_EQ(Adjust(*white, pixel), MakeNativeQuad(255, 255, 255, 9));
        EXPECT_EQ(Adjust(*black, pixel), MakeNativeQuad(0, 0, 0, 9));
    }
}

TEST(PosterizeLayerTest, LevelCountsAndTheFiveBitCase) {
    const std::vector<uint8> five = Posterize(32);
    EXPECT_EQ(five[255], 255);
    EXPECT_EQ(five[8], 8);
    EXPECT_EQ(five[7], 0);
    EXPECT_EQ(five[100], 99);  // q = 12: 96 + 3
    const std::vector<uint8> two = Posterize(2);
    for (int32 i = 0; i < 256; ++i) ASSERT_EQ(two[i], i < 128 ? 0 : 255);
    const std::vector<uint8> four = Posterize(4);
    EXPECT_EQ(std::set<uint8>(four.begin(), four.end()), (std::set<uint8>{0, 85, 170, 255}));
    for (int32 n = 2; n <= 256; ++n) {
        const std::vector<uint8> table = Posterize(n);
        const std::set<uint8> outputs(table.begin(), table.end());
        ASSERT_EQ(int32(outputs.size()), n) << n;
        ASSERT_EQ(*outputs.begin(), 0);
        ASSERT_EQ(*outputs.rbegin(), 255);
        for (int32 i = 1; i < 256; ++i) ASSERT_GE(table[i], table[i - 1]) << n;
    }
}

TEST(PosterizeLayerTest, CountsBelowTwoActAsTwoAndAreKept) {
    for (int32 levels : {1, 0, -7}) {
        EXPECT_EQ(Posterize(levels), Posterize(2)) << levels;
        ReadResult read = ReadAdjustment(kPosterizeAdjustment, Block().I16(levels).U16(0x1234).bytes);
        EXPECT_EQ(static_cast<CPosterizeAdjustmentLayer&>(*read.layer).GetLevels(), levels);
    }
}

TEST(OneTableLayersTest, InPlaceTilesKeepTheFourthByteOfEveryPixel) {
    constexpr int32 kWidth = 7, kHeight = 3, kStride = 9;
    ReadResult reads[] = {ReadAdjustment(kInvertAdjustment, {}),
                          ReadAdjustment(kThresholdAdjustment, Block().I16(100).U16(0).bytes),
                          ReadAdjustment(kPosterizeAdjustment, Block().I16(3).U16(0).bytes),
                          ReadAdjustment(kBrightnessContrastAdjustment, Block().I16(5).I16(40).I16(99).U16(0).bytes)};
    for (ReadResult& read : reads) {
        std::vector<NativeQuad> pixels(kStride * kHeight);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = MakeNativeQuad(uint8(i * 37), uint8(i * 11), uint8(i * 5), uint8(i * 13));
        const std::vector<NativeQuad> before = pixels;
        int32 rowBytes = kStride * 4;
        int32 sameRowBytes = kStride * 4;
        read.layer->AdjustTile(GRect(3, 4, 3 + kWidth, 4 + kHeight), pixels.data(), rowBytes, pixels.data(),
                               sameRowBytes);
        bool changed = false;
        for (int32 y = 0; y < kHeight; ++y) {
            for (int32 x = 0; x < kStride; ++x) {
                const size_t i = size_t(y * kStride + x);
                ASSERT_EQ(pixels[i].alpha, before[i].alpha);
                if (x >= kWidth) {
                    ASSERT_EQ(pixels[i], before[i]);  // beyond the area's width
                }
                changed = changed || !(pixels[i] == before[i]);
            }
        }
        EXPECT_TRUE(changed) << read.layer->GetAdjustmentType();
    }
}

}  // namespace
