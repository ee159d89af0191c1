// `lumenar roundtrip`: a failed write, and documents that come out with the same picture (and, written
// twice, the same bytes). Usage errors are in LumenarCommandTest.
#include <gtest/gtest.h>

#include "tests/Tool/ToolTestSupport.h"

namespace {

using RoundtripCommand = ToolFolderTest;

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

TEST_F(RoundtripCommand, WrittenDocumentHasTheSamePictureAndWritesAgainUnchanged) {
    Write("in.lmn", LayeredDocument());
    const ToolOutcome unwritable = Run("roundtrip in.lmn no/such/dir/out.lmn");
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("lumenar: cannot write no/such/dir/out.lmn"), std::string::npos)
        << unwritable.err;
    Write("out.lmn", ByteVector(5, 1));  // replaced
    const ToolOutcome first = Run("roundtrip in.lmn out.lmn");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "wrote out.lmn (9 x 7, 2 layers)\n");
    EXPECT_FALSE(Exists(Path("out.lmn.lumenar-tmp")));

    ASSERT_EQ(Run("flatten -q -o flat in.lmn out.lmn").exitCode, 0);
    EXPECT_EQ(ReadPng(Path("flat/out.png")).pixels, ReadPng(Path("flat/in.png")).pixels);
    const ToolOutcome info = Run("info --json out.lmn");
    EXPECT_NE(info.out.find("\"resolution\": {\"horizontal\": 150, \"vertical\": 150}"), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("{\"index\": 1, \"name\": \"top\""), std::string::npos) << info.out;

    const ToolOutcome second = Run("roundtrip out.lmn again.lmn");
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(Slurp(Path("again.lmn")), Slurp(Path("out.lmn")));
}

}  // namespace
