// The bytes the writer produces: a whole small document, record fields at their offsets, the choice
// between packed and raw channels, padding, the global mask information and indexed documents.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "tests/Format/WriterTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

using PixelFunction = std::function<NativeQuad(int32 inX, int32 inY)>;

CRGBLayer* AddRGBLayer(CImage& ioImage, const GRect& inBounds, const PixelFunction& inPixel, uint32 inID,
                       const std::string& inName = "") {
    CNativeQuadTileBuffer pixels(inBounds, kTransparentWhite);
    for (int32 y = inBounds.top; y < inBounds.bottom; ++y)
        for (int32 x = inBounds.left; x < inBounds.right; ++x) {
            const NativeQuad p = inPixel(x, y);
            pixels.SetTile(GRect(x, y, x + 1, y + 1), &p, 4);
        }
    auto* layer = new CRGBLayer(&ioImage, pixels, inName, true, kBlendNormal, 255, inID);
    ioImage.AddLayer(layer, false, -1, false);
    return layer;
}

PixelFunction Solid(uint8 inRed, uint8 inGreen, uint8 inBlue, uint8 inAlpha = 255) {
    return [=](int32, int32) { return MakeNativeQuad(inRed, inGreen, inBlue, inAlpha); };
}

void AddMask(CImage& ioImage, CLayer& ioLayer, const GRect& inRect, uint8 inDefault, uint8 inValue) {
    ioImage.AddLayerMask(ioLayer.GetLayerID(), inDefault, inRect);
    std::vector<uint8> bytes(size_t(inRect.Area()), inValue);
    ioLayer.SetLayerMaskTile(inRect, bytes.data(), inRect.Width());
}

// Offset of a record's extra data (its mask block length field).
size_t ExtraStart(const ByteVector& inBytes, size_t inRecord) {
    return inRecord + 34 + 6 * U16At(inBytes, inRecord + 16);
}
size_t NameStart(const ByteVector& inBytes, size_t inRecord) {
    const size_t extra = ExtraStart(inBytes, inRecord);
    return extra + 4 + U32At(inBytes, extra) + 44;
}

using Writer = ReaderTest;

// One canvas-sized layer, 3 x 2: constant colour rows pack as runs (4 bytes < 6 raw), the alpha rows
// 255 0 255 would pack as literals of 4 bytes and are stored raw. The merged rows 1 255 1 are packed
// although that is longer than raw.
TEST_F(Writer, WholeSmallDocumentIsWrittenByteForByte) {
    CImage image(3, 2);
    AddRGBLayer(image, GRect(0, 0, 3, 2),
                [](int32 x, int32) { return MakeNativeQuad(1, 2, 3, x == 1 ? 0 : 255); }, 0x01020304);
    CImageResourceMgr resources;
    const ByteVector written = WriteDocument(image, &resources);

    Bytes expected;
    expected.Key("ZQLM").U16(1).U32(0).U16(0).U16(3).U32(2).U32(3).U16(8).U16(3);
    expected.U32(0).U32(0);        // colour-mode data, image resources
    expected.U32(174).U32(166);    // section, layer information
    expected.U16(1);               // one record
    expected.U32(0).U32(0).U32(2).U32(3).U16(4);
    expected.U16(0).U32(10).U16(1).U32(10).U16(2).U32(10).U16(0xFFFF).U32(8);
    expected.Key("ZQRS").Key("norm").Raw({255, 0, 0, 0}).U32(68);
    expected.U32(0).U32(40);
    for (int32 i = 0; i < 10; ++i) expected.Raw({0, 0, 255, 255});
    expected.Raw({0, 0, 0, 0});  // empty name
    expected.Key("ZQRS").Key("lyid").U32(4).U32(0x01020304);
    for (uint8 value : {1, 2, 3}) expected.U16(1).U16(2).U16(2).Raw({0xFE, value, 0xFE, value});
    expected.U16(0).Raw({255, 0, 255, 255, 0, 255});
    expected.U32(0);  // global mask information
    expected.U16(1).U16(4).U16(4).U16(4).U16(4).U16(4).U16(4);
    for (uint8 value : {1, 2, 3}) expected.Raw({2, value, 255, value, 2, value, 255, value});
    EXPECT_EQ(written, expected.Get());
}

