// CImage merges: which layers are composited and removed, what the merged layer keeps, and refusals.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Image/ImageTestSupport.h"

namespace {

const NativeQuad kRed = Quad(255, 0, 0, 255);
const NativeQuad kBlue = Quad(0, 0, 255, 255);
const NativeQuad kGreen = Quad(0, 255, 0, 255);

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
