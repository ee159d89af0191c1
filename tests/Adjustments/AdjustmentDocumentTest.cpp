// Adjustment layers of every kind inside documents: read by the document reader, composited over what
// lies beneath through their masks, refused blocks failing the read, and damaged documents never reading
// out of bounds.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/Adjustments/AdjustmentTestSupport.h"
#include "tests/Adjustments/ColourTestSupport.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "tests/Format/ReaderTestSupport.h"

using namespace AdjustmentTest;

namespace {

constexpr int32 kWidth = 8;
constexpr int32 kHeight = 4;
const NativeQuad kBase = MakeNativeQuad(200, 100, 50, 255);

struct KindBlock {
    const char* name;
    uint32 key;
    uint32 type;
    ByteVector data;
};

std::vector<KindBlock> TableBlocks() {
    Block curves;
    curves.U8(0).I16(1).U32(1u << 0).I16(3).I16(0).I16(0).I16(90).I16(128).I16(255).I16(255).Zeros(3);
    return {
        {"invert", FourCC("nvrt"), kInvertAdjustment, {}},
        {"brightness/contrast", FourCC("brit"), kBrightnessContrastAdjustment, Block().I16(30).I16(40).I16(128).U16(0).bytes},
        {"threshold", FourCC("thrs"), kThresholdAdjustment, Block().I16(110).U16(0).bytes},
        {"posterize", FourCC("post"), kPosterizeAdjustment, Block().I16(3).U16(0).bytes},
        {"levels", FourCC("levl"), kLevelsAdjustment, Block().I16(2).U16(20).U16(220).U16(0).U16(255).U16(140).bytes},
        {"curves", FourCC("curv"), kCurvesAdjustment, curves.bytes},
    };
}

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

std::vector<KindBlock> AllBlocks() {
    std::vector<KindBlock> all = TableBlocks();
    for (KindBlock& kind : ColourBlocks()) all.push_back(std::move(kind));
    return all;
}

struct AdjustmentSetup {
    uint8 maskFlags = 0;  // bit 1 disabled, bit 2 inverted
    uint8 opacity = 255;
    uint8 flags = 0;      // bit 1 hidden
    bool mask = true;     // a mask revealing the left half
    bool emptyMask = false;  // instead a mask block with an empty rectangle and default colour 255
};

// A base layer of one colour (with inBaseAlpha) and above it an adjustment layer.
ByteVector Document(uint32 inKey, const ByteVector& inData, const AdjustmentSetup& inSetup = {},
                    uint8 inBaseAlpha = 255) {
    DocumentBuilder doc(kWidth, kHeight);
    doc.AddLayer(LayerSpec::Solid(0, 0, kWidth, kHeight, kBase.red, kBase.green, kBase.blue, inBaseAlpha));
    LayerSpec adjustment;
    adjustment.name = "adjust";
    adjustment.opacity = inSetup.opacity;
    adjustment.flags = inSetup.flags;
    if (inSetup.emptyMask) adjustment.mask = MaskSpec::Rect(0, 0, 0, 0, 255);
    if (inSetup.mask) {
        adjustment.mask = MaskSpec::Rect(0, 0, kWidth / 2, kHeight, 0, inSetup.maskFlags);
        adjustment.channels.push_back(ChannelSpec::Filled(kChannelMask, 255));
    }
    adjustment.blocks.push_back(AdditionalBlock::Raw(inKey, inData));
    doc.AddLayer(adjustment);
    return doc.Build();
}

std::vector<NativeQuad> Composite(const ReadDocument& inDocument) {
    std::vector<NativeQuad> pixels(kWidth * kHeight);
    GetCompositeTile(*inDocument.image, GRect(0, 0, kWidth, kHeight), pixels.data(), kWidth * 4);
    return pixels;
}

NativeQuad Adjusted(const KindBlock& inKind, NativeQuad inPixel) {
    ReadResult direct = ReadAdjustment(inKind.type, inKind.data);
    EXPECT_NE(direct.layer, nullptr) << inKind.name;
    return direct.layer == nullptr ? inPixel : Adjust(*direct.layer, inPixel);
}

// Every pixel: the adjusted colour in the left half, the base colour in the right half (or everywhere).
void ExpectHalves(const std::vector<NativeQuad>& inPixels, NativeQuad inLeft, NativeQuad inRight, const char* inWhat) {
    for (int32 y = 0; y < kHeight; ++y)
        for (int32 x = 0; x < kWidth; ++x)
            ASSERT_EQ(Word(inPixels[y * kWidth + x]), Word(x < kWidth / 2 ? inLeft : inRight))
                << inWhat << " at " << x << "," << y;
}

}  // namespace

