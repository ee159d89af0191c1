// The commands as a user runs them, on documents from the test builder. `lumenar flatten` and `lumenar
// info`: single and batch runs, standard input and output, the private working folder of each read,
// refusals and usage errors. `lumenar layers` and `lumenar compose`: layer files and layers.json from
// documents of the test builder, documents built back from them, and stacks that are refused. `lumenar
// roundtrip`: a failed write, and documents that come out with the same picture (and, written twice, the same
// bytes).
#include <gtest/gtest.h>

#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "tests/Tool/ToolTestSupport.h"
#include "tools/png/PngWriter.h"

namespace {

using FlattenInfoCommandTest = ToolFolderTest;

// Two layers: opaque red at the left half, half-covering blue everywhere on top; resolution 200 ppi.
ByteVector TwoLayerDocument() {
    DocumentBuilder document(6, 4);
    document.AddResource(
        ResourceSpec::Block(1005, {0, 200, 0, 0, 0, 1, 0, 1, 0, 200, 0, 0, 0, 1, 0, 1}, "res"));
    LayerSpec red = LayerSpec::Solid(0, 0, 3, 4, 255, 0, 0);
    red.name = "Red";
    red.layerID = 7;
    document.AddLayer(red);
    LayerSpec blue = LayerSpec::Solid(0, 0, 6, 4, 0, 0, 255, 128);
    blue.name = "Blue \"glass\"";
    blue.blendKey = FourCC("mul ");
    blue.opacity = 200;
    blue.mask = MaskSpec::Rect(1, 1, 5, 3, 0, 4);
    blue.channels.push_back(ChannelSpec::Filled(kChannelMask, 255, kCodingRaw));
    document.AddLayer(blue);
    return document.Build();
}

TEST_F(FlattenInfoCommandTest, FlattenWritesThePngBesideTheInputWithResolutionAndSoftware) {
    Write("two.lmn", TwoLayerDocument());
    const ToolOutcome outcome = Run("flatten two.lmn");
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "wrote two.png (6 x 4)\n");
    EXPECT_EQ(outcome.err, "") << "quiet when standard error is not a terminal";
    const PngReadBack png = ReadPng(Path("two.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ((std::vector<png_uint_32>{png.width, png.height, png.xPerMetre, png.yPerMetre}),
              (std::vector<png_uint_32>{6, 4, 7874, 7874}));
    EXPECT_EQ(png.software.rfind("lumenar ", 0), 0u) << png.software;

    // Standard input to standard output gives the same file; --discard reads and writes nothing.
    const ToolOutcome piped = Run("flatten - < two.lmn");
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out, Slurp(Path("two.png")));
    const ToolOutcome discard = Run("flatten --discard --timings -o never.png two.lmn");
    ASSERT_EQ(discard.exitCode, 0) << discard.err;
    EXPECT_EQ(discard.out, "read two.lmn (6 x 4)\n");
    EXPECT_TRUE(Contains(discard.err, "lumenar: timings: ReadStart")) << discard.err;
    EXPECT_TRUE(Contains(discard.err, "no PNG (--discard)")) << discard.err;
    EXPECT_FALSE(std::filesystem::exists(Path("never.png")));
}

// The module makes its scratch file in its working directory. A folder standing where that file would
// go (which no user, not even root, can open as a file), and several reads at once in one folder, must
// not disturb the tool's reads, which run in private folders.
TEST_F(FlattenInfoCommandTest, ReadsRunInAPrivateFolderNotTheUsers) {
    Write("two.lmn", TwoLayerDocument());
    ASSERT_TRUE(std::filesystem::create_directory(Path("LRMerger.tmp")));
    const ToolOutcome blocked = Run("flatten two.lmn");
    EXPECT_EQ(blocked.exitCode, 0) << blocked.err;
    ASSERT_TRUE(std::filesystem::remove(Path("LRMerger.tmp")));

    const std::string tool =
        std::string("'") + LUMENAR_TEST_TOOL + "' --module '" + LUMENAR_TEST_MODULE + "'";
    std::string together = "cd '" + mFolder.Path() + "' && (";
    for (int i = 0; i < 4; ++i) together += tool + " flatten -q two.lmn p" + std::to_string(i) + ".png & ";
    ASSERT_EQ(std::system((together + "wait) >/dev/null 2>&1").c_str()), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadPng(Path("p" + std::to_string(i) + ".png")).pixels, ReadPng(Path("two.png")).pixels)
            << i;
    EXPECT_FALSE(std::filesystem::exists(Path("LRMerger.tmp")));
}

