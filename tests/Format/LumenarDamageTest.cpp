// Damaged documents: every prefix of a valid document gets the exact refusal of its failing read, and
// wide-field mutations of it are either read or refused, never a crash, a hang, a foreign exception (such
// as running out of memory) or a leak. Documents read and flattened as the read operation does it: random
// documents keep their picture when a hidden bottom layer, a layer without rows or columns (whose channels
// still hold their line counts), an adjustment layer without a mask or a cut inside the last row is added.
#include <set>

#include "Src/Orvane/Src/Effects/LayerFXBlock.h"
#include "Src/Orvane/Src/Effects/LayerFXRep.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

// A small document that exercises every section: resources (one of them a plug-in resource), a masked
// layer with raw channels, a name and tagged blocks, a packed layer with an effects block, the global
// mask, and packed merged data with a transparency plane and an extra channel.
ByteVector LayeredDocument() {
    DocumentBuilder doc(6, 4);
    doc.AddResource(ResourceSpec::Block(1005, {0, 72, 0, 0, 0, 1, 0, 1, 0, 72, 0, 0, 0, 1, 0, 1}));
    doc.AddResource(ResourceSpec::Plugin(4001, FourCC("plug"), {1, 2, 3}));
    LayerSpec first = LayerSpec::Solid(-1, 0, 4, 3, 200, 100, 50, 255);
    for (ChannelSpec& channel : first.channels) channel.compression = kCodingRaw;
    first.mask = MaskSpec::Rect(1, 1, 3, 3, 255, kMaskInverted);
    first.channels.push_back(ChannelSpec::Pixels(kChannelMask, {0, 64, 128, 255}, kCodingRaw));
    first.name = "first";
    first.layerID = 7;
    first.blocks = {AdditionalBlock::UnicodeName(u"first"), AdditionalBlock::Raw(FourCC("zzzz"), {1, 2, 3})};
    LayerSpec second = LayerSpec::Solid(2, 1, 6, 4, 10, 20, 30, 128);
    second.channels[0] = ChannelSpec::Pixels(kChannelRed, {1, 2, 3, 4, 5, 5, 5, 5, 9, 8, 7, 6});
    second.blendKey = FourCC("mul ");
    second.blocks = {AdditionalBlock::Raw(FourCC("lrFX"), ByteVector(12, 0))};
    doc.AddLayer(first).AddLayer(second);
    doc.globalMask = DocumentBuilder::StandardGlobalMask();
    doc.mergedTransparency = true;
    doc.mergedCompression = kCodingPacked;
    for (uint8 value : {255, 1, 2, 3, 77}) doc.AddMergedChannel(ByteVector(24, value));
    return doc.Build();
}

class Damaged : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        Platform::TestHooks::SetEcho(false);
    }
    void TearDown() override {
        Platform::TestHooks::ClearLogs();
        Platform::TestHooks::SetEcho(true);
        ReaderTest::TearDown();
    }
};

// A file cut at any length gets the refusal of the step that fails. A read that crosses the end comes
// back with zeros and the read after it fails in the stream, so inside the header a cut field is checked
// as zero (signature and version: BadLumenarType, channel count and columns: UnknownFormat, mode 0:
// NoBitmaps) unless a read follows first; everywhere else the stream fails, except in the last read of
// the document (the extra channel's last packed row), which loads.
TEST_F(Damaged, EveryPrefixGetsTheRefusalOfItsFailingRead) {
    const ByteVector bytes = LayeredDocument();
    const size_t lastRead = DocumentBuilder::PackRow(ByteVector(6, 77).data(), 6).size();
    const struct {
        size_t end;  // lengths below this one and at or above the previous row's end
        std::string error;
    } header[] = {{6, kBadLumenarType}, {12, kMiscDisk}, {14, kUnknownFormat}, {18, kMiscDisk},
                  {22, kUnknownFormat}, {24, kMiscDisk}, {26, kNoBitmaps}};
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::string expected = length < bytes.size() - lastRead ? kMiscDisk : "";
        for (auto it = std::rbegin(header); it != std::rend(header); ++it)
            if (length < it->end) expected = it->error;
        ReadDocument read(ByteVector(bytes.begin(), bytes.begin() + ptrdiff_t(length)));
        EXPECT_EQ(read.error, expected) << "prefix " << length;
        EXPECT_EQ(read.loaded, expected.empty()) << "prefix " << length;
    }
    ReadDocument whole(bytes);
    ASSERT_TRUE(whole.loaded) << whole.error;
    EXPECT_EQ(whole.image->GetLayerCount(), 2);
    EXPECT_EQ(whole.image->GetExtraChannelCount(), 1);
}

