// The composite pipeline: its pixel-rectangle passes against their definitions, the composite of random
// stacks against the reference composite and however the rectangle is cut, the rules the reference does
// not model (an empty stack, the effects hooks, processors without an image), and the checkerboard and
// matte passes.
//
// Behind changes pixels under fully transparent source pixels, indexed layers fill whole requested tiles,
// and an adjustment layer recolours every pixel of a tile that meets its bounds (the canvas); for stacks
// with those, which tiles a layer is skipped in shows in the result. The property about cutting the
// rectangle differently therefore leaves out Behind and indexed layers, and keeps adjustment layers to
// rectangles inside the canvas (the reference comparison keeps everything).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Compositing/Checkerboard.h"
#include "Src/Orvane/Src/Compositing/CompositePlanes.h"
#include "Src/Orvane/Src/Compositing/StGetCompositeTile.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "tests/Compositing/BlendReference.h"
#include "tests/Compositing/CompositeTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

using namespace CompositeTest;

constexpr int32 kHeight = 3;
constexpr int32 kPad = 5;  // quads (and bytes) after each row

struct Rect {
    int32 width;
    std::vector<NativeQuad> quads;
    std::vector<uint8> bytes;
    int32 RowBytes() const { return (width + kPad) * 4; }
    int32 ByteRowBytes() const { return width + kPad; }
    NativeQuad& Q(int32 x, int32 y) { return quads[size_t(y * (width + kPad) + x)]; }
    uint8& B(int32 x, int32 y) { return bytes[size_t(y * (width + kPad) + x)]; }
};

Rect RandomRect(int32 inWidth, std::mt19937& ioRandom) {
    Rect r{inWidth, std::vector<NativeQuad>(size_t((inWidth + kPad) * kHeight)),
           std::vector<uint8>(size_t((inWidth + kPad) * kHeight))};
    for (NativeQuad& q : r.quads) q = WordToNativeQuad(ioRandom());
    for (uint8& b : r.bytes) b = uint8(ioRandom());
    return r;
}

TEST(CompositePlanes, VectorPassesMatchTheirDefinitionsAtEveryWidth) {
    std::mt19937 random(5);
    for (int32 width = 0; width <= 40; ++width) {
        for (uint8 opacity : {uint8(0), uint8(1), uint8(128), uint8(254)}) {
            const Rect before = RandomRect(width, random);
            Rect expected = before;
            for (int32 y = 0; y < kHeight; ++y)
                for (int32 x = 0; x < width; ++x)
                    expected.Q(x, y).alpha = Mul8(expected.Q(x, y).alpha, opacity);
            Rect got = before;
            ScaleAlpha(got.quads.data(), got.RowBytes(), width, kHeight, opacity);
            ASSERT_EQ(got.quads, expected.quads)
                << "ScaleAlpha, width " << width << " opacity " << int(opacity);
        }
        const Rect before = RandomRect(width, random);
        Rect masked = before, toBytes = before, fromBytes = before, expected = before, filled = before;
        MultiplyAlphaByBytes(before.bytes.data(), before.ByteRowBytes(), masked.quads.data(),
                             masked.RowBytes(), width, kHeight);
        // The copying form writes the same rows into other pixels and leaves their padding alone.
        const Rect other = RandomRect(width, random);
        Rect copied = other;
        MultiplyAlphaByBytes(before.bytes.data(), before.ByteRowBytes(), before.quads.data(),
                             before.RowBytes(), copied.quads.data(), copied.RowBytes(), width, kHeight);
        CopyAlphaToBytes(before.quads.data(), before.RowBytes(), toBytes.bytes.data(), toBytes.ByteRowBytes(),
                         width, kHeight);
        CopyBytesToAlpha(before.bytes.data(), before.ByteRowBytes(), fromBytes.quads.data(),
                         fromBytes.RowBytes(), width, kHeight);
        FillQuads(filled.quads.data(), filled.RowBytes(), width, kHeight, kOpaqueGrey);
        Rect expectMasked = before, expectTo = before, expectFrom = before, expectFilled = before;
        for (int32 y = 0; y < kHeight; ++y) {
            for (int32 x = 0; x < width; ++x) {
                expectMasked.Q(x, y).alpha = Mul8(expected.B(x, y), expected.Q(x, y).alpha);
                expectTo.B(x, y) = expected.Q(x, y).alpha;
                expectFrom.Q(x, y).alpha = expected.B(x, y);
                expectFilled.Q(x, y) = kOpaqueGrey;
            }
        }
        EXPECT_EQ(masked.quads, expectMasked.quads) << "MultiplyAlphaByBytes, width " << width;
        for (int32 y = 0; y < kHeight; ++y)
            for (int32 x = 0; x < width + kPad; ++x)
                ASSERT_EQ(copied.Q(x, y), x < width ? expectMasked.Q(x, y) : Rect(other).Q(x, y))
                    << "MultiplyAlphaByBytes into other pixels, width " << width << " at " << x << ", " << y;
        EXPECT_EQ(toBytes.bytes, expectTo.bytes) << "CopyAlphaToBytes, width " << width;
        EXPECT_EQ(fromBytes.quads, expectFrom.quads) << "CopyBytesToAlpha, width " << width;
        EXPECT_EQ(filled.quads, expectFilled.quads) << "FillQuads, width " << width;
        // One non-zero alpha anywhere, the last pixel of the last row included, is found.
        Rect clear = before;
        for (int32 y = 0; y < kHeight; ++y)
            for (int32 x = 0; x < width; ++x) clear.Q(x, y).alpha = 0;
        EXPECT_TRUE(AlphaIsZero(clear.quads.data(), clear.RowBytes(), width, kHeight));
        for (int32 x = 0; x < width; ++x) {
            Rect one = clear;
            one.Q(x, kHeight - 1).alpha = uint8(1 + x);
            ASSERT_FALSE(AlphaIsZero(one.quads.data(), one.RowBytes(), width, kHeight)) << width << " " << x;
        }
    }
}