// A refused document gets the module's reason, and a batch goes on past it.
TEST_F(FlattenInfoCommandTest, BatchesGoOnPastARefusedDocumentAndExitOne) {
    Write("a.lmn", TwoLayerDocument());
    DocumentBuilder refused(4, 4);
    refused.header.mode = kDocCMYK;
    Write("bad.lmn", refused.AddLayer(LayerSpec::Solid(0, 0, 4, 4, 1, 2, 3)).Build());
    Write("c.lmn", TwoLayerDocument());
    const ToolOutcome flatten = Run("flatten -o pngs a.lmn bad.lmn c.lmn");
    EXPECT_EQ(flatten.exitCode, 1);
    EXPECT_EQ(flatten.out, "wrote pngs/a.png (6 x 4)\nwrote pngs/c.png (6 x 4)\n");
    EXPECT_EQ(flatten.err,
              "lumenar: bad.lmn: CMYK files must first be converted to RGB in Lumenar\n"
              "lumenar: 1 of 3 documents failed\n");
    EXPECT_TRUE(ReadPng(Path("pngs/c.png")).ok);
    EXPECT_FALSE(std::filesystem::exists(Path("pngs/bad.png")));
    const ToolOutcome good = Run("flatten -o pngs a.lmn c.lmn");
    EXPECT_EQ(good.exitCode, 0) << good.err;
    // The module's own reports show only when asked for.
    const ToolOutcome verbose = Run("flatten --verbose bad.lmn");
    EXPECT_EQ(verbose.exitCode, 1);
    EXPECT_TRUE(Contains(verbose.err, "lumenar: module report: Problem reading lumenar file."))
        << verbose.err;

    const ToolOutcome info = Run("info a.lmn bad.lmn missing.lmn c.lmn");
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.out,
              "a.lmn: 6 x 4, RGB, 8 bits, 2 layers, 0 extra channels\n"
              "c.lmn: 6 x 4, RGB, 8 bits, 2 layers, 0 extra channels\n");
    EXPECT_TRUE(Contains(info.err, "lumenar: cannot open missing.lmn: No such file or directory"));
    EXPECT_TRUE(Contains(info.err, "lumenar: bad.lmn: CMYK files must")) << info.err;
    EXPECT_TRUE(Contains(info.err, "lumenar: 2 of 4 documents failed")) << info.err;
    const ToolOutcome json = Run("info --json a.lmn bad.lmn c.lmn");
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(json.out.rfind("[\n{\n  \"schema\": 1,\n  \"file\": \"a.lmn\"", 0), 0u) << json.out;
    EXPECT_TRUE(Contains(json.out, "},\n{\n  \"schema\": 1,\n  \"file\": \"c.lmn\"")) << json.out;
}

