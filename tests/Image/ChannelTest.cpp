// CChannel: constant tiles, empty channels and clipped walks; values, padding, inversion and bounds
// searches are checked by the model runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/StChannelProcessors.h"
#include "tests/support/ReportCapture.h"

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

TEST(ChannelEmpty, DefaultChannelsAreEmptyAndPaddingThemIsReported) {
    CChannel empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.TileCount(), 0);
    uint8 out[4] = {1, 1, 1, 1};
    const uint8 zero = 0;
    const std::string reports = CaptureReports([&] { empty.GetTile(GRect(0, 0, 2, 2), out, 2, kPadValue, &zero); });
    EXPECT_TRUE(Contains(reports, "What the heck? The bounds are empty")) << reports;
    const std::string spam = CaptureReports([&] { EXPECT_FALSE(CChannel(GRect(0, 0, 1, 1), 0).IsConstant()); });
    EXPECT_TRUE(Contains(spam, "CChannel::IsConstant is unimplemented")) << spam;
}

TEST(ChannelWalk, AnAreaOutsideTheBoundsIsReportedAndClipped) {
    CChannel channel(GRect(0, 0, 10, 10), 0);
    StInvertChannel invert;
    const std::string reports =
        CaptureReports([&] { channel.ForEachPixelInArea(GRect(5, 5, 20, 20), invert, nullptr); });
    EXPECT_TRUE(Contains(reports, "CChannel::ForEachPixelInArea - inArea is out of bounds. OK to continue but clipping "
                                  "will occur"))
        << reports;
    EXPECT_EQ(ByteAt(channel, 9, 9), 255);
    EXPECT_EQ(ByteAt(channel, 4, 9), 0);
}

}  // namespace
