// CRGBLayer and CLayer: placement, content bounds, activation, masks, notification, editing, frames.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Orvane/Src/Image/FrameInfo.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Image/ImageTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

const NativeQuad kRed = Quad(255, 0, 0, 255);
const NativeQuad kBlue = Quad(0, 0, 255, 255);

TEST(LayerGeometry, BoundsAddOriginAndPosition) {
    struct Case {
        GPoint origin, position, size;
        GRect expected;
    };
    const Case cases[] = {
        {{10, 5}, {3, 0}, {4, 4}, {13, 5, 17, 9}},
        {{0, 0}, {-7, 2}, {3, 1}, {-7, 2, -4, 3}},
        {{-1, -1}, {0, 0}, {65, 2}, {-1, -1, 64, 1}},
    };
    for (const Case& c : cases) {
        CRGBLayer layer(nullptr, "x", true, c.position, 12000, 255, c.size, 1);
        layer.SetOrigin(c.origin);
        EXPECT_EQ(layer.GetBounds(), c.expected);
    }
}

TEST(LayerGeometry, BufferConstructorTakesPositionFromBuffer) {
    std::unique_ptr<CRGBLayer> layer(MakeLayer(3, GRect(20, 30, 25, 32), kRed));
    EXPECT_EQ(layer->GetPosition(), GPoint(20, 30));
    EXPECT_EQ(layer->GetPixelBuffer().GetBounds(), GRect(0, 0, 5, 2));
    EXPECT_EQ(PixelAt(*layer, 20, 30), kRed);
    EXPECT_EQ(PixelAt(*layer, 19, 30), kTransparentWhite);
}

TEST(LayerContent, TransparentLayerDeactivatesToOnePixel) {
    CImage image(100, 100);
    CRGBLayer* layer = new CRGBLayer(&image, "t", true, GPoint(5, 6), 12000, 255, GPoint(30, 40), 9);
    image.AddLayer(layer, false, -1, true);  // becomes active, so it covers the canvas
    EXPECT_EQ(layer->GetBounds(), GRect(0, 0, 100, 100));
    EXPECT_TRUE(layer->GetContentBounds().Empty());
    EXPECT_TRUE(layer->IsEmpty());
    layer->Deactivate();
    EXPECT_EQ(layer->GetPixelBuffer().GetBounds(), GRect(0, 0, 1, 1));
    EXPECT_EQ(layer->GetPosition(), GPoint(0, 0));
    EXPECT_EQ(PixelAt(*layer, 0, 0), kTransparentWhite);
}

TEST(LayerContent, ContentBoundsFollowNonTransparentPixels) {
    CRGBLayer layer(nullptr, "c", true, GPoint(100, 200), 12000, 255, GPoint(200, 150), 4);
    EXPECT_TRUE(layer.GetContentBounds().Empty());
    const NativeQuad faint = Quad(0, 0, 0, 1);
    layer.SetTile(GRect(170, 210, 171, 211), &faint, 4);
    EXPECT_EQ(layer.GetContentBounds(), GRect(170, 210, 171, 211));
    layer.FillRect(GRect(110, 290, 112, 400), kBlue);  // clipped at the bottom edge (350)
    EXPECT_EQ(layer.GetContentBounds(), GRect(110, 210, 171, 350));
    // Moving the layer moves the cached bounds with it.
    layer.SetOrigin(GPoint(-100, 0));
    EXPECT_EQ(layer.GetContentBounds(), GRect(10, 210, 71, 350));
}

TEST(LayerActivation, GrowsToCanvasUnionAndShrinksBack) {
    CImage image(100, 100);
    CRGBLayer* layer = MakeLayer(1, GRect(-20, 0, 50, 50), kRed, &image);
    layer->SetImage(&image);
    layer->Activate();
    EXPECT_EQ(layer->GetBounds(), GRect(-20, 0, 100, 100));
    EXPECT_EQ(PixelAt(*layer, -20, 0), kRed);
    EXPECT_EQ(PixelAt(*layer, 49, 49), kRed);
    EXPECT_EQ(PixelAt(*layer, 50, 49), kTransparentWhite);
    EXPECT_EQ(PixelAt(*layer, 99, 99), kTransparentWhite);
    layer->Deactivate();
    EXPECT_EQ(layer->GetBounds(), GRect(-20, 0, 50, 50));
    EXPECT_EQ(PixelAt(*layer, -20, 0), kRed);
    delete layer;
}

