// The reader: layer records read into layers (their settings, layout rules and pixels); the refusals of the
// leading sections and their order, and what it keeps from them; the layer and mask section's framing, the
// merged image data and the documents without layers.
#include <functional>
#include <optional>
#include <tuple>

#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

LayerSpec RectLayer(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom) {
    LayerSpec layer = LayerSpec::Solid(inLeft, inTop, inRight, inBottom, 0, 0, 0);
    layer.channels.clear();
    return layer;
}

using Layers = ReaderTest;

// ---- Pixels -------------------------------------------------------------------------------------------

// Each channel, raw or packed and stored in any order, lands in its component; a grayscale layer's one
// colour channel gives all three.
TEST_F(Layers, ChannelsLandInTheirComponents) {
    const ByteVector red = RandomBytes(12, 1), green = RandomBytes(12, 2), blue = RandomBytes(12, 3);
    const ByteVector alpha = RandomBytes(12, 4, 1);  // no fully transparent pixel: content is the rectangle
    for (const uint16 mode : {kDocRGB, kDocGrayscale})
        for (const uint16 coding : {kCodingRaw, kCodingPacked}) {
            const bool gray = mode == kDocGrayscale;
            DocumentBuilder doc(6, 5, mode);
            LayerSpec layer = RectLayer(1, 1, 5, 4);  // 4 x 3
            layer.channels = {ChannelSpec::Pixels(kChannelAlpha, alpha, coding),
                              ChannelSpec::Pixels(kChannelRed, red, coding)};
            if (!gray)
                for (const auto& [id, plane] :
                     {std::pair(kChannelBlue, blue), std::pair(kChannelGreen, green)})
                    layer.channels.push_back(ChannelSpec::Pixels(id, plane, coding));
            doc.AddLayer(layer);
            ReadDocument read(doc.Build());
            ASSERT_TRUE(read.loaded) << read.error;
            ASSERT_EQ(read.image->GetLayerCount(), 1);
            EXPECT_EQ(read.Layer(0)->GetBounds(), GRect(1, 1, 5, 4));
            for (int32 y = 0; y < 5; ++y)
                for (int32 x = 0; x < 6; ++x) {
                    const size_t i = size_t((y - 1) * 4 + (x - 1));
                    const uint32 expected = !GRect(1, 1, 5, 4).Contains(GPoint(x, y))
                                                ? 0x00FFFFFFu
                                                : uint32(alpha[i]) << 24 | uint32(red[i]) << 16 |
                                                      uint32(gray ? red[i] : green[i]) << 8 |
                                                      (gray ? red[i] : blue[i]);
                    EXPECT_EQ(Word(PixelAt(*read.Layer(0), x, y)), expected)
                        << mode << coding << " " << x << "," << y;
                }
        }
}

// ---- Layout rules ----------------------------------------------------------------------------------

TEST_F(Layers, LayersWithoutTransparencyStartOpaqueWhiteOverTheCanvasOthersTransparent) {
    DocumentBuilder doc(5, 4);
    LayerSpec opaque = LayerSpec::Solid(1, 1, 2, 2, 0, 0, 0);
    opaque.channels.pop_back();
    LayerSpec left = RectLayer(-3, 1, 2, 2);
    left.channels = {ChannelSpec::Filled(kChannelRed, 9)};
    doc.AddLayer(opaque).AddLayer(LayerSpec::Solid(1, 1, 2, 2, 0, 0, 0, 255)).AddLayer(left);
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    EXPECT_EQ(Word(PixelAt(*read.Layer(0), 1, 1)), 0xFF000000u);
    EXPECT_EQ(Word(PixelAt(*read.Layer(0), 3, 3)), 0xFFFFFFFFu);
    EXPECT_EQ(read.Layer(0)->GetBounds(), GRect(0, 0, 5, 4));
    EXPECT_EQ(Word(PixelAt(*read.Layer(1), 3, 3)), 0x00FFFFFFu);
    EXPECT_EQ(read.Layer(1)->GetBounds(), GRect(1, 1, 2, 2));
    EXPECT_EQ(read.Layer(2)->GetBounds(), GRect(-3, 0, 5, 4));
    EXPECT_EQ(Word(PixelAt(*read.Layer(2), -3, 1)), 0xFF09FFFFu);

    DocumentBuilder gray(3, 3, kDocGrayscale);
    LayerSpec layer = RectLayer(0, 0, 1, 1);
    layer.channels = {ChannelSpec::Filled(kChannelRed, 40)};
    gray.AddLayer(layer);
    ReadDocument grayRead(gray.Build());
    ASSERT_TRUE(grayRead.loaded) << grayRead.error;
    EXPECT_TRUE(grayRead.Layer(0)->IsEmpty());
}

