// CImage: the stack rules, clip and link groups, masks by id, frames, selection, ids and copying.
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

TEST(ImageStack, InsertingInsideAClipGroupJoinsIt) {
    struct Case {
        std::vector<uint32> clipping;
        int32 position;
        uint32 expected;
    };
    const Case cases[] = {
        {{0, 1, 1}, 2, 1},  // between two clipped members
        {{0, 1}, 1, 0},     // between base and member: below's clipping is 0
        {{0, 2, 2}, 2, 2},  // the shared value is taken over
        {{0, 1, 2}, 2, 0},  // different values: stays unclipped
        {{0, 1, 1}, 3, 0},  // on top: no layer above
    };
    for (const Case& c : cases) {
        auto image = StackWithClipping(c.clipping);
        CLayer* added = MakeLayer(99, GRect(0, 0, 2, 2), kRed);
        image->AddLayer(added, false, c.position, true);
        EXPECT_EQ(image->GetLayerPosition(added), c.position);
        EXPECT_EQ(added->GetClipping(), c.expected) << "position " << c.position;
    }
}

TEST(ImageStack, FirstLayerBecomesActiveAndMakeActiveSwitches) {
    CImage image(10, 10);
    MessageLog log;
    image.AddListener(&log);
    CLayer* bottom = MakeLayer(1, GRect(0, 0, 2, 2), kRed);
    image.AddLayer(bottom, false, -1, true);
    EXPECT_EQ(image.GetActiveLayer(), bottom);
    CLayer* top = MakeLayer(2, GRect(0, 0, 2, 2), kRed);
    image.AddLayer(top, false, -1, true);
    EXPECT_EQ(image.GetActiveLayer(), bottom);
    image.SetActiveLayerByID(2);
    EXPECT_EQ(image.GetActiveLayerID(), 2u);
    EXPECT_EQ(log.Count(kMsgLayerListChanged), 2);
    EXPECT_EQ(log.Count(kMsgActiveLayerChanged), 2);
    image.SetActiveLayerByPosition(7);  // invalid: the bottom layer
    EXPECT_EQ(image.GetActiveLayer(), bottom);
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
    EXPECT_EQ(ThrownMessage([&] { image->RemoveLayer(image->GetActiveLayer(), true); }), "can't delete the last layer");
    EXPECT_EQ(image->GetLayerCount(), 1);
}

TEST(ImageStack, RemovingAGroupBaseDissolvesTheGroup) {
    auto image = StackWithClipping({0, 0, 1, 1, 0});
    image->RemoveLayer(image->GetLayerWithPosition(1), false);
    EXPECT_EQ(ClippingOf(*image), (std::vector<uint32>{0, 0, 0, 0}));
}

TEST(ImageStack, PositionLookupsAndReplace) {
    auto image = StackWithClipping({0, 0});
    CaptureReports([&] { EXPECT_EQ(image->GetLayerWithPosition(-1), nullptr); });
    EXPECT_EQ(image->GetLayerPositionWithID(77), kLayerNotFound);
    CLayer* replacement = MakeLayer(50, GRect(0, 0, 1, 1), kRed);
    image->ReplaceLayer(1, replacement, true);
    EXPECT_EQ(image->GetLayerWithPosition(0), replacement);
    EXPECT_EQ(replacement->GetLayerID(), 1u);
    EXPECT_EQ(image->GetActiveLayer(), replacement);  // took the active status
    CaptureReports([&] { EXPECT_THROW(image->ReplaceLayer(1234, MakeLayer(51, GRect(0, 0, 1, 1), kRed), true), Exception); });
    EXPECT_EQ(IdsOf(*image), (std::vector<uint32>{1, 2}));
}

