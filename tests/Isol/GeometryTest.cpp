#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/TileWalker.h"

namespace {

TEST(GRect, EmptyWidthHeightArea) {
    struct Case {
        GRect r;
        bool empty;
        int32 width, height;
        int64 area;
    };
    const Case cases[] = {
        {GRect(), true, 0, 0, 0},
        {GRect(5, 5, 5, 10), true, 0, 5, 0},
        {GRect(0, 0, 3, 4), false, 3, 4, 12},
        {GRect(10, 0, 0, 5), true, -10, 5, 0},  // inverted: negative width, still no area
        {GRect(0, 4, 3, 2), true, 3, -2, 0},
        {GRect(-5, -5, 5, 5), false, 10, 10, 100},
        {GRect(0, 0, 100000, 100000), false, 100000, 100000, 10000000000LL},  // area beyond 32 bits
        {GRect(INT_MIN, 0, INT_MAX, 2), false, -1, 2, 2 * 4294967295LL},      // width wraps; area exact
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.r.Empty(), c.empty) << c.r.left << "," << c.r.top << "," << c.r.right << "," << c.r.bottom;
        EXPECT_EQ(c.r.Width(), c.width);
        EXPECT_EQ(c.r.Height(), c.height);
        EXPECT_EQ(c.r.Area(), c.area);
    }
    EXPECT_EQ(GRect(1, 2, 3, 4).TopLeft(), GPoint(1, 2));
    EXPECT_NE(GPoint(1, 0), GPoint(0, 1));
    EXPECT_NE(GRect(0, 0, 1, 1), GRect(0, 0, 1, 2));
}

TEST(GRect, IntersectsAndContains) {
    struct Case {
        GRect a, b;
        bool intersects, aContainsB;
    };
    const Case cases[] = {
        {GRect(0, 0, 10, 10), GRect(10, 0, 20, 10), false, false},  // touching edges
        {GRect(0, 0, 10, 10), GRect(0, 10, 10, 20), false, false},
        {GRect(0, 0, 10, 10), GRect(9, 9, 20, 20), true, false},
        {GRect(0, 0, 10, 10), GRect(2, 2, 8, 8), true, true},
        {GRect(0, 0, 10, 10), GRect(0, 0, 10, 10), true, true},
        {GRect(0, 0, 10, 10), GRect(50, 50, 50, 60), false, true},  // an Empty rectangle anywhere
        {GRect(0, 0, 0, 0), GRect(3, 3, 1, 1), false, true},        // even inside an Empty one
        {GRect(0, 0, 0, 0), GRect(0, 0, 1, 1), false, false},
        {GRect(5, 5, 5, 10), GRect(0, 0, 20, 20), false, false},    // Empty never intersects
        {GRect(-10, -10, 0, 0), GRect(-1, -1, 1, 1), true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.Intersects(c.b), c.intersects) << c.b.left << "," << c.b.top;
        EXPECT_EQ(c.b.Intersects(c.a), c.intersects) << "symmetry " << c.b.left << "," << c.b.top;
        EXPECT_EQ(c.a.Contains(c.b), c.aContainsB) << c.b.left << "," << c.b.top;
    }
    EXPECT_TRUE(GRect(0, 0, 2, 2).Contains(GPoint(1, 1)));
    EXPECT_FALSE(GRect(0, 0, 2, 2).Contains(GPoint(2, 1)));  // right edge excluded
}

TEST(GRect, IntersectionAndUnion) {
    struct Case {
        GRect a, b, intersection, unionRect;
    };
    const Case cases[] = {
        {GRect(0, 0, 10, 10), GRect(20, 20, 30, 30), GRect(20, 20, 10, 10), GRect(0, 0, 30, 30)},
        {GRect(0, 0, 10, 10), GRect(5, -5, 15, 5), GRect(5, 0, 10, 5), GRect(0, -5, 15, 10)},
        {GRect(5, 5, 5, 10), GRect(0, 0, 2, 2), GRect(5, 5, 2, 2), GRect(0, 0, 2, 2)},  // Empty ignored
        {GRect(0, 0, 2, 2), GRect(5, 5, 5, 10), GRect(5, 5, 2, 2), GRect(0, 0, 2, 2)},
        {GRect(7, 7, 3, 3), GRect(1, 1, 0, 0), GRect(7, 7, 0, 0), GRect(7, 7, 3, 3)},  // both Empty: unchanged
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.Intersection(c.b), c.intersection) << c.a.left << " " << c.b.left;
        EXPECT_EQ(c.a.Union(c.b), c.unionRect) << c.a.left << " " << c.b.left;
        GRect inPlace = c.a;
        EXPECT_EQ(inPlace.IntersectWith(c.b), c.intersection);
        inPlace = c.a;
        EXPECT_EQ(inPlace.UnionWith(c.b), c.unionRect);
    }
}

