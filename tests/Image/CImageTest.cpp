// CImage: the stack rules with clip groups, masks by id and layer ids.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Image/ImageTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

const NativeQuad kRed = Quad(255, 0, 0, 255);

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

}  // namespace
