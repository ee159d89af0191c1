// The composite rules callers rely on: the fast path, visibility, clip groups, masks, adjustment
// layers, effects hooks and the raster descriptor.
#include <gtest/gtest.h>

#include <memory>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Compositing/StGetCompositeTile.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Compositing/CompositeTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

using namespace CompositeTest;

const NativeQuad kRed = MakeNativeQuad(255, 0, 0, 255);
const NativeQuad kBlue = MakeNativeQuad(0, 0, 255, 255);

class CompositeRules : public testing::Test {
protected:
    void SetUp() override { BuildByteTables(); }

    CLayer* Add(CLayer* inLayer) {
        mImage.AddLayer(inLayer, false, -1, true);
        return inLayer;
    }
    NativeQuad At(int32 x, int32 y) { return Composite(mImage, GRect(x, y, x + 1, y + 1))[0]; }

    CImage mImage{16, 8};
};

TEST_F(CompositeRules, FastPathScalesAlphaByOpacityAndKeepsColours) {
    const uint8 alphas[] = {0, 1, 127, 128, 200, 255};
    CLayer* layer = Add(PaintedLayer(1, GRect(0, 0, 6, 1), [&](int32 x, int32) {
        return MakeNativeQuad(uint8(10 + x), uint8(100 + x), uint8(200 + x), alphas[x]);
    }));
    for (uint8 opacity : {uint8(255), uint8(128), uint8(1), uint8(0)}) {
        layer->SetOpacity(opacity);
        const std::vector<NativeQuad> pixels = Composite(mImage, GRect(0, 0, 6, 1));
        for (int32 x = 0; x < 6; ++x) {
            EXPECT_EQ(pixels[x].alpha, opacity == 0 ? 0 : Mul8(alphas[x], opacity)) << int(opacity) << " at " << x;
            EXPECT_EQ(pixels[x].red, 10 + x);
            EXPECT_EQ(pixels[x].blue, 200 + x);
        }
    }
    EXPECT_EQ(mImage.GetRasterDescriptor().baseAddress, nullptr);
}

TEST_F(CompositeRules, NothingVisibleGivesTransparentWhite) {
    const std::string reports = CaptureReports([&] { EXPECT_EQ(At(3, 3), kTransparentWhite); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"!(GetLayerCount() <= 0)\"")) << reports;
    Add(PaintedLayer(1, GRect(0, 0, 16, 8), [](int32, int32) { return kRed; }))->SetVisible(false);
    EXPECT_EQ(At(3, 3), kTransparentWhite);
    Add(PaintedLayer(2, GRect(0, 0, 16, 8), [](int32, int32) { return kBlue; }))->SetVisible(false);
    EXPECT_EQ(At(3, 3), kTransparentWhite);
}

TEST_F(CompositeRules, HiddenClipBaseHidesItsGroup) {
    CLayer* base = Add(PaintedLayer(1, GRect(0, 0, 16, 8), [](int32, int32) { return kRed; }));
    Add(PaintedLayer(2, GRect(0, 0, 16, 8), [](int32, int32) { return kBlue; }))->SetClipping(1);
    EXPECT_EQ(At(2, 2), kBlue);
    base->SetVisible(false);
    EXPECT_EQ(At(2, 2), kTransparentWhite);
    // A layer above the hidden group still shows.
    Add(PaintedLayer(3, GRect(0, 0, 4, 4), [](int32, int32) { return kRed; }));
    EXPECT_EQ(At(2, 2), kRed);
    EXPECT_EQ(At(9, 2), kTransparentWhite);
}