class AdjustmentDocumentTest : public ReaderTest {};

TEST_F(AdjustmentDocumentTest, AdjustmentRecoloursBeneathItsMaskOnly) {
    for (const KindBlock& kind : AllBlocks()) {
        ReadDocument document(Document(kind.key, kind.data));
        ASSERT_TRUE(document.loaded) << kind.name << ": " << document.error;
        ASSERT_EQ(document.image->GetLayerCount(), 2) << kind.name;
        CLayer* layer = document.image->GetLayerWithPosition(1);
        ASSERT_EQ(layer->GetLayerType(), eAdjustmentLayer) << kind.name;
        EXPECT_EQ(static_cast<CAdjustmentLayer*>(layer)->GetAdjustmentType(), kind.type) << kind.name;
        EXPECT_TRUE(layer->GetAdjustmentMask()) << kind.name;
        const NativeQuad adjusted = Adjusted(kind, kBase);
        ASSERT_NE(Word(adjusted), Word(kBase)) << kind.name << " leaves the base colour alone; pick other settings";
        ExpectHalves(Composite(document), adjusted, kBase, kind.name);
    }
}

TEST_F(AdjustmentDocumentTest, CoverageBeneathNeverChanges) {
    for (const KindBlock& kind : AllBlocks()) {
        ReadDocument document(Document(kind.key, kind.data, {}, 128));
        ASSERT_TRUE(document.loaded) << kind.name << ": " << document.error;
        NativeQuad base = kBase;
        base.alpha = 128;
        NativeQuad adjusted = Adjusted(kind, kBase);
        adjusted.alpha = 128;
        ExpectHalves(Composite(document), adjusted, base, kind.name);
    }
}

TEST_F(AdjustmentDocumentTest, MaskSettingsVisibilityAndNoMask) {
    const KindBlock invert = TableBlocks()[0];
    const NativeQuad inverted = Adjusted(invert, kBase);
    AdjustmentSetup setup;
    setup.maskFlags = 4;  // inverted: the right half is recoloured
    ExpectHalves(Composite(ReadDocument(Document(invert.key, invert.data, setup))), kBase, inverted, "inverted mask");
    setup.maskFlags = 2;  // disabled: the layer does nothing
    ExpectHalves(Composite(ReadDocument(Document(invert.key, invert.data, setup))), kBase, kBase, "disabled mask");
    setup = {};
    setup.flags = 2;  // hidden
    ExpectHalves(Composite(ReadDocument(Document(invert.key, invert.data, setup))), kBase, kBase, "hidden");
    setup = {};
    setup.mask = false;  // no mask block: the layer covers nothing
    ReadDocument unmasked(Document(invert.key, invert.data, setup));
    ASSERT_TRUE(unmasked.loaded) << unmasked.error;
    EXPECT_FALSE(unmasked.image->GetLayerWithPosition(1)->HasLayerMask());
    EXPECT_TRUE(unmasked.image->GetLayerWithPosition(1)->GetBounds().Empty());
    ExpectHalves(Composite(unmasked), kBase, kBase, "no mask");
    setup.emptyMask = true;  // a mask of the canvas in the default colour 255: everything is recoloured
    ExpectHalves(Composite(ReadDocument(Document(invert.key, invert.data, setup))), inverted, inverted, "open mask");
    // Half opacity mixes the inverted colour with the base colour.
    setup = {};
    setup.opacity = 128;
    const std::vector<NativeQuad> half = Composite(ReadDocument(Document(invert.key, invert.data, setup)));
    EXPECT_GT(half[0].red, inverted.red);
    EXPECT_LT(half[0].red, kBase.red);
    EXPECT_EQ(Word(half[kWidth - 1]), Word(kBase));
}

TEST_F(AdjustmentDocumentTest, ChannelMixerSwapsRedAndBlueInTheComposite) {
    const KindBlock mixer = ColourBlocks().back();
    ReadDocument document(Document(mixer.key, mixer.data));
    ASSERT_TRUE(document.loaded) << document.error;
    ExpectHalves(Composite(document), MakeNativeQuad(50, 100, 200, 255), kBase, "channel mixer");
}

