// Effects in the composite: where each group is drawn, the mask, transparent tiles, visibility and the
// global angle of a read document.
#include <gtest/gtest.h>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Effects/LayerEffectsRenderer.h"
#include "Src/Orvane/Src/Effects/LayerFXSource.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/Tarnwick/LImageFile.h"
#include "tests/Effects/EffectReference.h"
#include "tests/Effects/EffectsTestSupport.h"
#include "tests/Format/ReaderTestSupport.h"

namespace {

using namespace EffectsTest;

const NativeQuad kRed = MakeNativeQuad(255, 0, 0, 255);
const NativeQuad kGreen = MakeNativeQuad(0, 255, 0, 255);

class EffectComposite : public testing::Test {
protected:
    void SetUp() override { BuildByteTables(); }
};

// The outer and inner canvases after one drawing call over the whole image.
struct Drawn {
    Canvas outer;
    Canvas inner;
};

Drawn DrawOnce(const LayerFXParameters& inParameters, CLayer& inLayer, const GRect& inArea, NativeQuad inFill) {
    Drawn d{{inArea, std::vector<NativeQuad>(size_t(inArea.Area()), inFill)}, {}};
    d.inner = d.outer;
    LayerEffectsDrawing drawing;
    drawing.mLayer = &inLayer;
    drawing.mInnerArea = drawing.mOuterArea = inArea;
    drawing.mInner = d.inner.pixels.data();
    drawing.mOuter = d.outer.pixels.data();
    drawing.mInnerRowBytes = drawing.mOuterRowBytes = inArea.Width() * 4;
    DrawLayerEffects(inParameters, drawing);
    return d;
}

NativeQuad CompositePixel(CImage& inImage, int32 inX, int32 inY) {
    NativeQuad q{};
    GetCompositeTile(inImage, GRect(inX, inY, inX + 1, inY + 1), &q, 4);
    return q;
}

LayerFXParameters HardShadow(GPoint inDirection, int32 inDistance) {
    LayerFXParameters p = QuietParameters();
    p.mDropShadowEnabled = true, p.mDropShadowBlur = 0, p.mDropShadowOpacity = 255;
    p.mDropShadowBlendMode = kBlendNormal, p.mDropShadowUseGlobalAngle = false;
    p.mDropShadowAngle = inDirection.h > 0 ? 180 << 16 : inDirection.v > 0 ? 90 << 16 : 0;
    p.mDropShadowDistance = inDistance << 16;
    return p;
}

TEST_F(EffectComposite, AnUnblurredUnmovedOpaqueShadowPaintsItsColourExactlyUnderTheOpaquePixels) {
    TestImage test = MakeImage(12, 10, GRect(2, 2, 9, 8), [](int32 x, int32 y) {
        return MakeNativeQuad(9, 9, 9, uint8((x + y) % 3 == 0 ? 0 : 255));
    });
    const Drawn d = DrawOnce(HardShadow(GPoint(1, 0), 0), *test.layer, GRect(0, 0, 12, 10), kGreen);
    for (int32 y = 0; y < 10; ++y)
        for (int32 x = 0; x < 12; ++x) {
            const bool opaque = x >= 2 && x < 9 && y >= 2 && y < 8 && (x + y) % 3 != 0;
            EXPECT_EQ(NativeQuadToWord(d.outer.pixels[size_t(y * 12 + x)]),
                      NativeQuadToWord(opaque ? kOpaqueBlack : kGreen)) << x << "," << y;
        }
    EXPECT_TRUE(d.inner.pixels == std::vector<NativeQuad>(120, kGreen));
}

TEST_F(EffectComposite, EachBevelStyleDrawsOnlyInItsGroupsAndNothingOnAFlatInterior) {
    TestImage test = MakeImage(28, 28, GRect(4, 4, 24, 24), [](int32, int32) { return kRed; });
    const GRect area(0, 0, 28, 28);
    for (int32 style : {OuterBevel, InnerBevel, Emboss, PillowEmboss}) {
        LayerFXParameters p = QuietParameters();
        p.mBevelEnabled = true, p.mBevelStyle = style, p.mBevelBlur = 0;
        p.mBevelHighlightOpacity = p.mBevelShadowOpacity = 255;
        p.mBevelHighlightBlendMode = p.mBevelShadowBlendMode = kBlendNormal;
        const Drawn d = DrawOnce(p, *test.layer, area, kGreen);
        bool outerDrawn = false, innerDrawn = false, interiorDrawn = false;
        for (int32 y = 0; y < 28; ++y)
            for (int32 x = 0; x < 28; ++x) {
                const size_t i = size_t(y * 28 + x);
                const bool changed = d.outer.pixels[i] != kGreen || d.inner.pixels[i] != kGreen;
                outerDrawn = outerDrawn || d.outer.pixels[i] != kGreen;
                innerDrawn = innerDrawn || d.inner.pixels[i] != kGreen;
                if (x >= 6 && x < 22 && y >= 6 && y < 22) interiorDrawn = interiorDrawn || changed;
            }
        EXPECT_EQ(outerDrawn, style != InnerBevel) << style;
        EXPECT_EQ(innerDrawn, style != OuterBevel) << style;
        EXPECT_FALSE(interiorDrawn) << style;
    }
}

TEST_F(EffectComposite, HiddenEffectsDrawNothing) {
    TestImage test = MakeImage(12, 10, GRect(2, 2, 9, 8), [](int32, int32) { return kRed; });
    LayerFXParameters p = HardShadow(GPoint(1, 0), 2);
    p.mInnerGlowEnabled = true;
    p.mInnerEffectsVisible = p.mOuterEffectsVisible = false;
    const Drawn d = DrawOnce(p, *test.layer, GRect(0, 0, 12, 10), kGreen);
    EXPECT_TRUE(d.outer.pixels == std::vector<NativeQuad>(120, kGreen));
    EXPECT_TRUE(d.inner.pixels == std::vector<NativeQuad>(120, kGreen));
}

// A white background and a red square whose mask hides its left half; the square casts a hard black
// shadow 3 pixels to the right and glows green inside.
TEST_F(EffectComposite, EffectsFollowTheMaskedShapeAndInnerOnesAreMaskedWithTheLayer) {
    TestImage test = MakeImage(20, 10, GRect(0, 0, 20, 10), [](int32, int32) { return kOpaqueWhite; });
    CNativeQuadTileBuffer square(GRect(2, 2, 12, 8), kRed);
    auto* layer = new CRGBLayer(nullptr, square, "square", true, kBlendNormal, 255, 2);
    test.image->AddLayer(layer, false, -1, true);
    layer->CreateLayerMask(0, GRect(7, 0, 20, 10));
    for (int32 y = 0; y < 10; ++y)
        for (int32 x = 7; x < 20; ++x) {
            const uint8 m = 255;
            layer->SetLayerMaskTile(GRect(x, y, x + 1, y + 1), &m, 1);
        }
    LayerFXParameters p = HardShadow(GPoint(1, 0), 3);
    p.mInnerGlowEnabled = true, p.mInnerGlowBlur = 0, p.mInnerGlowInvert = false, p.mInnerGlowOpacity = 255;
    p.mInnerGlowBlendMode = kBlendNormal, p.mInnerGlowColor = ColorRecord::FromRGB(0, 255, 0);
    layer->SetEffects(LayerFXSource::MakeEffects([&] {
        LayerFX fx;
        fx.SetParameters(p);
        return fx;
    }()));
    for (int32 y = 2; y < 8; ++y) {
        for (int32 x = 2; x < 7; ++x) EXPECT_EQ(CompositePixel(*test.image, x, y), kOpaqueWhite) << x << "," << y;
        for (int32 x = 7; x < 12; ++x) EXPECT_EQ(CompositePixel(*test.image, x, y), kGreen) << x << "," << y;
        for (int32 x = 12; x < 15; ++x) EXPECT_EQ(CompositePixel(*test.image, x, y), kOpaqueBlack) << x << "," << y;
        EXPECT_EQ(CompositePixel(*test.image, 15, y), kOpaqueWhite);
    }
}

TEST_F(EffectComposite, OuterEffectsReachTilesWhereTheLayerIsTransparentOrAbsent) {
    for (const GRect& buffer : {GRect(0, 0, 20, 10), GRect(2, 2, 6, 6)}) {
        auto image = std::make_unique<CImage>(20, 10);
        CNativeQuadTileBuffer pixels(buffer, kTransparentWhite);
        pixels.FillRect(GRect(2, 2, 6, 6), kRed);
        auto* layer = new CRGBLayer(nullptr, pixels, "square", true, kBlendNormal, 255, 1);
        image->AddLayer(layer, false, -1, true);
        LayerFX fx;
        fx.SetParameters(HardShadow(GPoint(1, 0), 8));
        layer->SetEffects(LayerFXSource::MakeEffects(fx));
        std::vector<NativeQuad> tile(11 * 10);
        GetCompositeTile(*image, GRect(9, 0, 20, 10), tile.data(), 11 * 4);
        for (int32 y = 0; y < 10; ++y)
            for (int32 x = 9; x < 20; ++x) {
                const bool shadow = x >= 10 && x < 14 && y >= 2 && y < 6;
                EXPECT_EQ(tile[size_t(y * 11 + x - 9)], shadow ? kOpaqueBlack : kTransparentWhite)
                    << buffer.right << ": " << x << "," << y;
            }
    }
}

TEST_F(EffectComposite, AClippedLayersShadowStaysInsideTheGroupsBase) {
    auto image = std::make_unique<CImage>(16, 12);
    auto* base = new CRGBLayer(nullptr, CNativeQuadTileBuffer(GRect(2, 2, 10, 10), kOpaqueWhite), "base", true,
                               kBlendNormal, 255, 1);
    auto* clipped = new CRGBLayer(nullptr, CNativeQuadTileBuffer(GRect(4, 4, 8, 8), kRed), "clipped", true,
                                  kBlendNormal, 255, 2);
    image->AddLayer(base, false, -1, true);
    image->AddLayer(clipped, false, -1, true);
    clipped->SetClipping(1);
    LayerFX fx;
    fx.SetParameters(HardShadow(GPoint(1, 0), 3));
    clipped->SetEffects(LayerFXSource::MakeEffects(fx));
    EXPECT_EQ(CompositePixel(*image, 5, 5), kRed);
    EXPECT_EQ(CompositePixel(*image, 8, 5), kOpaqueBlack);
    EXPECT_EQ(CompositePixel(*image, 9, 5), kOpaqueBlack);
    EXPECT_EQ(CompositePixel(*image, 10, 5), kTransparentWhite);
    EXPECT_EQ(CompositePixel(*image, 3, 5), kOpaqueWhite);
}

// A document whose black square casts a red shadow lit by the global angle (resource 1037 when given).
ByteVector ShadowDocument(std::optional<uint32> inGlobalAngle) {
    DocumentBuilder doc(20, 14);
    doc.AddLayer(LayerSpec::Solid(0, 0, 20, 14, 255, 255, 255));
    LayerSpec square = LayerSpec::Solid(4, 4, 8, 8, 0, 0, 0);
    const ByteVector shadow = Bytes()
                                  .U32(0)
                                  .U32(0)
                                  .U32(0)
                                  .U32(0)
                                  .U32(3 << 16)
                                  .Color(0, 0xFFFF, 0, 0, 0)
                                  .Mode("norm")
                                  .U8(1)
                                  .U8(1)
                                  .U8(255)
                                  .Get();
    square.blocks.push_back(AdditionalBlock::Raw(FourCC("lrFX"), Payload({Record("dsdw", shadow)})));
    doc.AddLayer(square);
    if (inGlobalAngle) doc.AddResource(ResourceSpec::Block(1037, Bytes().U32(*inGlobalAngle).Get()));
    return doc.Build();
}

using EffectDocument = ReaderTest;

TEST_F(EffectDocument, ShadowsOfAReadDocumentFallAwayFromItsGlobalAngle) {
    const struct {
        std::optional<uint32> angle;
        std::vector<GPoint> red;
        std::vector<GPoint> white;
    } cases[] = {
        {90, {{4, 8}, {7, 10}}, {{8, 8}, {4, 11}, {3, 9}}},   // straight down by 3
        {180, {{8, 4}, {10, 7}}, {{11, 4}, {8, 8}}},          // to the right by 3
        {std::nullopt, {{3, 5}, {2, 8}}, {{2, 9}, {8, 8}}},  // 30 degrees: (-2, 1)
    };
    for (const auto& c : cases) {
        MemoryFilePort port(ShadowDocument(c.angle));
        LImageFile file(&port, 0);
        NativeQuad pixels[20 * 14];
        file.GetCompositeTile(GRect(0, 0, 20, 14), pixels, false);
        for (GPoint at : c.red) EXPECT_EQ(pixels[at.v * 20 + at.h], kRed) << at.h << "," << at.v;
        for (GPoint at : c.white) EXPECT_EQ(pixels[at.v * 20 + at.h], kOpaqueWhite) << at.h << "," << at.v;
        EXPECT_EQ(pixels[5 * 20 + 5], kOpaqueBlack);
    }
}

}  // namespace
