// Documents read and flattened as the read operation does it: random documents keep their picture when a
// hidden bottom layer, a layer without rows or columns (whose channels still hold their line counts), an
// adjustment layer without a mask or a cut inside the last row is added.
#include <random>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Effects/LayerFXBlock.h"
#include "Src/Orvane/Src/Effects/LayerFXRep.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

struct Flat {
    std::string error;           // the refusal, empty when the document loaded
    std::vector<uint32> pixels;  // the flattened canvas, row by row
    std::string reports;         // what reading reported (assertions among them)
};

// Reads, flattens when there are two or more layers, and composites the canvas.
Flat Flatten(const ByteVector& inBytes) {
    Flat flat;
    flat.reports = CaptureReports([&] {
        ReadDocument read(inBytes);
        flat.error = read.error;
        if (!read.loaded) return;
        CImage& image = *read.image;
        LProgressScope progress;
        if (image.GetLayerCount() > 1) FlattenImage(image, &progress);
        const GRect canvas = image.GetImageRect();
        std::vector<NativeQuad> quads(size_t(canvas.Width()) * size_t(canvas.Height()));
        GetCompositeTile(image, canvas, quads.data(), canvas.Width() * 4);
        for (const NativeQuad& quad : quads) flat.pixels.push_back(Word(quad));
    });
    return flat;
}

// An "lrFX" payload with one drop shadow, written by the engine's block writer.
AdditionalBlock DropShadow(int32 inDistance, int32 inAngle) {
    LayerFXParameters p;
    p.mDropShadowEnabled = true, p.mDropShadowUseGlobalAngle = false;
    p.mDropShadowColor = ColorRecord::FromRGB(0, 0, 255);
    p.mDropShadowBlendMode = kBlendNormal, p.mDropShadowOpacity = 255, p.mDropShadowBlur = 0;
    p.mDropShadowDistance = inDistance * kFixedOne, p.mDropShadowAngle = inAngle * kFixedOne;
    MemoryFilePort port;
    {
        SWriteStream out(&port, 0, 4096, 0);
        WriteLayerFXBlock(out, p);
    }
    return AdditionalBlock::Raw(FourCC("lrFX"), port.Bytes());
}

LayerSpec InvertWithoutMask() {
    LayerSpec invert;
    invert.blocks.push_back(AdditionalBlock::Raw(FourCC("nvrt"), {}));
    return invert;
}

class Flattening : public ReaderTest {};

// An adjustment layer without a mask covers nothing: the flattened area stays the other layers' content,
// so a shadow cast beyond it is cut exactly as without the adjustment layer.
TEST_F(Flattening, AnAdjustmentLayerWithoutAMaskWidensNothing) {
    DocumentBuilder doc(8, 8);
    LayerSpec square = LayerSpec::Solid(1, 1, 3, 3, 255, 0, 0);
    square.blocks.push_back(DropShadow(4, -45));
    doc.AddLayer(square);
    const Flat alone = Flatten(doc.Build());  // one layer: not flattened, the whole shadow shows
    doc.AddLayer(LayerSpec::Solid(6, 0, 8, 2, 0, 255, 0));
    const Flat without = Flatten(doc.Build());
    doc.AddLayer(InvertWithoutMask());
    const Flat with = Flatten(doc.Build());
    ASSERT_EQ(with.error, "");
    EXPECT_EQ(with.pixels, without.pixels);
    EXPECT_NE(alone.pixels[0], without.pixels[0]);  // the shadow beyond the content is cut
}

// Random documents: plain, masked, clipped, blended and shadowed layers. Each variation below must leave
// the flattened picture exactly as it was.
LayerSpec RandomLayer(std::mt19937& ioRandom, int32 inSide, bool inBottom) {
    const auto pick = [&](int32 inCount) { return int32(ioRandom() % uint32(inCount)); };
    const int32 left = pick(inSide + 4) - 2, top = pick(inSide + 4) - 2;
    const int32 right = left + 1 + pick(inSide), bottom = top + 1 + pick(inSide);
    LayerSpec layer = LayerSpec::Solid(left, top, right, bottom, uint8(ioRandom()), uint8(ioRandom()),
                                       uint8(ioRandom()), pick(3) == 0 ? uint8(ioRandom()) : 255);
    const uint32 keys[] = {FourCC("norm"), FourCC("mul "), FourCC("scrn"), FourCC("over"),
                           FourCC("diff"), FourCC("lite"), FourCC("hue "), FourCC("diss")};
    layer.blendKey = keys[pick(8)];
    layer.opacity = pick(3) == 0 ? uint8(ioRandom()) : 255;
    layer.clipping = inBottom || pick(4) != 0 ? 0 : 1;
    for (ChannelSpec& channel : layer.channels) channel.compression = uint16(pick(2));
    if (pick(3) == 0) {
        layer.mask =
            MaskSpec::Rect(left + pick(3), top, right, bottom - pick(2), uint8(ioRandom()), uint8(pick(8)));
        ByteVector plane(size_t(std::max(0, right - layer.mask->left)) *
                         size_t(std::max(0, layer.mask->bottom - top)));
        for (uint8& byte : plane) byte = uint8(ioRandom());
        layer.channels.push_back(ChannelSpec::Pixels(kChannelMask, plane, uint16(pick(2))));
    }
    if (pick(4) == 0) layer.blocks.push_back(DropShadow(1 + pick(4), pick(360) - 180));
    return layer;
}