// ---- Record fields ------------------------------------------------------------------------------------

struct RecordCase {
    const char* name;
    std::function<void(CImage&, CRGBLayer&)> setup;
    std::function<size_t(const ByteVector&, size_t)> offset;  // from the record's start
    ByteVector expected;
};

void PrintTo(const RecordCase& inCase, std::ostream* outStream) { *outStream << inCase.name; }

class RecordFields : public ReaderTest, public testing::WithParamInterface<RecordCase> {};

TEST_P(RecordFields, AreWrittenAtTheirPlace) {
    const RecordCase& c = GetParam();
    CImage image(4, 4);
    CRGBLayer* layer = AddRGBLayer(image, GRect(0, 0, 4, 4), Solid(9, 9, 9), 77);
    c.setup(image, *layer);
    const ByteVector bytes = WriteDocument(image);
    const WrittenLayout layout(bytes);
    ASSERT_EQ(layout.records.size(), 1u);
    const size_t offset = c.offset(bytes, layout.records[0]);
    EXPECT_EQ(Slice(bytes, offset, c.expected.size()), c.expected);
}

const auto kSettingsOffset = [](const ByteVector& b, size_t r) { return ExtraStart(b, r) - 16; };
const auto kNameOffset = [](const ByteVector& b, size_t r) { return NameStart(b, r); };
const auto kMaskOffset = [](const ByteVector& b, size_t r) { return ExtraStart(b, r); };

INSTANTIATE_TEST_SUITE_P(
    Writer, RecordFields,
    testing::Values(
        RecordCase{"TwoCharacterName", [](CImage&, CRGBLayer& l) { l.SetName("ab"); }, kNameOffset,
                   {2, 'a', 'b', 0, 'Z', 'Q', 'R', 'S'}},
        RecordCase{"ThreeCharacterNameFillsFourBytes", [](CImage&, CRGBLayer& l) { l.SetName("abc"); }, kNameOffset,
                   {3, 'a', 'b', 'c', 'Z'}},
        RecordCase{"FourCharacterNameTakesEight", [](CImage&, CRGBLayer& l) { l.SetName("abcd"); }, kNameOffset,
                   {4, 'a', 'b', 'c', 'd', 0, 0, 0, 'Z'}},
        RecordCase{"LongNameCutTo255", [](CImage&, CRGBLayer& l) { l.SetName(std::string(300, 'x')); }, kNameOffset,
                   {255, 'x', 'x'}},
        RecordCase{"NameOf255NeedsNoPadding", [](CImage&, CRGBLayer& l) { l.SetName(std::string(255, 'x')); },
                   [](const ByteVector& b, size_t r) { return NameStart(b, r) + 254; }, {'x', 'x', 'Z', 'Q'}},
        RecordCase{"HiddenAndProtectedGiveFlags3",
                   [](CImage&, CRGBLayer& l) {
                       l.SetVisible(false);
                       l.SetTransparencyProtected(true);
                   },
                   kSettingsOffset, {'Z', 'Q', 'R', 'S', 'n', 'o', 'r', 'm', 255, 0, 3, 0}},
        RecordCase{"ProtectedOnlyGivesFlags1", [](CImage&, CRGBLayer& l) { l.SetTransparencyProtected(true); },
                   [](const ByteVector& b, size_t r) { return ExtraStart(b, r) - 6; }, {1, 0}},
        RecordCase{"AnyClippingIsStoredAs1",
                   [](CImage&, CRGBLayer& l) {
                       l.SetClipping(7);
                       l.SetOpacity(128);
                       l.SetBlendMode(kBlendNormal + 7);
                   },
                   kSettingsOffset, {'Z', 'Q', 'R', 'S', 'm', 'u', 'l', ' ', 128, 1, 0, 0}},
        RecordCase{"KeylessBlendModeIsStoredAsNormal", [](CImage&, CRGBLayer& l) { l.SetBlendMode(kBlendNormal + 10); },
                   [](const ByteVector& b, size_t r) { return ExtraStart(b, r) - 12; }, {'n', 'o', 'r', 'm'}},
        RecordCase{"MaskBlockWithBoundsColourAndFlags",
                   [](CImage& i, CRGBLayer& l) {
                       AddMask(i, l, GRect(1, 2, 3, 4), 200, 9);
                       l.SetMaskLinked(false);
                       l.SetMaskEnabled(false);
                       l.SetMaskInverted(true);
                   },
                   kMaskOffset,
                   Bytes().U32(20).U32(2).U32(1).U32(4).U32(3).Raw({200, 7, 0, 0}).U32(40).Get()},
        RecordCase{"MaskFlagsOnlyInvertedGives4",
                   [](CImage& i, CRGBLayer& l) {
                       AddMask(i, l, GRect(0, 0, 4, 4), 0, 9);
                       l.SetMaskInverted(true);
                   },
                   [](const ByteVector& b, size_t r) { return ExtraStart(b, r) + 20; }, {0, 4, 0, 0}},
        RecordCase{"NoMaskBlockWithoutMask", [](CImage&, CRGBLayer&) {}, kMaskOffset, Bytes().U32(0).U32(40).Get()},
        RecordCase{"ExtraLengthCountsEveryPart", [](CImage&, CRGBLayer& l) { l.SetName("abcd"); },
                   [](const ByteVector& b, size_t r) { return ExtraStart(b, r) - 4; },
                   Bytes().U32(4 + 44 + 8 + 16).Get()}),
    [](const auto& inInfo) { return std::string(inInfo.param.name); });

