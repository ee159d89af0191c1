// Ways of showing a composite: the checkerboard and matte passes, and scaled composites.
#include <gtest/gtest.h>

#include <cmath>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Compositing/Checkerboard.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Compositing/BlendReference.h"
#include "tests/Compositing/CompositeTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

using namespace CompositeTest;

const NativeQuad kA = MakeNativeQuad(200, 200, 200, 17);
const NativeQuad kB = MakeNativeQuad(40, 90, 250, 99);

class CompositeViews : public testing::Test {
protected:
    void SetUp() override { BuildByteTables(); }
};

// The pass on single pixels: what stays, what is replaced whole, and how translucent colours move
// toward the background (rounding the distance, in either direction).
TEST_F(CompositeViews, MatteArithmetic) {
    struct Case {
        NativeQuad pixel, expected;
    };
    const Case cases[] = {
        {MakeNativeQuad(1, 2, 3, 255), MakeNativeQuad(1, 2, 3, 0)},  // opaque: colour kept, alpha cleared
        {MakeNativeQuad(1, 2, 3, 0), kB},                           // transparent: the background quad
        {MakeNativeQuad(0, 255, 250, 128),                          // 127 of 255 toward (40, 90, 250)
         MakeNativeQuad(uint8(0 + BlendReference::Mul(40, 127)), uint8(255 - BlendReference::Mul(165, 127)), 250, 0)},
        {MakeNativeQuad(100, 100, 100, 1), MakeNativeQuad(uint8(100 - BlendReference::Mul(60, 254)),
                                                          uint8(100 - BlendReference::Mul(10, 254)),
                                                          uint8(100 + BlendReference::Mul(150, 254)), 0)},
    };
    for (const Case& c : cases) {
        NativeQuad pixel = c.pixel;
        MatteOverColor(&pixel, 1, 1, kB);
        EXPECT_EQ(pixel, c.expected) << int(c.pixel.alpha);
        NativeQuad checkered = c.pixel;  // (8, 0) with squares of 8 lies on colour B
        ApplyCheckerboard(GRect(8, 0, 9, 1), &checkered, 4, kA, kB, 8);
        EXPECT_EQ(checkered, c.expected) << int(c.pixel.alpha);
    }
}

// Transparent pixels reveal the pattern: with squares of s, pixel (x, y) shows B exactly when
// (x & s) != (y & s), whatever tile the pixels arrive in.
TEST_F(CompositeViews, CheckerboardPatternFollowsImageCoordinates) {
    const GRect tiles[] = {{24, 0, 40, 4}, {0, 0, 16, 16}, {-5, 13, 7, 19}, {1000, 2000, 1003, 2040}};
    for (int32 size : {1, 4, 8}) {
        for (const GRect& tile : tiles) {
            std::vector<NativeQuad> pixels(size_t(tile.Area()), kTransparentWhite);
            ApplyCheckerboard(tile, pixels.data(), tile.Width() * 4, kA, kB, size);
            int32 wrong = 0;
            for (int32 y = tile.top; y < tile.bottom; ++y)
                for (int32 x = tile.left; x < tile.right; ++x) {
                    const NativeQuad expected = ((x & size) != (y & size)) ? kB : kA;
                    wrong += pixels[size_t(y - tile.top) * tile.Width() + size_t(x - tile.left)] == expected ? 0 : 1;
                }
            EXPECT_EQ(wrong, 0) << size << " at " << tile.left << "," << tile.top;
        }
    }
    // Squares of 8 at a tile whose left is 24: the first column lies in the second square of its pair.
    NativeQuad first = kTransparentWhite;
    ApplyCheckerboard(GRect(24, 0, 25, 1), &first, 4, kA, kB, 8);
    EXPECT_EQ(first, kB);
}

// Output pixel (i, j) of a scaled composite is the composite at (floor(i / f), floor(j / f)); samples
// off the canvas are transparent white.
TEST_F(CompositeViews, ScaledCompositeSamplesNearestPixels) {
    std::mt19937 random(11);
    StackOptions options;
    options.width = 30;
    options.height = 20;
    std::unique_ptr<CImage> image = RandomStack(random, options);
    image->AddLayer(PaintedLayer(999, GRect(0, 0, 30, 20), [](int32 x, int32 y) {
        return MakeNativeQuad(uint8(x), uint8(y), 1, uint8(128 + x));
    }), false, 0, true);
    const std::vector<NativeQuad> full = Composite(*image, image->GetImageRect());
    struct Case {
        double scale;
        GRect rect;
    };
    const Case cases[] = {{2.0, {0, 0, 60, 40}}, {2.0, {7, 3, 25, 60}}, {0.5, {0, 0, 15, 10}},
                          {0.3, {1, 1, 9, 6}},   {3.0, {-6, -3, 95, 61}}, {1.0, {4, 4, 9, 9}}};
    for (const Case& c : cases) {
        std::vector<NativeQuad> pixels(size_t(c.rect.Area()), NativeQuad{1, 2, 3, 4});
        GetScaledCompositeTile(*image, c.rect, c.scale, pixels.data(), c.rect.Width() * 4);
        int32 wrong = 0;
        for (int32 j = 0; j < c.rect.Height(); ++j)
            for (int32 i = 0; i < c.rect.Width(); ++i) {
                const int32 sx = int32(std::floor((c.rect.left + i) / c.scale));
                const int32 sy = int32(std::floor((c.rect.top + j) / c.scale));
                const bool inside = sx >= 0 && sx < 30 && sy >= 0 && sy < 20;
                const NativeQuad expected = inside ? full[size_t(sy) * 30 + size_t(sx)] : kTransparentWhite;
                wrong += pixels[size_t(j) * c.rect.Width() + size_t(i)] == expected ? 0 : 1;
            }
        EXPECT_EQ(wrong, 0) << c.scale << " over " << c.rect.left << "," << c.rect.top;
    }
    std::vector<NativeQuad> off(4);
    const std::string reports =
        CaptureReports([&] { GetScaledCompositeTile(*image, GRect(100, 100, 102, 102), 2.0, off.data(), 8); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"!inTileRect.Empty()\"")) << reports;
    EXPECT_EQ(off[3], kTransparentWhite);
}

}  // namespace
