// The pieces behind the commands that the command runs cannot reach: malformed tiles from a module, PNG
// files that cannot be written, JSON text of any name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "tests/Tool/ToolTestSupport.h"
#include "tools/flatten/TileAssembler.h"
#include "tools/info/InfoPrinter.h"
#include "tools/png/PngWriter.h"

namespace {

// A well-formed tile over (left, top, right, bottom) whose pixel bytes are given in blue, green, red,
// alpha order, as the module delivers them; each row is followed by inPadding bytes that are no pixels.
struct TileData {
    std::vector<uint8> bytes;
    TileView view;
};

TileData MakeTile(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom, uint8 inSeed,
                  int32 inPadding = 0) {
    TileData tile;
    const int32 width = inRight - inLeft;
    tile.bytes.resize(size_t(width * 4 + inPadding) * size_t(inBottom - inTop));
    for (size_t i = 0; i < tile.bytes.size(); ++i) tile.bytes[i] = uint8(inSeed + i);
    // Data, top, left, bottom, right; column, row and plane steps; planes 0 to 4 and their map.
    tile.view = {tile.bytes.data(),     inTop, inLeft, inBottom, inRight,     4,
                 width * 4 + inPadding, 1,     0,      4,        {2, 1, 0, 3}};
    return tile;
}

TEST(TileAssemblerTest, MalformedTilesAreRefusedAndChangeNothing) {
    struct Case {
        const char* what;
        void (*spoil)(TileView&);
        const char* message;
    };
    const Case cases[] = {
        {"no data", [](TileView& v) { v.data = nullptr; }, "no pixel data"},
        {"right beyond", [](TileView& v) { v.right = 9; }, "outside the 8 x 6 image"},
        {"negative top", [](TileView& v) { v.top = -1; }, "outside"},
        {"empty", [](TileView& v) { v.bottom = v.top; }, "empty rectangle"},
        {"inverted", [](TileView& v) { v.left = v.right + 1; }, "empty rectangle"},
        {"three planes", [](TileView& v) { v.planeLimit = 3; }, "expected 0 to 4"},
        {"first plane 1", [](TileView& v) { v.firstPlane = 1; }, "expected 0 to 4"},
        {"column step", [](TileView& v) { v.columnStep = 3; }, "column step 3"},
        {"plane step", [](TileView& v) { v.planeStep = 2; }, "plane step 2"},
        {"short rows", [](TileView& v) { v.rowStep -= 1; }, "shorter than a row"},
        {"shared byte", [](TileView& v) { v.planeMap[3] = 2; }, "plane map"},
        {"byte outside", [](TileView& v) { v.planeMap[0] = 4; }, "plane map"},
    };
    for (const Case& c : cases) {
        TileAssembler assembler(8, 6);
        TileData tile = MakeTile(2, 1, 6, 4, 7);
        c.spoil(tile.view);
        const PixelBytes before = assembler.Image().pixels;
        std::string error;
        EXPECT_FALSE(assembler.Add(tile.view, error)) << c.what;
        EXPECT_TRUE(Contains(error, c.message)) << c.what << ": " << error;
        EXPECT_EQ(assembler.DeliveredPixels(), 0) << c.what;
        EXPECT_TRUE(assembler.Image().pixels == before) << c.what << ": no pixel is written";
    }
}

// Random tiles on a picture whose rows straddle the words of the delivered-pixel set, against a model:
// a tile is taken exactly when none of its pixels came before, and its pixels land where the plane map
// says (the same order, red and blue swapped, and any other order), whatever padding ends its rows. The
// picture is complete once single pixels have filled the rest.
TEST(TileAssemblerTest, TakesATileExactlyWhenItsPixelsAreNewAndMapsEveryPlane) {
    const int32 width = 150, height = 7;
    const int16 maps[4][4] = {{0, 1, 2, 3}, {2, 1, 0, 3}, {3, 0, 2, 1}, {0, 3, 2, 1}};
    TileAssembler assembler(width, height);
    std::vector<bool> delivered(size_t(width) * height, false);
    std::mt19937 random(3);
    std::string error;
    for (int32 step = 0; step < 300; ++step) {
        const int32 left = int32(random() % width), top = int32(random() % height);
        TileData tile =
            MakeTile(left, top, left + 1 + int32(random() % std::min(width - left, 70)),
                     top + 1 + int32(random() % (height - top)), uint8(step), int32(random() % 9));
        const int16* map = maps[step % 4];
        std::copy(map, map + 4, tile.view.planeMap);
        bool fresh = true;
        for (int32 y = tile.view.top; y < tile.view.bottom; ++y)
            for (int32 x = tile.view.left; x < tile.view.right; ++x)
                fresh = fresh && !delivered[size_t(y * width + x)];
        ASSERT_EQ(assembler.Add(tile.view, error), fresh) << "step " << step << ": " << error;
        if (!fresh) continue;
        for (int32 y = tile.view.top; y < tile.view.bottom; ++y)
            for (int32 x = tile.view.left; x < tile.view.right; ++x) {
                delivered[size_t(y * width + x)] = true;
                const uint8* from =
                    tile.bytes.data() + size_t(((y - top) * tile.view.rowStep) + (x - left) * 4);
                const uint8* to = assembler.Image().pixels.data() + size_t(y * width + x) * 4;
                for (int32 p = 0; p < 4; ++p) ASSERT_EQ(to[p], from[map[p]]) << x << ", " << y;
            }
    }
    EXPECT_EQ(assembler.DeliveredPixels(), std::count(delivered.begin(), delivered.end(), true));
    for (int32 i = 0; i < width * height; ++i)
        if (!delivered[size_t(i)]) {
            EXPECT_FALSE(assembler.Complete());
            ASSERT_TRUE(
                assembler.Add(MakeTile(i % width, i / width, i % width + 1, i / width + 1, 0).view, error));
        }
    EXPECT_TRUE(assembler.Complete());
    // A repeated pixel whose bit a wider tile set at the top of a word.
    TileAssembler words(width, 1);
    ASSERT_TRUE(words.Add(MakeTile(62, 0, 64, 1, 0).view, error));
    EXPECT_FALSE(words.Add(MakeTile(63, 0, 64, 1, 0).view, error));
}

TEST(PngWriterTest, RefusesInconsistentImagesAndUnwritablePaths) {
    const std::string path = "/tmp/lumenar-png-bad-" + std::to_string(::getpid()) + ".png";
    struct Case {
        int32 width, height;
        size_t bytes;
        std::string path;
    };
    const Case cases[] = {
        {2, 2, 15, path}, {0, 2, 0, path}, {2, -1, 0, path}, {2, 2, 16, "/nonexistent/dir/x.png"}};
    for (const Case& c : cases) {
        RgbaImage image;
        image.width = c.width;
        image.height = c.height;
        image.pixels.assign(c.bytes, 1);
        std::string error;
        EXPECT_FALSE(WritePng(c.path, image, PngMetadata{}, error)) << c.width << " x " << c.height;
        EXPECT_FALSE(error.empty());
        EXPECT_NE(::access(c.path.c_str(), F_OK), 0) << "no file is left behind";
    }
}

TEST(InfoPrinterTest, JsonStringsEscapeWhatJsonRequires) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"tab\tnew\n", "\"tab\\u0009new\\u000a\""},
        {"caf\xE9", "\"caf\\u00e9\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json);
}

}  // namespace
