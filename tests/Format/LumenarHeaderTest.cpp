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

void Mode(DocumentBuilder& d, uint16 m) { d.header.mode = m; }

const RefusalCase kRefusals[] = {
    // Signature before version: a multidisk signature wins over an obsolete version.
    {"Multidisk1BeforeVersion", [](auto& d) { d.header.signature = FourCC("ZQM1"); d.header.version = 2; }, kNoMultidisk},
    {"Multidisk2", [](auto& d) { d.header.signature = FourCC("ZQM2"); }, kNoMultidisk},
    {"ForeignSignature", [](auto& d) { d.header.signature = FourCC("ZQLN"); d.header.version = 2; }, kBadLumenarType},
    {"Version0", [](auto& d) { d.header.version = 0; }, kBadLumenarType},
    {"Version2", [](auto& d) { d.header.version = 2; }, kObsoleteLumenar},
    {"Version3", [](auto& d) { d.header.version = 3; }, kBadLumenarType},
    {"VersionBeforeChannels", [](auto& d) { d.header.version = 2; d.header.channelCount = 0; }, kObsoleteLumenar},
    // Geometry before the mode.
    {"NoChannels", [](auto& d) { d.header.channelCount = 0; Mode(d, 10); }, kUnknownFormat},
    {"RowsZero", [](auto& d) { d.header.rows = 0; Mode(d, 10); }, kUnknownFormat},
    {"Rows30001", [](auto& d) { d.header.rows = 30001; }, kUnknownFormat},
    {"ColumnsZero", [](auto& d) { d.header.columns = 0; }, kUnknownFormat},
    {"Columns30001", [](auto& d) { d.header.columns = 30001; }, kUnknownFormat},
    {"RowsHuge", [](auto& d) { d.header.rows = 0x80000001u; }, kUnknownFormat},
    // Modes, tested above 9 first, then 0, 9, 4, 8, 7.
    {"Bitmap", [](auto& d) { Mode(d, 0); }, kNoBitmaps},
    {"CMYK", [](auto& d) { Mode(d, 4); }, kNoCMYK},
    {"Multichannel", [](auto& d) { Mode(d, 7); }, kNoMultichannel},
    {"Duotone", [](auto& d) { Mode(d, 8); }, kNoDuotone},
    {"Lab", [](auto& d) { Mode(d, 9); }, kNoLab},
    {"Mode10", [](auto& d) { Mode(d, 10); }, kBadColorMode},
    {"Mode65535", [](auto& d) { Mode(d, 65535); }, kBadColorMode},
    {"Mode5ReadsLikeRGB", [](auto& d) { Mode(d, 5); }, ""},
    {"Mode6ReadsLikeRGB", [](auto& d) { Mode(d, 6); }, ""},
    // Colour-mode data: 768 bytes exactly for indexed documents; skipped whatever its length otherwise.
    {"Indexed767", [](auto& d) { Mode(d, kDocIndexed); d.colourModeData = ByteVector(767, 0); }, kUnknownFormat},
    {"Indexed769", [](auto& d) { Mode(d, kDocIndexed); d.colourModeData = ByteVector(769, 0); }, kUnknownFormat},
    {"IndexedEmpty", [](auto& d) { Mode(d, kDocIndexed); d.colourModeData = ByteVector(); }, kUnknownFormat},
    {"RGBColourDataSkipped", [](auto& d) { d.colourModeData = ByteVector(5, 0xAB); }, ""},
    {"ModeBeforeColourData", [](auto& d) { Mode(d, 9); d.colourModeLength = 0xFFFFFFF0u; }, kNoLab},
    // Image resources: a section of 1..11 bytes cannot hold a block.
    {"ResourceSectionEmpty", [](auto& d) { d.resourceSectionLength = 0; }, ""},
    {"ResourceSectionNegativeBlock", [](auto& d) {
         ResourceSpec r = ResourceSpec::Block(1000, {1, 2, 3, 4});
         r.size = 0x80000000u;
         d.AddResource(r);
     }, kBadLumenarType},
    // Merged data framing.
    {"MergedCompression2", [](auto& d) { d.mergedCompression = 2; d.mergedData = ByteVector(40, 0); }, kUnknownFormat},
    {"PackedMergedDepth16", [](auto& d) { d.header.depth = 16; d.mergedCompression = kCodingPacked; }, kUnknownFormat},
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
        ByteVector bytes = doc.Build();
        ReadDocument read(bytes, true);
        const bool refused = length >= 1 && length <= 11;
        EXPECT_EQ(read.error, refused ? kBadLumenarType : "") << "length " << length;
    }
}

