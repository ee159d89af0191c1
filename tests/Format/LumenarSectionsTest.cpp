// The reader's refusals of the leading sections and their order, and what it keeps from them; the layer
// and mask section's framing, the merged image data and the documents without layers.
#include <functional>
#include <optional>
#include <tuple>

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
    const CLumenarFormat& f = *read.format;
    EXPECT_EQ(std::make_tuple(f.GetRows(), f.GetColumns(), f.GetDepth(), f.GetChannelCount(),
                              f.GetColorMode(), f.GetVersion()),
              std::make_tuple(30000u, 30000u, 8u, 2u, uint32(kDocGrayscale), 1u));
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

ByteVector Plane(size_t inCount, uint32 inSeed) {
    return RandomBytes(inCount, inSeed);
}

using Sections = ReaderTest;

// ---- Documents without layers --------------------------------------------------------------------------

// Without layer records (no section, one shorter than four bytes, empty layer information) the merged
// data, raw or packed, becomes one background layer.
TEST_F(Sections, FlatDocumentsBecomeOneBackgroundLayerFromTheMergedData) {
    const std::optional<ByteVector> frames[] = {std::nullopt, ByteVector{1, 2, 3}, ByteVector(8, 0)};
    for (const uint16 coding : {kCodingRaw, kCodingPacked})
        for (const auto& frame : frames) {
            DocumentBuilder doc(5, 3);
            const ByteVector red = Plane(15, 1), green = Plane(15, 2), blue = Plane(15, 3);
            doc.AddMergedChannel(red).AddMergedChannel(green).AddMergedChannel(blue);
            doc.mergedCompression = coding;
            doc.layerSection = frame;
            ReadDocument read(doc.Build());
            ASSERT_TRUE(read.loaded) << read.error;
            ASSERT_EQ(read.image->GetLayerCount(), 1);
            const CRGBLayer& background = *read.Layer(0);
            EXPECT_EQ(std::make_tuple(background.GetName(), background.GetOpacity(),
                                      background.GetBlendMode(), background.GetBounds()),
                      std::make_tuple(std::string(), uint8(255), 12000u, GRect(0, 0, 5, 3)));
            for (int32 i = 0; i < 15; ++i)
                EXPECT_EQ(Word(PixelOf(background, i % 5, i / 5)),
                          0xFF000000u | uint32(red[i]) << 16 | uint32(green[i]) << 8 | blue[i])
                    << i;
            EXPECT_EQ(read.image->GetExtraChannelCount(), 0);
        }
}

// Layer information that is present but holds no records still means the layers carry the picture: the
// merged colour planes are skipped and the image has no layer at all.
TEST_F(Sections, LayerInformationWithoutRecordsLeavesTheImageWithoutLayers) {
    DocumentBuilder doc(2, 2);
    doc.layerInfoWithoutLayers = true;
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    EXPECT_EQ(read.image->GetLayerCount(), 0);
}

TEST_F(Sections, GrayscaleWithAnAlphaChannelGivesGrayBackgroundAndOneExtraChannel) {
    DocumentBuilder doc(4, 2, kDocGrayscale);
    const ByteVector gray = Plane(8, 5), alpha = Plane(8, 6);
    doc.AddMergedChannel(gray).AddMergedChannel(alpha);
    doc.mergedCompression = kCodingPacked;
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    ASSERT_EQ(read.image->GetLayerCount(), 1);
    for (int32 i = 0; i < 8; ++i)
        EXPECT_EQ(Word(PixelOf(*read.Layer(0), i % 4, i / 4)), 0xFF000000u | gray[i] * 0x010101u);
    ASSERT_EQ(read.image->GetExtraChannelCount(), 1);
    EXPECT_EQ(read.image->GetExtraChannel(0).GetBounds(), GRect(0, 0, 4, 2));
    EXPECT_EQ(ExtraChannelBytes(*read.image, 0), alpha);
}