// The canvas limit belongs to activating the first layer, which grows it over the canvas; later layers are
// read and composited up to the width of the row scratch every stored row passes through.
TEST_F(Layers, OnlyTheFirstLayerIsHeldToTheCanvasLimit) {
    const struct {
        int32 left, right;
        bool first;
        std::string error;
    } cases[] = {{0, 30000, true, ""},
                 {-1, 30000, true, kImageTooLarge},
                 {0, 30001, true, kImageTooLarge},
                 {INT32_MIN, INT32_MAX, true, kImageTooLarge},
                 {-29999, -29998, false, ""},
                 {-40000, 1, false, ""},
                 {0, 65537, false, kImageTooLarge},  // a row longer than the row scratch
                 {INT32_MIN, INT32_MAX, false, kImageTooLarge}};
    for (const auto& c : cases) {
        DocumentBuilder doc(2, 2);
        const bool huge = int64(c.right) - c.left > 100000;  // no pixels: only the rectangle matters
        LayerSpec wide =
            huge ? RectLayer(c.left, 0, c.right, 2) : LayerSpec::Solid(c.left, 0, c.right, 2, 10, 20, 30);
        LayerSpec plain = LayerSpec::Solid(0, 0, 1, 1, 200, 100, 50);
        if (c.first)
            doc.AddLayer(wide).AddLayer(plain);
        else
            doc.AddLayer(plain).AddLayer(wide);
        ReadDocument read(doc.Build());
        EXPECT_EQ(read.error, c.error) << c.left << ".." << c.right << (c.first ? " first" : " second");
        if (!read.loaded || c.first || huge) continue;
        // The wide layer's own pixels reach its far left column.
        EXPECT_EQ(Word(PixelAt(*read.Layer(1), c.left, 1)), 0xFF0A141Eu) << c.left;
    }
}

// ---- Settings ----------------------------------------------------------------------------------------

TEST_F(Layers, RecordSettingsReachTheLayer) {
    DocumentBuilder doc(2, 2);
    const struct {
        uint32 signature, key;
        uint8 opacity, clipping, flags;
        uint32 mode;
        bool visible, protectedAlpha;
    } cases[] = {
        {FourCC("XXXX"), FourCC("scrn"), 0, 1, 2, 12008, false, false},  // the signature is not checked
        {FourCC("ZQRS"), FourCC("idiv"), 255, 7, 1, 12026, true, true},
        {FourCC("ZQRS"), FourCC("xxxx"), 17, 0, 3 | 0xF8, 12000, false, true},
    };
    for (const auto& c : cases) {
        LayerSpec layer = LayerSpec::Solid(0, 0, 1, 1, 1, 2, 3);
        layer.blendSignature = c.signature, layer.blendKey = c.key;
        layer.opacity = c.opacity, layer.clipping = c.clipping, layer.flags = c.flags;
        doc.AddLayer(layer);
    }
    std::unique_ptr<ReadDocument> read;
    const std::string reports = CaptureReports([&] { read = std::make_unique<ReadDocument>(doc.Build()); });
    ASSERT_TRUE(read->loaded) << read->error;
    for (int32 i = 0; i < 3; ++i) {
        const CRGBLayer& l = *read->Layer(i);
        EXPECT_EQ(std::make_tuple(l.GetBlendMode(), l.GetOpacity(), l.GetClipping(), l.GetVisible(),
                                  l.GetTransparencyProtected()),
                  std::make_tuple(cases[i].mode, cases[i].opacity, uint32(cases[i].clipping),
                                  cases[i].visible, cases[i].protectedAlpha))
            << i;
    }
    EXPECT_TRUE(
        Contains(reports, "CLumenarFormat::ReadLayerData: Unrecognized blend mode -- using kBlendNormal"));
}

