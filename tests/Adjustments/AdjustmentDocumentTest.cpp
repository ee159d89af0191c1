// Adjustment layers of every kind inside documents: read by the document reader, composited over what
// lies beneath through their masks, refused blocks failing the read, and damaged documents never reading
// out of bounds.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/Format/ReaderTestSupport.h"

using namespace AdjustmentTest;

namespace {

constexpr int32 kWidth = 8;
constexpr int32 kHeight = 4;
const NativeQuad kBase = MakeNativeQuad(200, 100, 50, 255);

// A base layer of one colour (with inBaseAlpha) and above it an adjustment layer whose mask reveals the
// left half.
ByteVector Document(uint32 inKey, const ByteVector& inData, uint8 inBaseAlpha = 255) {
    DocumentBuilder doc(kWidth, kHeight);
    doc.AddLayer(LayerSpec::Solid(0, 0, kWidth, kHeight, kBase.red, kBase.green, kBase.blue, inBaseAlpha));
    LayerSpec adjustment;
    adjustment.mask = MaskSpec::Rect(0, 0, kWidth / 2, kHeight, 0);
    adjustment.channels.push_back(ChannelSpec::Filled(kChannelMask, 255));
    adjustment.blocks.push_back(AdditionalBlock::Raw(inKey, inData));
    doc.AddLayer(adjustment);
    return doc.Build();
}

std::vector<NativeQuad> Composite(const ReadDocument& inDocument) {
    std::vector<NativeQuad> pixels(kWidth * kHeight);
    GetCompositeTile(*inDocument.image, GRect(0, 0, kWidth, kHeight), pixels.data(), kWidth * 4);
    return pixels;
}

}  // namespace

class AdjustmentDocumentTest : public ReaderTest {};

// Every kind (that changes the base colour) recolours beneath its mask only, and never changes the
// coverage beneath.
TEST_F(AdjustmentDocumentTest, AdjustmentRecoloursBeneathItsMaskOnly) {
    int32 kinds = 0;
    for (const KindCase& kind : EveryKind()) {
        ReadResult direct = ReadAdjustment(kind.type, kind.data);
        ASSERT_NE(direct.layer, nullptr) << kind.name;
        NativeQuad base = kBase, adjusted = Adjust(*direct.layer, kBase);
        if (Word(adjusted) == Word(kBase)) continue;
        ++kinds;
        for (uint8 baseAlpha : {255, 128}) {
            ReadDocument document(Document(kind.key, kind.data, baseAlpha));
            ASSERT_TRUE(document.loaded) << kind.name << ": " << document.error;
            ASSERT_EQ(document.image->GetLayerCount(), 2) << kind.name;
            CLayer* layer = document.image->GetLayerWithPosition(1);
            ASSERT_EQ(layer->GetLayerType(), eAdjustmentLayer) << kind.name;
            EXPECT_EQ(static_cast<CAdjustmentLayer*>(layer)->GetAdjustmentType(),
                      kind.writtenType ? kind.writtenType : kind.type)
                << kind.name;
            EXPECT_TRUE(layer->GetAdjustmentMask()) << kind.name;
            base.alpha = adjusted.alpha = baseAlpha;
            // Every pixel: the adjusted colour in the left half, the base colour in the right half.
            const std::vector<NativeQuad> pixels = Composite(document);
            for (int32 i = 0; i < kWidth * kHeight; ++i)
                ASSERT_EQ(Word(pixels[size_t(i)]), Word(i % kWidth < kWidth / 2 ? adjusted : base))
                    << kind.name << " at " << i % kWidth << "," << i / kWidth;
        }
    }
    EXPECT_GE(kinds, 15);
}

