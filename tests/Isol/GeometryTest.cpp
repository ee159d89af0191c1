#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/TileWalker.h"

namespace {

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
    EXPECT_EQ(Walk(100, 1, GRect(-5, -2, 5, 0)),
              (std::vector<GRect>{GRect(-5, -2, 5, -1), GRect(-5, -1, 5, 0)}));
}

TEST(TileWalker, DegenerateWalksEnd) {
    struct Case {
        int32 w, h;
        GRect bounds;
    };
    const Case cases[] = {
        {64, 64, GRect()},               // empty bounds
        {64, 64, GRect(10, 0, 0, 10)},   // inverted
        {0, 64, GRect(0, 0, 100, 100)},  // zero width would never advance
        {64, 0, GRect(0, 0, 100, 100)},
        {-4, 64, GRect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Walk(c.w, c.h, c.bounds).empty()) << c.w << "x" << c.h;
        EXPECT_EQ(TileWalker(c.w, c.h, c.bounds).Count(), 0);
    }
    // Bounds reaching the largest coordinates end without overflow.
    EXPECT_EQ(Walk(1 << 30, 1 << 30, GRect(INT_MAX - 5, INT_MAX - 3, INT_MAX, INT_MAX)).size(), 1u);
    EXPECT_EQ(TileWalker(INT_MAX, INT_MAX, GRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX)).Count(),
              9);  // 3 x 3: the span is 2^32 - 1
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
                ASSERT_TRUE(tile.top > previous.top ||
                            (tile.top == previous.top && tile.left == previous.right));
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
