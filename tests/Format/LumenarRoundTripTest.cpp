// Written documents read back: the same layers, settings, pixels, masks, extra channels, resources and
// composite; a document written from a read document is written again byte for byte; random stacks and
// the showcase document keep their flattened pixels.
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "Src/Tarnwick/LFileFormat.h"
#include "Src/Tarnwick/LImageFile.h"
#include "tests/Format/WriterTestSupport.h"

namespace {

std::vector<uint32> Composite(CImage& inImage) {
    const GRect canvas = inImage.GetImageRect();
    std::vector<NativeQuad> pixels(size_t(canvas.Area()));
    GetCompositeTile(inImage, canvas, pixels.data(), canvas.Width() * 4);
    std::vector<uint32> words;
    for (const NativeQuad& p : pixels) words.push_back(Word(p));
    return words;
}

std::vector<uint8> MaskBytes(const CLayer& inLayer, const GRect& inRect) {
    std::vector<uint8> bytes(size_t(inRect.Area()));
    if (!inRect.Empty()) inLayer.GetLayerMaskTile(inRect, bytes.data(), inRect.Width());
    return bytes;
}

std::vector<uint32> Pixels(const CRGBLayer& inLayer, const GRect& inRect) {
    std::vector<NativeQuad> pixels(size_t(inRect.Area()));
    if (!inRect.Empty()) inLayer.GetTile(inRect, pixels.data(), inRect.Width() * 4);
    std::vector<uint32> words;
    for (const NativeQuad& p : pixels) words.push_back(Word(p));
    return words;
}

std::vector<uint8> ChannelBytes(const CChannel& inChannel, const GRect& inRect) {
    std::vector<uint8> bytes(size_t(inRect.Area()));
    const uint8 outside = 0;
    inChannel.GetTile(inRect, bytes.data(), inRect.Width(), kPadValue, &outside);
    return bytes;
}

// What a document keeps of a layer. Reading trims pixel layers to their content and places masks over
// at least the canvas, so pixels are compared over the content and masks over the canvas and the mask.
void ExpectSameLayer(const CLayer& inExpected, const CLayer& inActual, const GRect& inCanvas) {
    ASSERT_EQ(inActual.GetLayerType(), inExpected.GetLayerType());
    EXPECT_EQ(inActual.GetName(), inExpected.GetName().substr(0, 255));
    EXPECT_EQ(inActual.GetLayerID(), inExpected.GetLayerID());
    EXPECT_EQ(inActual.GetOpacity(), inExpected.GetOpacity());
    EXPECT_EQ(inActual.GetBlendMode(), inExpected.GetBlendMode());
    EXPECT_EQ(inActual.GetVisible(), inExpected.GetVisible());
    EXPECT_EQ(inActual.GetClipping() != 0, inExpected.GetClipping() != 0);
    EXPECT_TRUE(inActual.GetEffects() == inExpected.GetEffects());
    const bool adjustment = inExpected.GetLayerType() == eAdjustmentLayer;
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
        // An adjustment layer always stores a mask: without one, its mask default colour over its bounds.
        EXPECT_EQ(inActual.HasLayerMask(), adjustment);
        if (adjustment) {
            const GRect bounds = inExpected.GetBounds();
            const uint8 coverage = inExpected.GetMaskDefaultColor();
            EXPECT_EQ(MaskBytes(inActual, bounds), std::vector<uint8>(size_t(bounds.Area()), coverage));
        }
        return;
    }
    ASSERT_TRUE(inActual.HasLayerMask());
    EXPECT_EQ(inActual.GetMaskDefaultColor(), inExpected.GetMaskDefaultColor());
    EXPECT_EQ(inActual.GetMaskLinked(), inExpected.GetMaskLinked());
    EXPECT_EQ(inActual.GetMaskEnabled(), inExpected.GetMaskEnabled());
    EXPECT_EQ(inActual.GetMaskInverted(), inExpected.GetMaskInverted());
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
        EXPECT_EQ(ChannelBytes(inActual.GetExtraChannel(i), canvas), ChannelBytes(inExpected.GetExtraChannel(i), canvas));
    EXPECT_EQ(Composite(inActual), Composite(inExpected));
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

// An indexed image is stored as its merged picture only: it reads back as one layer with the composite.
TEST_F(RoundTrip, IndexedImageReadsBackAsItsComposite) {
    CImage image(5, 3);
    NativeQuadCLUTRef table = NativeQuadCLUTRef::Create();
    for (int32 i = 0; i < 256; ++i) table->SetColor(i, MakeNativeQuad(uint8(i * 7), uint8(i * 13), uint8(255 - i), 255));
    auto* layer = new CIndexedLayer(&image, "", true, GRect(0, 0, 5, 3), kBlendNormal, 255, table, 0, 5);
    std::vector<uint8> indexes(15);
    for (size_t i = 0; i < indexes.size(); ++i) indexes[i] = uint8(i * 17);
    layer->SetIndexRows(GRect(0, 0, 5, 3), indexes.data(), 5);
    image.AddLayer(layer, false, -1, false);
    std::unique_ptr<ReadDocument> read = ReadBack(WriteDocument(image));
    ASSERT_EQ(read->image->GetLayerCount(), 1);
    EXPECT_EQ(Composite(*read->image), Composite(image));
}

// ---- Documents read first -------------------------------------------------------------------------------

ByteVector Plane(size_t inCount, uint32 inSeed) {
    std::mt19937 random(inSeed);
    ByteVector bytes(inCount);
    for (uint8& b : bytes) b = uint8(random());
    return bytes;
}

LayerSpec AdjustmentSpec(uint32 inKey, ByteVector inData, uint8 inMaskValue, const MaskSpec& inMask) {
    LayerSpec layer;
    layer.mask = inMask;
    layer.blocks.push_back(AdditionalBlock::Raw(inKey, std::move(inData)));
    layer.channels.push_back(ChannelSpec::Filled(kChannelMask, inMaskValue));
    return layer;
}

struct DocumentCase {
    const char* name;
    std::function<ByteVector()> build;
};

void PrintTo(const DocumentCase& inCase, std::ostream* outStream) { *outStream << inCase.name; }

class ReadDocuments : public ReaderTest, public testing::WithParamInterface<DocumentCase> {};

// A read document written, read and written again: the same image both times and the same bytes.
TEST_P(ReadDocuments, WriteReadWriteGivesTheSameImageAndBytes) {
    std::unique_ptr<ReadDocument> original = ReadBack(GetParam().build());
    ASSERT_TRUE(original->loaded);
    const ByteVector first = WriteDocument(*original->image, &original->resources);
    std::unique_ptr<ReadDocument> read = ReadBack(first);
    ASSERT_TRUE(read->loaded);
    ExpectSameImage(*original->image, *read->image);
    EXPECT_EQ(WriteDocument(*read->image, &read->resources), first);
}

INSTANTIATE_TEST_SUITE_P(
    Writer, ReadDocuments,
    testing::Values(
        DocumentCase{"MergedOnlyRGB",
                     [] {
                         DocumentBuilder doc(7, 5);
                         for (uint32 c = 0; c < 3; ++c) doc.AddMergedChannel(Plane(35, c));
                         return doc.Build();
                     }},
        DocumentCase{"GrayscaleWithAlphaChannel",
                     [] {
                         DocumentBuilder doc(6, 4, kDocGrayscale);
                         doc.AddMergedChannel(Plane(24, 1)).AddMergedChannel(Plane(24, 2));
                         return doc.Build();
                     }},
        DocumentCase{"AdjustmentLayersWithMasks",
                     [] {
                         DocumentBuilder doc(8, 6);
                         LayerSpec base;
                         base.right = 8;
                         base.bottom = 6;
                         base.channels = {ChannelSpec::Pixels(kChannelRed, Plane(48, 1)),
                                          ChannelSpec::Pixels(kChannelGreen, Plane(48, 2)),
                                          ChannelSpec::Pixels(kChannelBlue, Plane(48, 3))};
                         doc.AddLayer(base);
                         doc.AddLayer(AdjustmentSpec(FourCC("thrs"), {0, 100, 0, 0}, 200, MaskSpec::Rect(0, 0, 8, 6)));
                         doc.AddLayer(AdjustmentSpec(FourCC("nvrt"), {}, 255, MaskSpec::Rect(0, 0, 8, 6, 0, 4)));
                         doc.AddLayer(AdjustmentSpec(FourCC("post"), {0, 3, 0, 0}, 90, MaskSpec::Rect(0, 0, 8, 6, 255)));
                         doc.AddLayer(AdjustmentSpec(FourCC("brit"), {0, 20, 0xFF, 0xF0, 0, 127, 1, 0}, 255,
                                                     MaskSpec::Rect(0, 0, 8, 6)));
                         return doc.Build();
                     }},
        DocumentCase{"LayersOutsideTheCanvasWithMasks",
                     [] {
                         DocumentBuilder doc(5, 5);
                         LayerSpec layer = LayerSpec::Solid(-3, 2, 4, 9, 1, 2, 3, 200);
                         layer.mask = MaskSpec::Rect(-1, -1, 3, 3, 40, 1);
                         layer.channels.push_back(ChannelSpec::Pixels(kChannelMask, Plane(16, 4)));
                         layer.name = "outside";
                         doc.AddLayer(layer);
                         LayerSpec clipped = LayerSpec::Solid(1, 1, 5, 5, 250, 0, 0, 128);
                         clipped.clipping = 1;
                         clipped.flags = 3;
                         clipped.blendKey = FourCC("diff");
                         doc.AddLayer(clipped);
                         return doc.Build();
                     }}),
    [](const auto& inInfo) { return std::string(inInfo.param.name); });

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
    const ByteVector bytes = WriteDocument(*original->image, &original->resources);
    const WrittenLayout layout(bytes);
    ASSERT_EQ(layout.records.size(), 2u);
    const size_t record = layout.records[1];
    EXPECT_EQ(Slice(bytes, record, 18), Bytes().U32(0).U32(0).U32(0).U32(0).U16(5).Get());
    for (uint32 c = 0; c < 5; ++c) EXPECT_EQ(U16At(bytes, record + 18 + 6 * c), uint32(uint16(c < 3 ? c : c == 3 ? -1 : -2)));
    const size_t extra = record + 34 + 30;
    EXPECT_EQ(Slice(bytes, extra, 24), Bytes().U32(20).U32(0).U32(0).U32(0).U32(0).Raw({0, 0, 0, 0}).Get());
    const size_t block = extra + 24 + 44 + 4;
    EXPECT_EQ(Slice(bytes, block, 16), Bytes().Key("ZQRS").Key("thrs").U32(4).Raw({0, 128, 0, 0}).Get());
    EXPECT_EQ(Slice(bytes, block + 16, 4), Bytes().Key("ZQRS").Get());
    for (uint32 c = 0; c < 5; ++c) EXPECT_EQ(U16At(bytes, layout.ChannelData(bytes, 1, c)), 0u) << c;