TEST(GRect, OffsetInsetAndPin) {
    EXPECT_EQ(GRect(1, 2, 3, 4).Offset(10, -20), GRect(11, -18, 13, -16));
    EXPECT_EQ(GRect(1, 2, 3, 4).Offset(GPoint(1, 1)), GRect(2, 3, 4, 5));
    EXPECT_EQ(GRect(1, 2, 3, 4).OffsetNegative(GPoint(1, 2)), GRect(0, 0, 2, 2));
    EXPECT_EQ(GRect(0, 0, 10, 10).Inset(2, 3), GRect(2, 3, 8, 7));
    EXPECT_EQ(GRect(0, 0, 10, 10).Inset(-2, -1), GRect(-2, -1, 12, 11));  // negative insets grow
    EXPECT_EQ(GRect(0, 0, 4, 4).Inset(3, 0), GRect(3, 0, 1, 4));          // not normalised
    EXPECT_EQ(GRect(INT_MAX, 0, INT_MAX, 1).Offset(1, 0), GRect(INT_MIN, 0, INT_MIN, 1));  // 32-bit wrap
    EXPECT_EQ(GRect().OffsetNegative(GPoint(INT_MIN, 0)), GRect(INT_MIN, 0, INT_MIN, 0));
    EXPECT_EQ(Pin(0, -5, 10), 0);
    EXPECT_EQ(Pin(0, 15, 10), 10);
    EXPECT_EQ(Pin(0, 7, 10), 7);
}

std::vector<GRect> Walk(int32 w, int32 h, const GRect& bounds) {
    std::vector<GRect> tiles;
    for (TileWalker walker(w, h, bounds); walker.Valid(); walker.Next()) {
        tiles.push_back(walker.Tile());
        if (tiles.size() > 100000) break;  // a runaway walk fails below instead of hanging
    }
    return tiles;
}

// Tiles start at the bounds' corner, not at multiples of the tile size (the random walk below checks the
// rest of the order and the cutting).
TEST(TileWalker, TilesStartAtTheBoundsCorner) {
    EXPECT_EQ(Walk(64, 64, GRect(10, 20, 74, 84)), (std::vector<GRect>{GRect(10, 20, 74, 84)}));
    EXPECT_EQ(Walk(100, 1, GRect(-5, -2, 5, 0)), (std::vector<GRect>{GRect(-5, -2, 5, -1), GRect(-5, -1, 5, 0)}));
}

TEST(TileWalker, DegenerateWalksEnd) {
    struct Case {
        int32 w, h;
        GRect bounds;
    };
    const Case cases[] = {
        {64, 64, GRect()},                      // empty bounds
        {64, 64, GRect(10, 0, 0, 10)},          // inverted
        {0, 64, GRect(0, 0, 100, 100)},         // zero width would never advance
        {64, 0, GRect(0, 0, 100, 100)},
        {-4, 64, GRect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Walk(c.w, c.h, c.bounds).empty()) << c.w << "x" << c.h;
        EXPECT_EQ(TileWalker(c.w, c.h, c.bounds).Count(), 0);
    }
    // Bounds reaching the largest coordinates end without overflow.
    EXPECT_EQ(Walk(1 << 30, 1 << 30, GRect(INT_MAX - 5, INT_MAX - 3, INT_MAX, INT_MAX)).size(), 1u);
    EXPECT_EQ(TileWalker(INT_MAX, INT_MAX, GRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX)).Count(), 9);  // 3 x 3: the span is 2^32 - 1
}

// Random bounds and tile sizes: the tiles partition the bounds exactly, in row-major order, and Count
// tells their number beforehand.
TEST(TileWalker, TilesPartitionTheBounds) {
    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        const int32 left = int32(rng() % 200) - 100, top = int32(rng() % 200) - 100;
        const GRect bounds(left, top, left + int32(rng() % 150) + 1, top + int32(rng() % 150) + 1);
        const int32 w = int32(rng() % 70) + 1, h = int32(rng() % 70) + 1;
        std::vector<int> covered(size_t(bounds.Area()), 0);
        GRect previous;
        const std::vector<GRect> tiles = Walk(w, h, bounds);
        ASSERT_EQ(TileWalker(w, h, bounds).Count(), int32(tiles.size()));
        for (const GRect& tile : tiles) {
            ASSERT_TRUE(bounds.Contains(tile));
            ASSERT_FALSE(tile.Empty());
            ASSERT_LE(tile.Width(), w);
            ASSERT_LE(tile.Height(), h);
            if (!previous.Empty()) {
                ASSERT_TRUE(tile.top > previous.top || (tile.top == previous.top && tile.left == previous.right));
            }
            for (int32 y = tile.top; y < tile.bottom; ++y)
                for (int32 x = tile.left; x < tile.right; ++x)
                    ++covered[size_t((y - bounds.top) * bounds.Width() + (x - bounds.left))];
            previous = tile;
        }
        for (int c : covered) ASSERT_EQ(c, 1) << "round " << round;
    }
}

}  // namespace