TEST_F(FlattenInfoCommandTest, InfoDescribesDocumentsInEveryForm) {
    Write("two.lmn", TwoLayerDocument());
    const ToolOutcome json = Run("info two.lmn --json");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const char* expected[] = {
        "\"schema\": 1",
        "\"width\": 6",
        "\"height\": 4",
        "\"channels\": 3",
        "\"depth\": 8",
        "\"mode\": 3",
        "\"modeName\": \"RGB\"",
        "\"resolution\": {\"horizontal\": 200, \"vertical\": 200}",
        "{\"id\": 1005, \"plugin\": false, \"type\": \"ZQRS\", \"name\": \"res\", \"size\": 16}",
        "{\"index\": 0, \"name\": \"Red\", \"id\": 7, \"bounds\": {\"left\": 0, \"top\": 0, \"right\": 3, "
        "\"bottom\": 4}, \"blend\": \"norm\", \"opacity\": 255, \"clipping\": 0, \"visible\": true, "
        "\"transparencyProtected\": false, \"mask\": null",
        "\"name\": \"Blue \\\"glass\\\"\", \"id\": null",
        "\"blend\": \"mul \", \"opacity\": 200",
        "\"mask\": {\"bounds\": {\"left\": 1, \"top\": 1, \"right\": 5, \"bottom\": 3}, \"defaultColour\": "
        "0, "
        "\"flags\": 4}",
        "{\"id\": -2, \"compression\": 0, \"length\": 10}",
        "{\"id\": -1, \"compression\": 1,",
        "\"adjustment\": null, \"effects\": false}",
        "\"extraChannels\": []",
    };
    for (const char* part : expected) EXPECT_TRUE(Contains(json.out, part)) << part << "\n" << json.out;

    const ToolOutcome text = Run("info --long two.lmn");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("two.lmn: 6 x 4, 3 channels, 8 bits, RGB, 200 x 200 ppi\n", 0), 0u) << text.out;
    EXPECT_TRUE(Contains(text.out, "layers, bottom to top (2):")) << text.out;
    EXPECT_TRUE(Contains(text.out, "mask (1, 1)-(5, 3), default 0, flags 4")) << text.out;

    const std::pair<const char*, const char*> fields[] = {
        {"", "two.lmn: 6 x 4, RGB, 8 bits, 2 layers, 0 extra channels\n"},
        {"-f width", "6\n"},
        {"-f height", "4\n"},
        {"-f modeName", "RGB\n"},
        {"-f layers", "2\n"},
        {"-f resolution", "200 x 200\n"},
        {"-f extraChannels", "0\n"},
        {"-f resources", "1\n"}};
    for (const auto& [option, out] : fields) {
        const ToolOutcome field = Run(std::string("info ") + option + " two.lmn");
        EXPECT_EQ(field.exitCode, 0) << option;
        EXPECT_EQ(field.out, out) << option;
    }
    EXPECT_EQ(Run("info -f width - < two.lmn").out, "6\n");
}

using LayersComposeCommandTest = ToolFolderTest;

// Layers of random planes, partly outside the canvas, some without transparency, with every blend key,
// random opacity, hidden layers, clipping and masks of every flag.
ByteVector RandomDocument(Dice& ioDice) {
    const int32 width = ioDice.In(1, 40), height = ioDice.In(1, 30);
    DocumentBuilder document{uint32(width), uint32(height)};
    for (int32 i = 0, layers = ioDice.In(1, 5); i < layers; ++i) {
        LayerSpec layer = ioDice.PixelLayer(width, height);
        layer.blendKey = kBlendModeKeys[ioDice.In(0, 16)].key;
        layer.opacity = ioDice.OneIn(4) ? 255 : ioDice.Byte();
        layer.flags = ioDice.OneIn(5) ? 2 : 0;
        layer.clipping = uint8(i > 0 && ioDice.OneIn(4));
        layer.name = "layer " + std::to_string(i) + "/x";
        if (ioDice.OneIn(3)) ioDice.AddMask(layer, width, height);
        document.AddLayer(layer);
    }
    return document.Build();
}

TEST_F(LayersComposeCommandTest, LayersThenComposeGivesBackTheSamePicture) {
    Dice dice(20261206);
    for (int round = 0; round < 10; ++round) {
        Write("doc.lmn", RandomDocument(dice));
        std::system(("rm -rf '" + Path("parts") + "'").c_str());
        const ToolOutcome layers = Run("layers --masks doc.lmn parts");
        ASSERT_EQ(layers.exitCode, 0) << round << ": " << layers.err;
        const ToolOutcome compose = Run("compose parts/layers.json copy.lmn");
        ASSERT_EQ(compose.exitCode, 0) << round << ": " << compose.err;
        EXPECT_EQ(compose.err, "") << round;
        const ToolOutcome flatten = Run("flatten -q -o flat doc.lmn copy.lmn");
        ASSERT_EQ(flatten.exitCode, 0) << round << ": " << flatten.err;
        const PngReadBack original = ReadPng(Path("flat/doc.png")), copy = ReadPng(Path("flat/copy.png"));
        ASSERT_TRUE(original.ok && copy.ok) << round;
        EXPECT_EQ(copy.pixels, original.pixels) << round << "\n" << Slurp(Path("parts/layers.json"));
        EXPECT_FALSE(std::filesystem::exists(Path("copy.lmn.lumenar-tmp")));
    }
}

