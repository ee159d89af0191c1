// Written documents read back: the same layers, settings, pixels, masks, extra channels and composite; a
// document written from a read document is written again byte for byte (random stacks, the showcase).
#include <fstream>
#include <iterator>
#include <random>
#include <tuple>

#include "Src/Orvane/Src/Adjustments/CAdjustmentLayer.h"
#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"
#include "tests/Format/WriterTestSupport.h"

namespace {

std::vector<uint32> Words(const std::vector<NativeQuad>& inPixels) {
    std::vector<uint32> words;
    for (const NativeQuad& p : inPixels) words.push_back(Word(p));
    return words;
}

std::vector<uint32> Composite(CImage& inImage) {
    const GRect canvas = inImage.GetImageRect();
    std::vector<NativeQuad> pixels(size_t(canvas.Area()));
    GetCompositeTile(inImage, canvas, pixels.data(), canvas.Width() * 4);
    return Words(pixels);
}

std::vector<uint32> Pixels(const CRGBLayer& inLayer, const GRect& inRect) {
    std::vector<NativeQuad> pixels(size_t(inRect.Area()));
    if (!inRect.Empty()) inLayer.GetTile(inRect, pixels.data(), inRect.Width() * 4);
    return Words(pixels);
}

std::vector<uint8> MaskBytes(const CLayer& inLayer, const GRect& inRect) {
    std::vector<uint8> bytes(size_t(inRect.Area()));
    if (!inRect.Empty()) inLayer.GetLayerMaskTile(inRect, bytes.data(), inRect.Width());
    return bytes;
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
        EXPECT_EQ(ChannelBytes(inActual.GetExtraChannel(i), canvas),
                  ChannelBytes(inExpected.GetExtraChannel(i), canvas));
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

ByteVector FileBytes(const char* inPath) {
    std::ifstream file(inPath, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