// The base is blended into the group buffer and the group into the destination, each with the base's
// opacity, so a base pixel of alpha a shows with Mul8(Mul8(a, o), o).
TEST_F(CompositeRules, ClipBaseOpacityActsTwice) {
    const uint8 alphas[] = {255, 200, 90};
    CLayer* base = Add(PaintedLayer(1, GRect(0, 0, 3, 1), [&](int32 x, int32) { return MakeNativeQuad(40, 50, 60, alphas[x]); }));
    base->SetOpacity(128);
    Add(PaintedLayer(2, GRect(5, 0, 6, 1), [](int32, int32) { return kBlue; }))->SetClipping(1);
    const std::vector<NativeQuad> pixels = Composite(mImage, GRect(0, 0, 3, 1));
    for (int32 x = 0; x < 3; ++x) {
        EXPECT_EQ(pixels[x].alpha, Mul8(Mul8(alphas[x], 128), 128)) << x;
        EXPECT_EQ(pixels[x].red, 40);
    }
}

TEST_F(CompositeRules, ClippedLayersCannotAddCoverage) {
    Add(PaintedLayer(1, GRect(0, 0, 8, 8), [](int32 x, int32) { return MakeNativeQuad(255, 0, 0, x < 4 ? 255 : 100); }));
    Add(PaintedLayer(2, GRect(0, 0, 16, 8), [](int32, int32) { return kBlue; }))->SetClipping(1);
    EXPECT_EQ(At(1, 1), kBlue);
    EXPECT_EQ(At(5, 1).alpha, 100);
    EXPECT_EQ(At(5, 1).blue, 255);
    EXPECT_EQ(At(12, 1), kTransparentWhite);  // beyond the base
}

TEST_F(CompositeRules, MasksHideRevealInvertAndSwitchOff) {
    struct Case {
        const char* name;
        uint8 defaultColor;
        uint8 maskValue;  // inside the mask rectangle (4, 0, 8, 8)
        bool inverted;
        bool enabled;
        uint8 insideAlpha, outsideAlpha;
    };
    const Case cases[] = {
        {"hide inside, default reveals", 255, 0, false, true, 0, 255},
        {"reveal inside, default hides", 0, 255, false, true, 255, 0},
        {"half inside", 0, 128, false, true, 128, 0},
        {"inverted zero mask shows fully", 0, 0, true, true, 255, 255},
        {"disabled", 0, 0, false, false, 255, 255},
    };
    for (const Case& c : cases) {
        CImage image(16, 8);
        auto* layer = PaintedLayer(1, GRect(0, 0, 16, 8), [](int32, int32) { return kRed; });
        image.AddLayer(layer, false, -1, true);
        layer->CreateLayerMask(c.defaultColor, GRect(4, 0, 8, 8));
        const std::vector<uint8> bytes(32, c.maskValue);
        layer->SetLayerMaskTile(GRect(4, 0, 8, 8), bytes.data(), 4);
        layer->SetMaskInverted(c.inverted);
        layer->SetMaskEnabled(c.enabled);
        const std::vector<NativeQuad> pixels = Composite(image, GRect(0, 0, 16, 8));
        EXPECT_EQ(pixels[5].alpha, c.insideAlpha) << c.name;
        EXPECT_EQ(pixels[12].alpha, c.outsideAlpha) << c.name;
        EXPECT_EQ(pixels[12].red, 255) << c.name;
    }
}

TEST_F(CompositeRules, AdjustmentLayerRecoloursOnlyUnderItsMaskAndKeepsCoverage) {
    Add(PaintedLayer(1, GRect(0, 0, 16, 8), [](int32 x, int32) { return MakeNativeQuad(200, 10, 60, x < 2 ? 0 : 150); }));
    auto* adjustment = static_cast<InvertLayer*>(Add(new InvertLayer(2)));
    adjustment->SetMaskEnabled(false);
    EXPECT_EQ(At(5, 0), MakeNativeQuad(200, 10, 60, 150));
    adjustment->SetMaskEnabled(true);
    adjustment->CreateLayerMask(255, GRect(0, 0, 16, 8));
    const std::vector<uint8> left(64, 0);
    adjustment->SetLayerMaskTile(GRect(0, 0, 8, 8), left.data(), 8);
    EXPECT_EQ(At(5, 0), MakeNativeQuad(200, 10, 60, 150));
    EXPECT_EQ(At(12, 0), MakeNativeQuad(55, 245, 195, 150));
    EXPECT_EQ(At(1, 0).alpha, 0);
    adjustment->SetOpacity(128);  // half way: 200 -> 55 gives Lerp by 128
    EXPECT_EQ(At(12, 0).alpha, 150);
    EXPECT_NE(At(12, 0).red, 55);
    EXPECT_NE(At(12, 0).red, 200);
}

