// Decoding of version blocks and dialog templates: the fields the build check relies on, and refusal
// of every truncated form.

#include "tests/Windows/ResourceDecoders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Writer {
    std::vector<uint8> data;
    Writer& U16(uint16 inValue) {
        data.push_back(uint8(inValue));
        data.push_back(uint8(inValue >> 8));
        return *this;
    }
    Writer& U32(uint32 inValue) { return U16(uint16(inValue)).U16(uint16(inValue >> 16)); }
    Writer& Wide(const std::string& inText) {
        for (char c : inText) U16(uint8(c));
        return U16(0);
    }
    Writer& Align4() {
        while (data.size() % 4) data.push_back(0);
        return *this;
    }
    Writer& Bytes(const std::vector<uint8>& inBytes) {
        data.insert(data.end(), inBytes.begin(), inBytes.end());
        return *this;
    }
};

// One version node; inValueLength counts characters for text nodes (type 1) and bytes otherwise.
std::vector<uint8> Node(const std::string& inKey, uint16 inType, const std::vector<uint8>& inValue,
                        uint16 inValueLength, const std::vector<std::vector<uint8>>& inChildren) {
    Writer w;
    w.U16(0).U16(inValueLength).U16(inType).Wide(inKey).Align4().Bytes(inValue).Align4();
    for (const auto& child : inChildren) w.Bytes(child).Align4();
    w.data[0] = uint8(w.data.size());
    w.data[1] = uint8(w.data.size() >> 8);
    return w.data;
}

std::vector<uint8> SampleVersion() {
    Writer fixed;
    fixed.U32(0xFEEF04BDu).U32(0x10000).U32(0x00040000).U32(7).U32(0x00050000).U32(9);
    while (fixed.data.size() < 52) fixed.U32(0);
    const auto text = [](const std::string& inKey, const std::string& inValue) {
        return Node(inKey, 1, Writer().Wide(inValue).data, uint16(inValue.size() + 1), {});
    };
    const auto table = Node("040904E4", 1, {}, 0, {text("FileVersion", "4.0"), text("InternalName", "Lumenar 5")});
    const auto translation = Node("Translation", 0, Writer().U16(0x409).U16(1252).data, 4, {});
    return Node("VS_VERSION_INFO", 0, fixed.data, 52,
                {Node("StringFileInfo", 1, {}, 0, {table}), Node("VarFileInfo", 1, {}, 0, {translation})});
}

std::vector<uint8> SampleDialog() {
    Writer w;
    w.U32(0x800000C0u).U32(0).U16(2).U16(0).U16(0).U16(125).U16(92);
    w.U16(0).U16(0).Wide("").U16(8).Wide("MS Sans Serif");
    const struct {
        int16 y;
        const char* text;
    } items[] = {{10, "Title"}, {76, "Last line."}};
    for (const auto& item : items) {
        w.Align4().U32(0x50020001u).U32(0).U16(5).U16(uint16(item.y)).U16(115).U16(12).U16(0xFFFF);
        w.U16(0xFFFF).U16(0x82).Wide(item.text).U16(0);
    }
    return w.data;
}

TEST(ResourceDecoders, VersionBlockGivesBinaryVersionsAndStrings) {
    const auto info = DecodeVersionInfo(SampleVersion());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->fileVersionHigh, 0x00040000u);
    EXPECT_EQ(info->fileVersionLow, 7u);
    EXPECT_EQ(info->productVersionHigh, 0x00050000u);
    EXPECT_EQ(info->productVersionLow, 9u);
    const std::map<std::string, std::string> expected = {{"FileVersion", "4.0"}, {"InternalName", "Lumenar 5"}};
    EXPECT_EQ(info->strings, expected);  // the binary translation entry is not a string
}

TEST(ResourceDecoders, DialogTemplateGivesFrameFontAndItems) {
    const auto dialog = DecodeDialogTemplate(SampleDialog());
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->style, 0x800000C0u);
    EXPECT_EQ(dialog->width, 125);
    EXPECT_EQ(dialog->height, 92);
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->font, "MS Sans Serif");
    ASSERT_EQ(dialog->items.size(), 2u);
    EXPECT_EQ(dialog->items[1].y, 76);
    EXPECT_EQ(dialog->items[1].x, 5);
    EXPECT_EQ(dialog->items[1].width, 115);
    EXPECT_EQ(dialog->items[1].classAtom, 0x82);
    EXPECT_EQ(dialog->items[1].text, "Last line.");
    EXPECT_EQ(dialog->items[0].text, "Title");
    EXPECT_EQ(DescribeDialogTemplate(*dialog),
              (std::vector<std::string>{"frame 125 x 92, title \"\", font \"MS Sans Serif\" 8",
                                        "text centred at 5,10 size 115 x 12: \"Title\"",
                                        "text centred at 5,76 size 115 x 12: \"Last line.\""}));
}

TEST(ResourceDecoders, EveryTruncationIsRefused) {
    const std::vector<uint8> version = SampleVersion(), dialog = SampleDialog();
    for (size_t n = 0; n < version.size(); ++n)
        EXPECT_FALSE(DecodeVersionInfo(std::vector<uint8>(version.begin(), version.begin() + n))) << n;
    for (size_t n = 0; n < dialog.size(); ++n)
        EXPECT_FALSE(DecodeDialogTemplate(std::vector<uint8>(dialog.begin(), dialog.begin() + n))) << n;
}

TEST(ResourceDecoders, VersionNodeLongerThanItsParentIsRefused) {
    std::vector<uint8> version = SampleVersion();
    version[0] = uint8(version.size() + 4);  // root claims more bytes than there are
    version[1] = uint8((version.size() + 4) >> 8);
    EXPECT_FALSE(DecodeVersionInfo(version));
    std::vector<uint8> damagedFixed = SampleVersion();
    damagedFixed[0x28] ^= 0xFF;  // signature of the fixed block, right after the padded root key
    EXPECT_FALSE(DecodeVersionInfo(damagedFixed));
}

}  // namespace