    std::unique_ptr<ReadDocument> read = ReadBack(bytes);
    ExpectSameImage(*original->image, *read->image);
}

// An "lrFX" payload of one drop shadow record (blur 4, angle 120, distance 3, red, multiply, 191); the
// other effects keep their defaults.
ByteVector DropShadowPayload() {
    return Bytes()
        .U16(0).U16(1)
        .Key("ZQRS").Key("dsdw").U32(41)
        .U32(0).U32(4 << 16).U32(0).U32(120 << 16).U32(3 << 16)
        .U16(0).U16(0xFFFF).U16(0).U16(0).U16(0)
        .Key("ZQRS").Key("mul ").U8(1).U8(1).U8(191)
        .Get();
}

// Effects are written back as the effects engine stores them: an "lrFX" block after the name (and any
// adjustment block), declared with the data's size, read back to the same parameters and picture.
TEST_F(RoundTrip, EffectsAreWrittenBackAsTheirBlock) {
    DocumentBuilder doc(12, 10);
    doc.AddLayer(LayerSpec::Solid(0, 0, 12, 10, 250, 250, 250));
    LayerSpec shadowed = LayerSpec::Solid(3, 2, 8, 6, 20, 90, 200);
    shadowed.blocks.push_back(AdditionalBlock::Raw(FourCC("lrFX"), DropShadowPayload()));
    doc.AddLayer(shadowed);
    std::unique_ptr<ReadDocument> original = ReadBack(doc.Build());
    ASSERT_TRUE(original->loaded);
    ASSERT_TRUE(original->image->GetLayerWithPosition(1)->GetEffects().HasEffects());

    const ByteVector bytes = WriteDocument(*original->image, &original->resources);
    const WrittenLayout layout(bytes);
    ASSERT_EQ(layout.records.size(), 2u);
    const uint32 size = original->image->GetLayerWithPosition(1)->GetEffects().GetDataLength();
    EXPECT_EQ(size % 4, 0u);
    const size_t extra = layout.records[1] + 34 + 4 * 6;
    const size_t block = extra + 4 + 44 + 4;
    EXPECT_EQ(Slice(bytes, block, 12), Bytes().Key("ZQRS").Key("lrFX").U32(size).Get());
    EXPECT_EQ(Slice(bytes, block + 12 + size, 8), Bytes().Key("ZQRS").Key("lyid").Get());
    EXPECT_EQ(U32At(bytes, extra - 4), 4 + 44 + 4 + 12 + size + 16);
    EXPECT_EQ(Slice(bytes, layout.records[0] + 34 + 4 * 6 + 52, 8), Bytes().Key("ZQRS").Key("lyid").Get());

    std::unique_ptr<ReadDocument> read = ReadBack(bytes);
    ExpectSameImage(*original->image, *read->image);
    EXPECT_EQ(WriteDocument(*read->image, &read->resources), bytes);
}

