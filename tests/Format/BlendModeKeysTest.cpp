// Blend-mode keys both ways, and what unknown keys and modes turn into.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Pellin/Isol/Exceptions.h"

namespace {

struct KeyCase {
    const char* key;
    uint32 mode;
};

// The keys documents use, as the layout documents them.
const KeyCase kDocumentKeys[] = {
    {"norm", 12000}, {"dark", 12001}, {"lite", 12002}, {"hue ", 12003}, {"sat ", 12004}, {"colr", 12005},
    {"lum ", 12006}, {"mul ", 12007}, {"scrn", 12008}, {"diss", 12009}, {"over", 12017}, {"hLit", 12018},
    {"sLit", 12019}, {"diff", 12023}, {"smud", 12024}, {"div ", 12025}, {"idiv", 12026},
};

uint32 Key(const char* inText) {
    return uint32(uint8(inText[0])) << 24 | uint32(uint8(inText[1])) << 16 | uint32(uint8(inText[2])) << 8 |
           uint8(inText[3]);
}

class BlendModeKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::TestHooks::Reset();
        Platform::TestHooks::SetEcho(false);
    }
    void TearDown() override { Platform::TestHooks::Reset(); }

    static std::vector<std::string> ReportedTexts() {
        std::vector<std::string> texts;
        for (const auto& box : Platform::TestHooks::MessageBoxes())
            texts.push_back(box.title + ": " + box.text);
        return texts;
    }
};

TEST_F(BlendModeKeysTest, EveryDocumentKeyMapsBothWays) {
    for (const KeyCase& c : kDocumentKeys) {
        EXPECT_EQ(ExternalToInternalBlendMode(FourCC("ZQRS"), Key(c.key)), c.mode) << c.key;
        uint32 signature = 0, key = 0;
        InternalToExternalBlendMode(c.mode, signature, key);
        EXPECT_EQ(signature, FourCC("ZQRS")) << c.key;
        EXPECT_EQ(key, Key(c.key)) << c.key;
        EXPECT_EQ(LayerBlendModeFromKey(Key(c.key)), c.mode) << c.key;
    }
    EXPECT_TRUE(ReportedTexts().empty());
}

TEST_F(BlendModeKeysTest, ModesWithoutKeysAndNonModesBecomeNormal) {
    std::set<uint32> keyed;
    for (const KeyCase& c : kDocumentKeys) keyed.insert(c.mode);
    std::vector<uint32> unkeyed = {0, 11999, 12029, 0xFFFFFFFF};
    for (uint32 mode = 12000; mode <= 12028; ++mode)
        if (!keyed.count(mode)) unkeyed.push_back(mode);
    ASSERT_EQ(unkeyed.size(), 4u + 12u);  // curve/scale x4, erase, behind, and the six gaps
    for (uint32 mode : unkeyed) {
        Platform::TestHooks::ClearLogs();
        uint32 signature = 0, key = 0;
        InternalToExternalBlendMode(mode, signature, key);
        EXPECT_EQ(signature, FourCC("ZQRS")) << mode;
        EXPECT_EQ(key, FourCC("norm")) << mode;
        EXPECT_EQ(ReportedTexts(),
                  std::vector<std::string>{
                      "Debug String: InternalToExternalBlendMode: Unrecognized internal blend mode"})
            << mode;
    }
}

TEST_F(BlendModeKeysTest, UnknownKeysAndSignaturesThrowWithTheirText) {
    const struct {
        const char* signature;
        const char* key;
    } cases[] = {
        {"ZQRS", "xxxx"}, {"ZQRS", "NORM"}, {"ZQRS", "hue\0"}, {"ZQRT", "norm"}, {"\0\0\0\0", "mul "}};
    for (const auto& c : cases) {
        try {
            ExternalToInternalBlendMode(Key(c.signature), Key(c.key));
            ADD_FAILURE() << "no exception for " << c.key;
        } catch (const Exception& e) {
            EXPECT_EQ(e.GetText(), "ExternalToInternalBlendMode: Unrecognized external blend mode");
        }
    }
    // Each throw site reported once, through the throw report.
    EXPECT_EQ(Platform::TestHooks::MessageBoxes().size(), std::size(cases));
}

}  // namespace
