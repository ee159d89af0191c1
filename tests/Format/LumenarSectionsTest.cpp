// The layer and mask section's framing, the merged image data and the documents without layers.
#include <functional>
#include <random>

#include "tests/Format/ReaderTestSupport.h"

namespace {

ByteVector Plane(size_t inCount, uint32 inSeed) {
    std::mt19937 random(inSeed);
    ByteVector bytes(inCount);
    for (uint8& b : bytes) b = uint8(random());
    return bytes;
}

using Sections = ReaderTest;

// ---- Documents without layers --------------------------------------------------------------------------

struct FlatCase {
    const char* name;
    uint16 coding;
    std::function<void(DocumentBuilder&)> frame;  // how the (empty) layer section is framed
};

class FlatDocuments : public ReaderTest, public testing::WithParamInterface<FlatCase> {};

TEST_P(FlatDocuments, BecomeOneBackgroundLayerFromTheMergedData) {
    DocumentBuilder doc(5, 3);
    const ByteVector red = Plane(15, 1), green = Plane(15, 2), blue = Plane(15, 3);
    doc.AddMergedChannel(red).AddMergedChannel(green).AddMergedChannel(blue);
    doc.mergedCompression = GetParam().coding;
    GetParam().frame(doc);
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    ASSERT_EQ(read.image->GetLayerCount(), 1);
    const CRGBLayer& background = *read.Layer(0);
    EXPECT_EQ(background.GetName(), "");
    EXPECT_EQ(background.GetOpacity(), 255);
    EXPECT_EQ(background.GetBlendMode(), 12000u);
    EXPECT_EQ(background.GetBounds(), GRect(0, 0, 5, 3));
    for (int32 i = 0; i < 15; ++i) {
        const NativeQuad p = PixelOf(background, i % 5, i / 5);
        EXPECT_EQ(Word(p), 0xFF000000u | uint32(red[i]) << 16 | uint32(green[i]) << 8 | blue[i]) << i;
    }
    EXPECT_EQ(read.image->GetExtraChannelCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, FlatDocuments,
    testing::Values(FlatCase{"NoSection", kCodingRaw, [](auto&) {}},
                    FlatCase{"NoSectionPacked", kCodingPacked, [](auto&) {}},
                    FlatCase{"SectionShorterThanFour", kCodingPacked,
                             [](auto& d) { d.layerSection = ByteVector{1, 2, 3}; }},
                    FlatCase{"EmptyLayerInformation", kCodingRaw,
                             [](auto& d) { d.layerSection = ByteVector{0, 0, 0, 0, 0, 0, 0, 0}; }}),
    [](const auto& inInfo) { return std::string(inInfo.param.name); });

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
    for (int32 i = 0; i < 8; ++i) {
        const uint32 g = gray[i];
        EXPECT_EQ(Word(PixelOf(*read.Layer(0), i % 4, i / 4)), 0xFF000000u | g << 16 | g << 8 | g);
    }
    ASSERT_EQ(read.image->GetExtraChannelCount(), 1);
    const CChannel& extra = read.image->GetExtraChannel(0);
    EXPECT_EQ(extra.GetBounds(), GRect(0, 0, 4, 2));
    uint8 values[8];
    extra.GetTile(GRect(0, 0, 4, 2), values, 4);
    EXPECT_EQ(ByteVector(values, values + 8), alpha);
}

TEST_F(Sections, IndexedDocumentsLookTheirIndexesUpAndEndAsOneLayer) {
    DocumentBuilder doc(3, 2, kDocIndexed);
    doc.ColourTable({0x102030, 0x405060, 0x708090});
    doc.AddMergedChannel({0, 1, 2, 2, 1, 0});
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    ASSERT_EQ(read.image->GetLayerCount(), 1);
    // The flattened layer no longer holds the table: the reader's reference is the only other one.
    EXPECT_EQ(read.format->GetColorTable()->GetRefCount(), 1);
    const uint32 expected[] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFF708090, 0xFF405060, 0xFF102030};
    for (int32 i = 0; i < 6; ++i) EXPECT_EQ(Word(PixelOf(*read.Layer(0), i % 3, i / 3)), expected[i]) << i;
}

// ---- Merged data of layered documents --------------------------------------------------------------------

struct MergedCase {
    const char* name;
    bool transparency;  // negative layer count: a leading transparency plane
    uint16 coding;
};

class LayeredMerged : public ReaderTest, public testing::WithParamInterface<MergedCase> {};

