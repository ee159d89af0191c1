// The reader's refusals of the leading sections and their order, and what it keeps from them.
#include <functional>

#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

struct RefusalCase {
    const char* name;
    std::function<void(DocumentBuilder&)> damage;
    std::string expected;  // empty: the document is read
};

class HeaderRefusals : public ReaderTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(HeaderRefusals, RefusesWithTheFirstFailingCheck) {
    DocumentBuilder doc(4, 3);
    GetParam().damage(doc);
    ReadDocument read(doc.Build());
    EXPECT_EQ(read.error, GetParam().expected);
    EXPECT_EQ(read.loaded, GetParam().expected.empty());
}

const RefusalCase kRefusals[] = {
    // Signature before version: a multidisk signature wins over an obsolete version.
    {"Multidisk1BeforeVersion", [](auto& d) { d.header.signature = FourCC("ZQM1"), d.header.version = 2; },
     kNoMultidisk},
    {"Multidisk2", [](auto& d) { d.header.signature = FourCC("ZQM2"); }, kNoMultidisk},
    {"ForeignSignature", [](auto& d) { d.header.signature = FourCC("ZQLN"), d.header.version = 2; },
     kBadLumenarType},
    {"Version0", [](auto& d) { d.header.version = 0; }, kBadLumenarType},
    {"Version2", [](auto& d) { d.header.version = 2; }, kObsoleteLumenar},
    {"Version3", [](auto& d) { d.header.version = 3; }, kBadLumenarType},
    {"VersionBeforeChannels", [](auto& d) { d.header.version = 2, d.header.channelCount = 0; },
     kObsoleteLumenar},
    // Geometry before the mode.
    {"NoChannels", [](auto& d) { d.header.channelCount = 0, d.header.mode = 10; }, kUnknownFormat},
    {"RowsZero", [](auto& d) { d.header.rows = 0, d.header.mode = 10; }, kUnknownFormat},
    {"Rows30001", [](auto& d) { d.header.rows = 30001; }, kUnknownFormat},
    {"ColumnsZero", [](auto& d) { d.header.columns = 0; }, kUnknownFormat},
    {"Columns30001", [](auto& d) { d.header.columns = 30001; }, kUnknownFormat},
    {"RowsHuge", [](auto& d) { d.header.rows = 0x80000001u; }, kUnknownFormat},
    // Modes, tested above 9 first, then 0, 9, 4, 8, 7.
    {"Bitmap", [](auto& d) { d.header.mode = 0; }, kNoBitmaps},
    {"CMYK", [](auto& d) { d.header.mode = 4; }, kNoCMYK},
    {"Multichannel", [](auto& d) { d.header.mode = 7; }, kNoMultichannel},
    {"Duotone", [](auto& d) { d.header.mode = 8; }, kNoDuotone},
    {"Lab", [](auto& d) { d.header.mode = 9; }, kNoLab},
    {"Mode10", [](auto& d) { d.header.mode = 10; }, kBadColorMode},
    {"Mode65535", [](auto& d) { d.header.mode = 65535; }, kBadColorMode},
    {"Mode5ReadsLikeRGB", [](auto& d) { d.header.mode = 5; }, ""},
    {"Mode6ReadsLikeRGB", [](auto& d) { d.header.mode = 6; }, ""},
    // Colour-mode data: 768 bytes exactly for indexed documents; skipped whatever its length otherwise.
    {"Indexed767", [](auto& d) { d.header.mode = kDocIndexed, d.colourModeData = ByteVector(767, 0); },
     kUnknownFormat},
    {"Indexed769", [](auto& d) { d.header.mode = kDocIndexed, d.colourModeData = ByteVector(769, 0); },
     kUnknownFormat},
    {"IndexedEmpty", [](auto& d) { d.header.mode = kDocIndexed, d.colourModeData = ByteVector(); },
     kUnknownFormat},
    {"RGBColourDataSkipped", [](auto& d) { d.colourModeData = ByteVector(5, 0xAB); }, ""},
    {"ModeBeforeColourData", [](auto& d) { d.header.mode = 9, d.colourModeLength = 0xFFFFFFF0u; }, kNoLab},
    // Image resources (a section of 1..11 bytes, which cannot hold a block, is refused: see below).
    {"ResourceSectionNegativeBlock",
     [](auto& d) {
         ResourceSpec r = ResourceSpec::Block(1000, {1, 2, 3, 4});
         r.size = 0x80000000u;
         d.AddResource(r);
     },
     kBadLumenarType},
    // Merged data framing.
    {"MergedCompression2", [](auto& d) { d.mergedCompression = 2, d.mergedData = ByteVector(40, 0); },
     kUnknownFormat},
    {"PackedMergedDepth16", [](auto& d) { d.header.depth = 16, d.mergedCompression = kCodingPacked; },
     kUnknownFormat},
    {"RawMergedDepth16", [](auto& d) { d.header.depth = 16; }, ""},
};

INSTANTIATE_TEST_SUITE_P(Reader, HeaderRefusals, testing::ValuesIn(kRefusals),
                         [](const auto& inInfo) { return std::string(inInfo.param.name); });

using Header = ReaderTest;

TEST_F(Header, ResourceSectionLengthsOneToElevenAreRefusedZeroIsNot) {
    for (uint32 length = 0; length <= 12; ++length) {
        DocumentBuilder doc(2, 2);
        doc.resourceSectionLength = length;
        // Twelve bytes of a real block follow, so a length of 12 reads a complete block.
        doc.AddResource(ResourceSpec::Block(1000, {}));
        EXPECT_EQ(ReadDocument(doc.Build(), true).error, length >= 1 && length <= 11 ? kBadLumenarType : "")
            << length;
    }
}

// The largest document passes the header, which keeps geometry, depth, channels, mode and version.
TEST_F(Header, TheLargestDocumentPassesTheHeaderWhichKeepsItsFields) {
    DocumentBuilder doc(1, 1, kDocGrayscale);
    doc.header.rows = 30000;
    doc.header.columns = 30000;
    doc.AddMergedChannel({1}).AddMergedChannel({2});
    ReadDocument read(doc.Build(), true);
    ASSERT_TRUE(read.loaded) << read.error;
    EXPECT_EQ(read.format->GetRows(), 30000u);
    EXPECT_EQ(read.format->GetColumns(), 30000u);
    EXPECT_EQ(read.format->GetDepth(), 8u);
    EXPECT_EQ(read.format->GetChannelCount(), 2u);
    EXPECT_EQ(read.format->GetColorMode(), uint32(kDocGrayscale));
    EXPECT_EQ(read.format->GetVersion(), 1u);
    EXPECT_TRUE(read.format->GetColorTable().IsNull());
}

TEST_F(Header, ResourcesKeepTheFirstOfTwoBlocksWithOneId) {
    DocumentBuilder doc(2, 2);
    doc.AddResource(ResourceSpec::Block(1005, {1, 2, 3}));
    doc.AddResource(ResourceSpec::Block(1037, {0, 0, 0, 90}));
    doc.AddResource(ResourceSpec::Block(1005, {9, 9}));
    ReadDocument read(doc.Build(), true);
    ASSERT_TRUE(read.loaded) << read.error;
    ASSERT_NE(read.resources.FindResource(1005), nullptr);
    EXPECT_EQ(read.resources.FindResource(1005)->DataSize(), 3u);
    EXPECT_NE(read.resources.FindResource(1037), nullptr);
}

}  // namespace
