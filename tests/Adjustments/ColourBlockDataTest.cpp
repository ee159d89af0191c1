// Colour adjustments built from hostile block data: blocks of random length and content, and blocks of
// extreme values, either build a layer or are refused, and a built layer takes every kind of pixel.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/Adjustments/ColourTestSupport.h"

using namespace AdjustmentTest;

namespace {

const std::string kFileSystemError = "a file-system error has occurred";

}  // namespace

// Blocks of random length and content, and blocks of extreme values, either build a layer or are
// refused; a built layer must then take every kind of pixel without reading outside its tables (the
// sanitizer build checks the reads).
TEST_F(ColourTest, HostileBlockDataStaysInBounds) {
    std::vector<NativeQuad> pixels;
    for (int32 r = 0; r < 256; r += 17)
        for (int32 g = 0; g < 256; g += 15)
            for (int32 b = 0; b < 256; b += 51) pixels.push_back(MakeNativeQuad(uint8(r), uint8(g), uint8(b), 1));
    const auto exercise = [&](CAdjustmentLayer& inLayer) {
        std::vector<NativeQuad> out(pixels.size(), MakeNativeQuad(0, 0, 0, 77));
        int32 rowBytes = int32(pixels.size() * 4);
        int32 outRowBytes = rowBytes;
        inLayer.AdjustTile(GRect(0, 0, int32(pixels.size()), 1), pixels.data(), rowBytes, out.data(), outRowBytes);
        return out;
    };
    const uint32 types[] = {kColorBalanceAdjustment, kHueSaturationAdjustment, kSelectiveColorAdjustment,
                            kHueSaturation2Adjustment, kChannelMixerAdjustment};
    std::mt19937 random(77);
    int32 built = 0;
    for (uint32 type : types) {
        for (int32 round = 0; round < 60; ++round) {
            ByteVector data(std::uniform_int_distribution<size_t>(0, 110)(random));
            for (uint8& byte : data) byte = uint8(random());
            // Keep a valid version often enough that most rounds build a layer.
            if (data.size() >= 2 && round % 2 == 0) data[0] = 0, data[1] = uint8(1 + round % 4 / 2);
            ReadResult result = ReadAdjustment(type, data);
            if (result.layer == nullptr) {
                // A bad version, or a block running past the end of the file.
                EXPECT_TRUE(result.error == kRefusal || result.error == kFileSystemError) << type << ": " << result.error;
                continue;
            }
            ++built;
            exercise(*result.layer);
        }
        for (int32 extreme : {-32768, 32767, -101, 101}) {
            Block block;
            block.I16(type == kHueSaturationAdjustment ? 1 : (type == kHueSaturation2Adjustment ? 2 : 1));
            for (int32 i = 0; i < 60; ++i) block.I16(i % 3 == 0 ? extreme : -extreme / 2);
            ReadResult result = ReadAdjustment(type, block.bytes);
            ASSERT_NE(result.layer, nullptr) << type << " " << extreme << ": " << result.error;
            exercise(*result.layer);
        }
    }
    EXPECT_GT(built, 100);
}