TEST_F(Header, TheLargestDocumentPassesTheHeader) {
    DocumentBuilder doc(1, 1);
    doc.header.rows = 30000;
    doc.header.columns = 30000;
    ReadDocument read(doc.Build(), true);
    ASSERT_TRUE(read.loaded) << read.error;
    EXPECT_EQ(read.format->GetRows(), 30000u);
    EXPECT_EQ(read.format->GetColumns(), 30000u);
}

TEST_F(Header, KeepsGeometryDepthModeAndVersion) {
    DocumentBuilder doc(7, 5, kDocGrayscale);
    doc.header.depth = 8;
    doc.AddMergedChannel(ByteVector(35, 1));
    doc.AddMergedChannel(ByteVector(35, 2));
    ReadDocument read(doc.Build(), true);
    ASSERT_TRUE(read.loaded) << read.error;
    EXPECT_EQ(read.format->GetColumns(), 7u);
    EXPECT_EQ(read.format->GetRows(), 5u);
    EXPECT_EQ(read.format->GetDepth(), 8u);
    EXPECT_EQ(read.format->GetChannelCount(), 2u);
    EXPECT_EQ(read.format->GetColorMode(), uint32(kDocGrayscale));
    EXPECT_EQ(read.format->GetVersion(), 1u);
    EXPECT_TRUE(read.format->GetColorTable().IsNull());
}

TEST_F(Header, IndexedColourDataIsThreePlanesOfOpaqueEntries) {
    DocumentBuilder doc(1, 1, kDocIndexed);
    std::vector<uint32> table(256);
    for (uint32 i = 0; i < 256; ++i) table[i] = (i << 16) | ((255 - i) << 8) | ((i * 7) & 255);
    doc.ColourTable(table);
    ReadDocument read(doc.Build(), true);
    ASSERT_TRUE(read.loaded) << read.error;
    const NativeQuadCLUTRef& colours = read.format->GetColorTable();
    ASSERT_FALSE(colours.IsNull());
    EXPECT_EQ(colours->GetEntryCount(), 256);
    for (int32 i = 0; i < 256; ++i) EXPECT_EQ(Word(colours->GetColor(i)), 0xFF000000u | table[size_t(i)]) << i;
}

TEST_F(Header, ResourcesKeepTheFirstOfTwoBlocksWithOneId) {
    DocumentBuilder doc(2, 2);
    doc.AddResource(ResourceSpec::Block(1005, {1, 2, 3}));
    doc.AddResource(ResourceSpec::Block(1037, {0, 0, 0, 90}));
    doc.AddResource(ResourceSpec::Block(1005, {9, 9}));
    ReadDocument read(doc.Build(), true);
    ASSERT_TRUE(read.loaded) << read.error;
    const CImageResource* resolution = read.resources.FindResource(1005);
    ASSERT_NE(resolution, nullptr);
    ASSERT_EQ(resolution->DataSize(), 3u);
    uint8 data[3] = {};
    resolution->ReadData(0, 3, data);
    EXPECT_EQ(data[2], 3);
    EXPECT_NE(read.resources.FindResource(1037), nullptr);
}

TEST_F(Header, ResourcesAreReadWithTheStreamLeftAtTheLayerSection) {
    // A colour section of odd length and resources with odd data still leave the reader exactly at the
    // layer section: the document then reads its merged picture.
    DocumentBuilder doc(3, 1);
    doc.colourModeData = ByteVector(3, 7);
    doc.AddResource(ResourceSpec::Block(2000, {1, 2, 3}, "odd"));
    doc.AddMergedChannel({10, 11, 12});
    doc.AddMergedChannel({20, 21, 22});
    doc.AddMergedChannel({30, 31, 32});
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    ASSERT_EQ(read.image->GetLayerCount(), 1);
    EXPECT_EQ(Word(PixelOf(*read.Layer(0), 2, 0)), 0xFF0C1620u);
}

}  // namespace
