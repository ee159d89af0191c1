// CImage: the stack rules with clip groups, masks by id, layer ids and merges (which layers are
// composited and removed, what the merged layer keeps, and refusals).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Image/ImageTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

// An image with one layer per clipping value, bottom to top, ids 1, 2, 3, ...
std::unique_ptr<CImage> StackWithClipping(const std::vector<uint32>& inClipping) {
    auto image = std::make_unique<CImage>(32, 32);
    for (size_t i = 0; i < inClipping.size(); ++i) {
        CLayer* layer = MakeLayer(uint32(i + 1), GRect(0, 0, 8, 8), kRed);
        layer->SetClipping(inClipping[i]);
        image->AddLayer(layer, false, -1, true);
    }
    return image;
}

TEST(ImageStack, RemovalRules) {
    auto image = StackWithClipping({0, 0, 0});
    image->SetActiveLayerByPosition(0);
    image->RemoveLayer(image->GetLayerWithPosition(0), true);
    EXPECT_EQ(image->GetActiveLayerID(), 2u);  // the layer above the removed bottom one
    image->SetActiveLayerByID(3);
    image->RemoveLayerAtPosition(1, false);
    EXPECT_EQ(image->GetActiveLayerID(), 2u);  // the layer below
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{2}));
    EXPECT_EQ(ThrownMessage([&] { image->RemoveLayer(image->GetActiveLayer(), true); }),
              "can't delete the last layer");
    EXPECT_EQ(image->GetLayerCount(), 1);
}

TEST(ImageStack, RemovingAGroupBaseDissolvesTheGroup) {
    auto image = StackWithClipping({0, 0, 1, 1, 0});
    image->RemoveLayer(image->GetLayerWithPosition(1), false);
    EXPECT_EQ(ClippingOf(*image), (std::vector<uint32>{0, 0, 0, 0}));
}

TEST(ImageMasks, ByIdErrorsAndMessages) {
    auto image = StackWithClipping({0, 0});
    MessageLog log;
    image->AddListener(&log);
    EXPECT_EQ(ThrownMessage([&] { image->AddLayerMask(9, 255, GRect()); }),
              "the layer with that ID could not be found");
    EXPECT_EQ(ThrownMessage([&] { image->RemoveLayerMask(2); }), "the layer does not have a layer mask");
    image->AddLayerMask(2, 255, GRect(1, 1, 4, 4));
    EXPECT_EQ(ThrownMessage([&] { image->AddLayerMask(2, 0, GRect()); }),
              "the layer already has a layer mask");
    CChannel mask;
    image->GetLayerMask(2, mask);
    EXPECT_EQ(mask.GetBounds(), GRect(1, 1, 4, 4));
    image->RemoveLayerMask(2);
    EXPECT_FALSE(image->GetLayerWithID(2)->HasLayerMask());
    EXPECT_EQ(log.Count(kMsgLayerMaskChanged), 2);
}

TEST(LayerIds, TickDrivenMinimalStandardStep) {
    const struct {
        uint32 ticks, id;
    } cases[] = {{0, 0}, {17, 16807}, {34, 33614}, {1000000, 1008420000}, {0xFFFFFFFF, 601280631}};
    for (const auto& c : cases) EXPECT_EQ(CImage::LayerIDFromTicks(c.ticks), c.id) << c.ticks;
}

class ImageMerge : public testing::Test {
protected:
    void SetUp() override { BuildByteTables(); }

    // Bottom red over (0, 0, 10, 10), middle blue over (5, 0, 10, 10), top green over (0, 5, 10, 10).
    std::unique_ptr<CImage> ThreeLayers() {
        auto image = std::make_unique<CImage>(10, 10);
        image->AddLayer(MakeLayer(1, GRect(0, 0, 10, 10), kRed), false, -1, true);
        image->AddLayer(MakeLayer(2, GRect(5, 0, 10, 10), kBlue), false, -1, true);
        image->AddLayer(MakeLayer(3, GRect(0, 5, 10, 10), kGreen), false, -1, true);
        image->GetLayerWithID(2)->SetName("middle");
        return image;
    }
    static NativeQuad MergedPixel(const CImage& inImage, uint32 inID, int32 inX, int32 inY) {
        return PixelAt(*static_cast<const CRGBLayer*>(inImage.GetLayerWithID(inID)), inX, inY);
    }
};