// Names are padded to multiples of four (the id block after the name is found only if the padding was
// right); a stored id is kept unless missing, even when repeated; extra data of length 0 gives no mask,
// no name and a fresh id.
TEST_F(Layers, NamesAndStoredIdsAreKeptMissingOnesReplaced) {
    DocumentBuilder doc(2, 2);
    const std::string names[] = {"",  "a",       "abc",    "abcd", "abcdefg", std::string(255, 'n'),
                                 "z", "ignored", "ignored"};
    const uint32 ids[] = {42, 42, 0xFFFFFFFF, 101, 102, 103, 0};
    for (int32 i = 0; i < 9; ++i) {
        LayerSpec layer = LayerSpec::Solid(0, 0, 1, 1, 1, 2, 3);
        layer.name = names[i];
        if (i < 7) layer.layerID = ids[i];
        if (i >= 7) layer.extraData = ByteVector();
        doc.AddLayer(layer);
    }
    ReadDocument read(doc.Build());
    ASSERT_TRUE(read.loaded) << read.error;
    ASSERT_EQ(read.image->GetLayerCount(), 9);
    for (int32 i = 0; i < 9; ++i) {
        EXPECT_EQ(read.Layer(i)->GetName(), i < 7 ? names[i] : "") << i;
        EXPECT_NE(read.Layer(i)->GetLayerID(), 0u) << i;
        if (i < 6) {
            EXPECT_EQ(read.Layer(i)->GetLayerID(), ids[i]) << i;
        }
    }
    EXPECT_FALSE(read.Layer(7)->HasLayerMask());
    EXPECT_NE(read.Layer(7)->GetLayerID(), read.Layer(8)->GetLayerID());
    // Lookups by id find the earlier layer, so a second mask under a repeated id is refused.
    DocumentBuilder masked(2, 2);
    for (int32 i = 0; i < 2; ++i) {
        LayerSpec layer = LayerSpec::Solid(0, 0, 2, 2, 1, 2, 3);
        layer.layerID = 7;
        layer.mask = MaskSpec::Rect(0, 0, 2, 2, 255, 0);
        layer.channels.push_back(ChannelSpec::Filled(kChannelMask, 255));
        masked.AddLayer(layer);
    }
    EXPECT_EQ(ReadDocument(masked.Build()).error, kSecondMask);
}

// A mask block describes as much as its length holds; the mask channel's rows fill the mask rectangle.
TEST_F(Layers, MaskBlocksDescribeAsMuchAsTheirLengthAndTheChannelFillsTheRectangle) {
    const struct {
        uint32 length;
        bool hasMask;
        uint8 colour;
        bool inverted, linked, enabled;
    } cases[] = {
        {0, false, 0, false, true, true},    {8, false, 0, false, true, true},
        {15, false, 0, false, true, true},   {16, true, 0, false, true, true},
        {17, true, 200, false, true, true},  {18, true, 200, true, false, false},
        {20, true, 200, true, false, false}, {36, true, 200, true, false, false},
    };
    const ByteVector mask = RandomBytes(6, 9);
    for (const auto& c : cases) {
        DocumentBuilder doc(5, 5);
        LayerSpec layer = LayerSpec::Solid(0, 0, 5, 5, 1, 2, 3);
        layer.mask =
            MaskSpec::Rect(1, 2, 4, 4, 200, kMaskNotLinked | kMaskDisabled | kMaskInverted, c.length);
        if (c.hasMask) layer.channels.push_back(ChannelSpec::Pixels(kChannelMask, mask));
        layer.layerID = 5;  // read only when the mask block's length was honoured
        doc.AddLayer(layer);
        ReadDocument read(doc.Build());
        ASSERT_TRUE(read.loaded) << c.length << ": " << read.error;
        const CRGBLayer& l = *read.Layer(0);
        EXPECT_EQ(std::make_tuple(l.GetLayerID(), l.HasLayerMask(), l.GetMaskInverted(), l.GetMaskLinked(),
                                  l.GetMaskEnabled()),
                  std::make_tuple(5u, c.hasMask, c.inverted, c.linked, c.enabled))
            << c.length;
        if (!c.hasMask) continue;
        EXPECT_EQ(l.GetMaskDefaultColor(), c.colour) << c.length;
        uint8 values[25];
        l.GetLayerMaskTile(GRect(0, 0, 5, 5), values, 5);
        for (int32 i = 0; i < 25; ++i) {
            const int32 x = i % 5, y = i / 5;
            const bool inside = GRect(1, 2, 4, 4).Contains(GPoint(x, y));
            EXPECT_EQ(values[i], inside ? mask[size_t((y - 2) * 3 + x - 1)] : c.colour)
                << c.length << " at " << i;
        }
    }
}

