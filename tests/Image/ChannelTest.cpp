// CChannel: constant tiles; values, padding, inversion and bounds searches are checked by the model runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"

namespace {

uint8 ByteAt(const CChannel& inChannel, int32 inX, int32 inY) {
    uint8 value = 0xA5;
    inChannel.GetPixel(GPoint(inX, inY), value, kPadNone, nullptr);
    return value;
}

std::vector<bool> ConstantTiles(const CChannel& inChannel) {
    std::vector<bool> constant;
    for (int32 i = 0; i < inChannel.TileCount(); ++i) constant.push_back(inChannel.TileIsConstant(i));
    return constant;
}

TEST(ChannelConstantTiles, OnlyWritingADifferentValueIntoPartOfATileStoresIt) {
    CChannel channel(GRect(0, 0, 100, 100), 255);
    EXPECT_EQ(ConstantTiles(channel), std::vector<bool>(4, true));
    for (int32 i = 0; i < 4; ++i) EXPECT_FALSE(channel.TileHasMemory(i)) << i;
    channel.SetPixel(GPoint(70, 10), 255);
    EXPECT_EQ(ConstantTiles(channel), std::vector<bool>(4, true));
    channel.SetPixel(GPoint(70, 10), 3);
    EXPECT_EQ(ConstantTiles(channel), (std::vector<bool>{true, false, true, true}));
    channel.FillRect(GRect(64, 0, 100, 64), 9);  // the whole edge tile again
    EXPECT_EQ(ConstantTiles(channel), std::vector<bool>(4, true));
    EXPECT_EQ(ByteAt(channel, 70, 10), 9);
}

}  // namespace