// ---- Channels and padding -------------------------------------------------------------------------------

TEST_F(Writer, ChannelsThatDoNotShrinkArePackedNoFurtherAndWrittenRaw) {
    // One pixel wide: packed 2 bytes per row, raw 1. Two equal bytes: packed 2 = raw 2. Three equal
    // bytes: packed 2 < raw 3.
    struct Case {
        GRect bounds;
        uint16 compression;
        uint32 length;
    };
    for (const Case& c : {Case{GRect(0, 0, 1, 3), 0, 3 + 2}, Case{GRect(1, 0, 3, 3), 0, 6 + 2},
                          Case{GRect(3, 0, 6, 3), 1, 6 + 6 + 2}}) {
        CImage image(6, 3);
        AddRGBLayer(image, GRect(0, 0, 6, 3), Solid(1, 1, 1, 0), 5);  // the bottom layer covers the canvas
        AddRGBLayer(image, c.bounds, Solid(40, 50, 60), 6);
        const ByteVector bytes = WriteDocument(image);
        const WrittenLayout layout(bytes);
        ASSERT_EQ(layout.records.size(), 2u);
        EXPECT_EQ(U32At(bytes, layout.records[1] + 18 + 2), c.length) << c.bounds.Width();
        const size_t data = layout.ChannelData(bytes, 1, 0);
        EXPECT_EQ(U16At(bytes, data), c.compression) << c.bounds.Width();
        if (c.compression == 1)
            EXPECT_EQ(Slice(bytes, data + 2, 10), Bytes().U16(2).U16(2).U16(2).Raw({0xFE, 40, 0xFE, 40}).Get());
        else
            EXPECT_EQ(Slice(bytes, data + 2, 2), ByteVector(2, 40));
    }
}

TEST_F(Writer, OddLayerInformationIsPaddedToEvenAndFollowedByTheGlobalMask) {
    // A 1 x 3 layer with a mask: five raw channels of 3 + 2 bytes make the layer information odd (179).
    CImage image(1, 3);
    CRGBLayer* layer = AddRGBLayer(image, GRect(0, 0, 1, 3), Solid(7, 7, 7), 11);
    AddMask(image, *layer, GRect(0, 0, 1, 3), 0, 255);
    const ByteVector bytes = WriteDocument(image);
    const WrittenLayout layout(bytes);
    const uint32 recordSize = 34 + 5 * 6 + (24 + 44 + 4 + 16);
    EXPECT_EQ(U32At(bytes, layout.layerInfo), 180u);
    EXPECT_EQ(U32At(bytes, layout.layerSection), 180u + 4 + 14 + 4);
    EXPECT_EQ(layout.channelData, layout.layerInfo + 6 + recordSize);
    EXPECT_EQ(layout.globalMask, layout.channelData + 25 + 1);
    EXPECT_EQ(bytes.at(layout.globalMask - 1), 0);
    EXPECT_EQ(Slice(bytes, layout.globalMask, 18),
              Bytes().U32(14).U16(0).U16(256).U16(0).U16(0).U16(0).U16(50).U8(128).U8(0).Get());
    EXPECT_EQ(layout.merged, layout.globalMask + 18);
}

