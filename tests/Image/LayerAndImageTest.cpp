// CRGBLayer and CLayer: placement, content bounds, activation and the layer mask; CIndexedLayer: colours
// looked up from the indexes of the plane. CImage: the stack rules with clip groups, masks by id, layer ids
// and merges (which layers are composited and removed, what the merged layer keeps, and refusals).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Image/FrameInfo.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Image/ImageTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

TEST(LayerContent, ContentBoundsFollowNonTransparentPixels) {
    CRGBLayer layer(nullptr, "c", true, GPoint(100, 200), 12000, 255, GPoint(200, 150), 4);
    EXPECT_TRUE(layer.GetContentBounds().Empty());
    const NativeQuad faint = MakeNativeQuad(0, 0, 0, 1);
    layer.SetTile(GRect(170, 210, 171, 211), &faint, 4);
    EXPECT_EQ(layer.GetContentBounds(), GRect(170, 210, 171, 211));
    layer.FillRect(GRect(110, 290, 112, 400), kBlue);  // clipped at the bottom edge (350)
    EXPECT_EQ(layer.GetContentBounds(), GRect(110, 210, 171, 350));
    // Moving the layer moves the cached bounds with it.
    layer.SetOrigin(GPoint(-100, 0));
    EXPECT_EQ(layer.GetContentBounds(), GRect(10, 210, 71, 350));
}

TEST(LayerActivation, TooLargeIsRefusedAndKeepsPixels) {
    CImage image(100, 100);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(29950, 0, 30010, 10), kRed, &image));
    CaptureReports([&] { EXPECT_THROW(layer->Activate(), Exception); });
    EXPECT_EQ(layer->GetBounds(), GRect(29950, 0, 30010, 10));
    EXPECT_EQ(PixelAt(*layer, 30009, 9), kRed);
}

// Reads outside the mask channel (its default colour) are checked by the composite and the writer's round
// trips; removing the mask also drops the flag that the mask came from the document.
TEST(LayerMask, RemovingTheMaskDropsTheAdjustmentFlag) {
    CImage image(50, 50);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(0, 0, 50, 50), kRed, &image));
    layer->CreateLayerMask(77, GRect(10, 10, 20, 20));
    layer->SetAdjustmentMask(true);
    layer->RemoveLayerMask();
    EXPECT_FALSE(layer->HasLayerMask());
    EXPECT_FALSE(layer->GetAdjustmentMask()) << "no mask, so none from the document";
}

TEST(LayerMask, CreateClipsToCanvasAndSetMovesToOrigin) {
    CImage image(40, 30);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(0, 0, 40, 30), kRed, &image));
    layer->CreateLayerMask(255, GRect(-10, 20, 100, 100));
    EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(0, 20, 40, 30));
    layer->RemoveLayerMask();
    layer->CreateLayerMask(0, GRect());
    EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(0, 0, 40, 30));

    CChannel mask(GRect(5, 6, 8, 9), 200);
    layer->SetLayerMask(mask);
    EXPECT_EQ(layer->GetMaskOrigin(), GPoint(5, 6));
    layer->SetMaskOffset(GPoint(1, 1));
    EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(6, 7, 9, 10));
    CChannel copy;
    layer->GetLayerMask(copy);
    EXPECT_EQ(copy.GetBounds(), GRect(6, 7, 9, 10));
}

TEST(LayerMask, WritingOutsideGrowsTheMaskAndKeepsOldValues) {
    CImage image(100, 100);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(0, 0, 10, 10), kRed, &image));
    layer->CreateLayerMask(0, GRect(10, 10, 20, 20));
    const uint8 mid = 128;
    layer->SetLayerMaskTile(GRect(15, 15, 16, 16), &mid, 1);
    const uint8 high = 250;
    layer->SetLayerMaskTile(GRect(30, 5, 31, 6), &high, 1);
    EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(10, 5, 31, 20));
    uint8 value = 0;
    layer->GetLayerMaskTile(GRect(15, 15, 16, 16), &value, 1);
    EXPECT_EQ(value, mid);
    layer->GetLayerMaskTile(GRect(30, 5, 31, 6), &value, 1);
    EXPECT_EQ(value, high);
    // Growing to exactly the size limit is accepted; one more column is refused.
    layer->SetLayerMaskTile(GRect(30009, 5, 30010, 6), &high, 1);
    layer->SetLayerMaskTile(GRect(10, 30004, 11, 30005), &high, 1);
    EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(10, 5, 30010, 30005));
    for (const GRect& beyond : {GRect(30010, 5, 30011, 6), GRect(10, 30005, 11, 30006)})
        CaptureReports([&] { EXPECT_THROW(layer->SetLayerMaskTile(beyond, &high, 1), Exception); });
    EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(10, 5, 30010, 30005));
}

class IndexedLayerTest : public ColourTest {
protected:
    CImage mImage{100, 80};
};