// Unknown blocks are skipped by their length; an adjustment record keeps its type and length and is not
// read as a pixel layer, between layers that are.
TEST_F(Layers, BlocksAreSkippedByTheirLengthAndAdjustmentRecordsKeepTheirTypeAndLength) {
    DocumentBuilder doc(3, 2);
    LayerSpec first = LayerSpec::Solid(0, 0, 3, 2, 200, 0, 0);
    first.blocks = {
        AdditionalBlock::Raw(FourCC("lyid"), {0, 0, 0, 77}, FourCC("XQRS")),  // foreign signature
        AdditionalBlock::Raw(FourCC("zzzz"), {1, 2, 3, 4, 5}),                // odd length, no alignment
        AdditionalBlock::UnicodeName(u"name"),
        AdditionalBlock::Raw(FourCC("lrFX"), ByteVector(24, 0)),
    };
    first.layerID = 99;
    LayerSpec adjustment = LayerSpec::Solid(0, 0, 3, 2, 9, 9, 9);
    adjustment.mask = MaskSpec::Rect(0, 0, 3, 2, 255);
    adjustment.channels.push_back(ChannelSpec::Filled(kChannelMask, 128));
    adjustment.blocks = {AdditionalBlock::Raw(FourCC("brit"), {0, 10, 0, 20, 0, 127, 0, 0})};
    doc.AddLayer(first).AddLayer(adjustment).AddLayer(LayerSpec::Solid(1, 0, 2, 1, 0, 0, 200));
    std::unique_ptr<ReadDocument> read;
    const std::string reports = CaptureReports([&] { read = std::make_unique<ReadDocument>(doc.Build()); });
    ASSERT_TRUE(read->loaded) << read->error;
    ASSERT_EQ(read->image->GetLayerCount(), 3);
    EXPECT_EQ(read->Layer(0)->GetLayerID(), 99u);
    EXPECT_EQ(Word(PixelAt(*read->Layer(0), 2, 1)), 0xFFC80000u);
    EXPECT_EQ(read->Layer(1), nullptr) << "the adjustment record is not read as a pixel layer";
    EXPECT_EQ(Word(PixelAt(*read->Layer(2), 1, 0)), 0xFF0000C8u);
    const LayerRecord &record = read->format->GetLayerRecords().at(0),
                      &adjusting = read->format->GetLayerRecords().at(1);
    EXPECT_EQ(
        std::make_tuple(record.mEffectsLength, record.mEffectsPosition > 0, record.mHasAdjustment,
                        adjusting.mHasAdjustment, adjusting.mAdjustmentType, adjusting.mAdjustmentLength),
        std::make_tuple(24u, true, false, true, 2u, 8u));
    EXPECT_FALSE(Contains(reports, "GetPos"));  // every channel consumed exactly its entry
}

// Damaged channels are reported (or cut short) and reading goes on: the pixel shows every channel read.
TEST_F(Layers, DamagedChannelsAreReportedAndReadingGoesOn) {
    const struct {
        const char* name;
        void (*damage)(LayerSpec&);
        const char* report;  // null: nothing to report
        int32 x;
        uint32 word;
    } cases[] = {
        {"entry length mismatch", [](LayerSpec& l) { l.channels[0].entryLength = 99; },
         "Assertion failed: \"(mReadStream->GetPos() - beginChannelPos) == (uint32) channel.GetLength()\"", 1,
         0xFF050607u},
        {"unknown channel id read into nowhere",
         [](LayerSpec& l) { l.channels.insert(l.channels.begin() + 1, ChannelSpec::Filled(5, 99)); },
         "Switch guard failed.", 0, 0xFF050607u},
        // Two bytes of a four-byte row: the run fills two pixels and the rest stays unwritten.
        {"short packed row",
         [](LayerSpec& l) {
             l.channels[0].packedRows = std::vector<ByteVector>{{0xFF, 33}};
         },
         nullptr, 1, 0xFF210607u},
    };
    for (const auto& c : cases) {
        DocumentBuilder doc(4, 1);
        LayerSpec layer = LayerSpec::Solid(0, 0, 4, 1, 5, 6, 7);
        c.damage(layer);
        doc.AddLayer(layer);
        std::unique_ptr<ReadDocument> read;
        const std::string reports =
            CaptureReports([&] { read = std::make_unique<ReadDocument>(doc.Build()); });
        ASSERT_TRUE(read->loaded) << c.name << ": " << read->error;
        EXPECT_TRUE(c.report == nullptr || Contains(reports, c.report)) << c.name << ": " << reports;
        EXPECT_EQ(Word(PixelAt(*read->Layer(0), c.x, 0)), c.word) << c.name;
    }
}