TEST_F(Writer, MergedDataIsPackedEvenWhenLonger) {
    CImage image(1, 2);
    AddRGBLayer(image, GRect(0, 0, 1, 2), Solid(10, 20, 30), 3);
    const ByteVector bytes = WriteDocument(image);
    const WrittenLayout layout(bytes);
    const ByteVector merged(bytes.begin() + std::ptrdiff_t(layout.merged), bytes.end());
    EXPECT_EQ(merged, Bytes()
                          .U16(1)
                          .U16(2).U16(2).U16(2).U16(2).U16(2).U16(2)
                          .Raw({0, 10, 0, 10, 0, 20, 0, 20, 0, 30, 0, 30})
                          .Get());
}

TEST_F(Writer, ExtraChannelsFollowTheColourChannelsInHeaderAndMergedData) {
    CImage image(2, 1);
    AddRGBLayer(image, GRect(0, 0, 2, 1), Solid(0, 0, 0, 0), 3);  // transparent: the merged colour is white
    CChannel first(GRect(0, 0, 2, 1), 0);
    const uint8 values[2] = {5, 6};
    first.SetTile(GRect(0, 0, 2, 1), values, 2);
    image.AddExtraChannel(first);
    image.AddExtraChannel(CChannel(GRect(0, 0, 1, 1), 9));  // narrower than the canvas: 0 beyond it
    const ByteVector bytes = WriteDocument(image);
    EXPECT_EQ(U16At(bytes, 12), 5u);
    const WrittenLayout layout(bytes);
    const ByteVector merged(bytes.begin() + std::ptrdiff_t(layout.merged), bytes.end());
    EXPECT_EQ(merged, Bytes()
                          .U16(1)
                          .U16(2).U16(2).U16(2).U16(3).U16(3)
                          .Raw({0xFF, 255, 0xFF, 255, 0xFF, 255, 1, 5, 6, 1, 9, 0})
                          .Get());
}

TEST_F(Writer, ImageResourcesAreTheManagersSection) {
    CImage image(2, 2);
    AddRGBLayer(image, GRect(0, 0, 2, 2), Solid(1, 2, 3), 3);
    CImageResourceMgr resources;
    const uint8 data[3] = {7, 8, 9};
    CImageResource* resource = resources.GetOrCreateResource(1005);
    resource->ResizeData(3);
    resource->WriteData(0, 3, data);
    const ByteVector bytes = WriteDocument(image, &resources);
    const WrittenLayout layout(bytes);
    EXPECT_EQ(Slice(bytes, layout.resources, 20),
              Bytes().U32(16).Key("ZQRS").U16(1005).U16(0).U32(3).Raw({7, 8, 9, 0}).Get());
    EXPECT_EQ(layout.layerSection, layout.resources + 20);
}

TEST_F(Writer, WithoutAResourceManagerTheResourceSectionIsEmptyAndTheAssertionReported) {
    CImage image(2, 2);
    AddRGBLayer(image, GRect(0, 0, 2, 2), Solid(1, 2, 3), 3);
    ByteVector bytes;
    const std::string reports = CaptureReports([&] { bytes = WriteDocument(image, nullptr); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"mRsrcMgr != 0\"")) << reports;
    EXPECT_EQ(U32At(bytes, 30), 0u);
    EXPECT_EQ(bytes, WriteDocument(image));
}