TEST_F(AdjustmentDocumentTest, RefusedBlocksFailTheRead) {
    const struct {
        const char* name;
        uint32 key;
        ByteVector data;
    } cases[] = {
        {"curves version 2", FourCC("curv"), Block().U8(0).I16(2).U32(0).Zeros(1).bytes},
        {"curve of one point", FourCC("curv"),
         Block().U8(0).I16(1).U32(1).I16(1).I16(0).I16(0).Zeros(1).bytes},
        {"curve point 300", FourCC("curv"),
         Block().U8(0).I16(1).U32(1).I16(2).I16(300).I16(0).I16(255).I16(255).Zeros(1).bytes},
        {"curves version 0 in map form", FourCC("curv"), Block().U8(1).I16(0).U32(0).Zeros(8).bytes},
        {"curve of seventeen points", FourCC("curv"), Block().U8(0).I16(1).U32(1).I16(17).Zeros(80).bytes},
        {"curve output 256", FourCC("curv"),
         Block().U8(0).I16(1).U32(1).I16(2).I16(0).I16(0).I16(256).I16(255).Zeros(4).bytes},
        {"curve input -1", FourCC("curv"),
         Block().U8(0).I16(1).U32(8).I16(2).I16(0).I16(-1).I16(255).I16(255).Zeros(4).bytes},
        {"levels version 1 of 6 records", FourCC("levl"), Block().I16(1).U16(6).Zeros(96).bytes},
        {"levels version 1 of no records", FourCC("levl"), Block().I16(1).U16(0).Zeros(96).bytes},
        {"levels version 1 of 65535 records", FourCC("levl"), Block().I16(1).U16(0xFFFF).Zeros(96).bytes},
        {"mixer version 0", FourCC("mixr"), Block().I16(0).Zeros(42).bytes},
        {"mixer version 2", FourCC("mixr"), Block().I16(2).Zeros(42).bytes},
        {"mixer version -1", FourCC("mixr"), Block().I16(-1).Zeros(42).bytes},
        {"selective version 0", FourCC("selc"), Block().I16(0).Zeros(82).bytes},
        {"selective version 2", FourCC("selc"), Block().I16(2).Zeros(82).bytes},
        {"selective version 256", FourCC("selc"), Block().I16(0x100).Zeros(82).bytes},
        {"hue version 3", FourCC("hue2"), Block().I16(3).Zeros(98).bytes},
        {"hue version -1", FourCC("hue2"), Block().I16(-1).Zeros(98).bytes},
        {"hue version 0x201", FourCC("hue2"), Block().I16(0x201).Zeros(98).bytes},
        {"hue version 0 under the old key", FourCC("hue "), Block().I16(0).Zeros(50).bytes},
    };
    for (const auto& c : cases) {
        ReadDocument document(Document(c.key, c.data));
        EXPECT_FALSE(document.loaded) << c.name;
        EXPECT_EQ(document.error, kRefusal) << c.name;
    }
}

// Documents cut anywhere in the adjustment record are read or refused; blocks of every kind of random
// length and content, or of extreme values, build a layer or are refused, and a built layer takes every
// kind of pixel. The sanitizer build checks that nothing reads outside its buffers or tables.
TEST_F(AdjustmentDocumentTest, DamagedDocumentsAndHostileBlocksStayInBounds) {
    for (const KindCase& kind : EveryKind()) {
        DocumentLayout layout;
        DocumentBuilder doc(kWidth, kHeight);
        doc.AddLayer(LayerSpec::Solid(0, 0, kWidth, kHeight, 1, 2, 3));
        LayerSpec adjustment;
        adjustment.blocks.push_back(AdditionalBlock::Raw(kind.key, kind.data));
        doc.AddLayer(adjustment);
        const ByteVector whole = doc.Build(&layout);
        for (size_t cut = layout.records[1]; cut <= layout.channels[0][0]; ++cut) {
            ReadDocument document(ByteVector(whole.begin(), whole.begin() + ptrdiff_t(cut)));
            EXPECT_TRUE(document.loaded || document.error != "") << kind.name << " cut at " << cut;
        }
    }
    std::vector<NativeQuad> pixels;
    for (int32 r = 0; r < 256; r += 17)
        for (int32 g = 0; g < 256; g += 15)
            for (int32 b = 0; b < 256; b += 51)
                pixels.push_back(MakeNativeQuad(uint8(r), uint8(g), uint8(b), 1));
    const auto exercise = [&](CAdjustmentLayer& inLayer) {
        std::vector<NativeQuad> out(pixels.size(), MakeNativeQuad(0, 0, 0, 77));
        int32 rowBytes = int32(pixels.size() * 4), outRowBytes = rowBytes;
        inLayer.AdjustTile(GRect(0, 0, int32(pixels.size()), 1), pixels.data(), rowBytes, out.data(),
                           outRowBytes);
    };
    std::mt19937 random(77);
    int32 built = 0;
    for (const KindCase& kind : EveryKind()) {
        for (int32 round = 0; round < 40; ++round) {
            ByteVector data(std::uniform_int_distribution<size_t>(0, 110)(random));
            for (uint8& byte : data) byte = uint8(random());
            // Keep a valid version often enough that most rounds build a layer.
            if (data.size() >= 3 && round % 2 == 0) {
                const size_t at = kind.type == kCurvesAdjustment ? 1 : 0;
                data[at] = 0, data[at + 1] = uint8(1 + round % 4 / 2);
            }
            ReadResult result = ReadAdjustment(kind.type, data);
            if (result.layer == nullptr) {
                // A bad version, or a block running past the end of the file.
                EXPECT_TRUE(result.error == kRefusal || result.error == kMiscDisk)
                    << kind.name << ": " << result.error;
                continue;
            }
            ++built;
            exercise(*result.layer);
        }
        if (kind.type == kCurvesAdjustment || kind.type == kLevelsAdjustment) continue;
        for (int32 extreme : {-32768, 32767, -101, 101}) {
            Block block;
            block.I16(kind.type == kHueSaturation2Adjustment ? 2 : 1);
            for (int32 i = 0; i < 60; ++i) block.I16(i % 3 == 0 ? extreme : -extreme / 2);
            ReadResult result = ReadAdjustment(kind.type, block.bytes);
            ASSERT_NE(result.layer, nullptr) << kind.name << " " << extreme << ": " << result.error;
            exercise(*result.layer);
        }
    }
    EXPECT_GT(built, 200);
}