// Colour planes of the merged data are skipped (the layers carry the picture); the planes after them are
// the document's extra channels, found behind a leading transparency plane as well.
TEST_P(LayeredMerged, ColourPlanesAreSkippedAndTheRestBecomeExtraChannels) {
    const MergedCase& c = GetParam();
    DocumentBuilder doc(3, 2);
    doc.AddLayer(LayerSpec::Solid(0, 0, 3, 2, 10, 20, 30));
    doc.AddLayer(LayerSpec::Solid(1, 1, 2, 2, 40, 50, 60));
    doc.mergedTransparency = c.transparency;
    doc.mergedCompression = c.coding;
    if (c.transparency) doc.AddMergedChannel(Plane(6, 10));
    for (uint32 seed = 11; seed < 14; ++seed) doc.AddMergedChannel(Plane(6, seed));
    const ByteVector alpha1 = Plane(6, 20), alpha2 = Plane(6, 21);
    doc.AddMergedChannel(alpha1).AddMergedChannel(alpha2);
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    EXPECT_EQ(read.format->MergedHasTransparency(), c.transparency);
    EXPECT_EQ(read.format->LayerCountNegative(), c.transparency);
    // A negative layer count takes the transparency plane out of the stored channel count (6 or 5).
    EXPECT_EQ(read.format->GetChannelCount(), 5u);
    ASSERT_EQ(read.image->GetLayerCount(), 2);
    EXPECT_EQ(Word(PixelOf(*read.Layer(0), 2, 0)), 0xFF0A141Eu);
    EXPECT_EQ(Word(PixelOf(*read.Layer(1), 1, 1)), 0xFF28323Cu);
    ASSERT_EQ(read.image->GetExtraChannelCount(), 2);
    uint8 values[6];
    read.image->GetExtraChannel(0).GetTile(GRect(0, 0, 3, 2), values, 3);
    EXPECT_EQ(ByteVector(values, values + 6), alpha1);
    read.image->GetExtraChannel(1).GetTile(GRect(0, 0, 3, 2), values, 3);
    EXPECT_EQ(ByteVector(values, values + 6), alpha2);
}

INSTANTIATE_TEST_SUITE_P(Reader, LayeredMerged,
                         testing::Values(MergedCase{"Raw", false, kCodingRaw},
                                         MergedCase{"Packed", false, kCodingPacked},
                                         MergedCase{"TransparencyRaw", true, kCodingRaw},
                                         MergedCase{"TransparencyPacked", true, kCodingPacked}),
                         [](const auto& inInfo) { return std::string(inInfo.param.name); });

// ---- Framing of the layer and mask section --------------------------------------------------------------

TEST_F(Sections, GlobalMaskLengthReadOneByteEarlyIsReadAgain) {
    DocumentBuilder doc(2, 2);
    LayerSpec layer = LayerSpec::Solid(0, 0, 2, 2, 1, 2, 3);
    layer.mask = MaskSpec::Rect(0, 0, 1, 1, 255);
    doc.AddLayer(layer);
    doc.globalMask = DocumentBuilder::StandardGlobalMask();
    doc.shiftGlobalMaskBack = true;
    const ByteVector alpha = Plane(4, 3);
    for (uint32 seed = 0; seed < 3; ++seed) doc.AddMergedChannel(Plane(4, seed));
    doc.AddMergedChannel(alpha);
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    EXPECT_TRUE(read.format->GlobalMaskSteppedBack());
    EXPECT_EQ(read.image->GetLayerCount(), 1);
    ASSERT_EQ(read.image->GetExtraChannelCount(), 1);  // the merged data was found where it starts
    uint8 values[4];
    read.image->GetExtraChannel(0).GetTile(GRect(0, 0, 2, 2), values, 2);
    EXPECT_EQ(ByteVector(values, values + 4), alpha);
}

TEST_F(Sections, AStandardGlobalMaskIsReadWithoutSteppingBack) {
    DocumentBuilder doc(2, 2);
    doc.AddLayer(LayerSpec::Solid(0, 0, 2, 2, 1, 2, 3));
    doc.globalMask = DocumentBuilder::StandardGlobalMask();
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    EXPECT_FALSE(read.format->GlobalMaskSteppedBack());
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
        OverrunCase{"LayerInfoBeyondSection", [](auto& d, auto&) { d.layerInfoLength = 0x7FFFFFF0u; }, kUnknownFormat},
        OverrunCase{"LayerInfoNearFourGigabytes", [](auto& d, auto&) { d.layerInfoLength = 0xFFFFFFFFu; },
                    kUnknownFormat},
        OverrunCase{"RecordsBeyondLayerInfo", [](auto& d, auto&) { d.layerInfoLength = 20; }, kUnknownFormat},
        OverrunCase{"ChannelDataBeyondLayerInfo",
                    [](auto& d, const DocumentLayout& l) {
                        d.layerInfoLength = uint32(l.channels[0][2] - l.layerInfo - 4);
                    },
                    kUnknownFormat},
        OverrunCase{"GlobalMaskBeyondSection",
                    [](auto& d, const DocumentLayout& l) {
                        d.layerSectionLength = uint32(l.merged - l.layerAndMask - 4 - 1);
                    },
                    kUnknownFormat},
        OverrunCase{"GlobalMaskShorterThanItsFields",
                    [](auto& d, auto&) { d.globalMask = ByteVector(6, 0); }, kUnknownFormat},
        OverrunCase{"LayerCountBeyondTheFile",
                    [](auto& d, auto&) { d.layerCount = 30000; }, kMiscDisk},
        OverrunCase{"ChannelCountBeyondTheFile",
                    [](auto& d, auto&) {
                        LayerSpec l = LayerSpec::Solid(0, 0, 1, 1, 1, 1, 1);
                        l.channelCount = 60000;
                        d.AddLayer(l);
                    },
                    kMiscDisk},
        OverrunCase{"MergedLineCountsBeyondTheFile",
                    [](auto& d, auto&) {
                        d.header.channelCount = 60000;
                        d.mergedCompression = kCodingPacked;
                    },
                    kMiscDisk},
        OverrunCase{"RawExtraChannelBeyondTheFile", [](auto& d, auto&) { d.header.channelCount = 5; },
                    kMiscDisk}),
    [](const auto& inInfo) { return std::string(inInfo.param.name); });

}  // namespace
