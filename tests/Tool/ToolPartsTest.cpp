// The pieces behind the commands: tile checks and assembly, the PNG writer and reader, JSON text and the
// JSON reader, layer file names.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/Tool/ToolTestSupport.h"
#include "tools/flatten/TileAssembler.h"
#include "tools/info/InfoPrinter.h"
#include "tools/json/JsonReader.h"
#include "tools/layers/LayerExport.h"
#include "tools/png/PngReader.h"
#include "tools/png/PngWriter.h"

namespace {

// A well-formed tile over (left, top, right, bottom) whose pixel bytes are given in blue, green, red,
// alpha order, as the module delivers them.
struct TileData {
    std::vector<uint8> bytes;
    TileView view;
};

TileData MakeTile(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom, uint8 inSeed) {
    TileData tile;
    const int32 width = inRight - inLeft;
    tile.bytes.resize(size_t(width) * size_t(inBottom - inTop) * 4);
    for (size_t i = 0; i < tile.bytes.size(); ++i) tile.bytes[i] = uint8(inSeed + i);
    TileView& v = tile.view;
    v.data = tile.bytes.data();
    v.top = inTop;
    v.left = inLeft;
    v.bottom = inBottom;
    v.right = inRight;
    v.columnStep = 4;
    v.rowStep = width * 4;
    v.planeStep = 1;
    v.firstPlane = 0;
    v.planeLimit = 4;
    const int16 map[4] = {2, 1, 0, 3};
    std::copy(map, map + 4, v.planeMap);
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
        std::string error;
        EXPECT_FALSE(assembler.Add(tile.view, error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(assembler.DeliveredPixels(), 0) << c.what;
        EXPECT_EQ(assembler.Image().pixels, std::vector<uint8>(8 * 6 * 4, 0)) << c.what;
    }
}

TEST(TileAssemblerTest, PlacesPlanesByTheMapAndRefusesRepeatedPixels) {
    TileAssembler assembler(5, 3);
    std::string error;
    // Row step wider than the row: the padding must be skipped.
    TileData left = MakeTile(0, 0, 2, 3, 0);
    std::vector<uint8> padded;
    for (int row = 0; row < 3; ++row) {
        padded.insert(padded.end(), left.bytes.begin() + row * 8, left.bytes.begin() + row * 8 + 8);
        padded.insert(padded.end(), {0xEE, 0xEE, 0xEE, 0xEE});
    }
    left.view.data = padded.data();
    left.view.rowStep = 12;
    ASSERT_TRUE(assembler.Add(left.view, error)) << error;
    EXPECT_FALSE(assembler.Complete());

    TileData overlapping = MakeTile(1, 2, 3, 3, 50);
    EXPECT_FALSE(assembler.Add(overlapping.view, error));
    EXPECT_NE(error.find("repeats pixels"), std::string::npos);

    TileData right = MakeTile(2, 0, 5, 3, 100);
    ASSERT_TRUE(assembler.Add(right.view, error)) << error;
    EXPECT_TRUE(assembler.Complete());

    const RgbaImage& image = assembler.Image();
    // Pixel (1, 2) came from the left tile's third row, second pixel: bytes 16+4 .. 16+7 = b, g, r, a.
    const uint8* pixel = image.pixels.data() + (2 * 5 + 1) * 4;
    EXPECT_EQ((std::vector<int>{pixel[0], pixel[1], pixel[2], pixel[3]}), (std::vector<int>{22, 21, 20, 23}));
    const uint8* last = image.pixels.data() + (2 * 5 + 4) * 4;  // right tile, row 2, column 2: offset 32
    EXPECT_EQ((std::vector<int>{last[0], last[1], last[2], last[3]}), (std::vector<int>{134, 133, 132, 135}));
}

TEST(PngWriterTest, ResolutionsBecomePixelsPerMetre) {
    struct Case {
        uint32 fixed;
        uint32 perMetre;
    };
    const Case cases[] = {{72u << 16, 2835}, {150u << 16, 5906}, {300u << 16, 11811}, {0, 0},
                          {(72u << 16) + 0x8000, 2854}, {1, 0}};
    for (const Case& c : cases) EXPECT_EQ(PixelsPerMetre(c.fixed), c.perMetre) << c.fixed;
}

TEST(PngWriterTest, WritesPixelsResolutionAndSoftwareAndReadsBackTheSame) {
    const std::string path = "/tmp/lumenar-png-" + std::to_string(::getpid()) + ".png";
    RgbaImage image;
    image.width = 7;
    image.height = 3;
    for (int i = 0; i < 7 * 3 * 4; ++i) image.pixels.push_back(uint8(i * 37 + 5));
    PngMetadata metadata;
    metadata.horizontalResolution = 300u << 16;
    metadata.verticalResolution = 150u << 16;
    metadata.software = "lumenar test";
    std::string error;
    ASSERT_TRUE(WritePng(path, image, metadata, error)) << error;
    RgbaImage again;
    ASSERT_TRUE(ReadPngRgba(path, again, error)) << error;
    EXPECT_EQ(again.pixels, image.pixels);
    EXPECT_EQ(again.width, 7);
    // Read as grey: the luminance of each pixel, alpha dropped.
    GreyImage grey;
    ASSERT_TRUE(ReadPngGrey(path, grey, error)) << error;
    ASSERT_EQ(grey.pixels.size(), 21u);
    EXPECT_NEAR(grey.pixels[1], 0.2126 * image.pixels[4] + 0.7152 * image.pixels[5] + 0.0722 * image.pixels[6], 1.5);
    // A grey file read as RGBA: the value thrice, opaque.
    ASSERT_TRUE(WritePngGrey(path, grey, error)) << error;
    ASSERT_TRUE(ReadPngRgba(path, again, error)) << error;
    EXPECT_EQ((std::vector<uint8>(again.pixels.begin() + 4, again.pixels.begin() + 8)),
              (std::vector<uint8>{grey.pixels[1], grey.pixels[1], grey.pixels[1], 255}));
    ASSERT_TRUE(WritePng(path, image, metadata, error)) << error;
    const PngReadBack back = ReadPng(path);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.width, 7u);
    EXPECT_EQ(back.height, 3u);
    EXPECT_EQ(back.pixels, image.pixels);
    EXPECT_EQ(back.xPerMetre, 11811u);
    EXPECT_EQ(back.yPerMetre, 5906u);
    EXPECT_EQ(back.software, "lumenar test");
    std::remove(path.c_str());
}

TEST(PngWriterTest, RefusesInconsistentImagesAndUnwritablePaths) {
    const std::string path = "/tmp/lumenar-png-bad-" + std::to_string(::getpid()) + ".png";
    struct Case {
        int32 width, height;
        size_t bytes;
        std::string path;
    };
    const Case cases[] = {{2, 2, 15, path}, {0, 2, 0, path}, {2, -1, 0, path}, {2, 2, 16, "/nonexistent/dir/x.png"}};
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

TEST(JsonReaderTest, ReadsWhatTheToolWritesAndRefusesWhatIsNotJson) {
    JsonValue value;
    std::string error;
    const std::string text = " {\"a\": [1, -2.5e1, true, null, {}], \"name\": \"caf\\u00e9 \\\"x\\\"\\n\\u263a\"}\n";
    ASSERT_TRUE(ParseJson(text, value, error)) << error;
    ASSERT_EQ(value.Find("a")->items.size(), 5u);
    EXPECT_EQ(value.Find("a")->items[1].number, -25);
    EXPECT_TRUE(value.Find("a")->items[2].boolean);
    EXPECT_TRUE(value.Find("a")->items[3].IsNull());
    EXPECT_EQ(value.Find("a")->items[4].kind, JsonValue::Kind::kObject);
    EXPECT_EQ(value.Find("name")->text, "caf\xE9 \"x\"\n?");
    EXPECT_EQ(value.Find("missing"), nullptr);

    const std::pair<std::string, const char*> bad[] = {
        {"", "line 1, column 1: unexpected end of the text"},
        {"{\"a\": 1,}", "line 1, column 9: expected a key in double quotes"},
        {"{\"a\" 1}", "expected ':' after an object key"},
        {"{\"a\": 1, \"a\": 2}", "the key \"a\" appears twice"},
        {"[1 2]", "expected ',' or ']' in an array"},
        {"[1]\n x", "line 2, column 2: unexpected text after the value"},
        {"01", "unexpected text after the value"},
        {"1.", "a number needs digits after '.'"},
        {"-", "unexpected character"},
        {"tru", "unexpected character"},
        {"\"a\\q\"", "unknown escape in a string"},
        {"\"\\u12\"", "\\u needs four hexadecimal digits"},
        {"\"open", "a string is not closed"},
        {"\"tab\there\"", "a control character inside a string"},
        {std::string(kMaxJsonDepth + 1, '[') + std::string(kMaxJsonDepth + 1, ']'), "nested too deeply"},
    };
    for (const auto& [input, message] : bad) {
        EXPECT_FALSE(ParseJson(input, value, error)) << input;
        EXPECT_NE(error.find(message), std::string::npos) << input << ": " << error;
    }
}

TEST(LayerExportTest, FileNamesAreSafeAndSortByIndex) {
    const std::tuple<size_t, size_t, std::string, std::string, std::string> cases[] = {
        {3, 12, "Sky and sun", "", "03-Sky_and_sun.png"},
        {7, 120, "a/b\\c:d", "-mask", "007-a_b_c_d-mask.png"},
        {0, 1, "", "", "00.png"},
        {1, 2, "caf\xE9.v2-final_", "", "01-caf_.v2-final_.png"},
        {2, 3, std::string(50, 'x'), "", "02-" + std::string(40, 'x') + ".png"},
    };
    for (const auto& [index, count, name, suffix, file] : cases) EXPECT_EQ(LayerFileName(index, count, name, suffix), file);
}

}  // namespace
