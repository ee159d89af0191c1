// CChannel and its processors: constant tiles, padding, inversion and bounds searches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/StChannelProcessors.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/support/ReportCapture.h"

namespace {

uint8 ByteAt(const CChannel& inChannel, int32 inX, int32 inY) {
    uint8 value = 0xA5;
    inChannel.GetPixel(GPoint(inX, inY), value, kPadNone, nullptr);
    return value;
}

std::vector<uint8> ReadAll(const CChannel& inChannel) {
    const GRect bounds = inChannel.GetBounds();
    std::vector<uint8> bytes(size_t(bounds.Width()) * size_t(bounds.Height()));
    inChannel.GetTile(bounds, bytes.data(), bounds.Width());
    return bytes;
}

TEST(ChannelConstantTiles, ANewChannelReadsItsDefaultWithoutPixelMemory) {
    const CChannel channel(GRect(0, 0, 100, 100), 255);
    for (uint8 byte : ReadAll(channel)) ASSERT_EQ(byte, 255);
    for (int32 i = 0; i < channel.TileCount(); ++i) EXPECT_FALSE(channel.TileHasMemory(i)) << i;
    EXPECT_EQ(channel.TileCount(), 4);
}

TEST(ChannelConstantTiles, WritingOnePixelStoresOnlyItsTile) {
    CChannel channel(GRect(0, 0, 100, 100), 255);
    channel.SetPixel(GPoint(70, 10), 255);
    EXPECT_TRUE(channel.TileIsConstant(1));
    channel.SetPixel(GPoint(70, 10), 3);
    for (int32 i = 0; i < 4; ++i) EXPECT_EQ(channel.TileIsConstant(i), i != 1) << i;
    EXPECT_EQ(ByteAt(channel, 70, 10), 3);
    EXPECT_EQ(ByteAt(channel, 71, 10), 255);
    channel.FillRect(GRect(64, 0, 100, 64), 9);  // the whole edge tile again
    EXPECT_TRUE(channel.TileIsConstant(1));
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

TEST(ChannelPadding, ValuesBeyondTheBoundsFollowTheMode) {
    CChannel channel(GRect(0, 0, 3, 3), 200);
    channel.SetPixel(GPoint(2, 2), 77);
    const uint8 zero = 0;
    struct Case {
        PaddingMode mode;
        uint8 right, below;  // expected at (3, 2) and (2, 3)
    } cases[] = {{kPadValue, 0, 0}, {kPadEdge, 77, 77}, {kPadNone, 0xA5, 0xA5}};
    for (const Case& c : cases) {
        std::vector<uint8> out(16, 0xA5);
        channel.GetTile(GRect(0, 0, 4, 4), out.data(), 4, c.mode, &zero);
        EXPECT_EQ(out[2 * 4 + 3], c.right) << c.mode;
        EXPECT_EQ(out[3 * 4 + 2], c.below) << c.mode;
        EXPECT_EQ(out[2 * 4 + 2], 77) << c.mode;
        EXPECT_EQ(out[0], 200) << c.mode;
    }
    std::vector<uint8> out(16, 0xA5);
    CaptureReports([&] { EXPECT_THROW(channel.GetTile(GRect(-1, 0, 3, 3), out.data(), 4, kPadThrow, nullptr), OutOfImageBounds); });
    EXPECT_EQ(out[1], 200);  // copied before the throw
    EXPECT_EQ(out[0], 0xA5);
}

TEST(ChannelProcessors, InvertingTwiceRestoresTheChannel) {
    CChannel channel(GRect(-7, -7, 130, 70), 10);
    for (int32 i = 0; i < 200; ++i) channel.SetPixel(GPoint((i * 37) % 137 - 7, (i * 11) % 77 - 7), uint8(i));
    const std::vector<uint8> before = ReadAll(channel);
    StInvertChannel invert;
    channel.ForEachPixelInArea(channel.GetBounds(), invert, nullptr);
    const std::vector<uint8> inverted = ReadAll(channel);
    for (size_t i = 0; i < before.size(); ++i) ASSERT_EQ(inverted[i], 255 - before[i]) << i;
    channel.ForEachPixelInArea(channel.GetBounds(), invert, nullptr);
    EXPECT_EQ(ReadAll(channel), before);
}

TEST(ChannelProcessors, InvertingACaller64WideRunInOnePiece) {
    // Row bytes equal to the width: the rows are one run, and every byte is still inverted exactly once.
    std::vector<uint8> bytes(64 * 3);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8(i);
    StInvertChannel invert;
    EXPECT_TRUE(invert.Process(GRect(0, 0, 64, 3), bytes.data(), 64));
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], uint8(255 - uint8(i))) << i;
    std::vector<uint8> padded(10 * 2, 1);
    invert.Process(GRect(0, 0, 4, 2), padded.data(), 10);
    EXPECT_EQ(padded[3], 254);
    EXPECT_EQ(padded[4], 1);  // beyond the part
    EXPECT_EQ(padded[13], 254);
}

struct FindCase {
    const char* name;
    uint8 fill;
    std::vector<std::pair<GPoint, uint8>> pixels;
    uint8 threshold;
    GRect greater;   // expected from StFindBoundsViaGreaterThan
    GRect notEqual;  // expected from StFindBoundsViaNotEqualTo and FindBoundsNotEqualTo
};

class ChannelFindBounds : public ::testing::TestWithParam<FindCase> {};

TEST_P(ChannelFindBounds, FindersReportTheBoundsOfPassingBytes) {
    const FindCase& c = GetParam();
    CChannel channel(GRect(0, 0, 150, 90), c.fill);
    for (const auto& [point, value] : c.pixels) channel.SetPixel(point, value);
    StFindBoundsViaGreaterThan greater(channel.GetBounds(), c.threshold);
    StFindBoundsViaNotEqualTo notEqual(channel.GetBounds(), c.threshold);
    channel.ForEachPixelInArea(channel.GetBounds(), greater, nullptr);
    channel.ForEachPixelInArea(channel.GetBounds(), notEqual, nullptr);
    EXPECT_EQ(greater.GetBounds(), c.greater);
    EXPECT_EQ(notEqual.GetBounds(), c.notEqual);
    EXPECT_EQ(channel.FindBoundsNotEqualTo(c.threshold), c.notEqual);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChannelFindBounds,
    ::testing::Values(
        FindCase{"OnlyByteAbove127", 0, {{GPoint(5, 7), 200}, {GPoint(100, 80), 127}}, 127, GRect(5, 7, 6, 8),
                 GRect(0, 0, 150, 90)},
        FindCase{"Zeros", 0, {}, 127, GRect(), GRect(0, 0, 150, 90)},
        FindCase{"ZerosAgainstZero", 0, {}, 0, GRect(), GRect()},
        FindCase{"AcrossTiles", 127, {{GPoint(149, 3), 128}, {GPoint(2, 89), 255}, {GPoint(70, 70), 126}}, 127,
                 GRect(2, 3, 150, 90), GRect(2, 3, 150, 90)},
        FindCase{"BelowOnly", 127, {{GPoint(64, 64), 0}}, 127, GRect(), GRect(64, 64, 65, 65)}),
    [](const ::testing::TestParamInfo<FindCase>& inInfo) { return std::string(inInfo.param.name); });

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
