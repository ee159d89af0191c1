// The bytes the writer produces: a whole small document, record fields at their offsets, padding, the
// global mask information, extra channels, resources, progress and indexed documents. Written documents
// read back: the same layers, settings, pixels, masks, extra channels and composite; a document written
// from a read document is written again byte for byte (random stacks, the showcase).
#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <tuple>

#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "tests/Format/WriterTestSupport.h"
#include "tests/Image/ImageTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

using PixelFunction = std::function<NativeQuad(int32 inX, int32 inY)>;

// A painted layer without a name on top of the stack.
CRGBLayer* AddRGBLayer(CImage& ioImage, const GRect& inBounds, const PixelFunction& inPixel, uint32 inID) {
    CRGBLayer* layer = PaintedLayer(inID, inBounds, inPixel);
    layer->SetName("");
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
    AddRGBLayer(
        image, GRect(0, 0, 3, 2), [](int32 x, int32) { return MakeNativeQuad(1, 2, 3, x == 1 ? 0 : 255); },
        0x01020304);
    CImageResourceMgr resources;
    const ByteVector written = WriteDocument(image, &resources);

    Bytes expected;
    expected.Key("ZQLM").U16(1).U32(0).U16(0).U16(3).U32(2).U32(3).U16(8).U16(3);
    expected.U32(0).U32(0);      // colour-mode data, image resources
    expected.U32(174).U32(166);  // section, layer information
    expected.U16(1);             // one record
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

// Names are cut to 255 characters and padded to a multiple of 4; any clipping is stored as 1; the mask
// block holds the bounds, the default colour and the flags (not linked 1, disabled 2, inverted 4).
TEST_F(Writer, RecordFieldsAreWrittenAtTheirPlace) {
    CImage image(4, 4);
    CRGBLayer* layers[4];
    for (uint32 i = 0; i < 4; ++i) layers[i] = AddRGBLayer(image, GRect(0, 0, 4, 4), Solid(9, 9, 9), 77 + i);
    layers[0]->SetName("abc");
    layers[1]->SetName(std::string(300, 'x'));
    layers[2]->SetClipping(7);
    layers[2]->SetOpacity(128);
    layers[2]->SetBlendMode(kBlendNormal + 7);
    AddMask(image, *layers[3], GRect(1, 2, 3, 4), 200, 9);
    layers[3]->SetMaskLinked(false);
    layers[3]->SetMaskEnabled(false);
    layers[3]->SetMaskInverted(true);
    const ByteVector bytes = WriteDocument(image);
    const std::vector<size_t> records = WrittenLayout(bytes).records;
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(Slice(bytes, NameStart(bytes, records[0]), 8),
              Bytes().Raw({3, 'a', 'b', 'c'}).Key("ZQRS").Get());
    EXPECT_EQ(Slice(bytes, NameStart(bytes, records[1]), 260),
              Bytes().U8(255).Repeat('x', 255).Key("ZQRS").Get());
    EXPECT_EQ(Slice(bytes, ExtraStart(bytes, records[2]) - 16, 12),
              Bytes().Key("ZQRS").Key("mul ").Raw({128, 1, 0, 0}).Get());
    EXPECT_EQ(Slice(bytes, ExtraStart(bytes, records[3]), 28),
              Bytes().U32(20).U32(2).U32(1).U32(4).U32(3).Raw({200, 7, 0, 0}).U32(40).Get());
}

// ---- Channels and padding -------------------------------------------------------------------------------

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

TEST_F(Writer, ExtraChannelsFollowTheColourChannelsInHeaderAndMergedData) {
    CImage image(2, 1);
    AddRGBLayer(image, GRect(0, 0, 2, 1), Solid(0, 0, 0, 0), 3);  // transparent: the merged colour is white
    CChannel first(GRect(0, 0, 2, 1), 0);
    const uint8 values[2] = {5, 6};
    first.SetTile(GRect(0, 0, 2, 1), values, 2);
    image.AddExtraChannel(first);
    image.AddExtraChannel(CChannel(GRect(0, 0, 1, 1), 9));  // narrower than the canvas: 0 beyond it
    const ByteVector bytes = WriteDocument(image);
    const size_t merged = WrittenLayout(bytes).merged;
    Bytes expected;
    expected.U16(1);
    for (uint32 count : {2, 2, 2, 3, 3}) expected.U16(count);  // the line counts
    expected.Raw({0xFF, 255, 0xFF, 255, 0xFF, 255, 1, 5, 6, 1, 9, 0});
    EXPECT_EQ(Slice(bytes, merged, bytes.size() - merged), expected.Get());
}

// The resource section is the manager's; without a manager it is empty and the assertion reported.
TEST_F(Writer, ImageResourcesAreTheManagersSection) {
    CImage image(2, 2);
    AddRGBLayer(image, GRect(0, 0, 2, 2), Solid(1, 2, 3), 3);
    CImageResourceMgr resources;
    CImageResource* resource = resources.GetOrCreateResource(1005);
    resource->ResizeData(3);
    resource->WriteData(0, 3, "\7\10\11");
    const ByteVector bytes = WriteDocument(image, &resources);
    EXPECT_EQ(Slice(bytes, 30, 20),
              Bytes().U32(16).Key("ZQRS").U16(1005).U16(0).U32(3).Raw({7, 8, 9, 0}).Get());
    EXPECT_EQ(WrittenLayout(bytes).layerSection, 50u);
    ByteVector without;
    const std::string reports = CaptureReports([&] { without = WriteDocument(image, nullptr); });
    EXPECT_TRUE(Contains(reports, "Assertion failed: \"mRsrcMgr != 0\"")) << reports;
    EXPECT_EQ(U32At(without, 30), 0u);
    EXPECT_EQ(without, WriteDocument(image));
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
    CImage image(4, 4);
    for (uint32 id = 1; id <= 3; ++id) AddRGBLayer(image, GRect(0, 0, 4, 4), Solid(uint8(id), 0, 0), id);
    CImageResourceMgr resources;
    RecordingScope progress;
    WrittenBytes(
        0, [&](SWriteStream& stream) { CLumenarFormat(&resources).WriteImage(&image, &stream, &progress); });
    const double total = 0.05 + 0.3 + 0.3;
    ASSERT_FALSE(progress.seen.empty());
    EXPECT_TRUE(std::is_sorted(progress.seen.begin(), progress.seen.end()));
    EXPECT_DOUBLE_EQ(progress.seen.back(), 1.0);
    for (const double expected : {0.05 / total, 0.35 / total})
        EXPECT_TRUE(std::any_of(progress.seen.begin(), progress.seen.end(), [&](double r) {
            return std::abs(r - expected) < 1e-12;
        })) << expected;
}

// An indexed bottom layer makes an indexed document: mode 2, one colour channel, the layer's table and
// no layer section. The merged channel holds, per pixel, the table index nearest to the composite.
TEST_F(Writer, IndexedFirstLayerWritesModeTwoTheTableAndAnEmptyLayerSection) {
    CImage image(3, 1);
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
    for (int32 i = 0; i < 256; ++i)
        table->SetColor(i, MakeNativeQuad(uint8(i), uint8(255 - i), uint8(i / 2), 255));
    auto* layer = new CIndexedLayer(&image, "", true, GRect(0, 0, 3, 1), kBlendNormal, 255, table, 0, 5);
    const uint8 indexes[3] = {4, 200, 4};
    layer->SetIndexRows(GRect(0, 0, 3, 1), indexes, 3);
    image.AddLayer(layer, false, -1, false);
    image.AddExtraChannel(CChannel(GRect(0, 0, 3, 1), 0));

    ByteVector bytes;
    EXPECT_EQ(CaptureReports([&] { bytes = WriteDocument(image); }), "");
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

std::vector<NativeQuad> Pixels(const CRGBLayer& inLayer, const GRect& inRect) {
    std::vector<NativeQuad> pixels(size_t(inRect.Area()));
    if (!inRect.Empty()) inLayer.GetTile(inRect, pixels.data(), inRect.Width() * 4);
    return pixels;
}

std::vector<uint8> MaskBytes(const CLayer& inLayer, const GRect& inRect) {
    std::vector<uint8> bytes(size_t(inRect.Area()));
    if (!inRect.Empty()) inLayer.GetLayerMaskTile(inRect, bytes.data(), inRect.Width());
    return bytes;
}

// What a document keeps of a layer. Reading trims pixel layers to their content and places masks over
// at least the canvas, so pixels are compared over the content and masks over the canvas and the mask.
void ExpectSameLayer(const CLayer& inExpected, const CLayer& inActual, const GRect& inCanvas) {
    const auto settings = [](const CLayer& l, bool inMasked) {
        return std::make_tuple(l.GetLayerType(), l.GetName().substr(0, 255), l.GetLayerID(), l.GetOpacity(),
                               l.GetBlendMode(), l.GetVisible(), l.GetClipping() != 0,
                               l.HasLayerMask() || inMasked);
    };
    const auto mask = [](const CLayer& l) {
        return std::make_tuple(l.GetMaskDefaultColor(), l.GetMaskLinked(), l.GetMaskEnabled(),
                               l.GetMaskInverted());
    };
    // An adjustment layer always stores a mask: without one, its mask default colour over its bounds.
    const bool adjustment = inExpected.GetLayerType() == eAdjustmentLayer;
    ASSERT_EQ(settings(inActual, false), settings(inExpected, adjustment))
        << "type, name, id, opacity, mode, visible, clipped, mask";
    EXPECT_TRUE(inActual.GetEffects() == inExpected.GetEffects());
    if (adjustment) {
        EXPECT_EQ(static_cast<const CAdjustmentLayer&>(inActual).GetAdjustmentType(),
                  static_cast<const CAdjustmentLayer&>(inExpected).GetAdjustmentType());
    } else {
        const auto& expected = static_cast<const CRGBLayer&>(inExpected);
        const auto& actual = static_cast<const CRGBLayer&>(inActual);
        EXPECT_EQ(actual.GetTransparencyProtected(), expected.GetTransparencyProtected());
        const GRect content = expected.GetContentBounds();
        EXPECT_EQ(actual.GetContentBounds(), content);
        EXPECT_EQ(Pixels(actual, content), Pixels(expected, content));
    }
    if (!inExpected.HasLayerMask()) {
        const GRect bounds = adjustment ? inExpected.GetBounds() : GRect();
        EXPECT_EQ(MaskBytes(inActual, bounds),
                  ByteVector(size_t(bounds.Area()), inExpected.GetMaskDefaultColor()));
        return;
    }
    EXPECT_EQ(mask(inActual), mask(inExpected)) << "default colour, linked, enabled, inverted";
    const GRect area = inCanvas.Union(inExpected.GetLayerMaskBounds());
    EXPECT_EQ(MaskBytes(inActual, area), MaskBytes(inExpected, area));
}

void ExpectSameImage(CImage& inExpected, CImage& inActual) {
    ASSERT_EQ(inActual.GetWidth(), inExpected.GetWidth());
    ASSERT_EQ(inActual.GetHeight(), inExpected.GetHeight());
    ASSERT_EQ(inActual.GetLayerCount(), inExpected.GetLayerCount());
    const GRect canvas = inExpected.GetImageRect();
    for (int32 i = 0; i < inExpected.GetLayerCount(); ++i) {
        SCOPED_TRACE("layer " + std::to_string(i));
        ExpectSameLayer(*inExpected.GetLayerWithPosition(i), *inActual.GetLayerWithPosition(i), canvas);
    }
    ASSERT_EQ(inActual.GetExtraChannelCount(), inExpected.GetExtraChannelCount());
    for (int32 i = 0; i < inExpected.GetExtraChannelCount(); ++i)
        EXPECT_EQ(ExtraChannelBytes(inActual, i), ExtraChannelBytes(inExpected, i)) << "extra channel " << i;
    EXPECT_EQ(CanvasComposite(inActual), CanvasComposite(inExpected));
}

std::unique_ptr<ReadDocument> ReadBack(const ByteVector& inBytes) {
    auto read = std::make_unique<ReadDocument>(inBytes);
    EXPECT_TRUE(read->loaded) << read->error;
    return read;
}

// ---- Images made in memory ------------------------------------------------------------------------------

CRGBLayer* AddRandomLayer(CImage& ioImage, std::mt19937& ioRandom, uint32 inID) {
    const int32 w = ioImage.GetWidth(), h = ioImage.GetHeight();
    auto below = [&](int32 n) { return int32(ioRandom() % uint32(n)); };
    const int32 left = below(w + 4) - 3, top = below(h + 4) - 3;
    const GRect bounds(left, top, left + 1 + below(w + 2), top + 1 + below(h + 2));
    CNativeQuadTileBuffer pixels(bounds, kTransparentWhite);
    const bool flat = below(3) == 0;  // long runs, so that channels pack
    for (int32 y = bounds.top; y < bounds.bottom; ++y)
        for (int32 x = bounds.left; x < bounds.right; ++x) {
            const uint32 word = flat ? 0xFF204080u ^ uint32(y & 1) : uint32(ioRandom());
            const NativeQuad p = WordToNativeQuad(below(4) == 0 ? word & 0x00FFFFFF : word);
            pixels.SetTile(GRect(x, y, x + 1, y + 1), &p, 4);
        }
    auto* layer = new CRGBLayer(&ioImage, pixels, "layer " + std::to_string(inID), below(5) != 0,
                                kBlendModeKeys[below(17)].mode, uint8(ioRandom()), inID);
    ioImage.AddLayer(layer, false, -1, false);
    layer->SetTransparencyProtected(below(2) == 0);
    if (below(3) == 0) layer->SetClipping(uint32(1 + below(3)));
    if (below(2) == 0) {
        const GRect maskRect(below(w), below(h), w - below(w / 2 + 1), h);
        ioImage.AddLayerMask(inID, uint8(ioRandom()), maskRect);
        const GRect placed = layer->GetLayerMaskBounds();
        std::vector<uint8> values(size_t(placed.Area()));
        for (uint8& v : values) v = uint8(ioRandom());
        if (!placed.Empty()) layer->SetLayerMaskTile(placed, values.data(), placed.Width());
        layer->SetMaskLinked(below(2) == 0);
        layer->SetMaskEnabled(below(4) != 0);
        layer->SetMaskInverted(below(3) == 0);
    }
    return layer;
}

std::unique_ptr<CImage> RandomImage(uint32 inSeed) {
    std::mt19937 random(inSeed);
    auto image = std::make_unique<CImage>(int32(1 + random() % 40), int32(1 + random() % 24));
    const int32 layers = int32(1 + random() % 4);
    for (int32 i = 0; i < layers; ++i) AddRandomLayer(*image, random, 100 + inSeed * 10 + uint32(i));
    for (int32 i = int32(random() % 3); i > 0; --i) {
        CChannel extra(image->GetImageRect(), uint8(random()));
        const GRect corner(0, 0, (image->GetWidth() + 1) / 2, (image->GetHeight() + 1) / 2);
        std::vector<uint8> values(size_t(corner.Area()));
        for (uint8& v : values) v = uint8(random() % 4 * 60);
        extra.SetTile(corner, values.data(), corner.Width());
        image->AddExtraChannel(extra);
    }
    return image;
}

using RoundTrip = ReaderTest;

// Random stacks (pixels with every alpha, layers partly outside the canvas, every keyed blend mode,
// masks with their flags, clipping, hidden and protected layers, extra channels) read back as written,
// and the written document of the read image is written again byte for byte.
TEST_F(RoundTrip, RandomStacksReadBackAsWrittenAndWriteAgainUnchanged) {
    for (uint32 seed = 0; seed < 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::unique_ptr<CImage> image = RandomImage(seed);
        const ByteVector first = WriteDocument(*image);
        std::unique_ptr<ReadDocument> read = ReadBack(first);
        ASSERT_TRUE(read->loaded);
        ExpectSameImage(*image, *read->image);
        const ByteVector second = WriteDocument(*read->image, &read->resources);
        std::unique_ptr<ReadDocument> again = ReadBack(second);
        ASSERT_TRUE(again->loaded);
        EXPECT_EQ(WriteDocument(*again->image, &again->resources), second);
        if (HasFailure()) break;
    }
}

// An adjustment layer without a mask covers nothing: it is stored with empty bounds, a mask block of
// those bounds and its mask default colour (0 for a record without a mask block), five empty channels,
// and threshold's 2-byte payload padded with zeros to its declared 4 bytes.
TEST_F(RoundTrip, AdjustmentLayerWithoutMaskIsStoredEmptyWithItsBlock) {
    DocumentBuilder doc(4, 3);
    doc.AddLayer(LayerSpec::Solid(0, 0, 4, 3, 90, 160, 220));
    LayerSpec threshold;
    threshold.blocks.push_back(AdditionalBlock::Raw(FourCC("thrs"), {0, 128, 0xAA, 0xBB}));
    doc.AddLayer(threshold);
    std::unique_ptr<ReadDocument> original = ReadBack(doc.Build());
    ASSERT_EQ(original->image->GetLayerCount(), 2);
    ByteVector bytes;
    EXPECT_EQ(CaptureReports([&] { bytes = WriteDocument(*original->image, &original->resources); }), "");
    const WrittenLayout layout(bytes);
    ASSERT_EQ(layout.records.size(), 2u);
    const size_t record = layout.records[1];
    EXPECT_EQ(Slice(bytes, record, 18), Bytes().U32(0).U32(0).U32(0).U32(0).U16(5).Get());
    for (uint32 c = 0; c < 5; ++c)
        EXPECT_EQ(U16At(bytes, record + 18 + 6 * c), uint32(uint16(c < 3 ? c : c == 3 ? -1 : -2)));
    const size_t extra = record + 34 + 30;
    EXPECT_EQ(Slice(bytes, extra, 24), Bytes().U32(20).U32(0).U32(0).U32(0).U32(0).Raw({0, 0, 0, 0}).Get());
    const size_t block = extra + 24 + 44 + 4;
    EXPECT_EQ(Slice(bytes, block, 16), Bytes().Key("ZQRS").Key("thrs").U32(4).Raw({0, 128, 0, 0}).Get());
    EXPECT_EQ(Slice(bytes, block + 16, 4), Bytes().Key("ZQRS").Get());
    for (uint32 c = 0; c < 5; ++c) EXPECT_EQ(U16At(bytes, layout.ChannelData(bytes, 1, c)), 0u) << c;

    std::unique_ptr<ReadDocument> read = ReadBack(bytes);
    ExpectSameImage(*original->image, *read->image);
}

// Rows up to the 65536 bytes of the reader's scratch buffer are written and read back; a wider layer
// (a document can hold one only when it has no pixel data) is refused as too big. So is a layer taller
// than the largest canvas that would be the first written, which reading back would activate.
TEST_F(RoundTrip, LayersTheReaderCouldNotTakeBackAreRefusedUnwritten) {
    const struct {
        int32 width, height, position;
        bool refused;
    } cases[] = {{65536, 2, -1, false}, {65537, 2, -1, true}, {2, 30000, 0, false}, {2, 30001, 0, true}};
    for (const auto& c : cases) {
        CImage image(2, 2);
        AddRGBLayer(image, GRect(0, 0, 2, 2), Solid(1, 2, 3), 1);
        image.AddLayer(MakeLayer(2, GRect(0, 0, c.width, c.height), kOpaqueBlack), false, c.position, false);
        std::string refusal;
        try {
            EXPECT_EQ(ReadBack(WriteDocument(image))->image->GetLayerCount(), 2);
        } catch (const BaseException& e) {
            refusal = e.Message().Text();
        }
        EXPECT_EQ(refusal, c.refused ? kImageTooLarge : "") << c.width << " x " << c.height;
    }
}

TEST_F(RoundTrip, ShowcaseKeepsItsFlattenedPixels) {
    std::ifstream file(LUMENAR_SHOWCASE_PATH, std::ios::binary);
    const ByteVector showcase{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_GT(showcase.size(), 26u);
    std::unique_ptr<ReadDocument> original = ReadBack(showcase);
    ASSERT_TRUE(original->loaded);
    const ByteVector first = WriteDocument(*original->image, &original->resources);
    std::unique_ptr<ReadDocument> read = ReadBack(first);
    ASSERT_TRUE(read->loaded);
    ExpectSameImage(*original->image, *read->image);
    EXPECT_EQ(WriteDocument(*read->image, &read->resources), first);
}

}  // namespace