// Rows whose packets fall short keep what row decoding leaves behind: a count of 0 decodes the channel's
// earlier packed bytes again, and an unfilled row keeps the row a batch earlier (16 rows of 4096 bytes),
// zeros in the first batch. The four channels read together (one of them raw) give what reading them one
// by one does; a channel of unknown id ahead of them makes the reader take them one by one.
TEST_F(Layers, ShortRowsReadTogetherAsOneByOne) {
    const int32 width = 4096, height = 160;
    LayerSpec layer = LayerSpec::Solid(0, 0, width, height, 5, 6, 7, 200);
    ByteVector pixels(size_t(width) * height);
    // Runs of five: rows of about 1640 packed bytes.
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8(i / 5 * 7 + i / 4093);
    layer.channels[0] = ChannelSpec::Pixels(kChannelRed, pixels);
    layer.channels[2] = ChannelSpec::Pixels(kChannelBlue, pixels, kCodingRaw);
    std::vector<ByteVector> rows;
    for (int32 y = 0; y < height; ++y)
        rows.push_back(DocumentBuilder::PackRow(pixels.data() + size_t(y) * width, width));
    rows[3].clear();
    rows[5].clear();
    // Runs of 33 to 4095 bytes, then a run of 44 too long for the row: the row's last byte is left.
    for (int32 run = 0; run < 32; ++run) rows[5].insert(rows[5].end(), {uint8(run < 31 ? 0x81 : 0x82), 33});
    rows[5].insert(rows[5].end(), {0x81, 44});
    rows[20] = rows[5];
    layer.channels[0].packedRows = rows;
    std::vector<NativeQuad> images[2];
    for (int32 apart = 0; apart < 2; ++apart) {
        if (apart == 1) layer.channels.insert(layer.channels.begin(), ChannelSpec::Filled(5, 99));
        DocumentBuilder doc(width, height);
        doc.AddLayer(layer);
        std::unique_ptr<ReadDocument> read;
        CaptureReports([&] { read = std::make_unique<ReadDocument>(doc.Build()); });
        ASSERT_TRUE(read->loaded && read->Layer(0) != nullptr) << read->error;
        images[apart].resize(pixels.size());
        read->Layer(0)->GetTile(GRect(0, 0, width, height), images[apart].data(), width * 4);
    }
    EXPECT_TRUE(images[0] == images[1]);
    const auto red = [&](int32 x, int32 y) { return images[0][size_t(y) * width + size_t(x)].red; };
    EXPECT_EQ(red(1, 3), pixels[2 * size_t(width) + 1]);
    EXPECT_EQ(red(4094, 5), 33);
    EXPECT_EQ(red(4095, 5), 0);
    EXPECT_EQ(red(4095, 20), pixels[4 * size_t(width) + 4095]);
}

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

