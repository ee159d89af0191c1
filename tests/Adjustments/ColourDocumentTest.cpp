// Colour adjustments inside documents: read by the document reader, composited over the layer beneath
// through their masks, refused blocks failing the read, and hostile block data.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/Adjustments/ColourTestSupport.h"

using namespace AdjustmentTest;

namespace {

constexpr int32 kWidth = 8;
constexpr int32 kHeight = 4;
const NativeQuad kBase = MakeNativeQuad(200, 100, 50, 255);
const std::string kFileSystemError = "a file-system error has occurred";

// One block of each colour kind, with settings that move the base colour.
struct KindBlock {
    const char* name;
    uint32 key;
    uint32 type;
    ByteVector data;
};

std::vector<KindBlock> ColourBlocks() {
    Block balance;
    for (int32 value : {-20, 0, 0, 0, 30, 0, 0, 0, -15}) balance.I16(value);
    balance.U8(0).U8(0);
    Block hue;
    hue.I16(2).U8(0).U8(0).I16(0).I16(0).I16(0).I16(120).I16(-20).I16(0);
    for (int32 r = 0; r < 6; ++r)
        hue.I16((60 * r + 315) % 360).I16((60 * r + 345) % 360).I16((60 * r + 15) % 360).I16((60 * r + 45) % 360)
            .I16(0).I16(0).I16(r == 1 ? 40 : 0);
    Block hue1;
    hue1.I16(1).U8(1).U8(0).I16(30).I16(60).I16(-10).Zeros(42);
    Block selective;
    selective.I16(1).I16(0).Zeros(8);
    for (int32 range = 0; range < 9; ++range) selective.I16(range == 0 ? 60 : 0).I16(-40).I16(range == 7 ? 25 : 0).I16(10);
    Block mixer;
    mixer.I16(1).U16(0);
    for (int32 value : {0, 0, 100, 0, 0, 0, 100, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 100, 0}) mixer.I16(value);
    return {
        {"colour balance", FourCC("blnc"), kColorBalanceAdjustment, balance.bytes},
        {"hue/saturation 2", FourCC("hue2"), kHueSaturation2Adjustment, hue.bytes},
        {"hue/saturation 1 colorize", FourCC("hue "), kHueSaturationAdjustment, hue1.bytes},
        {"selective colour", FourCC("selc"), kSelectiveColorAdjustment, selective.bytes},
        {"channel mixer", FourCC("mixr"), kChannelMixerAdjustment, mixer.bytes},
    };
}

// A base layer of one colour and above it an adjustment layer whose mask covers the left half.
ByteVector Document(uint32 inKey, const ByteVector& inData) {
    DocumentBuilder doc(kWidth, kHeight);
    doc.AddLayer(LayerSpec::Solid(0, 0, kWidth, kHeight, kBase.red, kBase.green, kBase.blue));
    LayerSpec adjustment;
    adjustment.name = "adjust";
    adjustment.mask = MaskSpec::Rect(0, 0, kWidth / 2, kHeight, 0);
    adjustment.channels.push_back(ChannelSpec::Filled(kChannelMask, 255));
    adjustment.blocks.push_back(AdditionalBlock::Raw(inKey, inData));
    doc.AddLayer(adjustment);
    return doc.Build();
}

std::vector<NativeQuad> Composite(const ReadDocument& inDocument) {
    std::vector<NativeQuad> pixels(kWidth * kHeight);
    inDocument.image->GetCompositeTile(GRect(0, 0, kWidth, kHeight), pixels.data(), kWidth * 4);
    return pixels;
}

}  // namespace

class ColourDocumentTest : public ReaderTest {};

TEST_F(ColourDocumentTest, AdjustmentRecolorsBeneathItsMaskOnly) {
    for (const KindBlock& kind : ColourBlocks()) {
        ReadDocument document(Document(kind.key, kind.data));
        ASSERT_TRUE(document.loaded) << kind.name << ": " << document.error;
        ASSERT_EQ(document.image->GetLayerCount(), 2) << kind.name;
        CLayer* layer = document.image->GetLayerWithPosition(1);
        ASSERT_EQ(layer->GetLayerType(), eAdjustmentLayer) << kind.name;
        EXPECT_EQ(static_cast<CAdjustmentLayer*>(layer)->GetAdjustmentType(), kind.type) << kind.name;

        // What the same block does to the base colour on its own.
        ReadResult direct = ReadAdjustment(kind.type, kind.data);
        ASSERT_NE(direct.layer, nullptr) << kind.name;
        NativeQuad adjusted = Adjust(*direct.layer, kBase);
        adjusted.alpha = 255;
        ASSERT_NE(Word(adjusted), Word(kBase)) << kind.name << " leaves the base colour alone; pick other settings";

        const std::vector<NativeQuad> pixels = Composite(document);
        for (int32 y = 0; y < kHeight; ++y)
            for (int32 x = 0; x < kWidth; ++x)
                EXPECT_EQ(Word(pixels[y * kWidth + x]), Word(x < kWidth / 2 ? adjusted : kBase))
                    << kind.name << " at " << x << "," << y;
    }
}

TEST_F(ColourDocumentTest, ChannelMixerSwapsRedAndBlueInTheComposite) {
    const KindBlock mixer = ColourBlocks().back();
    ReadDocument document(Document(mixer.key, mixer.data));
    ASSERT_TRUE(document.loaded) << document.error;
    const std::vector<NativeQuad> pixels = Composite(document);
    EXPECT_EQ(Word(pixels[0]), Word(MakeNativeQuad(50, 100, 200, 255)));
    EXPECT_EQ(Word(pixels[kWidth - 1]), Word(kBase));
}

TEST_F(ColourDocumentTest, RefusedBlocksFailTheRead) {
    struct Case {
        const char* name;
        uint32 key;
        ByteVector data;
    };
    const Case cases[] = {
        {"mixer version 2", FourCC("mixr"), Block().I16(2).Zeros(42).bytes},
        {"selective version 0", FourCC("selc"), Block().I16(0).Zeros(82).bytes},
        {"hue version 3", FourCC("hue2"), Block().I16(3).Zeros(98).bytes},
        {"hue version 0 under the old key", FourCC("hue "), Block().I16(0).Zeros(50).bytes},
    };
    for (const Case& c : cases) {
        ReadDocument document(Document(c.key, c.data));
        EXPECT_FALSE(document.loaded) << c.name;
        EXPECT_EQ(document.error, kRefusal) << c.name;
    }
}

// Blocks of random length and content, and blocks of extreme values, either build a layer or are
// refused; a built layer must then take every kind of pixel without reading outside its tables (the
// sanitizer build checks the reads).
TEST_F(ColourDocumentTest, HostileBlockDataStaysInBounds) {
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
