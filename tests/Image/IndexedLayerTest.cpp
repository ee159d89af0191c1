// CIndexedLayer: colours looked up from the indexes of the plane.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Image/RasterDescriptor.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/support/ReportCapture.h"

namespace {

// A table whose entry i is (i, 255 - i, i / 2) with alpha i | 1, so every entry differs.
NativeQuadCLUTRef GradientTable() {
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
    for (int32 i = 0; i < 256; ++i)
        table->SetColor(i, MakeNativeQuad(uint8(i), uint8(255 - i), uint8(i / 2), uint8(i | 1)));
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

    const GRect rects[] = {{10, 5, 20, 15},      {0, 0, 30, 30},   {400, 290, 420, 320},
                           {-50, -50, -10, -10}, {0, 0, 420, 310}, {200, 100, 201, 300}};
    for (const GRect& rect : rects) {
        const std::vector<NativeQuad> pixels = ReadTile(layer, rect);
        int32 mismatches = 0;
        for (int32 y = rect.top; y < rect.bottom; ++y) {
            for (int32 x = rect.left; x < rect.right; ++x) {
                const bool inside = bounds.Contains(GPoint(x, y));
                const uint8 index =
                    inside ? model[size_t(y - bounds.top) * bounds.Width() + size_t(x - bounds.left)] : 0;
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
    const std::string reports =
        CaptureReports([&] { layer.GetTile(nullptr, nullptr, &descriptor, GRect(0, 0, 2, 2)); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"portRect == inRect\"")) << reports;
}

}  // namespace