TEST_F(LayersComposeCommandTest, LayerFilesCarryTheMaskAndAdjustmentsAreListedOnly) {
    DocumentBuilder document(4, 2);
    LayerSpec layer;
    layer.right = 2;
    layer.bottom = 2;
    layer.name = "Glass: top";
    layer.blendKey = FourCC("scrn");
    layer.opacity = 90;
    layer.channels = {ChannelSpec::Pixels(kChannelRed, {10, 20, 30, 40}),
                      ChannelSpec::Filled(kChannelGreen, 5), ChannelSpec::Filled(kChannelBlue, 6),
                      ChannelSpec::Pixels(kChannelAlpha, {255, 255, 128, 0})};
    layer.mask = MaskSpec::Rect(1, 0, 4, 2, 255, 4);  // inverted
    layer.channels.push_back(ChannelSpec::Pixels(kChannelMask, {0, 64, 255, 128, 0, 0}));
    document.AddLayer(layer);
    LayerSpec threshold = LayerSpec::Solid(0, 0, 4, 2, 0, 0, 0);
    threshold.name = "Cut";
    threshold.blocks.push_back(AdditionalBlock::Raw(FourCC("thrs"), {0, 128, 0, 0}));
    document.AddLayer(threshold);
    Write("doc.lmn", document.Build());

    const ToolOutcome outcome = Run("layers doc.lmn parts");
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "layer \"Cut\": adjustment thrs, listed only\nwrote parts/layers.json (2 layers, 1 PNG)\n");
    const PngReadBack png = ReadPng(Path("parts/00-Glass__top.png"));
    ASSERT_TRUE(png.ok);
    // The inverted mask covers column 0 by its default (255, inverted: 0) and column 1 by 255 - 0 and
    // 255 - 128: alpha becomes Mul8(255 - mask, alpha).
    EXPECT_EQ(png.pixels, (std::vector<uint8>{10, 5, 6, 0, 20, 5, 6, 255, 30, 5, 6, 0, 40, 5, 6, 0}));
    const std::string json = Slurp(Path("parts/layers.json"));
    for (const char* part :
         {"\"width\": 4,\n  \"height\": 2,\n  \"resolution\": {\"horizontal\": 72, \"vertical\": 72}",
          "{\"index\": 0, \"name\": \"Glass: top\", \"file\": \"00-Glass__top.png\", \"left\": 0, \"top\": "
          "0, "
          "\"width\": 2, \"height\": 2, \"blend\": \"scrn\", \"opacity\": 90, \"visible\": true, "
          "\"clipping\": 0",
          "\"defaultColour\": 255, \"inverted\": true, \"enabled\": true, \"linked\": true, \"applied\": "
          "true}",
          "{\"index\": 1, \"name\": \"Cut\", \"file\": null,",
          "\"adjustment\": \"thrs\", \"effects\": false}"})
        EXPECT_TRUE(Contains(json, part)) << part << "\n" << json;

    const ToolOutcome compose = Run("compose parts/layers.json copy.lmn");
    EXPECT_EQ(compose.exitCode, 0) << compose.err;
    EXPECT_EQ(compose.out, "wrote copy.lmn (4 x 2, 1 layer)\n");
    EXPECT_EQ(compose.err,
              "lumenar: parts/layers.json: layers[1] \"Cut\": adjustment layers cannot be rebuilt from "
              "layer files; left out\n");
}