TEST(LayerActivation, TooLargeIsRefusedAndKeepsPixels) {
    CImage image(100, 100);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(29950, 0, 30010, 10), kRed));
    layer->SetImage(&image);
    CaptureReports([&] { EXPECT_THROW(layer->Activate(), Exception); });
    EXPECT_EQ(layer->GetBounds(), GRect(29950, 0, 30010, 10));
    EXPECT_EQ(PixelAt(*layer, 30009, 9), kRed);
}

TEST(LayerTileAccess, RasterGetTileWritesOnlyWhereThereArePixels) {
    CImage image(16, 16);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(2, 2, 4, 4), kRed));
    layer->SetImage(&image);
    const NativeQuad sentinel = Quad(1, 2, 3, 4);
    std::vector<NativeQuad> target(16, sentinel);
    RasterDescriptor descriptor;
    // Overlapping: the whole rectangle is written, transparent white outside the layer.
    descriptor.Set(GRect(1, 1, 5, 5), target.data(), 16, kRasterKindCallerBuffer);
    layer->GetTile(nullptr, nullptr, &descriptor, GRect(1, 1, 5, 5));
    EXPECT_EQ(target[0], kTransparentWhite);
    EXPECT_EQ(target[5], kRed);
    EXPECT_EQ(target[15], kTransparentWhite);
    // Disjoint: nothing is touched.
    std::fill(target.begin(), target.end(), sentinel);
    descriptor.Set(GRect(8, 8, 12, 12), target.data(), 16, kRasterKindCallerBuffer);
    layer->GetTile(nullptr, nullptr, &descriptor, GRect(8, 8, 12, 12));
    EXPECT_EQ(target[0], sentinel);
}

TEST(LayerMask, ReadsOutsideTheChannelGiveTheDefaultColour) {
    CImage image(50, 50);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(0, 0, 50, 50), kRed));
    layer->SetImage(&image);
    for (const uint8 defaultColor : {uint8(0), uint8(255), uint8(77)}) {
        layer->CreateLayerMask(defaultColor, GRect(10, 10, 20, 20));
        EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(10, 10, 20, 20));
        const uint8 inside = uint8(255 - defaultColor);
        layer->SetLayerMaskTile(GRect(10, 10, 11, 11), &inside, 1);
        std::vector<uint8> read(30 * 30, 0x5A);
        layer->GetLayerMaskTile(GRect(0, 0, 30, 30), read.data(), 30);
        for (int32 y = 0; y < 30; ++y)
            for (int32 x = 0; x < 30; ++x) {
                const uint8 expected = (x == 10 && y == 10) ? inside : defaultColor;
                ASSERT_EQ(read[size_t(y * 30 + x)], expected) << x << "," << y;
            }
        layer->RemoveLayerMask();
        EXPECT_FALSE(layer->HasLayerMask());
    }
}

TEST(LayerMask, CreateClipsToCanvasAndSetMovesToOrigin) {
    CImage image(40, 30);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(0, 0, 40, 30), kRed));
    layer->SetImage(&image);
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
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(0, 0, 10, 10), kRed));
    layer->SetImage(&image);
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
    EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(10, 5, 30010, 20));
    CaptureReports([&] { EXPECT_THROW(layer->SetLayerMaskTile(GRect(30010, 5, 30011, 6), &high, 1), Exception); });
    EXPECT_EQ(layer->GetLayerMaskBounds(), GRect(10, 5, 30010, 20));
}

