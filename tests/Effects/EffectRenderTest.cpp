// Drawing effects: every effect against the reference model over random layers and parameters, tile
// independence, and the figures of the blur, the offsets, the bounds and the bevel; and effects in the
// composite: where each group is drawn, the mask and clip groups. (What each effect draws is owned by the
// reference comparison; outer effects over transparent tiles by the composite rules.)
#include <gtest/gtest.h>

#include <random>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Effects/EffectGeometry.h"
#include "Src/Orvane/Src/Effects/LayerEffectsRenderer.h"
#include "Src/Orvane/Src/Effects/LayerFXSource.h"
#include "Src/Orvane/Src/Effects/TentBlur.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Effects/EffectReference.h"
#include "tests/Effects/EffectsTestSupport.h"

namespace {

using namespace EffectsTest;

class EffectRender : public testing::Test {
protected:
    void SetUp() override { BuildByteTables(); }
};

// Draws through the pipeline's entry point, cutting the canvas into the given tiles.
void Draw(const LayerFXParameters& inParameters, CLayer& inLayer, bool inUseMask, Canvas& ioOuter,
          Canvas& ioInner, const std::vector<GRect>& inTiles) {
    for (const GRect& tile : inTiles) {
        LayerEffectsDrawing drawing;
        drawing.mLayer = &inLayer;
        drawing.mInnerArea = tile;
        drawing.mInner = &ioInner.At(tile.left, tile.top);
        drawing.mInnerRowBytes = ioInner.area.Width() * 4;
        drawing.mOuterArea = tile;
        drawing.mOuter = &ioOuter.At(tile.left, tile.top);
        drawing.mOuterRowBytes = ioOuter.area.Width() * 4;
        drawing.mUseLayerMask = inUseMask;
        DrawLayerEffects(inParameters, drawing);
    }
}

Canvas RandomCanvas(std::mt19937& ioRandom, const GRect& inArea, bool inOpaque) {
    Canvas canvas{inArea, std::vector<NativeQuad>(size_t(inArea.Area()))};
    for (NativeQuad& q : canvas.pixels) {
        const uint32 word = ioRandom();
        q = WordToNativeQuad(word);
        if (inOpaque || word % 3 == 0) q.alpha = 255;
        if (word % 7 == 0) q.alpha = 0;
    }
    return canvas;
}

// Blobs of coverage: fully opaque discs with soft edges and a few stray partial pixels.
NativeQuad BlobPixel(int32 x, int32 y, uint32 inSeed) {
    const int32 cx = int32(inSeed % 13) + 6, cy = int32((inSeed / 13) % 9) + 5;
    const int32 d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    uint8 alpha = d2 < 16 ? 255 : d2 < 30 ? uint8(255 - (d2 - 16) * 17) : 0;
    if ((x * 7 + y * 3 + int32(inSeed)) % 23 == 0) alpha = uint8(inSeed + uint32(x));
    return MakeNativeQuad(uint8(x * 9), uint8(y * 11), 77, alpha);
}

TEST_F(EffectRender, EveryEffectMatchesTheReferenceModelWholeAndTileByTile) {
    std::mt19937 random(5);
    const GRect canvasArea(0, 0, 30, 22);
    for (int round = 0; round < 120; ++round) {
        const uint32 seed = random();
        const GRect layerRect(int32(random() % 8) - 3, int32(random() % 6) - 2, 18 + int32(random() % 14),
                              14 + int32(random() % 10));
        TestImage test =
            MakeImage(30, 22, layerRect, [seed](int32 x, int32 y) { return BlobPixel(x, y, seed); });
        test.layer->SetOpacity(random() % 4 == 0 ? uint8(random()) : uint8(255));
        const bool useMask = random() % 3 == 0;
        if (useMask) {
            test.layer->CreateLayerMask(uint8(random() % 2 ? 255 : 90), GRect(4, 3, 20, 15));
            std::vector<uint8> mask(16 * 12);
            for (size_t i = 0; i < mask.size(); ++i)
                mask[i] = uint8(((4 + i % 16) * 31 + (3 + i / 16) * 17) % 256);
            test.layer->SetLayerMaskTile(GRect(4, 3, 20, 15), mask.data(), 16);
            test.layer->SetMaskInverted(random() % 2);
        }
        const int32 globalAngle = int32(random() % 400) - 20;
        test.image->SetGlobalAngle(globalAngle);
        LayerFXParameters p = RandomParameters(random, 9, 7);
        p.mInnerEffectsVisible = random() % 8 != 0, p.mOuterEffectsVisible = random() % 8 != 0;

        Canvas outer = RandomCanvas(random, canvasArea, false);
        Canvas inner = RandomCanvas(random, canvasArea, true);
        Canvas expectedOuter = outer, expectedInner = inner;
        ReferenceEffects(p, *test.layer, useMask, globalAngle, expectedOuter, expectedInner);

        Canvas wholeOuter = outer, wholeInner = inner;
        Draw(p, *test.layer, useMask, wholeOuter, wholeInner, {canvasArea});
        EXPECT_TRUE(wholeOuter.pixels == expectedOuter.pixels) << "outer, round " << round;
        EXPECT_TRUE(wholeInner.pixels == expectedInner.pixels) << "inner, round " << round;

        const int32 cutX = 1 + int32(random() % 28), cutY = 1 + int32(random() % 20);
        Draw(p, *test.layer, useMask, outer, inner,
             {GRect(0, 0, cutX, cutY), GRect(cutX, 0, 30, cutY), GRect(0, cutY, cutX, 22),
              GRect(cutX, cutY, 30, 22)});
        EXPECT_TRUE(outer.pixels == expectedOuter.pixels) << "outer in tiles, round " << round;
        EXPECT_TRUE(inner.pixels == expectedInner.pixels) << "inner in tiles, round " << round;
    }
}

void ExpectReferenceFor(const LayerFXParameters& inParameters, int32 inWidth, int32 inHeight,
                        const GRect& inLayerRect, const std::function<NativeQuad(int32, int32)>& inPixel) {
    const GRect canvasArea(0, 0, inWidth, inHeight);
    TestImage test = MakeImage(inWidth, inHeight, inLayerRect, inPixel);
    std::mt19937 random(1);
    Canvas outer = RandomCanvas(random, canvasArea, false), inner = RandomCanvas(random, canvasArea, true);
    Canvas expectedOuter = outer, expectedInner = inner;
    ReferenceEffects(inParameters, *test.layer, false, 30, expectedOuter, expectedInner);
    Draw(inParameters, *test.layer, false, outer, inner, {canvasArea});
    EXPECT_TRUE(outer.pixels == expectedOuter.pixels);
    EXPECT_TRUE(inner.pixels == expectedInner.pixels);
}

TEST_F(EffectRender, TheWidestBlurAndAreasWiderThanOneStripMatchTheReference) {
    const auto stripes = [](int32 x, int32) {
        return MakeNativeQuad(10, 20, 30, uint8(x % 50 < 30 ? 255 : x % 50 * 5));
    };
    LayerFXParameters p = QuietParameters();
    p.mOuterGlowEnabled = true, p.mOuterGlowBlur = kMaxFXFixedBlurValue, p.mOuterGlowIntensity = 0x1000000;
    p.mOuterGlowBlendMode = kBlendNormal, p.mOuterGlowOpacity = 255;
    p.mInnerShadowEnabled = true, p.mInnerShadowBlur = 0x28000, p.mInnerShadowDistance = 0x30000;
    ExpectReferenceFor(p, 70, 12, GRect(3, 2, 60, 7), stripes);

    p.mOuterGlowBlur = 0x38000;
    p.mBevelEnabled = true, p.mBevelStyle = Emboss, p.mBevelBlur = 0x18000;
    ExpectReferenceFor(p, 530, 6, GRect(3, 1, 525, 5), stripes);
}

TEST(EffectBlur, RadiusIsTheBlurRoundedUpBetweenTwoAndFifty) {
    const struct {
        Fixed blur;
        int32 radius;
    } cases[] = {{0, 2},       {0x8000, 2},  {0x10000, 2}, {0x20000, 2},   {0x20001, 2},
                 {0x20002, 3}, {0x50000, 5}, {0x58000, 6}, {0x320000, 50}, {0x3C0000, 50}};
    for (const auto& c : cases) EXPECT_EQ(TentBlur::RadiusOf(c.blur), c.radius) << c.blur;
}

TEST(EffectGeometry, OffsetsFollowTheLightAngleAndBoundsGrowByEachEffect) {
    EXPECT_EQ(ShadowOffset(120 << 16, 5 << 16, false, 30), GPoint(2, 4));
    EXPECT_EQ(ShadowOffset(120 << 16, 5 << 16, true, 30), GPoint(-4, 2));
    EXPECT_EQ(ShadowOffset(0, 5 << 16, true, 90), GPoint(0, 5));
    EXPECT_EQ(ShadowOffset(-90 << 16, 0x58000, false, 0), GPoint(0, -5));
    EXPECT_EQ(ShadowOffset(180 << 16, 7 << 16, false, 0), GPoint(7, 0));

    LayerFXParameters p = QuietParameters();
    p.mDropShadowEnabled = true, p.mDropShadowUseGlobalAngle = false;
    const GRect layer(10, 10, 20, 20);
    EXPECT_EQ(EffectsBounds(p, layer, 30), GRect(8, 10, 27, 29));
    EXPECT_EQ(EffectsBounds(p, layer, 30, true), GRect(4, 2, 23, 21));
    p.mDropShadowOpacity = 0;
    EXPECT_EQ(EffectsBounds(p, layer, 30), layer);
    p = QuietParameters();
    p.mBevelEnabled = true, p.mBevelBlur = 0, p.mBevelHighlightOpacity = 0;
    EXPECT_EQ(EffectsBounds(p, layer, 30), GRect(9, 9, 22, 22));
    p.mBevelShadowOpacity = 0;
    EXPECT_EQ(EffectsBounds(p, layer, 30), layer);
    p = QuietParameters();
    p.mInnerGlowEnabled = true, p.mInnerGlowBlur = 0x8000;
    EXPECT_EQ(EffectsBounds(p, layer, 30), GRect(9, 9, 22, 22));

    p.mBevelUseGlobalAngle = false, p.mBevelAngle = -0x5A8000;  // -90.5 degrees
    EXPECT_EQ(BevelLightAngle(p, 30, false), 270);
    EXPECT_EQ(BevelLightAngle(p, 30, true), 90);
    p.mBevelUseGlobalAngle = true;
    EXPECT_EQ(BevelLightAngle(p, 200, true), 20);
    EXPECT_EQ(BevelLightAngle(p, -30, false), 330);
}

const NativeQuad kRed = MakeNativeQuad(255, 0, 0, 255);
const NativeQuad kGreen = MakeNativeQuad(0, 255, 0, 255);

using EffectComposite = EffectRender;

NativeQuad CompositePixel(CImage& inImage, int32 inX, int32 inY) {
    NativeQuad q{};
    GetCompositeTile(inImage, GRect(inX, inY, inX + 1, inY + 1), &q, 4);
    return q;
}

// A hard black shadow inDistance pixels to the right.
LayerFXParameters HardShadow(int32 inDistance) {
    LayerFXParameters p = QuietParameters();
    p.mDropShadowEnabled = true, p.mDropShadowBlur = 0, p.mDropShadowOpacity = 255;
    p.mDropShadowBlendMode = kBlendNormal, p.mDropShadowUseGlobalAngle = false;
    p.mDropShadowAngle = 180 << 16, p.mDropShadowDistance = inDistance << 16;
    return p;
}

// A white background and a red square whose mask hides its left half; the square casts a hard black
// shadow 3 pixels to the right and glows green inside.
TEST_F(EffectComposite, EffectsFollowTheMaskedShapeAndInnerOnesAreMaskedWithTheLayer) {
    TestImage test = MakeImage(20, 10, GRect(0, 0, 20, 10), [](int32, int32) { return kOpaqueWhite; });
    CNativeQuadTileBuffer square(GRect(2, 2, 12, 8), kRed);
    auto* layer = new CRGBLayer(nullptr, square, "square", true, kBlendNormal, 255, 2);
    test.image->AddLayer(layer, false, -1, true);
    layer->CreateLayerMask(0, GRect(7, 0, 20, 10));
    const std::vector<uint8> opaque(13 * 10, 255);
    layer->SetLayerMaskTile(GRect(7, 0, 20, 10), opaque.data(), 13);
    LayerFXParameters p = HardShadow(3);
    p.mInnerGlowEnabled = true, p.mInnerGlowBlur = 0, p.mInnerGlowInvert = false, p.mInnerGlowOpacity = 255;
    p.mInnerGlowBlendMode = kBlendNormal, p.mInnerGlowColor = ColorRecord::FromRGB(0, 255, 0);
    layer->SetEffects(LayerFXSource::MakeEffects([&] {
        LayerFX fx;
        fx.SetParameters(p);
        return fx;
    }()));
    for (int32 y = 2; y < 8; ++y) {
        for (int32 x = 2; x < 7; ++x)
            EXPECT_EQ(CompositePixel(*test.image, x, y), kOpaqueWhite) << x << "," << y;
        for (int32 x = 7; x < 12; ++x) EXPECT_EQ(CompositePixel(*test.image, x, y), kGreen) << x << "," << y;
        for (int32 x = 12; x < 15; ++x)
            EXPECT_EQ(CompositePixel(*test.image, x, y), kOpaqueBlack) << x << "," << y;
        EXPECT_EQ(CompositePixel(*test.image, 15, y), kOpaqueWhite);
    }
}

TEST_F(EffectComposite, AClippedLayersShadowStaysInsideTheGroupsBase) {
    auto image = std::make_unique<CImage>(16, 12);
    auto* base = new CRGBLayer(nullptr, CNativeQuadTileBuffer(GRect(2, 2, 10, 10), kOpaqueWhite), "base",
                               true, kBlendNormal, 255, 1);
    auto* clipped = new CRGBLayer(nullptr, CNativeQuadTileBuffer(GRect(4, 4, 8, 8), kRed), "clipped", true,
                                  kBlendNormal, 255, 2);
    image->AddLayer(base, false, -1, true);
    image->AddLayer(clipped, false, -1, true);
    clipped->SetClipping(1);
    LayerFX fx;
    fx.SetParameters(HardShadow(3));
    clipped->SetEffects(LayerFXSource::MakeEffects(fx));
    EXPECT_EQ(CompositePixel(*image, 5, 5), kRed);
    EXPECT_EQ(CompositePixel(*image, 8, 5), kOpaqueBlack);
    EXPECT_EQ(CompositePixel(*image, 9, 5), kOpaqueBlack);
    EXPECT_EQ(CompositePixel(*image, 10, 5), kTransparentWhite);
    EXPECT_EQ(CompositePixel(*image, 3, 5), kOpaqueWhite);
}

}  // namespace