TEST_F(LayersComposeCommandTest, BadStacksAreRefusedByKeyAndLeaveTheOutputAlone) {
    RgbaImage square;
    square.width = square.height = 2;
    square.pixels.assign(16, 200);
    std::string error;
    ASSERT_TRUE(WritePng(Path("a.png"), square, PngMetadata(), error)) << error;
    const std::string head = "{\"width\": 4, \"height\": 3, \"layers\": [";
    const std::pair<std::string, const char*> cases[] = {
        {"{", "stack.json: line 1, column 2: expected a key in double quotes"},
        {"{\"width\": 4, \"height\": 3}", "stack.json: layers is missing"},
        {"{\"width\": 0, \"height\": 3, \"layers\": []}",
         "stack.json: width: 0 is out of range (1 to 30000)"},
        {"[1]", "stack.json: the stack must be an object"},
        {head + "{\"file\": \"a.png\", \"left\": 0.5, \"top\": 0}]}",
         "layers[0].left must be a whole number"},
        {head + "{\"file\": \"a.png\", \"left\": 0, \"top\": 0, \"visible\": \"yes\"}]}",
         "layers[0].visible must be true or false, not a string"},
        {head + "{\"file\": \"none.png\", \"left\": 0, \"top\": 0}]}",
         "layers[0].file: cannot read none.png: No such file or directory"},
        {head + "{\"file\": \"a.png\", \"left\": 0, \"top\": 0, \"width\": 5}]}",
         "layers[0].width: 5 does not match a.png (2 x 2 pixels)"},
        {head + "{\"file\": \"a.png\", \"left\": 0, \"top\": 0, \"blend\": \"xxxx\"}]}",
         "layers[0].blend: \"xxxx\" is not a blend mode key"},
        {head + "{\"file\": \"a.png\", \"left\": -29999, \"top\": 0}]}",
         "layers[0].left: the layer reaches too far"},
    };
    for (const auto& [stack, message] : cases) {
        WriteText("stack.json", stack);
        WriteText("out.lmn", "keep");
        const ToolOutcome outcome = Run("compose stack.json out.lmn");
        EXPECT_EQ(outcome.exitCode, 1) << stack;
        EXPECT_EQ(outcome.err.rfind("lumenar: ", 0), 0u) << outcome.err;
        EXPECT_TRUE(Contains(outcome.err, message)) << stack << "\n" << outcome.err;
        EXPECT_EQ(Slurp(Path("out.lmn")), "keep") << stack;
        EXPECT_FALSE(std::filesystem::exists(Path("out.lmn.lumenar-tmp")));
    }
}

TEST_F(LayersComposeCommandTest, WrittenDocumentHasTheSamePictureAndWritesAgainUnchanged) {
    Write("in.lmn", TwoLayerDocument());
    const ToolOutcome unwritable = Run("roundtrip in.lmn no/such/dir/out.lmn");
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(Contains(unwritable.err, "lumenar: cannot write no/such/dir/out.lmn")) << unwritable.err;
    Write("out.lmn", ByteVector(5, 1));  // replaced
    const ToolOutcome first = Run("roundtrip in.lmn out.lmn");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "wrote out.lmn (6 x 4, 2 layers)\n");
    EXPECT_FALSE(std::filesystem::exists(Path("out.lmn.lumenar-tmp")));

    ASSERT_EQ(Run("flatten -q -o flat in.lmn out.lmn").exitCode, 0);
    EXPECT_EQ(ReadPng(Path("flat/out.png")).pixels, ReadPng(Path("flat/in.png")).pixels);
    const ToolOutcome info = Run("info --json out.lmn");
    EXPECT_TRUE(Contains(info.out, "\"resolution\": {\"horizontal\": 200, \"vertical\": 200}")) << info.out;
    EXPECT_TRUE(Contains(info.out, "{\"index\": 1, \"name\": \"Blue \\\"glass\\\"\"")) << info.out;

    const ToolOutcome second = Run("roundtrip out.lmn again.lmn");
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(Slurp(Path("again.lmn")), Slurp(Path("out.lmn")));
}

}  // namespace