TEST_F(AdjustmentDocumentTest, RefusedBlocksFailTheRead) {
    const KindBlock cases[] = {
        {"curves version 2", FourCC("curv"), 0, Block().U8(0).I16(2).U32(0).Zeros(1).bytes},
        {"curve of one point", FourCC("curv"), 0, Block().U8(0).I16(1).U32(1).I16(1).I16(0).I16(0).Zeros(1).bytes},
        {"curve point 300", FourCC("curv"), 0, Block().U8(0).I16(1).U32(1).I16(2).I16(300).I16(0).I16(255).I16(255).Zeros(1).bytes},
        {"curves version 0 in map form", FourCC("curv"), 0, Block().U8(1).I16(0).U32(0).Zeros(8).bytes},
        {"curve of seventeen points", FourCC("curv"), 0, Block().U8(0).I16(1).U32(1).I16(17).Zeros(80).bytes},
        {"curve output 256", FourCC("curv"), 0, Block().U8(0).I16(1).U32(1).I16(2).I16(0).I16(0).I16(256).I16(255).Zeros(4).bytes},
        {"curve input -1", FourCC("curv"), 0, Block().U8(0).I16(1).U32(8).I16(2).I16(0).I16(-1).I16(255).I16(255).Zeros(4).bytes},
        {"levels version 1 of 6 records", FourCC("levl"), 0, Block().I16(1).U16(6).Zeros(96).bytes},
        {"levels version 1 of no records", FourCC("levl"), 0, Block().I16(1).U16(0).Zeros(96).bytes},
        {"levels version 1 of 65535 records", FourCC("levl"), 0, Block().I16(1).U16(0xFFFF).Zeros(96).bytes},
        {"mixer version 0", FourCC("mixr"), 0, Block().I16(0).Zeros(42).bytes},
        {"mixer version 2", FourCC("mixr"), 0, Block().I16(2).Zeros(42).bytes},
        {"mixer version -1", FourCC("mixr"), 0, Block().I16(-1).Zeros(42).bytes},
        {"selective version 0", FourCC("selc"), 0, Block().I16(0).Zeros(82).bytes},
        {"selective version 2", FourCC("selc"), 0, Block().I16(2).Zeros(82).bytes},
        {"selective version 256", FourCC("selc"), 0, Block().I16(0x100).Zeros(82).bytes},
        {"hue version 3", FourCC("hue2"), 0, Block().I16(3).Zeros(98).bytes},
        {"hue version -1", FourCC("hue2"), 0, Block().I16(-1).Zeros(98).bytes},
        {"hue version 0x201", FourCC("hue2"), 0, Block().I16(0x201).Zeros(98).bytes},
        {"hue version 0 under the old key", FourCC("hue "), 0, Block().I16(0).Zeros(50).bytes},
    };
    for (const KindBlock& c : cases) {
        ReadDocument document(Document(c.key, c.data));
        EXPECT_FALSE(document.loaded) << c.name;
        EXPECT_EQ(document.error, kRefusal) << c.name;
    }
}

// Documents cut anywhere in the adjustment record, and adjustment blocks of random content
// under every key, are either read or refused; the sanitizer build checks that nothing reads outside
// its buffers.
TEST_F(AdjustmentDocumentTest, DamagedDocumentsStayInBounds) {
    const std::vector<KindBlock> kinds = TableBlocks();
    for (const KindBlock& kind : kinds) {
        DocumentLayout layout;
        DocumentBuilder doc(kWidth, kHeight);
        doc.AddLayer(LayerSpec::Solid(0, 0, kWidth, kHeight, 1, 2, 3));
        LayerSpec adjustment;
        adjustment.blocks.push_back(AdditionalBlock::Raw(kind.key, kind.data));
        doc.AddLayer(adjustment);
        const ByteVector whole = doc.Build(&layout);
        for (size_t cut = layout.records[1]; cut <= layout.channels[0][0]; ++cut) {
            ReadDocument document(ByteVector(whole.begin(), whole.begin() + ptrdiff_t(cut)));
            if (!document.loaded) {
                EXPECT_NE(document.error, "") << kind.name << " cut at " << cut;
                EXPECT_EQ(document.error.find("foreign"), std::string::npos) << document.error;
            }
        }
    }
    std::mt19937 random(3);
    int32 loaded = 0;
    for (int32 round = 0; round < 90; ++round) {
        const KindBlock& kind = kinds[size_t(round) % kinds.size()];
        ByteVector data(std::uniform_int_distribution<size_t>(0, 40)(random));
        for (uint8& byte : data) byte = uint8(random());
        if (data.size() >= 3 && kind.type == kCurvesAdjustment) data[1] = 0, data[2] = 1;  // a valid version
        ReadDocument document(Document(kind.key, data));
        if (!document.loaded) {
            EXPECT_NE(document.error, "") << kind.name;
            EXPECT_EQ(document.error.find("foreign"), std::string::npos) << document.error;
            continue;
        }
        ++loaded;
        const std::vector<NativeQuad> pixels = Composite(document);
        for (const NativeQuad& pixel : pixels) ASSERT_EQ(pixel.alpha, 255) << kind.name;
    }
    EXPECT_GT(loaded, 30);
}