// The colour table is three planes of opaque entries; the indexes are looked up and the document ends
// as one layer that no longer holds the table (the reader's reference is the only other one).
TEST_F(Sections, IndexedDocumentsLookTheirIndexesUpAndEndAsOneLayer) {
    DocumentBuilder doc(3, 2, kDocIndexed);
    std::vector<uint32> table(256);
    for (uint32 i = 0; i < 256; ++i) table[i] = (i << 16) | ((255 - i) << 8) | ((i * 7) & 255);
    doc.ColourTable(table);
    doc.AddMergedChannel({0, 1, 255, 255, 1, 0});
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    ASSERT_EQ(read.image->GetLayerCount(), 1);
    const NativeQuadCLUTRef& colours = read.format->GetColorTable();
    EXPECT_EQ(colours->GetRefCount(), 1);
    EXPECT_EQ(colours->GetEntryCount(), 256);
    for (int32 i = 0; i < 256; ++i)
        EXPECT_EQ(Word(colours->GetColor(i)), 0xFF000000u | table[size_t(i)]) << i;
    const uint32 expected[] = {0xFF00FF00, 0xFF01FE07, 0xFFFF00F9, 0xFFFF00F9, 0xFF01FE07, 0xFF00FF00};
    for (int32 i = 0; i < 6; ++i) EXPECT_EQ(Word(PixelOf(*read.Layer(0), i % 3, i / 3)), expected[i]) << i;
}

// ---- Merged data of layered documents --------------------------------------------------------------------

// Colour planes of the merged data are skipped (the layers carry the picture); the planes after them are
// the document's extra channels, found behind a leading transparency plane (negative layer count) as well.
TEST_F(Sections, LayeredMergedColourPlanesAreSkippedAndTheRestBecomeExtraChannels) {
    for (const bool transparency : {false, true})
        for (const uint16 coding : {kCodingRaw, kCodingPacked}) {
            DocumentBuilder doc(3, 2);
            doc.AddLayer(LayerSpec::Solid(0, 0, 3, 2, 10, 20, 30))
                .AddLayer(LayerSpec::Solid(1, 1, 2, 2, 40, 50, 60));
            doc.mergedTransparency = transparency;
            doc.mergedCompression = coding;
            if (transparency) doc.AddMergedChannel(Plane(6, 10));
            for (uint32 seed = 11; seed < 14; ++seed) doc.AddMergedChannel(Plane(6, seed));
            doc.AddMergedChannel(Plane(6, 20)).AddMergedChannel(Plane(6, 21));
            ReadDocument read(doc.Build());
            ASSERT_TRUE(read.loaded) << read.error;
            EXPECT_EQ(read.format->MergedHasTransparency(), transparency);
            EXPECT_EQ(read.format->LayerCountNegative(), transparency);
            // A negative layer count takes the transparency plane out of the stored channel count (6 or 5).
            EXPECT_EQ(read.format->GetChannelCount(), 5u);
            ASSERT_EQ(read.image->GetLayerCount(), 2);
            EXPECT_EQ(Word(PixelOf(*read.Layer(0), 2, 0)), 0xFF0A141Eu);
            EXPECT_EQ(Word(PixelOf(*read.Layer(1), 1, 1)), 0xFF28323Cu);
            ASSERT_EQ(read.image->GetExtraChannelCount(), 2);
            EXPECT_EQ(ExtraChannelBytes(*read.image, 0), Plane(6, 20));
            EXPECT_EQ(ExtraChannelBytes(*read.image, 1), Plane(6, 21));
        }
}

// ---- Framing of the layer and mask section --------------------------------------------------------------

// A global mask length read one byte early is read again one byte later; a standard one is not.
TEST_F(Sections, GlobalMaskLengthReadOneByteEarlyIsReadAgain) {
    for (const bool shifted : {true, false}) {
        DocumentBuilder doc(2, 2);
        LayerSpec layer = LayerSpec::Solid(0, 0, 2, 2, 1, 2, 3);
        layer.mask = MaskSpec::Rect(0, 0, 1, 1, 255);
        doc.AddLayer(layer);
        doc.globalMask = DocumentBuilder::StandardGlobalMask();
        doc.shiftGlobalMaskBack = shifted;
        const ByteVector alpha = Plane(4, 3);
        for (uint32 seed = 0; seed < 3; ++seed) doc.AddMergedChannel(Plane(4, seed));
        doc.AddMergedChannel(alpha);
        ReadDocument read(doc.Build());
        ASSERT_TRUE(read.loaded) << read.error;
        EXPECT_EQ(read.format->GlobalMaskSteppedBack(), shifted);
        EXPECT_EQ(read.image->GetLayerCount(), 1);
        ASSERT_EQ(read.image->GetExtraChannelCount(), 1);  // the merged data was found where it starts
        EXPECT_EQ(ExtraChannelBytes(*read.image, 0), alpha);
    }
}

