// `lumenar flatten` and `lumenar info` as a user runs them, on documents from the test builder: single
// and batch runs, standard input and output, the private working folder of each read, refusals and
// usage errors.
#include <gtest/gtest.h>

#include "tests/Tool/ToolTestSupport.h"

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

ByteVector RefusedDocument() {
    DocumentBuilder document(4, 4);
    document.AddLayer(LayerSpec::Solid(0, 0, 4, 4, 1, 2, 3));
    document.header.mode = kDocCMYK;
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
    EXPECT_NE(discard.err.find("lumenar: timings: ReadStart"), std::string::npos) << discard.err;
    EXPECT_NE(discard.err.find("no PNG (--discard)"), std::string::npos) << discard.err;
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

TEST_F(FlattenInfoCommandTest, RefusedDocumentsGiveTheReasonAndTheModulesReportsOnlyWhenVerbose) {
    struct Case {
        const char* what;
        void (*damage)(DocumentBuilder&);
        const char* reason;
    };
    const Case cases[] = {
        {"signature", [](DocumentBuilder& d) { d.header.signature = FourCC("ABCD"); },
         "this is an unrecognized Lumenar file type"},
        {"CMYK", [](DocumentBuilder& d) { d.header.mode = kDocCMYK; },
         "CMYK files must first be converted to RGB in Lumenar"},
        {"width", [](DocumentBuilder& d) { d.header.columns = 40000; }, "this file is in an unknown format"},
    };
    for (const Case& c : cases) {
        DocumentBuilder document(4, 4);
        document.AddLayer(LayerSpec::Solid(0, 0, 4, 4, 1, 2, 3));
        c.damage(document);
        Write("bad.lmn", document.Build());
        const ToolOutcome quiet = Run("flatten bad.lmn");
        EXPECT_EQ(quiet.exitCode, 1) << c.what;
        EXPECT_EQ(quiet.err, std::string("lumenar: bad.lmn: ") + c.reason + "\n") << c.what;
        const ToolOutcome verbose = Run("flatten --verbose bad.lmn");
        EXPECT_EQ(verbose.exitCode, 1) << c.what;
        EXPECT_NE(verbose.err.find("lumenar: module report: Problem reading lumenar file."),
                  std::string::npos)
            << c.what << ": " << verbose.err;
        EXPECT_NE(verbose.err.find(std::string("lumenar: bad.lmn: ") + c.reason), std::string::npos)
            << verbose.err;
        EXPECT_FALSE(std::filesystem::exists(Path("bad.png"))) << c.what;

        const ToolOutcome info = Run("info bad.lmn --json");
        EXPECT_EQ(info.exitCode, 1) << c.what;
        EXPECT_EQ(info.out, "") << c.what;
        EXPECT_EQ(info.err, std::string("lumenar: bad.lmn: ") + c.reason + "\n") << c.what;
    }
}

TEST_F(FlattenInfoCommandTest, BatchesGoOnPastARefusedDocumentAndExitOne) {
    Write("a.lmn", TwoLayerDocument());
    Write("bad.lmn", RefusedDocument());
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

    const ToolOutcome info = Run("info a.lmn bad.lmn missing.lmn c.lmn");
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.out,
              "a.lmn: 6 x 4, RGB, 8 bits, 2 layers, 0 extra channels\n"
              "c.lmn: 6 x 4, RGB, 8 bits, 2 layers, 0 extra channels\n");
    EXPECT_NE(info.err.find("lumenar: cannot open missing.lmn: No such file or directory"),
              std::string::npos);
    EXPECT_NE(info.err.find("lumenar: 2 of 4 documents failed"), std::string::npos) << info.err;
    const ToolOutcome json = Run("info --json a.lmn bad.lmn c.lmn");
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(json.out.rfind("[\n{\n  \"schema\": 1,\n  \"file\": \"a.lmn\"", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("},\n{\n  \"schema\": 1,\n  \"file\": \"c.lmn\""), std::string::npos) << json.out;
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
    for (const char* part : expected)
        EXPECT_NE(json.out.find(part), std::string::npos) << part << "\n" << json.out;

    const ToolOutcome text = Run("info --long two.lmn");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("two.lmn: 6 x 4, 3 channels, 8 bits, RGB, 200 x 200 ppi\n", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("layers, bottom to top (2):"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("mask (1, 1)-(5, 3), default 0, flags 4"), std::string::npos) << text.out;

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

}  // namespace