using CompositeProperties = ColourTest;

// Every tenth stack is wide enough (more than 16384 pixels) to be composited in several sub-tiles.
TEST_F(CompositeProperties, MatchesTheReferenceComposite) {
    std::mt19937 random(2024);
    for (int32 run = 0; run < 150; ++run) {
        StackOptions options;
        options.allowIndexed = true;
        if (run % 10 == 0) {
            options.width = 260;
            options.height = 90;
        }
        std::unique_ptr<CImage> image = RandomStack(random, options);
        const GRect rects[] = {image->GetImageRect(), GRect(-7, -3, 20, 9), GRect(13, 11, 14, 40)};
        for (const GRect& rect : rects)
            ASSERT_TRUE(Composite(*image, rect) == CompositeReference::Composite(*image, rect))
                << "run " << run << " rect " << rect.left << "," << rect.top;
    }
}

TEST_F(CompositeProperties, PiecesAssembleToTheWhole) {
    std::mt19937 random(99);
    for (int32 run = 0; run < 120; ++run) {
        // Even runs: adjustment layers allowed, rectangles inside the canvas; odd runs: rectangles reaching
        // outside it, no adjustment layers.
        StackOptions options;
        options.allowBehind = false;
        options.allowAdjustment = run % 2 == 0;
        std::unique_ptr<CImage> image = RandomStack(random, options);
        const GRect whole =
            options.allowAdjustment ? GRect(0, 0, options.width, options.height) : GRect(-4, -2, 44, 33);
        const std::vector<NativeQuad> expected = Composite(*image, whole);
        std::vector<NativeQuad> assembled(expected.size(), NativeQuad{9, 9, 9, 9});
        // Random column and row cuts; each piece is asked for into its place in the assembled buffer.
        std::vector<int32> xs{whole.left, whole.right}, ys{whole.top, whole.bottom};
        for (int32 i = 0; i < 3; ++i) {
            xs.push_back(whole.left + 1 + int32(random() % uint32(whole.Width() - 1)));
            ys.push_back(whole.top + 1 + int32(random() % uint32(whole.Height() - 1)));
        }
        std::sort(xs.begin(), xs.end());
        std::sort(ys.begin(), ys.end());
        for (size_t j = 0; j + 1 < ys.size(); ++j)
            for (size_t i = 0; i + 1 < xs.size(); ++i) {
                const GRect piece(xs[i], ys[j], xs[i + 1], ys[j + 1]);
                if (piece.Empty()) continue;
                NativeQuad* first = assembled.data() + size_t(piece.top - whole.top) * whole.Width() +
                                    size_t(piece.left - whole.left);
                GetCompositeTile(*image, piece, first, whole.Width() * 4);
            }
        ASSERT_TRUE(assembled == expected) << "run " << run;
    }
}

class CompositeRules : public ColourTest {
protected:
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
    Add(PaintedLayer(9, GRect(0, 0, 1, 1),
                     [](int32, int32) { return kTransparentWhite; }));  // the active layer
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

const NativeQuad kA = MakeNativeQuad(200, 200, 200, 17);
const NativeQuad kB = MakeNativeQuad(40, 90, 250, 99);

using CompositeViews = CompositeProperties;

// The pass on single pixels: what stays, what is replaced whole, and how translucent colours move
// toward the background (rounding the distance, in either direction).
TEST_F(CompositeViews, MatteArithmetic) {
    const struct {
        NativeQuad pixel, expected;
    } cases[] = {
        {MakeNativeQuad(1, 2, 3, 255), MakeNativeQuad(1, 2, 3, 0)},  // opaque: colour kept, alpha cleared
        {MakeNativeQuad(1, 2, 3, 0), kB},                            // transparent: the background quad
        {MakeNativeQuad(0, 255, 250, 128),                           // 127 of 255 toward (40, 90, 250)
         MakeNativeQuad(uint8(0 + BlendReference::Mul(40, 127)), uint8(255 - BlendReference::Mul(165, 127)),
                        250, 0)},
        {MakeNativeQuad(100, 100, 100, 1),
         MakeNativeQuad(uint8(100 - BlendReference::Mul(60, 254)), uint8(100 - BlendReference::Mul(10, 254)),
                        uint8(100 + BlendReference::Mul(150, 254)), 0)},
    };
    for (const auto& c : cases) {
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
            for (int32 y = tile.top; y < tile.bottom; ++y)
                for (int32 x = tile.left; x < tile.right; ++x)
                    ASSERT_EQ(pixels[size_t(y - tile.top) * tile.Width() + size_t(x - tile.left)],
                              ((x & size) != (y & size)) ? kB : kA)
                        << size << " at " << x << "," << y;
        }
    }
}

}  // namespace