// Packed rows whose line counts are zero claim their whole row without a byte to fill it. Up to 16 MiB of
// such row bytes in a document are read (as zeros); one more channel of them refuses the document.
TEST_F(Sections, PackedRowsTheirCountsCannotFillAreReadUpTo16MiB) {
    constexpr int32 kColumns = 4096, kRows = 1024;  // 4 MiB a channel
    for (const int32 channels : {4, 5}) {
        DocumentBuilder doc(kColumns, kRows);
        doc.mergedCompression = kCodingPacked;
        LayerSpec layer;
        layer.right = kColumns;
        layer.bottom = kRows;
        for (int16 id : {kChannelRed, kChannelGreen, kChannelBlue, kChannelAlpha, kChannelRed}) {
            if (int32(layer.channels.size()) == channels) break;
            ChannelSpec channel;
            channel.id = id;
            channel.storedBytes = ByteVector(2 * kRows, 0);  // the line counts, no packets
            layer.channels.push_back(channel);
        }
        doc.AddLayer(layer);
        ReadDocument read(doc.Build());
        EXPECT_EQ(read.loaded, channels == 4) << channels << " channels: " << read.error;
        EXPECT_EQ(read.error, channels == 4 ? "" : kUnknownFormat);
    }
}

struct OverrunCase {
    const char* name;
    std::function<void(DocumentBuilder&, const DocumentLayout&)> damage;
    std::string expected;
};

class SectionOverruns : public ReaderTest, public testing::WithParamInterface<OverrunCase> {};

TEST_P(SectionOverruns, AreRefused) {
    DocumentBuilder doc(3, 2);
    doc.AddLayer(LayerSpec::Solid(0, 0, 3, 2, 1, 2, 3));
    doc.globalMask = DocumentBuilder::StandardGlobalMask();
    DocumentLayout layout;
    doc.Build(&layout);
    GetParam().damage(doc, layout);
    ReadDocument read(doc.Build());
    EXPECT_EQ(read.error, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, SectionOverruns,
    testing::Values(
        OverrunCase{"LayerInfoBeyondSection", [](auto& d, auto&) { d.layerInfoLength = 0x7FFFFFF0u; },
                    kUnknownFormat},
        OverrunCase{"LayerInfoNearFourGigabytes", [](auto& d, auto&) { d.layerInfoLength = 0xFFFFFFFFu; },
                    kUnknownFormat},
        OverrunCase{"RecordsBeyondLayerInfo", [](auto& d, auto&) { d.layerInfoLength = 20; }, kUnknownFormat},
        OverrunCase{"ChannelDataBeyondLayerInfo",
                    [](auto& d, auto& l) { d.layerInfoLength = uint32(l.channels[0][2] - l.layerInfo - 4); },
                    kUnknownFormat},
        OverrunCase{
            "GlobalMaskBeyondSection",
            [](auto& d, auto& l) { d.layerSectionLength = uint32(l.merged - l.layerAndMask - 4 - 1); },
            kUnknownFormat},
        OverrunCase{"GlobalMaskShorterThanItsFields", [](auto& d, auto&) { d.globalMask = ByteVector(6, 0); },
                    kUnknownFormat},
        OverrunCase{"LayerCountBeyondTheFile", [](auto& d, auto&) { d.layerCount = 30000; }, kMiscDisk},
        OverrunCase{"ChannelCountBeyondTheFile",
                    [](auto& d, auto&) {
                        LayerSpec l = LayerSpec::Solid(0, 0, 1, 1, 1, 1, 1);
                        l.channelCount = 60000;
                        d.AddLayer(l);
                    },
                    kMiscDisk},
        OverrunCase{
            "MergedLineCountsBeyondTheFile",
            [](auto& d, auto&) { d.header.channelCount = 60000, d.mergedCompression = kCodingPacked; },
            kMiscDisk},
        OverrunCase{"RawExtraChannelBeyondTheFile", [](auto& d, auto&) { d.header.channelCount = 5; },
                    kMiscDisk}),
    [](const auto& inInfo) { return std::string(inInfo.param.name); });

}  // namespace