// A layer with no rows or no columns, its channels packed or raw (and a mask of that shape).
LayerSpec EmptyLayer(std::mt19937& ioRandom) {
    LayerSpec layer;
    const int32 extent = 1 + int32(ioRandom() % 5);
    if (ioRandom() % 2 == 0)
        layer.bottom = extent;
    else
        layer.right = extent;
    for (int16 id : {kChannelRed, kChannelGreen, kChannelBlue, kChannelAlpha})
        layer.channels.push_back(ChannelSpec::Filled(id, 77, uint16(ioRandom() % 2)));
    if (ioRandom() % 2 == 0) {
        layer.mask = MaskSpec::Rect(0, 0, layer.right, layer.bottom, 255);
        layer.channels.push_back(ChannelSpec::Filled(kChannelMask, 0, uint16(ioRandom() % 2)));
    }
    return layer;
}

TEST_F(Flattening, RandomDocumentsKeepTheirPictureUnderNeutralChanges) {
    std::mt19937 random(20261206);
    for (int32 round = 0; round < 60; ++round) {
        const int32 side = 4 + int32(random() % 12);
        std::vector<LayerSpec> layers;
        const int32 count = 2 + int32(random() % 3);  // two or more: every variant is flattened
        for (int32 i = 0; i < count; ++i) layers.push_back(RandomLayer(random, side, i == 0));
        const auto build = [&](const std::vector<LayerSpec>& inLayers, bool inExtraChannel) {
            DocumentBuilder doc{uint32(side), uint32(side)};
            for (const LayerSpec& layer : inLayers) doc.AddLayer(layer);
            doc.mergedCompression = kCodingPacked;
            if (inExtraChannel) {
                for (int32 c = 0; c < 3; ++c) doc.AddMergedChannel(ByteVector(size_t(side * side), 255));
                doc.AddMergedChannel(ByteVector(size_t(side * side), uint8(round)));
            }
            return doc;
        };
        const Flat base = Flatten(build(layers, false).Build());
        ASSERT_EQ(base.error, "") << round;
        const std::string what = "round " + std::to_string(round);

        // The empty layer goes where it splits no clip group: below a layer that is not clipped.
        std::vector<LayerSpec> varied = layers;
        int32 at = int32(random() % uint32(count + 1));
        while (at < count && layers[size_t(at)].clipping != 0) ++at;
        varied.insert(varied.begin() + at, EmptyLayer(random));
        const Flat withEmpty = Flatten(build(varied, false).Build());
        EXPECT_EQ(withEmpty.pixels, base.pixels) << what << ": empty layer";
        EXPECT_FALSE(Contains(withEmpty.reports, "beginChannelPos")) << what << ": " << withEmpty.reports;

        LayerSpec hidden = RandomLayer(random, side, true);
        hidden.flags = 2;
        varied = layers;
        varied.insert(varied.begin(), hidden);
        EXPECT_EQ(Flatten(build(varied, false).Build()).pixels, base.pixels)
            << what << ": hidden bottom layer";

        varied = layers;
        varied.push_back(InvertWithoutMask());
        EXPECT_EQ(Flatten(build(varied, false).Build()).pixels, base.pixels)
            << what << ": adjustment without mask";

        // Cut inside the extra channel's last row (the last read): it loads. Cut before that row: the
        // read after the one that crosses the end fails.
        DocumentLayout layout;
        DocumentBuilder withExtra = build(layers, true);
        const ByteVector whole = withExtra.Build(&layout);
        const size_t lastRow =
            DocumentBuilder::PackRow(ByteVector(size_t(side), uint8(round)).data(), size_t(side)).size();
        withExtra.truncateTo = whole.size() - 1 - random() % lastRow;
        EXPECT_EQ(Flatten(withExtra.Build()).pixels, base.pixels) << what << ": cut in the last row";
        withExtra.truncateTo = whole.size() - lastRow - 1;
        EXPECT_EQ(Flatten(withExtra.Build()).error, kMiscDisk) << what << ": cut before the last row";
    }
}

}  // namespace
