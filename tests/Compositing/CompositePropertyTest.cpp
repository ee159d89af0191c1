// Properties of the composite over random small stacks: agreement with the reference composite, and
// independence from how a rectangle is asked for.
//
// Behind changes pixels under fully transparent source pixels, indexed layers fill whole requested tiles,
// and an adjustment layer recolours every pixel of a tile that meets its bounds (the canvas); for stacks
// with those, which tiles a layer is skipped in shows in the result. The properties about cutting the
// rectangle differently therefore leave out Behind and indexed layers, and keep adjustment layers to
// rectangles inside the canvas (the reference comparison keeps everything).
#include <gtest/gtest.h>

#include <random>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "tests/Compositing/CompositeReference.h"
#include "tests/Compositing/CompositeTestSupport.h"

namespace {

using namespace CompositeTest;

class CompositeProperties : public testing::Test {
protected:
    void SetUp() override { BuildByteTables(); }

    // Even runs: adjustment layers allowed, rectangles inside the canvas; odd runs: rectangles reaching
    // outside it, no adjustment layers.
    static StackOptions TilingSafe(int32 inRun) {
        StackOptions options;
        options.allowBehind = false;
        options.allowAdjustment = inRun % 2 == 0;
        return options;
    }
    static GRect Around(const StackOptions& inOptions, const GRect& inOutside) {
        return inOptions.allowAdjustment ? GRect(0, 0, inOptions.width, inOptions.height) : inOutside;
    }
};

int32 Differences(const std::vector<NativeQuad>& inA, const std::vector<NativeQuad>& inB) {
    if (inA.size() != inB.size()) return -1;
    int32 count = 0;
    for (size_t i = 0; i < inA.size(); ++i) count += inA[i] == inB[i] ? 0 : 1;
    return count;
}


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
            ASSERT_EQ(Differences(Composite(*image, rect), CompositeReference::Composite(*image, rect)), 0)
                << "run " << run << " rect " << rect.left << "," << rect.top;
    }
}

TEST_F(CompositeProperties, PiecesAssembleToTheWhole) {
    std::mt19937 random(99);
    for (int32 run = 0; run < 120; ++run) {
        const StackOptions options = TilingSafe(run);
        std::unique_ptr<CImage> image = RandomStack(random, options);
        const GRect whole = Around(options, GRect(-4, -2, 44, 33));
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
                NativeQuad* first = assembled.data() + size_t(piece.top - whole.top) * whole.Width() + size_t(piece.left - whole.left);
                GetCompositeTile(*image, piece, first, whole.Width() * 4);
            }
        ASSERT_EQ(Differences(assembled, expected), 0) << "run " << run;
    }
}

TEST_F(CompositeProperties, CompositeBufferEqualsCompositeTile) {
    std::mt19937 random(5);
    for (int32 run = 0; run < 25; ++run) {
        StackOptions options = TilingSafe(run);
        options.width = 150;
        options.height = 70;
        std::unique_ptr<CImage> image = RandomStack(random, options);
        const GRect area = Around(options, GRect(int32(random() % 20) - 10, int32(random() % 20) - 10,
                                                 90 + int32(random() % 80), 71));
        CNativeQuadTileBuffer buffer;
        GetCompositeBuffer(*image, area, buffer, nullptr);
        ASSERT_EQ(buffer.GetBounds(), area);
        std::vector<NativeQuad> fromBuffer(size_t(area.Area()));
        buffer.GetTile(area, fromBuffer.data(), area.Width() * 4);
        ASSERT_EQ(Differences(fromBuffer, Composite(*image, area)), 0) << "run " << run;
    }
}

// Flattening composites the visible layers over the union of their content bounds into one layer;
// that layer's composite equals the stack's there, and nothing is left outside.
TEST_F(CompositeProperties, FlatteningKeepsTheComposite) {
    std::mt19937 random(31);
    for (int32 run = 0; run < 80; ++run) {
        StackOptions options = TilingSafe(1);
        std::unique_ptr<CImage> image = RandomStack(random, options);
        GRect content;
        CLayer* visible = nullptr;
        for (int32 p = 0; p < image->GetLayerCount(); ++p) {
            CLayer* layer = image->GetLayerWithPosition(p);
            if (!layer->GetVisible()) continue;
            content.UnionWith(layer->GetContentBounds());
            visible = layer;
        }
        if (visible == nullptr || content.Empty()) continue;
        image->SetActiveLayer(visible);
        const GRect view(-15, -15, 60, 50);
        const std::vector<NativeQuad> before = Composite(*image, view);
        FlattenImage(*image, nullptr);
        ASSERT_EQ(image->GetLayerCount(), 1);
        const std::vector<NativeQuad> after = Composite(*image, view);
        int32 wrong = 0;
        for (int32 y = view.top; y < view.bottom; ++y)
            for (int32 x = view.left; x < view.right; ++x) {
                const size_t i = size_t(y - view.top) * view.Width() + size_t(x - view.left);
                if (content.Contains(GPoint(x, y)))
                    wrong += after[i] == before[i] ? 0 : 1;
                else
                    wrong += after[i] == kTransparentWhite && before[i].alpha == 0 ? 0 : 1;
            }
        ASSERT_EQ(wrong, 0) << "run " << run;
    }
}

}  // namespace