// A check moved behind a later read, and the zero a cut field reads as, are left to the every-prefix test.
const RefusalCase kRefusals[] = {
    // Signature before version: a multidisk signature wins over an obsolete version.
    {"Multidisk1BeforeVersion", [](auto& d) { d.header.signature = FourCC("ZQM1"), d.header.version = 2; },
     kNoMultidisk},
    {"Multidisk2", [](auto& d) { d.header.signature = FourCC("ZQM2"); }, kNoMultidisk},
    {"Version2", [](auto& d) { d.header.version = 2; }, kObsoleteLumenar},
    {"Version3", [](auto& d) { d.header.version = 3; }, kBadLumenarType},
    {"VersionBeforeChannels", [](auto& d) { d.header.version = 2, d.header.channelCount = 0; },
     kObsoleteLumenar},
    // Geometry before the mode.
    {"RowsZero", [](auto& d) { d.header.rows = 0, d.header.mode = 10; }, kUnknownFormat},
    {"Rows30001", [](auto& d) { d.header.rows = 30001; }, kUnknownFormat},
    {"Columns30001", [](auto& d) { d.header.columns = 30001; }, kUnknownFormat},
    {"RowsHuge", [](auto& d) { d.header.rows = 0x80000001u; }, kUnknownFormat},
    // Modes, tested above 9 first, then 0, 9, 4, 8, 7.
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

using Sections = ReaderTest;

// ---- Documents without layers --------------------------------------------------------------------------

// Without layer records (no section, one shorter than four bytes, empty layer information) the merged
// data, raw or packed, becomes one background layer; a grayscale document's one colour plane gives all three
// components, and its second plane becomes the document's extra channel.
TEST_F(Sections, FlatDocumentsBecomeOneBackgroundLayerFromTheMergedData) {
    const std::optional<ByteVector> frames[] = {std::nullopt, ByteVector{1, 2, 3}, ByteVector(8, 0)};
    for (const uint16 mode : {kDocRGB, kDocGrayscale})
        for (const uint16 coding : {kCodingRaw, kCodingPacked})
            for (const auto& frame : frames) {
                const bool gray = mode == kDocGrayscale;
                DocumentBuilder doc(5, 3, mode);
                const ByteVector red = RandomBytes(15, 1), green = RandomBytes(15, 2),
                                 blue = RandomBytes(15, 3);
                doc.AddMergedChannel(red).AddMergedChannel(green);
                if (!gray) doc.AddMergedChannel(blue);
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
                    EXPECT_EQ(Word(PixelAt(background, i % 5, i / 5)),
                              0xFF000000u | uint32(red[i]) << 16 | uint32(gray ? red[i] : green[i]) << 8 |
                                  (gray ? red[i] : blue[i]))
                        << i;
                ASSERT_EQ(read.image->GetExtraChannelCount(), gray ? 1 : 0);
                if (gray) {
                    EXPECT_EQ(read.image->GetExtraChannel(0).GetBounds(), GRect(0, 0, 5, 3));
                    EXPECT_EQ(ExtraChannelBytes(*read.image, 0), green);
                }
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
    for (int32 i = 0; i < 6; ++i) EXPECT_EQ(Word(PixelAt(*read.Layer(0), i % 3, i / 3)), expected[i]) << i;
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
            if (transparency) doc.AddMergedChannel(RandomBytes(6, 10));
            for (uint32 seed = 11; seed < 14; ++seed) doc.AddMergedChannel(RandomBytes(6, seed));
            doc.AddMergedChannel(RandomBytes(6, 20)).AddMergedChannel(RandomBytes(6, 21));
            ReadDocument read(doc.Build());
            ASSERT_TRUE(read.loaded) << read.error;
            EXPECT_EQ(read.format->MergedHasTransparency(), transparency);
            EXPECT_EQ(read.format->LayerCountNegative(), transparency);
            // A negative layer count takes the transparency plane out of the stored channel count (6 or 5).
            EXPECT_EQ(read.format->GetChannelCount(), 5u);
            ASSERT_EQ(read.image->GetLayerCount(), 2);
            EXPECT_EQ(Word(PixelAt(*read.Layer(0), 2, 0)), 0xFF0A141Eu);
            EXPECT_EQ(Word(PixelAt(*read.Layer(1), 1, 1)), 0xFF28323Cu);
            ASSERT_EQ(read.image->GetExtraChannelCount(), 2);
            EXPECT_EQ(ExtraChannelBytes(*read.image, 0), RandomBytes(6, 20));
            EXPECT_EQ(ExtraChannelBytes(*read.image, 1), RandomBytes(6, 21));
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
        const ByteVector alpha = RandomBytes(4, 3);
        for (uint32 seed = 0; seed < 3; ++seed) doc.AddMergedChannel(RandomBytes(4, seed));
        doc.AddMergedChannel(alpha);
        ReadDocument read(doc.Build());
        ASSERT_TRUE(read.loaded) << read.error;
        EXPECT_EQ(read.format->GlobalMaskSteppedBack(), shifted);
        EXPECT_EQ(read.image->GetLayerCount(), 1);
        ASSERT_EQ(read.image->GetExtraChannelCount(), 1);  // the merged data was found where it starts
        EXPECT_EQ(ExtraChannelBytes(*read.image, 0), alpha);
    }
}

// Packed rows whose line counts are zero claim their whole row without a byte to fill it, and so does every
// row at depth 0, a narrow one as the 64 columns of its tiles. Up to 16 MiB of such row bytes in a
// document are read (as zeros); one more channel of them refuses the document.
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
        // At depth 0 no row stores a byte: a flat document of as many merged planes claims the same.
        DocumentBuilder empty(kColumns, kRows);
        empty.header.depth = 0;
        empty.header.channelCount = uint16(channels);
        DocumentBuilder narrow(1, kRows * 16);  // 1 MiB a channel
        narrow.header.depth = 0;
        narrow.header.channelCount = uint16(channels * 4);
        for (const ByteVector& document : {doc.Build(), empty.Build(), narrow.Build()}) {
            ReadDocument read(document);
            EXPECT_EQ(read.loaded, channels == 4) << channels << " channels: " << read.error;
            EXPECT_EQ(read.error, channels == 4 ? "" : kUnknownFormat);
        }
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