// Each setter, applied with the value the layer already has and with a new one.
TEST(LayerNotification, SettersAnnounceOnlyChanges) {
    struct Case {
        const char* name;
        std::function<void(CLayer&)> keep;
        std::function<void(CLayer&)> change;
        int32 messagesOnChange;
    };
    const std::vector<Case> cases = {
        {"opacity", [](CLayer& l) { l.SetOpacity(255); }, [](CLayer& l) { l.SetOpacity(128); }, 1},
        {"visible", [](CLayer& l) { l.SetVisible(true); }, [](CLayer& l) { l.SetVisible(false); }, 1},
        {"blend", [](CLayer& l) { l.SetBlendMode(12000); }, [](CLayer& l) { l.SetBlendMode(12007); }, 1},
        {"mask enabled", [](CLayer& l) { l.SetMaskEnabled(true); }, [](CLayer& l) { l.SetMaskEnabled(false); }, 1},
        {"mask inverted", [](CLayer& l) { l.SetMaskInverted(false); }, [](CLayer& l) { l.SetMaskInverted(true); }, 1},
        {"clipping", [](CLayer& l) { l.SetClipping(0); }, [](CLayer& l) { l.SetClipping(1); }, 1},
        {"adjustment mask", [](CLayer& l) { l.SetAdjustmentMask(false); }, [](CLayer& l) { l.SetAdjustmentMask(true); }, 1},
        {"origin", nullptr, [](CLayer& l) { l.SetOrigin(GPoint(3, 4)); }, 2},
        {"link id", [](CLayer& l) { l.SetLinkID(0); }, [](CLayer& l) { l.SetLinkID(7); }, 0},
        {"hidden quietly", nullptr, [](CLayer& l) { l.SetVisible(false, false); }, 0},
    };
    for (const Case& c : cases) {
        CImage image(20, 20);
        image.AddLayer(MakeLayer(1, GRect(0, 0, 5, 5), kRed), false, -1, true);
        MessageLog log;
        image.AddListener(&log);
        CLayer& layer = *image.GetLayerWithPosition(0);
        if (c.keep) {
            c.keep(layer);
            EXPECT_EQ(log.Count(kMsgLayerChanged), 0) << c.name;
        }
        c.change(layer);
        EXPECT_EQ(log.Count(kMsgLayerChanged), c.messagesOnChange) << c.name;
        for (const MessageLog::Entry& e : log.entries) EXPECT_EQ(e.layerID, 1u) << c.name;
    }
}

TEST(LayerNotification, OriginAnnouncesOldAndNewArea) {
    CImage image(50, 50);
    CRGBLayer* layer = MakeLayer(1, GRect(0, 0, 5, 5), kRed);
    image.AddLayer(layer, false, -1, true);
    layer->Deactivate();
    MessageLog log;
    image.AddListener(&log);
    layer->SetOrigin(GPoint(10, 0));
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[0].area, GRect(0, 0, 5, 5));
    EXPECT_EQ(log.entries[1].area, GRect(10, 0, 15, 5));
}

