// The composite rules the reference composite does not model: an empty stack, the effects hooks, and
// processors without an image. (Visibility, clip groups, masks and adjustment layers are owned by the
// comparison with the reference composite.)
#include <gtest/gtest.h>

#include <memory>

#include "Src/Orvane/Src/Compositing/BlendModes.h"
#include "Src/Orvane/Src/Compositing/StGetCompositeTile.h"
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

TEST_F(CompositeRules, NothingVisibleGivesTransparentWhite) {
    const std::string reports = CaptureReports([&] { EXPECT_EQ(At(3, 3), kTransparentWhite); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"!(GetLayerCount() <= 0)\"")) << reports;
    Add(PaintedLayer(1, GRect(0, 0, 16, 8), [](int32, int32) { return kRed; }))->SetVisible(false);
    EXPECT_EQ(At(3, 3), kTransparentWhite);
    Add(PaintedLayer(2, GRect(0, 0, 16, 8), [](int32, int32) { return kBlue; }))->SetVisible(false);
    EXPECT_EQ(At(3, 3), kTransparentWhite);
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
