// Channel kinds and stored ids, entry lengths, and the raw-or-packed choice for written channels.
#include <gtest/gtest.h>

#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Format/ChannelLength.h"
#include "Src/Orvane/Src/Format/PackBits.h"

namespace {

class ChannelLengthTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::TestHooks::Reset();
        Platform::TestHooks::SetEcho(false);
    }
    void TearDown() override { Platform::TestHooks::Reset(); }
    static size_t Reports() { return Platform::TestHooks::MessageBoxes().size(); }
};

TEST_F(ChannelLengthTest, StoredIDsMapToKindsAndBack) {
    const struct {
        int16 id;
        uint32 kind;
    } known[] = {{0, kChannelKindRed},
                 {1, kChannelKindGreen},
                 {2, kChannelKindBlue},
                 {-1, kChannelKindTransparency},
                 {-2, kChannelKindMask}};
    for (const auto& c : known) {
        const ChannelLength channel = ChannelLength::FromEntry(c.id, 100);
        EXPECT_EQ(channel.GetKind(), c.kind) << c.id;
        EXPECT_FALSE(channel.IsPacked());
        EXPECT_EQ(ChannelLength::StoredIDFromKind(c.kind), c.id);
    }
    EXPECT_EQ(Reports(), 0u);

    for (int16 id : {int16(3), int16(-3), int16(32767), int16(-32768)}) {
        Platform::TestHooks::ClearLogs();
        const ChannelLength channel = ChannelLength::FromEntry(id, 100);
        EXPECT_EQ(channel.GetKind(), uint32(kChannelKindUnset)) << id;
        ASSERT_EQ(Reports(), 1u) << id;
        EXPECT_EQ(Platform::TestHooks::MessageBoxes()[0].text, "Switch guard failed.");
    }
    // An entry's length is kept as stored, even below the two bytes of its compression field.
    for (uint32 length : {0u, 1u, 65538u, 0xFFFFFFFFu})
        EXPECT_EQ(ChannelLength::FromEntry(0, length).GetLength(), length) << length;
}

// Builds a channel the way the writer does: every row's packed size, then the raw-or-packed choice.
ChannelLength Build(const std::vector<std::vector<uint8>>& inRows, bool inAllowRaw) {
    ChannelLength channel(kChannelKindRed);
    const uint32 rowBytes = inRows.empty() ? 0 : uint32(inRows[0].size());
    for (const auto& row : inRows)
        channel.AddPackedRow(uint16(PackBits::PackedRowSize(row.data(), rowBytes)));
    channel.Finish(uint32(inRows.size()), rowBytes, inAllowRaw);
    return channel;
}

TEST_F(ChannelLengthTest, WrittenChannelsChooseRawWhenPackingDoesNotShrink) {
    const struct {
        const char* name;
        std::vector<std::vector<uint8>> rows;
        bool allowRaw;
        bool packed;
        uint32 dataLength;
    } cases[] = {
        {"one-pixel rows pack larger", {{5}, {6}, {7}}, true, false, 3},
        {"equal sizes go raw", {{1, 1}, {2, 2}}, true, false, 4},
        {"runs pack smaller", {{7, 7, 7, 7}, {8, 8, 8, 8}}, true, true, 4},
        {"one smaller row is not enough", {{7, 7, 7, 7}, {1, 2, 3, 4}, {1, 2, 3, 4}}, true, false, 12},
        {"merged data stays packed", {{5}, {6}, {7}}, false, true, 6},
        {"no rows", {}, true, false, 0},
    };
    for (const auto& c : cases) {
        const ChannelLength channel = Build(c.rows, c.allowRaw);
        EXPECT_EQ(channel.IsPacked(), c.packed) << c.name;
        EXPECT_EQ(channel.GetDataLength(), c.dataLength) << c.name;
        const uint32 counts = c.packed ? uint32(c.rows.size()) : 0;
        EXPECT_EQ(channel.LineCounts().size(), counts) << c.name;
        EXPECT_EQ(channel.GetLength(), c.dataLength + 2 * counts + 2) << c.name;
    }
    ChannelLength cleared = Build({{7, 7, 7, 7}}, true);
    cleared.Clear();
    EXPECT_EQ(cleared.GetLength(), 2u) << "a cleared channel is empty";
    EXPECT_EQ(cleared.GetKind(), uint32(kChannelKindRed));
}

}  // namespace