// Flips mirror about the canvas axis, scaling is nearest-neighbour (size ceil(w * f), position
// floor(x * f)), cropping keeps the inside and moves the position. Each layer is red with one blue pixel.
TEST(LayerEditing, FlipScaleAndCropMovePixelsAndBounds) {
    struct Pixel {
        int32 x, y;
        NativeQuad color;
    };
    struct Case {
        const char* name;
        GRect layer;
        GPoint blue;
        void (*apply)(CRGBLayer&);
        GRect bounds;
        std::vector<Pixel> pixels;
    };
    const Case cases[] = {
        {"flip h", {1, 0, 4, 2}, {1, 0}, [](CRGBLayer& l) { l.FlipHorizontal(GPoint(6, 2), nullptr); }, {2, 0, 5, 2},
         {{4, 0, kBlue}, {2, 0, kRed}, {4, 1, kRed}}},
        {"flip v", {1, 0, 4, 2}, {1, 0}, [](CRGBLayer& l) { l.FlipVertical(GPoint(6, 2), nullptr); }, {1, 0, 4, 2},
         {{1, 1, kBlue}, {1, 0, kRed}}},
        // floor(x / 2.5) picks source columns 0 0 0 1 1
        {"scale", {3, 1, 5, 2}, {4, 1}, [](CRGBLayer& l) { l.Scale(2.5, 2.0, 0, nullptr); }, {7, 2, 12, 4},
         {{7, 2, kRed}, {9, 3, kRed}, {10, 2, kBlue}, {11, 3, kBlue}}},
        {"crop", {0, 0, 10, 10}, {0, 0}, [](CRGBLayer& l) { l.Crop(GRect(5, 5, 15, 8), nullptr); }, {5, 5, 15, 8},
         {{9, 7, kRed}, {10, 7, kTransparentWhite}}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CRGBLayer> layer(MakeLayer(1, c.layer, kRed));
        layer->SetTile(GRect(c.blue.h, c.blue.v, c.blue.h + 1, c.blue.v + 1), &kBlue, 4);
        c.apply(*layer);
        EXPECT_EQ(layer->GetBounds(), c.bounds) << c.name;
        EXPECT_EQ(layer->GetPosition(), c.bounds.TopLeft()) << c.name;
        for (const Pixel& p : c.pixels) EXPECT_EQ(PixelAt(*layer, p.x, p.y), p.color) << c.name << " at " << p.x << "," << p.y;
    }
    std::unique_ptr<CRGBLayer> cropped(MakeLayer(1, GRect(0, 0, 10, 10), kRed));
    cropped->Crop(GRect(5, 5, 15, 8), nullptr);
    EXPECT_EQ(cropped->GetContentBounds(), GRect(5, 5, 10, 8));
}

TEST(LayerEditing, CloneIsIndependent) {
    CImage image(10, 10);
    std::unique_ptr<CRGBLayer> layer(MakeLayer(5, GRect(0, 0, 4, 4), kRed));
    layer->SetImage(&image);
    layer->SetClipping(1);
    layer->SetLinkID(3);
    layer->CreateLayerMask(0, GRect(0, 0, 2, 2));
    std::unique_ptr<CLayer> clone(layer->Clone());
    auto* copy = static_cast<CRGBLayer*>(clone.get());
    EXPECT_EQ(copy->GetLayerID(), 5u);
    EXPECT_EQ(copy->GetClipping(), 1u);
    EXPECT_EQ(copy->GetLinkID(), 3u);
    EXPECT_EQ(copy->GetLayerMaskBounds(), GRect(0, 0, 2, 2));
    copy->FillRect(GRect(0, 0, 1, 1), kBlue);
    EXPECT_EQ(PixelAt(*layer, 0, 0), kRed);
    EXPECT_EQ(PixelAt(*copy, 0, 0), kBlue);
}

TEST(LayerEditing, PaintStrokesPaintAroundTheirPoints) {
    std::unique_ptr<CRGBLayer> layer(MakeLayer(1, GRect(0, 0, 8, 8), Quad(0, 0, 0, 0)));
    layer->BeginPaintStroke();
    const GPoint points[] = {{2, 2}};
    layer->DoPaintStrokeSelf(points, 1, kBlue, 3, 12000, 255, nullptr);
    EXPECT_EQ(PixelAt(*layer, 1, 1), kBlue);
    EXPECT_EQ(PixelAt(*layer, 3, 3), kBlue);
    EXPECT_EQ(PixelAt(*layer, 4, 4).alpha, 0);
    layer->EndPaintStroke();
}

TEST(Frames, CopiesShareUntilWrittenAndCompareBySettings) {
    const LayerSettings a(1, GPoint(0, 0), true, 12000, 255);
    const LayerSettings b(2, GPoint(4, 5), false, 12007, 10);
    EXPECT_EQ(FrameInfo(0, false), FrameInfo(0, false));
    EXPECT_NE(FrameInfo(1, false), FrameInfo(0, false));
    EXPECT_NE(FrameInfo(0, true), FrameInfo(0, false));

    FrameInfo first;
    first.StoreSettings(a);
    first.StoreSettings(b);
    FrameInfo second(first);
    EXPECT_TRUE(second.SharesRepWith(first));
    EXPECT_EQ(second, first);
    LayerSettings changed = b;
    changed.mOpacity = 11;
    second.StoreSettings(changed);
    EXPECT_FALSE(second.SharesRepWith(first));
    EXPECT_EQ(first.GetSettingsForLayer(2).mOpacity, 10);
    EXPECT_EQ(second.GetSettingsForLayer(2).mOpacity, 11);
    EXPECT_NE(second, first);
    // Same count and properties but a different id set.
    FrameInfo third;
    third.StoreSettings(a);
    third.StoreSettings(LayerSettings(3, GPoint(), true, 12000, 255));
    EXPECT_NE(third, first);
    EXPECT_EQ(first.GetSettingsAt(0).mLayerID, 1u);
    EXPECT_EQ(first.GetSettingsAt(1).mLayerID, 2u);
}

}  // namespace
