// Invert, brightness/contrast, threshold and posterize layers read from their blocks, and the framework
// they share: the factory, the stream left in place, the tile application and writing back.
#include <gtest/gtest.h>

#include <set>

#include "Src/Orvane/Src/Adjustments/CBrightnessContrastAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CPosterizeAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CThresholdAdjustmentLayer.h"
#include "Src/Orvane/Src/Compositing/RasterDescriptor.h"
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

TEST(AdjustmentFactoryTest, EveryKindBuildsItsLayerAndLeavesTheStreamAlone) {
    struct Case {
        uint32 type;
        ByteVector data;
    };
    const Case cases[] = {
        {kLevelsAdjustment, Block().I16(2).U16(0).U16(255).U16(0).U16(255).U16(100).bytes},
        {kCurvesAdjustment, Block().U8(0).I16(1).U32(0).U8(0).bytes},
        {kBrightnessContrastAdjustment, Block().I16(0).I16(0).I16(127).U8(0).U8(0).bytes},
        {kThresholdAdjustment, Block().I16(128).U16(0).bytes},
        {kInvertAdjustment, {}},
        {kPosterizeAdjustment, Block().I16(4).U16(0).bytes},
    };
    for (const Case& each : cases) {
        ReadResult read = ReadAdjustment(each.type, each.data);
        ASSERT_NE(read.layer, nullptr) << each.type;
        CAdjustmentLayer& layer = *read.layer;
        EXPECT_EQ(layer.GetAdjustmentType(), each.type);
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
        EXPECT_EQ(layer.GetDataLength() % 4, 0u);
        // A clone applies the same tables.
        std::unique_ptr<CAdjustmentLayer> clone(static_cast<CAdjustmentLayer*>(layer.Clone()));
        EXPECT_EQ(clone->GetAdjustmentType(), each.type);
        for (int32 channel = 0; channel < 3; ++channel)
            EXPECT_EQ(AppliedTable(*clone, channel), AppliedTable(layer, channel)) << each.type;
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
    EXPECT_EQ(read.layer->GetDataLength(), 0u);
    EXPECT_EQ(WrittenData(*read.layer), ByteVector());
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

TEST(BrightnessContrastLayerTest, ParametersAreWrittenBackWithAZeroPad) {
    const ByteVector data = Block().I16(-32768).I16(32767).I16(-5).U8(7).U8(0xAA).bytes;
    ReadResult read = ReadAdjustment(kBrightnessContrastAdjustment, data);
    ASSERT_NE(read.layer, nullptr);
    const auto& layer = static_cast<const CBrightnessContrastAdjustmentLayer&>(*read.layer);
    EXPECT_EQ(layer.GetBrightness(), -32768);
    EXPECT_EQ(layer.GetContrast(), 32767);
    EXPECT_EQ(layer.GetPivot(), -5);
    EXPECT_TRUE(layer.GetFlag());
    EXPECT_EQ(layer.GetDataLength(), 8u);
    EXPECT_EQ(WrittenData(layer), Block().I16(-32768).I16(32767).I16(-5).U8(1).U8(0).bytes);
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
    EXPECT_EQ(WrittenData(*at77), Block().I16(77).U16(0).bytes);
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

TEST(PosterizeLayerTest, CountsBelowTwoActAsTwoAndAreWrittenBackUnchanged) {
    for (int32 levels : {1, 0, -7}) {
        EXPECT_EQ(Posterize(levels), Posterize(2)) << levels;
        ReadResult read = ReadAdjustment(kPosterizeAdjustment, Block().I16(levels).U16(0x1234).bytes);
        EXPECT_EQ(static_cast<CPosterizeAdjustmentLayer&>(*read.layer).GetLevels(), levels);
        EXPECT_EQ(WrittenData(*read.layer), Block().I16(levels).U16(0).bytes);
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