TEST(ImageStack, MoveLayerKeepsGroupsTogether) {
    struct Case {
        std::vector<uint32> clipping;
        int32 from, to;
        std::vector<uint32> ids, clippingAfter;
    };
    const Case cases[] = {
        // A group base moves with its members.
        {{0, 1, 1, 0, 0}, 0, 5, {4, 5, 1, 2, 3}, {0, 0, 0, 1, 1}},
        // A plain layer moved into a group joins it.
        {{0, 1, 0}, 2, 1, {1, 3, 2}, {0, 1, 1}},
        // A clipped layer moved out of its group above a plain layer leaves it.
        {{0, 1, 1, 0}, 2, 4, {1, 2, 4, 3}, {0, 1, 0, 0}},
        // A base moved up inside its group unclips the members it passes.
        {{0, 1, 1, 1}, 0, 2, {2, 1, 3, 4}, {0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        auto image = StackWithClipping(c.clipping);
        image->MoveLayer(image->GetLayerWithPosition(c.from), c.to);
        EXPECT_EQ(IdsOf(*image), c.ids) << c.from << "->" << c.to;
        EXPECT_EQ(ClippingOf(*image), c.clippingAfter) << c.from << "->" << c.to;
    }
}

// Membership, first and last of every position, and which pairs share a group.
TEST(ClipGroups, Queries) {
    struct Case {
        std::vector<uint32> clipping;
        std::vector<bool> in, first, last;
        std::vector<std::pair<int32, int32>> same, apart;
    };
    const Case cases[] = {
        {{0, 1, 1, 0}, {1, 1, 1, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {{0, 1}, {1, 2}, {2, 0}}, {{2, 3}}},
        {{0, 1, 0, 1}, {1, 1, 1, 1}, {1, 0, 1, 0}, {0, 1, 0, 1}, {{0, 1}, {2, 3}}, {{1, 2}, {0, 3}}},
        {{1}, {0}, {0}, {0}, {}, {}},
    };
    for (const Case& c : cases) {
        auto image = StackWithClipping(c.clipping);
        const auto at = [&](int32 p) { return image->GetLayerWithPosition(p); };
        for (int32 p = 0; p < image->GetLayerCount(); ++p) {
            EXPECT_EQ(image->IsLayerInClipGroup(at(p)), c.in[p]) << c.clipping.size() << " layers, " << p;
            EXPECT_EQ(image->IsLayerFirstInClipGroup(at(p)), c.first[p]) << c.clipping.size() << " layers, " << p;
            EXPECT_EQ(image->IsLayerLastInClipGroup(at(p)), c.last[p]) << c.clipping.size() << " layers, " << p;
        }
        for (const auto& [a, b] : c.same) EXPECT_TRUE(image->AreLayersInSameClipGroup(at(a), at(b))) << a << "," << b;
        for (const auto& [a, b] : c.apart) EXPECT_FALSE(image->AreLayersInSameClipGroup(at(a), at(b))) << a << "," << b;
    }
    EXPECT_EQ(StackWithClipping({0, 1, 1, 0})->GetClipGroupEnd(0), 2);
}

TEST(ClipGroups, JoiningAndLeaving) {
    auto image = StackWithClipping({0, 1, 0, 1});
    const auto at = [&](int32 p) { return image->GetLayerWithPosition(p); };
    image->RemoveLayerFromClipGroup(at(0));
    EXPECT_EQ(ClippingOf(*image), (std::vector<uint32>{0, 0, 0, 1}));
    CaptureReports([&] { image->AddLayerToClipGroup(at(0)); });
    image->AddLayerToClipGroup(at(1));
    EXPECT_EQ(ClippingOf(*image), (std::vector<uint32>{0, 1, 0, 1}));
}

TEST(LinkGroups, IdsAndUnlinking) {
    auto image = StackWithClipping({0, 0, 0});
    const auto at = [&](int32 p) { return image->GetLayerWithPosition(p); };
    EXPECT_EQ(image->NewLinkID(), 1u);
    image->LinkLayers(at(0), at(1));
    EXPECT_EQ(at(1)->GetLinkID(), 1u);
    EXPECT_TRUE(image->AreLayersLinked(at(0), at(1)));
    EXPECT_EQ(image->NewLinkID(), 2u);
    image->LinkLayers(at(2), at(1));
    EXPECT_EQ(at(2)->GetLinkID(), 1u);
    image->UnlinkLayer(at(2));  // two still share the id
    EXPECT_EQ(at(0)->GetLinkID(), 1u);
    image->UnlinkLayer(at(0));  // the last partner is unlinked too
    EXPECT_EQ(at(1)->GetLinkID(), 0u);
    EXPECT_FALSE(image->IsLayerLinked(at(1)));
}

TEST(ImageMasks, ByIdErrorsAndMessages) {
    auto image = StackWithClipping({0, 0});
    MessageLog log;
    image->AddListener(&log);
    EXPECT_EQ(ThrownMessage([&] { image->AddLayerMask(9, 255, GRect()); }), "the layer with that ID could not be found");
    EXPECT_EQ(ThrownMessage([&] { image->RemoveLayerMask(2); }), "the layer does not have a layer mask");
    image->AddLayerMask(2, 255, GRect(1, 1, 4, 4));
    EXPECT_EQ(ThrownMessage([&] { image->AddLayerMask(2, 0, GRect()); }), "the layer already has a layer mask");
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

TEST(LayerIds, NewLayerIdWaitsForAnUnusedId) {
    CImage image(4, 4);
    image.AddLayer(MakeLayer(16807, GRect(0, 0, 1, 1), kRed), false, -1, true);
    std::vector<uint32> ticks = {17, 17, 34};
    size_t next = 0;
    Platform::TestHooks::SetTickSource([&] { return ticks[std::min(next++, ticks.size() - 1)]; });
    EXPECT_EQ(image.NewLayerID(), 33614u);
    EXPECT_EQ(next, 3u);
    Platform::TestHooks::SetTickSource(nullptr);
}

TEST(ImageFrames, SyncAndSwitchApplySettings) {
    CImage image(10, 10);
    image.AddLayer(MakeLayer(1, GRect(0, 0, 2, 2), kRed), false, -1, true);
    image.InsertFrame(1, image.GetFrame(0));
    EXPECT_EQ(image.GetFrameCount(), 2);
    // A layer added with two frames is hidden in the frame that is not active.
    CLayer* second = MakeLayer(2, GRect(0, 0, 2, 2), kRed);
    image.AddLayer(second, false, -1, false);
    EXPECT_TRUE(image.GetFrame(0).GetSettingsForLayer(2).mVisible);
    EXPECT_FALSE(image.GetFrame(1).GetSettingsForLayer(2).mVisible);
    second->SetOpacity(40);
    EXPECT_EQ(image.GetFrame(0).GetSettingsForLayer(2).mOpacity, 40);
    MessageLog log;
    image.AddListener(&log);
    image.SetActiveFrame(1);
    EXPECT_FALSE(second->GetVisible());
    EXPECT_EQ(second->GetOpacity(), 255);
    EXPECT_EQ(log.Count(kMsgActiveFrameChanged), 1);
    EXPECT_EQ(log.Count(kMsgLayerChanged), 0);  // applied with broadcasting held back
    image.SetActiveFrame(0);
    EXPECT_TRUE(second->GetVisible());
    EXPECT_EQ(second->GetOpacity(), 40);
    // Removing a layer removes its settings from every frame.
    image.RemoveLayer(second, false);
    EXPECT_FALSE(image.GetFrame(1).HasSettingsForLayer(2));
}

TEST(ImageFrames, TweenInterpolatesTheFramesBetween) {
    CImage image(10, 10);
    CLayer* layer = MakeLayer(1, GRect(0, 0, 2, 2), kRed);
    image.AddLayer(layer, false, -1, true);
    for (int32 i = 0; i < 3; ++i) image.InsertFrame(1, image.GetFrame(0));
    image.SetActiveFrame(3);
    layer->SetOrigin(GPoint(30, -9));
    layer->SetOpacity(0);
    image.SetActiveFrame(0);
    image.TweenFrames(0, 3, true, true);
    EXPECT_EQ(image.GetFrame(1).GetSettingsForLayer(1).mOrigin, GPoint(10, -3));
    EXPECT_EQ(image.GetFrame(2).GetSettingsForLayer(1).mOrigin, GPoint(20, -6));
    EXPECT_EQ(image.GetFrame(1).GetSettingsForLayer(1).mOpacity, 170);
    EXPECT_EQ(image.GetFrame(2).GetSettingsForLayer(1).mOpacity, 85);
}

TEST(ImageSelection, BoundsCache) {
    CImage image(40, 40);
    EXPECT_TRUE(image.GetSelectionBounds().Empty());
    CChannel selection(GRect(0, 0, 40, 40), 0);
    const uint8 strong = 200, weak = 50;
    selection.SetTile(GRect(5, 7, 6, 8), &strong, 1);
    selection.SetTile(GRect(30, 2, 31, 3), &weak, 1);
    image.SetSelection(selection);
    EXPECT_EQ(image.GetSelectionBounds(), GRect(5, 2, 31, 8));
    EXPECT_EQ(image.GetSelectionHalfBounds(), GRect(5, 7, 6, 8));
    EXPECT_TRUE(image.GetSelectionFullBounds().Empty());
    image.SelectAll();
    EXPECT_EQ(image.GetSelectionBounds(), GRect(0, 0, 40, 40));
    image.Deselect();
    EXPECT_TRUE(image.GetSelectionBounds().Empty());
    EXPECT_EQ(CImage::SelectionChannelName().Text(), "Selection Channel");
}

TEST(ImageChannels, ExtraChannelsInvertAndCheckIndices) {
    CImage image(8, 8);
    MessageLog log;
    image.AddListener(&log);
    image.AddExtraChannel(CChannel(GRect(0, 0, 8, 8), 10));
    image.InvertExtraChannel(0);
    uint8 value = 0;
    image.GetExtraChannelTile(0, GRect(3, 3, 4, 4), &value, 1);
    EXPECT_EQ(value, 245);
    CaptureReports([&] { image.RemoveExtraChannel(1); });
    EXPECT_EQ(image.GetExtraChannelCount(), 1);
    EXPECT_EQ(log.Count(kMsgExtraChannelListChanged), 1);
    EXPECT_EQ(log.Count(kMsgChannelPixelsChanged), 1);
}

TEST(ImageCopy, ClonesLayersAndKeepsTheActivePosition) {
    auto image = StackWithClipping({0, 1, 0});
    image->SetActiveLayerByPosition(1);
    CImage copy(*image);
    ASSERT_EQ(copy.GetLayerCount(), 3);
    for (int32 p = 0; p < 3; ++p) {
        EXPECT_NE(copy.GetLayerWithPosition(p), image->GetLayerWithPosition(p));
        EXPECT_EQ(copy.GetLayerWithPosition(p)->GetImage(), &copy);
    }
    EXPECT_EQ(copy.GetActiveLayerPosition(), 1);
    EXPECT_EQ(ClippingOf(copy), (std::vector<uint32>{0, 1, 0}));
}

TEST(CurrentImage, SwitchingActivatesAndBroadcasts) {
    CImage first(20, 20), second(20, 20);
    CRGBLayer* a = MakeLayer(1, GRect(0, 0, 4, 4), kRed);
    first.AddLayer(a, false, -1, true);
    a->Deactivate();
    MessageLog log;
    CImage::CurrentImageBroadcaster().AddListener(&log);
    CImage::SetCurrentImage(&first);
    EXPECT_EQ(a->GetBounds(), GRect(0, 0, 20, 20));
    CImage::SetCurrentImage(&second);
    EXPECT_EQ(a->GetBounds(), GRect(0, 0, 4, 4));
    EXPECT_EQ(log.Count(kMsgCurrentImageChanged), 2);
    CImage::CurrentImageBroadcaster().RemoveListener(&log);
    CImage::SetCurrentImage(nullptr);
}

}  // namespace