// ---- Through the document facade, and the showcase ---------------------------------------------------

ByteVector FileBytes(const char* inPath) {
    std::ifstream file(inPath, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST_F(RoundTrip, FacadeWritesItsImageWithTheDocumentsResources) {
    DocumentBuilder doc(4, 4);
    doc.AddResource(ResourceSpec::Block(1005, {0, 0x96, 0, 0, 0, 1, 0, 1, 0, 0x2C, 0, 0, 0, 1, 0, 1}));
    doc.AddLayer(LayerSpec::Solid(1, 1, 3, 3, 5, 6, 7));
    MemoryFilePort in(doc.Build());
    LImageFile file(&in, 0);
    LProgressScope progress;
    file.LoadImage(&progress);
    MemoryFilePort out;
    file.Write(&out, file.GetFormat(), &progress, nullptr);

    LImageFile written(&out, 0);
    EXPECT_EQ(written.GetWidth(), 4);
    uint32 horizontal = 0, vertical = 0;
    written.GetResolution(horizontal, vertical);
    EXPECT_EQ(horizontal, 0x00960000u);
    EXPECT_EQ(vertical, 0x002C0000u);
    written.LoadImage(&progress);
    ExpectSameImage(*file.GetImage(), *written.GetImage());
}

TEST_F(RoundTrip, ShowcaseKeepsItsFlattenedPixels) {
    const ByteVector showcase = FileBytes(LUMENAR_SHOWCASE_PATH);
    ASSERT_GT(showcase.size(), 26u);
    std::unique_ptr<ReadDocument> original = ReadBack(showcase);
    ASSERT_TRUE(original->loaded);
    const ByteVector first = WriteDocument(*original->image, &original->resources);
    std::unique_ptr<ReadDocument> read = ReadBack(first);
    ASSERT_TRUE(read->loaded);
    EXPECT_EQ(Composite(*read->image), Composite(*original->image));
    ExpectSameImage(*original->image, *read->image);
    EXPECT_EQ(WriteDocument(*read->image, &read->resources), first);
}

}  // namespace
