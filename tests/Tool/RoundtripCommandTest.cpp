// `lumenar roundtrip` as a user runs it: usage errors, refused inputs, failed writes that leave the
// output alone, and documents that come out with the same picture (and, written twice, the same bytes).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/DocumentBuilder.h"

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ByteVector Slurp(const std::string& inPath) {
    std::ifstream file(inPath, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Text(const std::string& inPath) {
    const ByteVector bytes = Slurp(inPath);
    return std::string(bytes.begin(), bytes.end());
}

bool Exists(const std::string& inPath) {
    struct stat info {};
    return ::stat(inPath.c_str(), &info) == 0;
}

std::vector<uint32> Composite(ReadDocument& inDocument) {
    const GRect canvas = inDocument.image->GetImageRect();
    std::vector<NativeQuad> pixels(size_t(canvas.Area()));
    inDocument.image->GetCompositeTile(canvas, pixels.data(), canvas.Width() * 4);
    std::vector<uint32> words;
    for (const NativeQuad& p : pixels) words.push_back(Word(p));
    return words;
}

class RoundtripCommand : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        char pattern[] = "/tmp/lumenar-roundtrip-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        mDirectory = pattern;
    }
    void TearDown() override {
        std::system(("rm -rf '" + mDirectory + "'").c_str());
        ReaderTest::TearDown();
    }

    std::string Path(const std::string& inName) const { return mDirectory + "/" + inName; }

    void Write(const std::string& inName, const ByteVector& inBytes) const {
        std::ofstream out(Path(inName), std::ios::binary);
        out.write(reinterpret_cast<const char*>(inBytes.data()), std::streamsize(inBytes.size()));
    }

    Outcome Run(const std::string& inArguments) const {
        const std::string command = "cd '" + mDirectory + "' && '" + LUMENAR_TEST_TOOL + "' roundtrip " +
                                    inArguments + " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        Outcome outcome;
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = Text(Path("out.txt"));
        outcome.err = Text(Path("err.txt"));
        return outcome;
    }

    std::string mDirectory;
};

ByteVector LayeredDocument() {
    DocumentBuilder doc(9, 7);
    doc.AddResource(ResourceSpec::Block(1005, {0, 0x96, 0, 0, 0, 1, 0, 1, 0, 0x96, 0, 0, 0, 1, 0, 1}));
    doc.AddLayer(LayerSpec::Solid(0, 0, 9, 7, 30, 60, 90));
    LayerSpec top = LayerSpec::Solid(2, 1, 8, 6, 200, 10, 10, 150);
    top.blendKey = FourCC("scrn");
    top.mask = MaskSpec::Rect(0, 0, 5, 7, 255, 0);
    top.channels.push_back(ChannelSpec::Filled(kChannelMask, 100));
    top.name = "top";
    doc.AddLayer(top);
    return doc.Build();
}

TEST_F(RoundtripCommand, UsageErrorsExitTwo) {
    for (const char* arguments : {"", "in.lmn", "in.lmn out.lmn extra.lmn", "--fast in.lmn out.lmn"}) {
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments;
        EXPECT_EQ(outcome.err.rfind("lumenar: ", 0), 0u) << outcome.err;
    }
}

TEST_F(RoundtripCommand, RefusedOrMissingInputExitsOneAndWritesNothing) {
    ByteVector bad = LayeredDocument();
    bad[0] = 'X';
    Write("bad.lmn", bad);
    const Outcome refused = Run("bad.lmn out.lmn");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("bad.lmn: this is an unrecognized Lumenar file type"), std::string::npos) << refused.err;
    const Outcome missing = Run("missing.lmn out.lmn");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot open missing.lmn"), std::string::npos) << missing.err;
    EXPECT_FALSE(Exists(Path("out.lmn")));
}

TEST_F(RoundtripCommand, FailedWriteLeavesNoOutput) {
    Write("in.lmn", LayeredDocument());
    const Outcome outcome = Run("in.lmn no/such/dir/out.lmn");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("cannot write no/such/dir/out.lmn"), std::string::npos) << outcome.err;
}

TEST_F(RoundtripCommand, WrittenDocumentHasTheSamePictureAndWritesAgainUnchanged) {
    Write("in.lmn", LayeredDocument());
    Write("out.lmn", ByteVector(5, 1));  // replaced
    const Outcome first = Run("in.lmn out.lmn");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "wrote out.lmn (9 x 7, 2 layers)\n");
    EXPECT_FALSE(Exists(Path("out.lmn.lumenar-tmp")));

    ReadDocument original(Slurp(Path("in.lmn")));
    ReadDocument written(Slurp(Path("out.lmn")));
    ASSERT_TRUE(written.loaded) << written.error;
    EXPECT_EQ(Composite(written), Composite(original));
    ASSERT_EQ(written.image->GetLayerCount(), 2);
    EXPECT_EQ(written.image->GetLayerWithPosition(1)->GetName(), "top");
    ASSERT_NE(written.resources.FindResource(1005), nullptr);

    const Outcome second = Run("out.lmn again.lmn");
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(Slurp(Path("again.lmn")), Slurp(Path("out.lmn")));
}

}  // namespace