// The current image's active layer is written shrunk to its content and grows back afterwards; any
// other image is written as its layers stand.
TEST_F(Writer, CurrentImageIsWrittenWithItsActiveLayerShrunkToContent) {
    for (const bool current : {true, false}) {
        CImage image(6, 5);
        CRGBLayer* layer = AddRGBLayer(image, GRect(2, 1, 4, 3), Solid(1, 2, 3), 8);
        image.SetActiveLayer(layer);
        layer->Activate();
        if (current) CImage::SetCurrentImage(&image);
        ASSERT_EQ(layer->GetBounds(), image.GetImageRect());
        const ByteVector bytes = WriteDocument(image);
        EXPECT_EQ(layer->GetBounds(), image.GetImageRect());
        if (current) CImage::SetCurrentImage(nullptr);  // which shrinks the active layer again
        const WrittenLayout layout(bytes);
        const GRect written = current ? GRect(2, 1, 4, 3) : GRect(0, 0, 6, 5);
        EXPECT_EQ(Slice(bytes, layout.records.at(0), 16),
                  Bytes().U32(written.top).U32(written.left).U32(written.bottom).U32(written.right).Get());
    }
}

// Progress reaches the parent in order: the resources end at 0.05 / T, the layers at (0.05 + 0.1 L) / T
// with T = 0.05 + 0.1 L + 0.3, the merged data at 1.
TEST_F(Writer, ProgressIsWeightedByResourcesLayersAndMergedData) {
    struct RecordingScope : LProgressScope {
        std::vector<double> reports;
        void SetPortionComplete(double inPortion) override {
            reports.push_back(inPortion);
            LProgressScope::SetPortionComplete(inPortion);
        }
    };
    CImage image(4, 4);
    for (uint32 id = 1; id <= 3; ++id) AddRGBLayer(image, GRect(0, 0, 4, 4), Solid(uint8(id), 0, 0), id);
    MemoryFilePort port;
    CImageResourceMgr resources;
    RecordingScope progress;
    {
        SWriteStream stream(&port, 0, 4096, 0);
        CLumenarFormat format(&resources);
        format.WriteImage(&image, &stream, &progress);
    }
    const double total = 0.05 + 0.3 + 0.3;
    ASSERT_FALSE(progress.reports.empty());
    EXPECT_TRUE(std::is_sorted(progress.reports.begin(), progress.reports.end()));
    EXPECT_DOUBLE_EQ(progress.reports.back(), 1.0);
    auto reported = [&](double inValue) {
        for (double r : progress.reports)
            if (std::abs(r - inValue) < 1e-12) return true;
        return false;
    };
    EXPECT_TRUE(reported(0.05 / total));
    EXPECT_TRUE(reported(0.35 / total));
}

// An indexed bottom layer makes an indexed document: mode 2, one colour channel, the layer's table and
// no layer section. The merged channel holds, per pixel, the table index nearest to the composite.
TEST_F(Writer, IndexedFirstLayerWritesModeTwoTheTableAndAnEmptyLayerSection) {
    CImage image(3, 1);
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
    for (int32 i = 0; i < 256; ++i) table->SetColor(i, MakeNativeQuad(uint8(i), uint8(255 - i), uint8(i / 2), 255));
    auto* layer = new CIndexedLayer(&image, "", true, GRect(0, 0, 3, 1), kBlendNormal, 255, table, 0, 5);
    const uint8 indexes[3] = {4, 200, 4};
    layer->SetIndexRows(GRect(0, 0, 3, 1), indexes, 3);
    image.AddLayer(layer, false, -1, false);
    image.AddExtraChannel(CChannel(GRect(0, 0, 3, 1), 0));

    const ByteVector bytes = WriteDocument(image);
    EXPECT_EQ(U16At(bytes, 12), 2u);  // one colour channel and the extra channel
    EXPECT_EQ(U16At(bytes, 24), 2u);
    EXPECT_EQ(U32At(bytes, 26), 768u);
    for (int32 i : {0, 1, 128, 255}) {
        EXPECT_EQ(bytes.at(30 + i), uint8(i));
        EXPECT_EQ(bytes.at(30 + 256 + i), uint8(255 - i));
        EXPECT_EQ(bytes.at(30 + 512 + i), uint8(i / 2));
    }
    const WrittenLayout layout(bytes);
    EXPECT_EQ(U32At(bytes, layout.layerSection), 0u);
    EXPECT_EQ(layout.merged, layout.layerSection + 4);
    const ByteVector merged(bytes.begin() + std::ptrdiff_t(layout.merged), bytes.end());
    EXPECT_EQ(merged, Bytes().U16(1).U16(4).U16(2).Raw({2, 4, 200, 4, 0xFE, 0}).Get());
}

}  // namespace