TEST_F(CompositeRules, EffectsDrawBeforeTheMaskAndOuterEffectsReachTransparentTiles) {
    auto effects = std::make_shared<FakeEffects>();
    effects->mGrow = 2;
    Add(PaintedLayer(9, GRect(0, 0, 1, 1), [](int32, int32) { return kTransparentWhite; }));  // the active layer
    CLayer* layer = Add(PaintedLayer(1, GRect(4, 0, 8, 8), [](int32, int32) { return kRed; }));
    layer->SetEffects(LayerEffects(effects));
    layer->CreateLayerMask(255, GRect(6, 0, 8, 8));
    const std::vector<uint8> zero(16, 0);
    layer->SetLayerMaskTile(GRect(6, 0, 8, 8), zero.data(), 2);

    // Inside the layer the inner colour drawn by the effects shows; where the mask hides the layer (and
    // its inner effects) the outer effect beneath it shows.
    EXPECT_EQ(At(5, 0), effects->mInnerColor);
    EXPECT_EQ(At(7, 0), effects->mOuterColor);
    ASSERT_FALSE(effects->mCalls.empty());
    EXPECT_TRUE(effects->mCalls.back().innerAlphaAllOpaque);
    EXPECT_TRUE(effects->mCalls.back().useLayerMask);
    // Beside the layer, within the grown bounds: the layer is transparent there, the outer effect draws.
    effects->mCalls.clear();
    EXPECT_EQ(At(2, 0), effects->mOuterColor);
    EXPECT_EQ(effects->mCalls.size(), 1u);
    // Beyond the grown bounds nothing is drawn.
    effects->mCalls.clear();
    EXPECT_EQ(At(12, 0), kTransparentWhite);
    EXPECT_TRUE(effects->mCalls.empty());
    // Without outer effects a transparent tile is skipped.
    effects->mOuter = false;
    EXPECT_EQ(At(2, 0), kTransparentWhite);
    EXPECT_TRUE(effects->mCalls.empty());
}

TEST_F(CompositeRules, CompositeBufferIsReusedWhenItsSizeMatches) {
    Add(PaintedLayer(1, GRect(0, 0, 16, 8), [](int32 x, int32 y) { return MakeNativeQuad(uint8(x), uint8(y), 7, 255); }));
    CNativeQuadTileBuffer buffer(GRect(100, 100, 110, 104), kRed);
    GetCompositeBuffer(mImage, GRect(3, 2, 13, 6), buffer, nullptr);
    EXPECT_EQ(buffer.GetBounds(), GRect(3, 2, 13, 6));
    NativeQuad q{};
    buffer.GetTile(GRect(12, 5, 13, 6), &q, 4);
    EXPECT_EQ(q, MakeNativeQuad(12, 5, 7, 255));
    GetEntireComposite(mImage, buffer, nullptr);
    EXPECT_EQ(buffer.GetBounds(), GRect(0, 0, 16, 8));
    buffer.GetTile(GRect(0, 7, 1, 8), &q, 4);
    EXPECT_EQ(q, MakeNativeQuad(0, 7, 7, 255));
}

TEST_F(CompositeRules, ProcessorsWithoutAnImageThrow) {
    StGetCompositeTileNoCheckerboard plain(nullptr);
    StGetCompositeTileWithCheckerboard checker(nullptr, kRed, kBlue, 8);
    NativeQuad q{};
    CaptureReports([&] {
        EXPECT_THROW(plain.Process(GRect(0, 0, 1, 1), &q, 4), NilPointerException);
        EXPECT_THROW(checker.Process(GRect(0, 0, 1, 1), &q, 4), NilPointerException);
    });
}

}  // namespace
