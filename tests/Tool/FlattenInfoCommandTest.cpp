// `lumenar flatten` and `lumenar info` as a user runs them, on documents from the test builder. Each
// test works in a directory of its own: the module creates its scratch file in the working directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/Tool/ToolTestSupport.h"
#include "tests/support/DocumentBuilder.h"

namespace {

bool Exists(const std::string& inPath) {
    struct stat info {};
    return ::stat(inPath.c_str(), &info) == 0;
}

class FlattenInfoCommandTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumenar-flatten-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        mDirectory = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + mDirectory + "'").c_str()); }

    std::string Path(const std::string& inName) const { return mDirectory + "/" + inName; }

    void Write(const std::string& inName, const ByteVector& inBytes) const {
        std::ofstream out(Path(inName), std::ios::binary);
        out.write(reinterpret_cast<const char*>(inBytes.data()), std::streamsize(inBytes.size()));
    }

    ToolOutcome Run(const std::string& inArguments) const {
        return RunTool(mDirectory, std::string("--module '") + LUMENAR_TEST_MODULE + "' " + inArguments);
    }

    std::string mDirectory;
};

// Two layers: opaque red at the left half, half-covering blue everywhere on top; resolution 200 ppi.
ByteVector TwoLayerDocument() {
    DocumentBuilder document(6, 4);
    document.AddResource(ResourceSpec::Block(1005, {0, 200, 0, 0, 0, 1, 0, 1, 0, 200, 0, 0, 0, 1, 0, 1}, "res"));
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
    EXPECT_EQ(png.width, 6u);
    EXPECT_EQ(png.height, 4u);
    EXPECT_EQ(png.xPerMetre, 7874u);
    EXPECT_EQ(png.yPerMetre, 7874u);
    EXPECT_EQ(png.software.rfind("lumenar ", 0), 0u) << png.software;
    EXPECT_FALSE(Exists(Path("LRMerger.tmp")));
}

TEST_F(FlattenInfoCommandTest, FlattenDeliversWhatTheModuleHandsAHost) {
    // One layer of known colours: the PNG holds the colours matted over white, and the alpha.
    DocumentBuilder document(2, 1);
    LayerSpec layer;
    layer.right = 2;
    layer.bottom = 1;
    layer.channels = {ChannelSpec::Pixels(kChannelRed, {255, 10}), ChannelSpec::Pixels(kChannelGreen, {0, 20}),
                      ChannelSpec::Pixels(kChannelBlue, {0, 30}), ChannelSpec::Pixels(kChannelAlpha, {128, 255})};
    document.AddLayer(layer);
    Write("one.lmn", document.Build());
    const ToolOutcome outcome = Run("flatten one.lmn picture.png --quiet");
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const PngReadBack png = ReadPng(Path("picture.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.pixels, (std::vector<uint8>{255, 127, 127, 128, 10, 20, 30, 255}));
    EXPECT_EQ(png.xPerMetre, 2835u) << "72 ppi without a resolution resource";
}

TEST_F(FlattenInfoCommandTest, RefusedDocumentsExitOneWithTheModulesReportAndTheReason) {
    struct Case {
        const char* what;
        void (*damage)(DocumentBuilder&);
        const char* reason;
    };
    const Case cases[] = {
        {"signature", [](DocumentBuilder& d) { d.header.signature = FourCC("ABCD"); },
         "this is an unrecognized Lumenar file type"},
        {"CMYK", [](DocumentBuilder& d) { d.header.mode = kDocCMYK; }, "CMYK files must first be converted to RGB"},
        {"width", [](DocumentBuilder& d) { d.header.columns = 40000; }, "this file is in an unknown format"},
    };
    for (const Case& c : cases) {
        DocumentBuilder document(4, 4);
        document.AddLayer(LayerSpec::Solid(0, 0, 4, 4, 1, 2, 3));
        c.damage(document);
        Write("bad.lmn", document.Build());
        const ToolOutcome flatten = Run("flatten bad.lmn");
        EXPECT_EQ(flatten.exitCode, 1) << c.what;
        EXPECT_NE(flatten.err.find("lumenar: module report: Problem reading lumenar file."), std::string::npos)
            << c.what << ": " << flatten.err;
        EXPECT_NE(flatten.err.find(std::string("lumenar: bad.lmn: ") + c.reason), std::string::npos)
            << c.what << ": " << flatten.err;
        EXPECT_FALSE(Exists(Path("bad.png"))) << c.what;
        EXPECT_FALSE(Exists(Path("LRMerger.tmp"))) << c.what;

        const ToolOutcome info = Run("info bad.lmn --json");
        EXPECT_EQ(info.exitCode, 1) << c.what;
        EXPECT_EQ(info.out, "") << c.what;
        EXPECT_NE(info.err.find(std::string("lumenar: bad.lmn: ") + c.reason), std::string::npos) << info.err;
    }
}

TEST_F(FlattenInfoCommandTest, UsageErrorsAndMissingFiles) {
    struct Case {
        const char* arguments;
        int exitCode;
        const char* err;
    };
    const Case cases[] = {
        {"flatten a.lmn b.png c.png", 2, "lumenar: flatten takes at most an input and an output"},
        {"flatten --sideways a.lmn", 2, "lumenar: flatten: unknown option '--sideways'"},
        {"flatten missing.lmn", 1, "lumenar: cannot open missing.lmn: No such file or directory"},
        {"info", 2, "lumenar: info needs a document"},
        {"info a.lmn b.lmn", 2, "lumenar: info takes one document"},
        {"info --yaml a.lmn", 2, "lumenar: info: unknown option '--yaml'"},
        {"info missing.lmn", 1, "lumenar: cannot open missing.lmn: No such file or directory"},
    };
    for (const Case& c : cases) {
        const ToolOutcome outcome = Run(c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << c.arguments << ": " << outcome.err;
    }
}

TEST_F(FlattenInfoCommandTest, InfoDescribesHeaderResourcesAndLayersInBothForms) {
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
        "\"mask\": {\"bounds\": {\"left\": 1, \"top\": 1, \"right\": 5, \"bottom\": 3}, \"defaultColour\": 0, "
        "\"flags\": 4}",
        "{\"id\": -2, \"compression\": 0, \"length\": 10}",
        "{\"id\": -1, \"compression\": 1,",
        "\"adjustment\": null, \"effects\": false}",
        "\"extraChannels\": []",
    };
    for (const char* part : expected) EXPECT_NE(json.out.find(part), std::string::npos) << part << "\n" << json.out;

    const ToolOutcome text = Run("info two.lmn");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("two.lmn: 6 x 4, 3 channels, 8 bits, RGB, 200 x 200 ppi\n", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("layers, bottom to top (2):"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("mask (1, 1)-(5, 3), default 0, flags 4"), std::string::npos) << text.out;
}

}  // namespace