// The colours of a tile equal the table entries of a model of the plane (index 0 outside), for tiles
// inside, across and outside the plane, and for tiles tall enough to need several strips.
TEST_F(IndexedLayerTest, GetTileLooksUpEveryIndexWithZeroOutsideThePlane) {
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();  // every entry differs
    for (int32 i = 0; i < 256; ++i)
        table->SetColor(i, MakeNativeQuad(uint8(i), uint8(255 - i), uint8(i / 2), uint8(i | 1)));
    const GRect bounds(10, 5, 410, 305);
    CIndexedLayer layer(&mImage, "i", true, bounds, kBlendNormal, 255, table, 0, 1);
    std::mt19937 random(5);
    std::vector<uint8> model(size_t(bounds.Width()) * size_t(bounds.Height()));
    for (uint8& index : model) index = uint8(random() % 255 + 1);
    layer.SetIndexRows(bounds, model.data(), bounds.Width());

    const GRect rects[] = {{10, 5, 20, 15},      {0, 0, 30, 30},   {400, 290, 420, 320},
                           {-50, -50, -10, -10}, {0, 0, 420, 310}, {200, 100, 201, 300}};
    for (const GRect& rect : rects) {
        // Asked for through a descriptor, as the compositing pipeline does.
        std::vector<NativeQuad> pixels(size_t(rect.Width()) * size_t(rect.Height()), kTransparentWhite);
        RasterDescriptor descriptor;
        descriptor.Set(rect, pixels.data(), rect.Width() * 4, kRasterKindCallerBuffer);
        layer.GetTile(nullptr, nullptr, &descriptor, rect);
        for (int32 y = rect.top; y < rect.bottom; ++y)
            for (int32 x = rect.left; x < rect.right; ++x) {
                const uint8 index =
                    bounds.Contains(GPoint(x, y))
                        ? model[size_t(y - bounds.top) * bounds.Width() + size_t(x - bounds.left)]
                        : 0;
                ASSERT_EQ(pixels[size_t(y - rect.top) * rect.Width() + size_t(x - rect.left)],
                          table->GetColor(index))
                    << x << "," << y;
            }
    }
    // A descriptor that disagrees with the rectangle is reported.
    std::vector<NativeQuad> pixels(16);
    RasterDescriptor descriptor;
    descriptor.Set(GRect(0, 0, 4, 4), pixels.data(), 16, kRasterKindCallerBuffer);
    const std::string reports =
        CaptureReports([&] { layer.GetTile(nullptr, nullptr, &descriptor, GRect(0, 0, 2, 2)); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"portRect == inRect\"")) << reports;
}

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

class ImageMerge : public ColourTest {
protected:
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

// Refused at the bottom, changing nothing; above it the merged layer takes the lower one's clipping.
TEST_F(ImageMerge, MergeDownTakesTheLowerClippingAndRemovesIt) {
    auto image = ThreeLayers();
    image->SetActiveLayerByPosition(0);
    EXPECT_EQ(ThrownMessage([&] { MergeDown(*image, nullptr, true); }),
              "merge down can not be performed on the bottom layer");
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2, 3}));
    EXPECT_EQ(image->GetActiveLayerID(), 1u);
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

// Without removal the others stay; with it the other visible layers go and hidden ones stay unmerged.
TEST_F(ImageMerge, MergeVisibleRemovesTheOtherVisibleLayersOnlyWhenAsked) {
    auto image = ThreeLayers();
    image->SetActiveLayerByID(1);
    MergeVisible(*image, nullptr, false);
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2, 3}));
    EXPECT_EQ(MergedPixel(*image, 1, 9, 0), kBlue);
    EXPECT_EQ(MergedPixel(*image, 1, 0, 0), kRed);
    EXPECT_EQ(MergedPixel(*image, 1, 9, 9), kGreen);
    image = ThreeLayers();
    image->SetActiveLayerByID(2);
    image->GetLayerWithID(3)->SetVisible(false);
    MergeVisible(*image, nullptr, true);
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{2, 3}));
    EXPECT_EQ(MergedPixel(*image, 2, 0, 9), kRed);
}

// A merged area is refused before anything is allocated when it holds more pixels than the largest canvas
// (30000 x 30000) or more 64 x 64 tiles than that canvas needs (469 x 469): a one-row strip 14,077,505
// pixels wide needs one tile more. The stack is left as it was.
TEST_F(ImageMerge, AreasBeyondTheLargestCanvasInPixelsOrTilesAreRefused) {
    for (const GRect& strip : {GRect(-1, 0, 30000, 30000), GRect(0, 9, 469 * 469 * 64 + 1, 10)}) {
        auto image = ThreeLayers();
        image->AddLayer(MakeLayer(4, strip, kBlue), false, -1, true);
        image->SetActiveLayerByID(1);
        EXPECT_EQ(ThrownMessage([&] { FlattenImage(*image, nullptr); }),
                  "the result would make the image too big")
            << strip.right;
        EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2, 3, 4}));
    }
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
    MergeClipGroup(*image, nullptr, false);  // without removal the member stays above the merged base
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2, 3}));
    EXPECT_EQ(ClippingOf(*image), (std::vector<uint32>{0, 1, 0}));
    MessageLog log;
    image->AddListener(&log);
    MergeClipGroup(*image, nullptr, true);
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 3}));
    EXPECT_EQ(MergedPixel(*image, 1, 9, 0), kBlue);
    EXPECT_EQ(log.Count(kMsgLayerListChanged), 1);
}

}  // namespace
