// NativeQuadCLUT with its counted references, and CIndexedLayer: colours from indexes, geometry of the
// index plane, the nearest-colour search and the plane operations.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/support/ReportCapture.h"

namespace {

// A table whose entry i is (i, 255 - i, i / 2) with alpha i | 1, so every entry differs.
NativeQuadCLUTRef GradientTable() {
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
    for (int32 i = 0; i < 256; ++i) table->SetColor(i, MakeNativeQuad(uint8(i), uint8(255 - i), uint8(i / 2), uint8(i | 1)));
    return table;
}

// Asks the layer for inRect through a descriptor, as the compositing pipeline does.
std::vector<NativeQuad> ReadTile(CLayer& inLayer, const GRect& inRect) {
    std::vector<NativeQuad> pixels(size_t(inRect.Width()) * size_t(inRect.Height()), kTransparentWhite);
    RasterDescriptor descriptor;
    descriptor.Set(inRect, pixels.data(), inRect.Width() * 4, kRasterKindCallerBuffer);
    inLayer.GetTile(nullptr, nullptr, &descriptor, inRect);
    return pixels;
}

class IndexedLayerTest : public testing::Test {
protected:
    void SetUp() override { BuildByteTables(); }

    CImage mImage{100, 80};
};

TEST(NativeQuadCLUT, NewTableIsOpaqueBlackWithZeroFlags) {
    const int32 before = NativeQuadCLUT::LiveTableCount();
    {
        NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
        EXPECT_EQ(table->GetRefCount(), 1);
        EXPECT_EQ(table->GetEntryCount(), 256);
        for (int32 i : {0, 17, 255}) {
            EXPECT_EQ(table->GetColor(i), kOpaqueBlack);
            EXPECT_EQ(table->GetEntryFlag(i), 0);
            EXPECT_EQ(table->GetExtraValue(i), 0u);
        }
        EXPECT_EQ(table->GetTableFlag(), 0);
        EXPECT_EQ(NativeQuadCLUT::LiveTableCount(), before + 1);
    }
    EXPECT_EQ(NativeQuadCLUT::LiveTableCount(), before);
}

TEST(NativeQuadCLUT, ReferencesCountCopiesAndAssignments) {
    const int32 before = NativeQuadCLUT::LiveTableCount();
    NativeQuadCLUTRef a = NativeQuadCLUTRef::Create();
    NativeQuadCLUTRef b = NativeQuadCLUTRef::Create();
    NativeQuadCLUT* first = a.Get();
    {
        NativeQuadCLUTRef copy(a);
        EXPECT_EQ(first->GetRefCount(), 2);
        copy = copy;  // adds before it releases: the table survives
        EXPECT_EQ(first->GetRefCount(), 2);
        copy = b;
        EXPECT_EQ(first->GetRefCount(), 1);
        EXPECT_EQ(b->GetRefCount(), 2);
    }
    EXPECT_EQ(b->GetRefCount(), 1);
    a = b;  // the first table loses its last reference
    EXPECT_EQ(NativeQuadCLUT::LiveTableCount(), before + 1);
    EXPECT_EQ(b->GetRefCount(), 2);
    a.Release();
    b.Release();
    EXPECT_EQ(NativeQuadCLUT::LiveTableCount(), before);
}

TEST(NativeQuadCLUT, NearestIndex) {
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
    table->SetColor(0, MakeNativeQuad(200, 200, 200, 255));
    table->SetColor(3, MakeNativeQuad(10, 20, 30, 255));
    table->SetColor(7, MakeNativeQuad(10, 20, 30, 0));  // the same colour again, other alpha
    table->SetColor(9, MakeNativeQuad(200, 100, 100, 255));
    table->SetColor(10, MakeNativeQuad(100, 200, 100, 255));
    table->SetColor(12, MakeNativeQuad(250, 250, 250, 255));
    struct Case {
        NativeQuad color;
        int32 entryCount;
        uint8 expected;
    };
    const Case cases[] = {
        {MakeNativeQuad(10, 20, 30, 255), 256, 3},   // present twice: the lower index
        {MakeNativeQuad(10, 20, 30, 0), 256, 3},     // alpha takes no part
        {MakeNativeQuad(11, 21, 29, 9), 256, 3},     // nearest, not exact
        {MakeNativeQuad(150, 150, 100, 255), 256, 9},    // equally far from 9 and 10: the lower
        {MakeNativeQuad(0, 0, 0, 255), 256, 1},      // black entries 1, 2, 4...: the first
        {MakeNativeQuad(252, 252, 252, 255), 256, 12},
        {MakeNativeQuad(252, 252, 252, 255), 12, 0},  // entry 12 is not in use
        {MakeNativeQuad(10, 20, 30, 255), 3, 1},      // only 0..2 searched: black 1 is nearer than 0
        {MakeNativeQuad(10, 20, 30, 255), 0, 0},
    };
    for (const Case& c : cases) {
        table->SetEntryCount(c.entryCount);
        EXPECT_EQ(table->NearestIndex(c.color), c.expected)
            << int(c.color.red) << "," << int(c.color.green) << "," << int(c.color.blue) << " of " << c.entryCount;
    }
}

TEST_F(IndexedLayerTest, TableCountsFollowTheReaderAndTheLayer) {
    const int32 before = NativeQuadCLUT::LiveTableCount();
    NativeQuadCLUTRef readerTable = NativeQuadCLUTRef::Create();
    NativeQuadCLUT* table = readerTable.Get();
    auto* layer = new CIndexedLayer(&mImage, "Background", true, GRect(0, 0, 100, 80), kBlendNormal, 255,
                                    readerTable, 0, 7);
    mImage.AddLayer(layer, true, -1, true);
    EXPECT_EQ(table->GetRefCount(), 2);
    readerTable.Release();
    EXPECT_EQ(table->GetRefCount(), 1);
    std::unique_ptr<CLayer> clone(layer->Clone());
    EXPECT_EQ(table->GetRefCount(), 2);
    clone.reset();
    EXPECT_EQ(table->GetRefCount(), 1);
    auto* replacement = new CRGBLayer(&mImage, "x", true, GPoint(0, 0), kBlendNormal, 255, GPoint(1, 1), 8);
    mImage.ReplaceLayer(7, replacement, false);  // destroys the indexed layer
    EXPECT_EQ(NativeQuadCLUT::LiveTableCount(), before);
}

TEST_F(IndexedLayerTest, BoundsFollowOriginAndPosition) {
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
    CIndexedLayer layer(&mImage, "i", true, GRect(0, 0, 640, 480), kBlendNormal, 255, table, 0, 1);
    EXPECT_EQ(layer.GetBounds(), GRect(0, 0, 640, 480));
    EXPECT_EQ(layer.GetContentBounds(), GRect(0, 0, 640, 480));
    CIndexedLayer moved(&mImage, "i", true, GRect(-5, 7, 15, 9), kBlendNormal, 255, table, 0, 2);
    moved.SetOrigin(GPoint(3, -1));
    EXPECT_EQ(moved.GetBounds(), GRect(-2, 6, 18, 8));
    EXPECT_EQ(moved.GetIndexPlane().GetBounds(), GRect(0, 0, 20, 2));
    EXPECT_EQ(moved.NormalizeOrigin(), GPoint(-3, 1));
    EXPECT_EQ(moved.GetPosition(), GPoint(-2, 6));
    EXPECT_FALSE(moved.IsEmpty());
}

// The colours of a tile equal the table entries of a model of the plane (index 0 outside), for tiles
// inside, across and outside the plane, and for tiles tall enough to need several strips.
TEST_F(IndexedLayerTest, GetTileLooksUpEveryIndexWithZeroOutsideThePlane) {
    NativeQuadCLUTRef table = GradientTable();
    const GRect bounds(10, 5, 410, 305);
    CIndexedLayer layer(&mImage, "i", true, bounds, kBlendNormal, 255, table, 0, 1);
    std::mt19937 random(5);
    std::vector<uint8> model(size_t(bounds.Width()) * size_t(bounds.Height()));
    for (uint8& index : model) index = uint8(random() % 255 + 1);
    layer.SetIndexRows(bounds, model.data(), bounds.Width());

    const GRect rects[] = {{10, 5, 20, 15}, {0, 0, 30, 30}, {400, 290, 420, 320}, {-50, -50, -10, -10},
                           {0, 0, 420, 310}, {200, 100, 201, 300}};
    for (const GRect& rect : rects) {
        const std::vector<NativeQuad> pixels = ReadTile(layer, rect);
        int32 mismatches = 0;
        for (int32 y = rect.top; y < rect.bottom; ++y) {
            for (int32 x = rect.left; x < rect.right; ++x) {
                const bool inside = bounds.Contains(GPoint(x, y));
                const uint8 index = inside ? model[size_t(y - bounds.top) * bounds.Width() + size_t(x - bounds.left)] : 0;
                const NativeQuad got = pixels[size_t(y - rect.top) * rect.Width() + size_t(x - rect.left)];
                mismatches += got == table->GetColor(index) ? 0 : 1;
            }
        }
        EXPECT_EQ(mismatches, 0) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
    // A descriptor that disagrees with the rectangle is reported.
    std::vector<NativeQuad> pixels(16);
    RasterDescriptor descriptor;
    descriptor.Set(GRect(0, 0, 4, 4), pixels.data(), 16, kRasterKindCallerBuffer);
    const std::string reports = CaptureReports([&] { layer.GetTile(nullptr, nullptr, &descriptor, GRect(0, 0, 2, 2)); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"portRect == inRect\"")) << reports;
}

// Growing, cropping and flipping move indexes as a model of the plane predicts; new pixels get index 0.
TEST_F(IndexedLayerTest, PlaneOperationsKeepIndexesInPlace) {
    NativeQuadCLUTRef table = GradientTable();
    const GRect bounds(-3, 2, 5, 6);
    auto make = [&] {
        auto layer = std::make_unique<CIndexedLayer>(&mImage, "i", true, bounds, kBlendNormal, 255, table, 9, 1);
        const uint8 rows[] = {1, 2, 3, 4, 5, 6, 7, 8};
        layer->SetIndexRows(GRect(-3, 3, 5, 4), rows, 8);
        return layer;
    };
    // Index at image (x, y) of the untouched layer: row 3 holds 1..8, other rows 9, outside 0.
    auto original = [&](int32 x, int32 y) -> uint8 {
        if (!bounds.Contains(GPoint(x, y))) return 0;
        return y == 3 ? uint8(x + 4) : 9;
    };
    auto indexAt = [](const CIndexedLayer& inLayer, int32 x, int32 y) {
        uint8 index = 0xEE;
        inLayer.GetIndexRows(GRect(x, y, x + 1, y + 1), &index, 1);
        return index;
    };
    // Each case names where the pixel now at (x, y) came from: mirrored about the axis 10 or in place.
    struct Case {
        const char* name;
        void (*apply)(CIndexedLayer&);
        GRect expectedBounds;
        bool mirrorX, mirrorY;
    };
    const Case cases[] = {
        {"activate", [](CIndexedLayer& l) { l.Activate(); }, GRect(-3, 0, 100, 80), false, false},
        {"deactivate", [](CIndexedLayer& l) { l.Deactivate(); }, GRect(-3, 2, 5, 6), false, false},
        {"crop", [](CIndexedLayer& l) { l.Crop(GRect(0, 3, 10, 4), nullptr); }, GRect(0, 3, 10, 4), false, false},
        {"flip h", [](CIndexedLayer& l) { l.FlipHorizontal(GPoint(10, 0), nullptr); }, GRect(5, 2, 13, 6), true, false},
        {"flip v", [](CIndexedLayer& l) { l.FlipVertical(GPoint(0, 10), nullptr); }, GRect(-3, 4, 5, 8), false, true},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CIndexedLayer> layer = make();
        c.apply(*layer);
        EXPECT_EQ(layer->GetBounds(), c.expectedBounds) << c.name;
        EXPECT_EQ(layer->GetIndexPlane().GetBounds().TopLeft(), GPoint::zero) << c.name;
        int32 mismatches = 0;
        for (int32 y = -1; y < 10; ++y) {
            for (int32 x = -5; x < 15; ++x) {
                const int32 sx = c.mirrorX ? 10 - 1 - x : x;
                const int32 sy = c.mirrorY ? 10 - 1 - y : y;
                const uint8 expected = c.expectedBounds.Contains(GPoint(x, y)) ? original(sx, sy) : 0;
                mismatches += indexAt(*layer, x, y) == expected ? 0 : 1;
            }
        }
        EXPECT_EQ(mismatches, 0) << c.name;
    }
}

TEST_F(IndexedLayerTest, PaintingStoresTheNearestEntry) {
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
    table->SetColor(0, MakeNativeQuad(0, 0, 0, 255));
    table->SetColor(1, MakeNativeQuad(255, 255, 255, 255));
    table->SetColor(2, MakeNativeQuad(128, 128, 128, 255));
    table->SetEntryCount(3);
    CIndexedLayer layer(&mImage, "i", true, GRect(0, 0, 6, 2), kBlendNormal, 255, table, 0, 1);
    EXPECT_TRUE(layer.CanFillArea() && layer.CanPaintPixels() && layer.CanPaintStrokes());
    layer.FillArea(GRect(0, 0, 2, 2), MakeNativeQuad(250, 240, 255, 255), kBlendNormal, 255);
    // Half-opacity white over black gives grey 128.
    layer.FillArea(GRect(2, 0, 4, 1), MakeNativeQuad(255, 255, 255, 255), kBlendNormal, 128);
    const NativeQuad source[2] = {MakeNativeQuad(100, 140, 120, 255), MakeNativeQuad(0, 10, 0, 255)};
    layer.PaintPixels(GRect(4, 1, 6, 2), source, 8, kBlendNormal, 255);
    const uint8 expected[2][6] = {{1, 1, 2, 2, 0, 0}, {1, 1, 0, 0, 2, 0}};
    for (int32 y = 0; y < 2; ++y)
        for (int32 x = 0; x < 6; ++x) {
            uint8 index = 0xEE;
            layer.GetIndexRows(GRect(x, y, x + 1, y + 1), &index, 1);
            EXPECT_EQ(index, expected[y][x]) << x << "," << y;
        }
}

}  // namespace