TEST_F(ImageMerge, FlattenKeepsActiveIdAndNameAndDropsHiddenLayers) {
    auto image = ThreeLayers();
    image->SetActiveLayerByID(2);
    image->GetLayerWithID(3)->SetVisible(false);
    FlattenImage(*image, nullptr);
    ASSERT_EQ(IdsOf(*image), (std::vector<uint32>{2}));
    const CLayer* merged = image->GetActiveLayer();
    EXPECT_EQ(merged->GetName(), "middle");
    EXPECT_EQ(merged->GetLayerType(), eRGBLayer);
    EXPECT_EQ(merged->GetBlendMode(), 12000u);
    EXPECT_EQ(merged->GetOpacity(), 255);
    EXPECT_EQ(MergedPixel(*image, 2, 0, 9), kRed);  // the hidden green layer is gone
    EXPECT_EQ(MergedPixel(*image, 2, 9, 9), kBlue);
}

TEST_F(ImageMerge, MergeDownAtTheBottomIsRefusedAndChangesNothing) {
    auto image = ThreeLayers();
    image->SetActiveLayerByPosition(0);
    EXPECT_EQ(ThrownMessage([&] { MergeDown(*image, nullptr, true); }),
              "merge down can not be performed on the bottom layer");
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2, 3}));
    EXPECT_EQ(image->GetActiveLayerID(), 1u);
}

TEST_F(ImageMerge, MergeDownTakesTheLowerClippingAndRemovesIt) {
    auto image = ThreeLayers();
    image->GetLayerWithID(2)->SetClipping(1);
    image->SetActiveLayerByID(3);
    MergeDown(*image, nullptr, true);
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 3}));
    EXPECT_EQ(image->GetLayerWithID(3)->GetClipping(), 1u);
    // The clipped lower layer's base is not part of the merge, and a hidden base hides its group.
    EXPECT_EQ(MergedPixel(*image, 3, 9, 0).alpha, 0);
    EXPECT_EQ(MergedPixel(*image, 3, 2, 7), kGreen);
    EXPECT_EQ(MergedPixel(*image, 3, 2, 2).alpha, 0);  // neither merged layer covers it
}

TEST_F(ImageMerge, MergeVisibleWithoutRemovalKeepsTheOthers) {
    auto image = ThreeLayers();
    image->SetActiveLayerByID(1);
    MergeVisible(*image, nullptr, false);
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2, 3}));
    EXPECT_EQ(MergedPixel(*image, 1, 9, 0), kBlue);
    EXPECT_EQ(MergedPixel(*image, 1, 0, 0), kRed);
    EXPECT_EQ(MergedPixel(*image, 1, 9, 9), kGreen);
}

TEST_F(ImageMerge, LinkedAndClipGroupMergesNeedTheirPrecondition) {
    auto image = ThreeLayers();
    image->SetActiveLayerByID(1);
    MergeLinked(*image, nullptr, true);     // not linked: nothing happens
    MergeClipGroup(*image, nullptr, true);  // not a group base: nothing happens
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2, 3}));
    image->GetLayerWithID(2)->SetClipping(1);
    image->SetActiveLayerByID(2);
    MergeClipGroup(*image, nullptr, true);  // a member, not the base: nothing happens either
    EXPECT_EQ(ClippingOf(*image), (std::vector<uint32>{0, 1, 0}));
    EXPECT_EQ(MergedPixel(*image, 2, 9, 0), kBlue);
    EXPECT_EQ(MergedPixel(*image, 2, 0, 0).alpha, 0);
    image->GetLayerWithID(2)->SetClipping(0);
    image->SetActiveLayerByID(1);
    image->LinkLayers(image->GetLayerWithID(1), image->GetLayerWithID(3));
    MergeLinked(*image, nullptr, false);  // merged into the active layer, the other linked one kept
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2, 3}));
    EXPECT_EQ(MergedPixel(*image, 1, 9, 9), kGreen);
    image->LinkLayers(image->GetLayerWithID(1), image->GetLayerWithID(3));
    MergeLinked(*image, nullptr, true);
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2}));
    EXPECT_EQ(MergedPixel(*image, 1, 9, 9), kGreen);
    EXPECT_EQ(MergedPixel(*image, 1, 9, 0), kRed);  // the unlinked blue layer is not part of it
}

TEST_F(ImageMerge, ClipGroupMergeKeepsLayersAboveTheGroup) {
    auto image = ThreeLayers();
    image->GetLayerWithID(2)->SetClipping(1);
    image->SetActiveLayerByID(1);
    MessageLog log;
    image->AddListener(&log);
    MergeClipGroup(*image, nullptr, true);
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 3}));
    EXPECT_EQ(MergedPixel(*image, 1, 9, 0), kBlue);
    EXPECT_EQ(log.Count(kMsgLayerListChanged), 1);
}

}  // namespace
