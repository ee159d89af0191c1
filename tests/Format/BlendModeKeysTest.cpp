// Blend-mode keys both ways and what unknown keys and modes turn into; channel kinds and stored ids,
// entry lengths, and the raw-or-packed choice for written channels.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Format/ChannelLength.h"
#include "Src/Orvane/Src/Format/PackBits.h"
#include "Src/Pellin/Isol/Exceptions.h"

namespace {

// The keys documents use, as the layout documents them.
const struct {
    const char* key;
    uint32 mode;
} kDocumentKeys[] = {
    {"norm", 12000}, {"dark", 12001}, {"lite", 12002}, {"hue ", 12003}, {"sat ", 12004}, {"colr", 12005},
    {"lum ", 12006}, {"mul ", 12007}, {"scrn", 12008}, {"diss", 12009}, {"over", 12017}, {"hLit", 12018},
    {"sLit", 12019}, {"diff", 12023}, {"smud", 12024}, {"div ", 12025}, {"idiv", 12026},
};

uint32 Key(const char* inText) {
    return uint32(uint8(inText[0])) << 24 | uint32(uint8(inText[1])) << 16 | uint32(uint8(inText[2])) << 8 |
           uint8(inText[3]);
}

// Reports go to the hooks' message log, not to the screen.
class Codec : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::TestHooks::Reset();
        Platform::TestHooks::SetEcho(false);
    }
    void TearDown() override { Platform::TestHooks::Reset(); }

    static std::vector<std::string> Reports() {
        std::vector<std::string> texts;
        for (const auto& box : Platform::TestHooks::MessageBoxes())
            texts.push_back(box.title + ": " + box.text);
        Platform::TestHooks::ClearLogs();
        return texts;
    }
};

TEST_F(Codec, EveryDocumentKeyMapsBothWays) {
    for (const auto& c : kDocumentKeys) {
        EXPECT_EQ(ExternalToInternalBlendMode(FourCC("ZQRS"), Key(c.key)), c.mode) << c.key;
        uint32 signature = 0, key = 0;
        InternalToExternalBlendMode(c.mode, signature, key);
        EXPECT_EQ(signature, FourCC("ZQRS")) << c.key;
        EXPECT_EQ(key, Key(c.key)) << c.key;
        EXPECT_EQ(LayerBlendModeFromKey(Key(c.key)), c.mode) << c.key;
    }
    EXPECT_TRUE(Reports().empty());
}

TEST_F(Codec, ModesWithoutKeysAndNonModesBecomeNormal) {
    std::set<uint32> keyed;
    for (const auto& c : kDocumentKeys) keyed.insert(c.mode);
    std::vector<uint32> unkeyed = {0, 11999, 12029, 0xFFFFFFFF};
    for (uint32 mode = 12000; mode <= 12028; ++mode)
        if (!keyed.count(mode)) unkeyed.push_back(mode);
    ASSERT_EQ(unkeyed.size(), 4u + 12u);  // curve/scale x4, erase, behind, and the six gaps
    for (uint32 mode : unkeyed) {
        uint32 signature = 0, key = 0;
        InternalToExternalBlendMode(mode, signature, key);
        EXPECT_EQ(signature, FourCC("ZQRS")) << mode;
        EXPECT_EQ(key, FourCC("norm")) << mode;
        EXPECT_EQ(Reports(),
                  std::vector<std::string>{
                      "Debug String: InternalToExternalBlendMode: Unrecognized internal blend mode"})
            << mode;
    }
}

TEST_F(Codec, UnknownKeysAndSignaturesThrowWithTheirText) {
    const char* cases[][2] = {
        {"ZQRS", "xxxx"}, {"ZQRS", "NORM"}, {"ZQRS", "hue\0"}, {"ZQRT", "norm"}, {"\0\0\0\0", "mul "}};
    for (const auto& c : cases) {
        try {
            ExternalToInternalBlendMode(Key(c[0]), Key(c[1]));
            ADD_FAILURE() << "no exception for " << c[1];
        } catch (const Exception& e) {
            EXPECT_EQ(e.GetText(), "ExternalToInternalBlendMode: Unrecognized external blend mode");
        }
    }
    // Each throw site reported once, through the throw report.
    EXPECT_EQ(Reports().size(), std::size(cases));
}

TEST_F(Codec, StoredChannelIDsMapToKindsAndBack) {
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
    EXPECT_TRUE(Reports().empty());
    for (int16 id : {int16(3), int16(-3), int16(32767), int16(-32768)}) {
        EXPECT_EQ(ChannelLength::FromEntry(id, 100).GetKind(), uint32(kChannelKindUnset)) << id;
        EXPECT_EQ(Reports(), std::vector<std::string>{"Debug String: Switch guard failed."}) << id;
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

TEST_F(Codec, WrittenChannelsChooseRawWhenPackingDoesNotShrink) {
    const struct {
        const char* name;
        std::vector<std::vector<uint8>> rows;
        bool allowRaw, packed;
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