// Whole 32-bit fields overwritten with extreme values, at every 2-byte aligned offset. A refusal must be one
// a reading step defines (the effects block's own refusals are caught inside the reader and never reach
// here).
TEST_F(Damaged, WideFieldMutationsAreReadOrRefused) {
    const std::set<std::string> refusals = {
        kUnknownFormat, kNoMultidisk, kBadLumenarType, kObsoleteLumenar, kBadColorMode,  kNoBitmaps, kNoLab,
        kNoCMYK,        kNoDuotone,   kNoMultichannel, kMiscDisk,        kImageTooLarge, kSecondMask};
    const ByteVector bytes = LayeredDocument();
    const uint32 values[] = {0,      1,      3,          4,          12,         0x7FFF,
                             0x8000, 0xFFFF, 0x00000E00, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (size_t at = 0; at + 4 <= bytes.size(); at += 2) {
        for (uint32 value : values) {
            ByteVector mutated = bytes;
            for (int32 i = 0; i < 4; ++i) mutated[at + size_t(i)] = uint8(value >> (24 - 8 * i));
            ReadDocument read(mutated);
            EXPECT_TRUE(read.loaded || refusals.count(read.error) == 1)
                << "offset " << at << " value " << value << ": " << read.error;
            Platform::TestHooks::ClearLogs();
        }
    }
}

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
        for (const NativeQuad& quad : CanvasComposite(image)) flat.pixels.push_back(Word(quad));
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
    return AdditionalBlock::Raw(FourCC("lrFX"),
                                WrittenBytes(0, [&](SWriteStream& s) { WriteLayerFXBlock(s, p); }));
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
LayerSpec RandomLayer(Dice& ioDice, int32 inSide, bool inBottom) {
    LayerSpec layer = ioDice.PixelLayer(inSide, inSide);
    const uint32 keys[] = {FourCC("norm"), FourCC("mul "), FourCC("scrn"), FourCC("over"),
                           FourCC("diff"), FourCC("lite"), FourCC("hue "), FourCC("diss")};
    layer.blendKey = keys[ioDice.In(0, 7)];
    layer.opacity = ioDice.OneIn(3) ? ioDice.Byte() : 255;
    layer.clipping = inBottom || !ioDice.OneIn(4) ? 0 : 1;
    if (ioDice.OneIn(3)) ioDice.AddMask(layer, inSide, inSide);
    if (ioDice.OneIn(4)) layer.blocks.push_back(DropShadow(ioDice.In(1, 4), ioDice.In(-180, 179)));
    return layer;
}

// A layer with no rows or no columns, its channels packed or raw (and a mask of that shape).
LayerSpec EmptyLayer(Dice& ioDice) {
    LayerSpec layer;
    (ioDice.OneIn(2) ? layer.bottom : layer.right) = ioDice.In(1, 5);
    for (int16 id : {kChannelRed, kChannelGreen, kChannelBlue, kChannelAlpha})
        layer.channels.push_back(ChannelSpec::Filled(id, 77, uint16(ioDice.In(0, 1))));
    if (ioDice.OneIn(2)) {
        layer.mask = MaskSpec::Rect(0, 0, layer.right, layer.bottom, 255);
        layer.channels.push_back(ChannelSpec::Filled(kChannelMask, 0, uint16(ioDice.In(0, 1))));
    }
    return layer;
}

TEST_F(Flattening, RandomDocumentsKeepTheirPictureUnderNeutralChanges) {
    Dice dice(20261206);
    for (int32 round = 0; round < 60; ++round) {
        const int32 side = dice.In(4, 15);
        std::vector<LayerSpec> layers;
        const int32 count = dice.In(2, 4);  // two or more: every variant is flattened
        for (int32 i = 0; i < count; ++i) layers.push_back(RandomLayer(dice, side, i == 0));
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
        int32 at = dice.In(0, count);
        while (at < count && layers[size_t(at)].clipping != 0) ++at;
        varied.insert(varied.begin() + at, EmptyLayer(dice));
        const Flat withEmpty = Flatten(build(varied, false).Build());
        EXPECT_EQ(withEmpty.pixels, base.pixels) << what << ": empty layer";
        EXPECT_FALSE(Contains(withEmpty.reports, "beginChannelPos")) << what << ": " << withEmpty.reports;

        LayerSpec hidden = RandomLayer(dice, side, true);
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
        DocumentBuilder withExtra = build(layers, true);
        const ByteVector whole = withExtra.Build();
        const size_t lastRow =
            DocumentBuilder::PackRow(ByteVector(size_t(side), uint8(round)).data(), size_t(side)).size();
        withExtra.truncateTo = whole.size() - 1 - size_t(dice.In(0, int32(lastRow) - 1));
        EXPECT_EQ(Flatten(withExtra.Build()).pixels, base.pixels) << what << ": cut in the last row";
        withExtra.truncateTo = whole.size() - lastRow - 1;
        EXPECT_EQ(Flatten(withExtra.Build()).error, kMiscDisk) << what << ": cut before the last row";
    }
}

}  // namespace
