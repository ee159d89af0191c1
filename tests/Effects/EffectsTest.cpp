// Reading effects blocks: defaults, record framing, ranges and refusals; writing them back; what a
// document's reader makes of good and refused blocks; what the pipeline is told; the colours of effect
// records in each colour space. Drawing effects: every effect against the reference model over random
// layers and parameters, tile independence, and the figures of the blur radius, the bounds and the bevel
// light; and effects in the composite: where each group is drawn, the mask and clip groups. (What each
// effect draws, shadow offsets included, is owned by the reference comparison; outer effects over
// transparent tiles by the composite rules.)
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "Src/Orvane/Src/Compositing/CImageComposite.h"
#include "Src/Orvane/Src/Effects/EffectGeometry.h"
#include "Src/Orvane/Src/Effects/LayerEffectsRenderer.h"
#include "Src/Orvane/Src/Effects/LayerFXBlock.h"
#include "Src/Orvane/Src/Effects/LayerFXSource.h"
#include "Src/Orvane/Src/Effects/TentBlur.h"
#include "Src/Pellin/Isol/SWriteStream.h"
#include "tests/Effects/EffectsTestSupport.h"
#include "tests/Format/ReaderTestSupport.h"
#include "tests/support/ReportCapture.h"

namespace {

using namespace EffectsTest;

TEST(LayerFXBlock, ACountOfZeroGivesEveryEffectDisabledWithTheDefaults) {
    const auto p = ReadPayload(Payload({}));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(*p, LayerFXParameters());
    EXPECT_FALSE(p->mDropShadowEnabled || p->mInnerShadowEnabled || p->mOuterGlowEnabled ||
                 p->mInnerGlowEnabled || p->mBevelEnabled);
    EXPECT_TRUE(p->mInnerGlowInvert && p->mDropShadowUseGlobalAngle && p->mInnerEffectsVisible);
}

// Records are found by their keys; bytes a record has beyond its fields are skipped, records of another
// signature or of unknown keys are skipped by their length, an inner glow of version 0 declaring 33 bytes
// is read as 32, and an unknown blend key falls back to normal with a report.
TEST(LayerFXBlock, RecordsAreReadByTheirKeysAndLengths) {
    ByteVector padded = ShadowFields(0x20000, 0x640000, 0xFFD30000, 0x30000, "diff", 1, 77);
    padded.resize(51, 0xEE);
    ByteVector glow1 = GlowFields(1, 0x30000, "norm", 1);
    glow1.back() = 0;  // inward flag off
    std::optional<LayerFXParameters> p;
    const std::string reports = CaptureReports([&] {
        p = ReadPayload(Payload({Record("dsdw", ShadowFields(), std::nullopt, "XXXX"),
                                 Record("what", ByteVector(9, 0xAB)), Record("dsdw", padded),
                                 Record("oglw", GlowFields(0, 0x8000, "over", 1)), Record("iglw", glow1),
                                 Record("isdw", ShadowFields(0, 0, 0x5A0000, 0, "zzzz"))}));
    });
    ASSERT_TRUE(p.has_value());
    LayerFXParameters want;  // every field the records hold, the rest at their defaults
    const ColorRecord shadow{0, {0x1111, 0x2222, 0x3333, 0}}, glow{0, {0xFFFF, 0xEEEE, 0xDDDD, 0}};
    want.mDropShadowEnabled = true, want.mDropShadowBlur = 0x20000, want.mDropShadowIntensity = 0x640000;
    want.mDropShadowAngle = int32(0xFFD30000), want.mDropShadowDistance = 0x30000,
    want.mDropShadowColor = shadow;
    want.mDropShadowBlendMode = kBlendDifference, want.mDropShadowOpacity = 77;
    want.mDropShadowUseGlobalAngle = false;
    want.mOuterGlowEnabled = true, want.mOuterGlowBlur = 0x8000, want.mOuterGlowIntensity = 0x10000;
    want.mOuterGlowColor = glow, want.mOuterGlowBlendMode = kBlendOverlay, want.mOuterGlowOpacity = 99;
    want.mInnerGlowEnabled = true, want.mInnerGlowBlur = 0x30000, want.mInnerGlowIntensity = 0x10000;
    want.mInnerGlowColor = glow, want.mInnerGlowBlendMode = kBlendNormal, want.mInnerGlowOpacity = 99;
    want.mInnerGlowInvert = false;
    want.mInnerShadowEnabled = true, want.mInnerShadowBlur = 0, want.mInnerShadowIntensity = 0;
    want.mInnerShadowAngle = 0x5A0000, want.mInnerShadowDistance = 0, want.mInnerShadowColor = shadow;
    want.mInnerShadowBlendMode = kBlendNormal, want.mInnerShadowOpacity = 191;
    want.mInnerShadowUseGlobalAngle = false;
    EXPECT_EQ(*p, want);
    EXPECT_TRUE(
        Contains(reports, "ExtractBlendModeFromStream: Unknown external blend mode -- using kBlendNormal"));

    const auto older = ReadPayload(
        Payload({Record("iglw", GlowFields(0, 0x30000, "norm", 1), 33), Record("bevl", BevelFields(3))}));
    ASSERT_TRUE(older.has_value());
    EXPECT_TRUE(older->mInnerGlowEnabled && older->mInnerGlowInvert);
    EXPECT_EQ(older->mBevelStyle, int32(Emboss));
    EXPECT_TRUE(older->mBevelEnabled && older->mBevelDirection && !older->mBevelUseGlobalAngle);
    EXPECT_EQ(older->mBevelHighlightBlendMode, uint32(kBlendLighten));
    EXPECT_EQ(older->mBevelShadowOpacity, 20);
}

// Each ranged field: where it sits in its record's fields, its limits and the limits' names (kMinFXFixed
// <kind>Value, kMaxFXFixed<kind>Value) in its check.
struct RangeCase {
    char key[5];
    size_t offset;
    const char* field;
    const char* kind;
    int64 min;
    int64 max;
};

const RangeCase kRanges[] = {
    {"dsdw", 4, "mDropShadowBlur", "Blur", 0, 0x320000},
    {"dsdw", 8, "mDropShadowIntensity", "Intensity", 0, 0x2580000},
    {"dsdw", 12, "mDropShadowAngle", "Angle", -0xB40000, 0xB40000},
    {"dsdw", 16, "mDropShadowDistance", "Distance", 0, 0x75300000},
    {"isdw", 4, "mInnerShadowBlur", "Blur", 0, 0x320000},
    {"isdw", 8, "mInnerShadowIntensity", "Intensity", 0, 0x2580000},
    {"isdw", 12, "mInnerShadowAngle", "Angle", -0xB40000, 0xB40000},
    {"isdw", 16, "mInnerShadowDistance", "Distance", 0, 0x75300000},
    {"oglw", 4, "mOuterGlowBlur", "Blur", 0, 0x320000},
    {"oglw", 8, "mOuterGlowIntensity", "Intensity", 0, 0x2580000},
    {"iglw", 4, "mInnerGlowBlur", "Blur", 0, 0x320000},
    {"iglw", 8, "mInnerGlowIntensity", "Intensity", 0, 0x2580000},
    {"bevl", 4, "mBevelAngle", "Angle", -0xB40000, 0xB40000},
    {"bevl", 8, "mBevelStrength", "Strength", 0x10000, 0x140000},
    {"bevl", 12, "mBevelBlur", "EmbossBlur", 0, 0x320000},
};

std::optional<LayerFXParameters> ReadWithValue(const RangeCase& inCase, int64 inValue,
                                               std::string* outRefusal) {
    const std::string key = inCase.key;
    ByteVector fields = key == "bevl" ? BevelFields() : key[1] == 's' ? ShadowFields() : GlowFields();
    const uint32 value = uint32(int32(inValue));
    for (int i = 0; i < 4; ++i) fields[inCase.offset + i] = uint8(value >> (24 - 8 * i));
    return ReadPayload(Payload({Record(inCase.key, fields)}), outRefusal);
}

TEST(LayerFXBlock, EveryRangeAcceptsItsLimitsAndRefusesOneUnitBeyondThem) {
    for (const RangeCase& c : kRanges) {
        const std::string refusal = std::string("Warning: !((") + c.field + " >= kMinFXFixed" + c.kind +
                                    "Value) && (" + c.field + " <= kMaxFXFixed" + c.kind + "Value))";
        for (int64 accepted : {c.min, c.max}) {
            std::string text;
            EXPECT_TRUE(ReadWithValue(c, accepted, &text).has_value())
                << c.field << " " << accepted << " " << text;
        }
        for (int64 refused : {c.min - 1, c.max + 1}) {
            std::string text;
            std::optional<LayerFXParameters> p;
            const std::string reports = CaptureReports([&] { p = ReadWithValue(c, refused, &text); });
            EXPECT_FALSE(p.has_value()) << c.field << " " << refused;
            EXPECT_EQ(text, refusal);
            EXPECT_TRUE(Contains(reports, refusal)) << reports;
        }
    }
}

// Records are read by their own lengths, not the block's: one that runs past the end of the file fails in
// the stream (at the read after the one that crossed the end); skipping past the end is no read.
TEST(LayerFXBlock, RefusalsOfCountStyleAndRecordsPastTheEnd) {
    const std::string kStyle =
        "Warning: !((mBevelStyle == OuterBevel) || (mBevelStyle == InnerBevel) || (mBevelStyle == Emboss) || "
        "(mBevelStyle == PillowEmboss))";
    const ByteVector shadow = Record("dsdw", ShadowFields());
    const struct {
        ByteVector payload;
        std::string refusal;
    } cases[] = {
        {Payload({shadow}, -1), "Warning: !(effectCount >= 0)"},
        {Payload({Record("bevl", BevelFields(0))}), kStyle},
        {Payload({Record("bevl", BevelFields(5))}), kStyle},
        {Payload({Record("dsdw", ByteVector(20), 20)}), kMiscDisk},
        {Payload({shadow}, 3), kMiscDisk},
    };
    for (const auto& c : cases) {
        std::string text;
        std::optional<LayerFXParameters> p;
        CaptureReports([&] { p = ReadPayload(c.payload, &text); });
        EXPECT_FALSE(p.has_value()) << c.refusal;
        EXPECT_EQ(text, c.refusal);
    }
    // Skipping an unknown record past the end reads nothing; a count cut in half reads as 0 records.
    EXPECT_TRUE(ReadPayload(Payload({Record("what", ByteVector(4), 40)})).has_value());
    EXPECT_TRUE(ReadPayload(ByteVector{0, 0, 0}).has_value());
}

ByteVector Written(const LayerFXParameters& inParameters) {
    return WrittenBytes(0, [&](SWriteStream& out) { WriteLayerFXBlock(out, inParameters); });
}

TEST(LayerFXBlock, AWrittenBlockHasItsFixedLayoutAndReadsBackTheSame) {
    std::mt19937 random(8);
    for (int round = 0; round < 200; ++round) {
        const LayerFXParameters p = RandomParameters(random, 50, 30000);
        const ByteVector bytes = Written(p);
        ASSERT_EQ(bytes.size(), kLayerFXBlockSize);
        const auto back = ReadPayload(bytes);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, p) << round;
    }
    // Record headers at their places: count 6, then cmnS 7, dsdw 41, isdw 41, oglw 32, iglw 33, bevl 58.
    const ByteVector bytes = Written(LayerFXParameters());
    EXPECT_EQ(ByteVector(bytes.begin(), bytes.begin() + 4), (ByteVector{0, 0, 0, 6}));
    const struct {
        size_t at;
        const char* key;
        uint32 length;
    } headers[] = {{4, "cmnS", 7},    {23, "dsdw", 41},  {76, "isdw", 41},
                   {129, "oglw", 32}, {173, "iglw", 33}, {218, "bevl", 58}};
    for (const auto& h : headers) {
        EXPECT_EQ(std::string(bytes.begin() + long(h.at), bytes.begin() + long(h.at) + 4), "ZQRS") << h.key;
        EXPECT_EQ(std::string(bytes.begin() + long(h.at) + 4, bytes.begin() + long(h.at) + 8), h.key);
        EXPECT_EQ(uint32(bytes[h.at + 11]), h.length) << h.key;
    }
    // The cmnS record holds 0, visible 1 and 0; the iglw record is of version 1; the default empty colour
    // is stored as space 65535.
    EXPECT_EQ(ByteVector(bytes.begin() + 16, bytes.begin() + 23), (ByteVector{0, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(bytes[173 + 15], 1);
    EXPECT_EQ(bytes[23 + 12 + 20], 0xFF);
    EXPECT_EQ(bytes[23 + 12 + 21], 0xFF);
}

TEST(LayerFXBlock, DamagedBlocksAreReadOrRefusedNeverReadBeyond) {
    LayerFXParameters both;
    both.mBevelEnabled = both.mDropShadowEnabled = true;
    const ByteVector whole = Written(both);
    const auto readsOrRefuses = [](const ByteVector& inPayload) {
        std::string text;
        std::optional<LayerFXParameters> p;
        CaptureReports([&] { p = ReadPayload(inPayload, &text); });
        return p.has_value() || text.rfind("Warning: !(", 0) == 0 || text == kMiscDisk;
    };
    for (size_t length = 0; length <= whole.size(); ++length)
        EXPECT_TRUE(readsOrRefuses(ByteVector(whole.begin(), whole.begin() + long(length)))) << length;
    for (size_t at = 0; at < whole.size(); ++at)
        for (uint8 value : {uint8(0x00), uint8(0x7F), uint8(0xFF)}) {
            ByteVector damaged = whole;
            damaged[at] = value;
            EXPECT_TRUE(readsOrRefuses(damaged)) << at;
        }
    // A block cut before its last records fails in the stream as a whole.
    std::string text;
    CaptureReports([&] { EXPECT_FALSE(ReadPayload(ByteVector(whole.begin(), whole.begin() + 218), &text)); });
    EXPECT_EQ(text, kMiscDisk);
}

// Documents: the reader keeps what the block holds, or gives the layer no effects when it is refused or
// stored under another signature.
ByteVector DocumentWithEffects(const ByteVector& inPayload, uint32 inSignature = FourCC("ZQRS")) {
    DocumentBuilder doc(8, 8);
    LayerSpec layer = LayerSpec::Solid(0, 0, 8, 8, 1, 2, 3);
    layer.blocks.push_back(AdditionalBlock::Raw(FourCC("lrFX"), inPayload, inSignature));
    layer.layerID = 7;
    doc.AddLayer(layer);
    doc.AddLayer(LayerSpec::Solid(2, 2, 4, 4, 9, 9, 9));
    return doc.Build();
}

using LayerFXDocument = ReaderTest;

TEST_F(LayerFXDocument, AReadBlockBecomesTheLayersEffectsAndARefusedOneLeavesItWithout) {
    ReadDocument good(
        DocumentWithEffects(Payload({Record("dsdw", ShadowFields(0x10000, 0, 0x5A0000, 0x30000))})));
    ASSERT_TRUE(good.loaded) << good.error;
    const LayerFX* fx = LayerFXSource::Find(good.Layer(0)->GetEffects());
    ASSERT_NE(fx, nullptr);
    EXPECT_TRUE(good.Layer(0)->GetEffects().HasOuterEffects());
    EXPECT_TRUE(good.Layer(1)->GetEffects().IsEmptyRecord());
    // The same block under another signature is skipped.
    ReadDocument foreign(DocumentWithEffects(Payload({Record("dsdw", ShadowFields())}), FourCC("XXXX")));
    ASSERT_TRUE(foreign.loaded) << foreign.error;
    EXPECT_TRUE(foreign.Layer(0)->GetEffects().IsEmptyRecord());

    std::unique_ptr<ReadDocument> refused;
    CaptureReports([&] {
        refused = std::make_unique<ReadDocument>(
            DocumentWithEffects(Payload({Record("dsdw", ShadowFields(0x10000, 0, 0x5A0000, 0x75300001))})));
    });
    ASSERT_TRUE(refused->loaded) << refused->error;
    EXPECT_TRUE(refused->Layer(0)->GetEffects().IsEmptyRecord());
    EXPECT_EQ(refused->Layer(0)->GetLayerID(), 7u);
    EXPECT_EQ(Word(PixelAt(*refused->Layer(0), 5, 5)), 0xFF010203u);
}

TEST(LayerFX, VisibilityHidesBothGroupsAndDecidesWhatThePipelineIsTold) {
    LayerFX fx;
    const auto source = [&] { return LayerFXSource(fx); };
    EXPECT_FALSE(source().HasEffects());  // nothing switched on
    fx.Set(&LayerFXParameters::mInnerShadowEnabled, true);
    EXPECT_TRUE(source().HasEffects());
    EXPECT_FALSE(source().HasOuterEffects());
    fx.Set(&LayerFXParameters::mBevelEnabled, true);
    EXPECT_TRUE(source().HasOuterEffects());  // an outer bevel part
    fx.Set(&LayerFXParameters::mBevelStyle, int32(InnerBevel));
    EXPECT_FALSE(source().HasOuterEffects());
    fx.Set(&LayerFXParameters::mDropShadowEnabled, true);
    EXPECT_TRUE(source().HasOuterEffects());

    fx.SetEffectsVisible(false);
    EXPECT_FALSE(fx.InnerEffectsVisible() || fx.OuterEffectsVisible() || fx.EffectsVisible());
    EXPECT_FALSE(source().HasEffects());
    EXPECT_FALSE(source().HasOuterEffects());
    fx.Set(&LayerFXParameters::mInnerEffectsVisible, true);
    EXPECT_TRUE(fx.EffectsVisible());
    EXPECT_TRUE(source().HasEffects());
    EXPECT_FALSE(source().HasOuterEffects());
}

ColorRecord Colour(int16 inSpace, uint16 inA, uint16 inB, uint16 inC, uint16 inD) {
    return ColorRecord{inSpace, {inA, inB, inC, inD}};
}

// HSB in exact integer arithmetic: with h, s, v as fractions of 65536, f x 65536 = 6 c1 - 65536 i, and
// every product v (1 - s f) x 65536 = c3 (2^32 - c2 F) / 2^32, floored.
NativeQuad ExactHSB(uint16 c1, uint16 c2, uint16 c3) {
    if (c2 == 0) return MakeNativeQuad(uint8(c3 >> 8), uint8(c3 >> 8), uint8(c3 >> 8), 255);
    const uint64 six = uint64(c1) * 6;
    const uint64 i = six >> 16, f = six & 0xFFFF;
    const uint64 one = uint64(1) << 32;
    const uint64 p = uint64(c3) * (65536 - c2) / 65536;
    const uint64 q = uint64(c3) * (one - c2 * f) / one;
    const uint64 t = uint64(c3) * (one - c2 * (65536 - f)) / one;
    const uint64 rgb[6][3] = {{c3, t, p}, {q, c3, p}, {p, c3, t}, {p, q, c3}, {t, p, c3}, {c3, p, q}};
    return MakeNativeQuad(uint8(rgb[i][0] >> 8), uint8(rgb[i][1] >> 8), uint8(rgb[i][2] >> 8), 255);
}

// Random records of every space (extreme components often) against their definitions: RGB keeps the high
// bytes; HSB is the exact arithmetic above; CMYK, stored so that 65535 is no ink, multiplies as (black /
// 65535)(component / 65535) x 65535 in double precision, truncated, then takes the high byte; any other
// space is black.
TEST(ColorRecord, ColoursOfEverySpaceFollowTheirDefinitions) {
    std::mt19937 random(3);
    for (int i = 0; i < 40000; ++i) {
        const int16 space = int16(i % 5 == 4 ? int32(random() % 7) - 1 : i % 4);
        uint16 c[4];
        for (uint16& x : c) x = uint16(random() % 4 == 0 ? random() % 2 * 65535 : random());
        const auto ink = [&](int32 k) {
            return uint8(uint32(std::trunc(c[3] / 65535.0 * (c[k] / 65535.0) * 65535.0)) >> 8);
        };
        const NativeQuad expected =
            space == 0   ? MakeNativeQuad(uint8(c[0] >> 8), uint8(c[1] >> 8), uint8(c[2] >> 8), 255)
            : space == 1 ? ExactHSB(c[0], c[1], c[2])
            : space == 2 ? MakeNativeQuad(ink(0), ink(1), ink(2), 255)
                         : kOpaqueBlack;
        ASSERT_EQ(NativeQuadToWord(Colour(space, c[0], c[1], c[2], c[3]).ToNativeQuad()),
                  NativeQuadToWord(expected))
            << space << ": " << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
    }
    // Near whole values the order of the steps decides: 2570 x 45696 / 65535 is 1791.999... this way.
    EXPECT_EQ(NativeQuadToWord(Colour(2, 45696, 65535, 0, 2570).ToNativeQuad()),
              NativeQuadToWord(MakeNativeQuad(6, 10, 0, 255)));
    EXPECT_TRUE(ColorRecord::FromRGB(0, 0, 0).IsValid());
    EXPECT_FALSE(ColorRecord::Empty().IsValid());
    EXPECT_EQ(ColorRecord::FromRGB(1, 2, 3), Colour(0, 257, 514, 771, 0));
}

using EffectRender = ColourTest;

// Draws through the pipeline's entry point, cutting the canvas into the given tiles.
void Draw(const LayerFXParameters& inParameters, CLayer& inLayer, bool inUseMask, Canvas& ioOuter,
          Canvas& ioInner, const std::vector<GRect>& inTiles) {
    for (const GRect& tile : inTiles) {
        LayerEffectsDrawing drawing;
        drawing.mLayer = &inLayer;
        drawing.mInnerArea = tile;
        drawing.mInner = &ioInner.At(tile.left, tile.top);
        drawing.mInnerRowBytes = ioInner.area.Width() * 4;
        drawing.mOuterArea = tile;
        drawing.mOuter = &ioOuter.At(tile.left, tile.top);
        drawing.mOuterRowBytes = ioOuter.area.Width() * 4;
        drawing.mUseLayerMask = inUseMask;
        DrawLayerEffects(inParameters, drawing);
    }
}

Canvas RandomCanvas(std::mt19937& ioRandom, const GRect& inArea, bool inOpaque) {
    Canvas canvas{inArea, std::vector<NativeQuad>(size_t(inArea.Area()))};
    for (NativeQuad& q : canvas.pixels) {
        const uint32 word = ioRandom();
        q = WordToNativeQuad(word);
        if (inOpaque || word % 3 == 0) q.alpha = 255;
        if (word % 7 == 0) q.alpha = 0;
    }
    return canvas;
}

// Blobs of coverage: fully opaque discs with soft edges and a few stray partial pixels.
NativeQuad BlobPixel(int32 x, int32 y, uint32 inSeed) {
    const int32 cx = int32(inSeed % 13) + 6, cy = int32((inSeed / 13) % 9) + 5;
    const int32 d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    uint8 alpha = d2 < 16 ? 255 : d2 < 30 ? uint8(255 - (d2 - 16) * 17) : 0;
    if ((x * 7 + y * 3 + int32(inSeed)) % 23 == 0) alpha = uint8(inSeed + uint32(x));
    return MakeNativeQuad(uint8(x * 9), uint8(y * 11), 77, alpha);
}

// Draws the effects of the image's layer over random outer and inner canvases, whole and cut into four
// tiles at a random point, each against the reference model.
void ExpectReference(const LayerFXParameters& inParameters, const TestImage& inTest, bool inUseMask,
                     std::mt19937& ioRandom) {
    const GRect canvasArea = inTest.image->GetImageRect();
    Canvas outer = RandomCanvas(ioRandom, canvasArea, false),
           inner = RandomCanvas(ioRandom, canvasArea, true);
    Canvas expectedOuter = outer, expectedInner = inner, wholeOuter = outer, wholeInner = inner;
    ReferenceEffects(inParameters, *inTest.layer, inUseMask, inTest.image->GetGlobalAngle(), expectedOuter,
                     expectedInner);
    Draw(inParameters, *inTest.layer, inUseMask, wholeOuter, wholeInner, {canvasArea});
    EXPECT_TRUE(wholeOuter.pixels == expectedOuter.pixels) << "outer";
    EXPECT_TRUE(wholeInner.pixels == expectedInner.pixels) << "inner";
    const int32 w = canvasArea.right, h = canvasArea.bottom;
    const int32 x = 1 + int32(ioRandom() % uint32(w - 2)), y = 1 + int32(ioRandom() % uint32(h - 2));
    Draw(inParameters, *inTest.layer, inUseMask, outer, inner,
         {GRect(0, 0, x, y), GRect(x, 0, w, y), GRect(0, y, x, h), GRect(x, y, w, h)});
    EXPECT_TRUE(outer.pixels == expectedOuter.pixels) << "outer in tiles";
    EXPECT_TRUE(inner.pixels == expectedInner.pixels) << "inner in tiles";
}

TEST_F(EffectRender, EveryEffectMatchesTheReferenceModelWholeAndTileByTile) {
    std::mt19937 random(5);
    for (int round = 0; round < 120 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const uint32 seed = random();
        const GRect layerRect(int32(random() % 8) - 3, int32(random() % 6) - 2, 18 + int32(random() % 14),
                              14 + int32(random() % 10));
        TestImage test =
            MakeImage(30, 22, layerRect, [seed](int32 x, int32 y) { return BlobPixel(x, y, seed); });
        test.layer->SetOpacity(random() % 4 == 0 ? uint8(random()) : uint8(255));
        const bool useMask = random() % 3 == 0;
        if (useMask) {
            test.layer->CreateLayerMask(uint8(random() % 2 ? 255 : 90), GRect(4, 3, 20, 15));
            std::vector<uint8> mask(16 * 12);
            for (size_t i = 0; i < mask.size(); ++i)
                mask[i] = uint8(((4 + i % 16) * 31 + (3 + i / 16) * 17) % 256);
            test.layer->SetLayerMaskTile(GRect(4, 3, 20, 15), mask.data(), 16);
            test.layer->SetMaskInverted(random() % 2);
        }
        test.image->SetGlobalAngle(int32(random() % 400) - 20);
        LayerFXParameters p = RandomParameters(random, 9, 7);
        p.mInnerEffectsVisible = random() % 8 != 0, p.mOuterEffectsVisible = random() % 8 != 0;
        ExpectReference(p, test, useMask, random);
    }
}

TEST_F(EffectRender, TheWidestBlurAndAreasWiderThanOneStripMatchTheReference) {
    const auto stripes = [](int32 x, int32) {
        return MakeNativeQuad(10, 20, 30, uint8(x % 50 < 30 ? 255 : x % 50 * 5));
    };
    std::mt19937 random(1);
    LayerFXParameters p = QuietParameters();
    p.mOuterGlowEnabled = true, p.mOuterGlowBlur = kMaxFXFixedBlurValue, p.mOuterGlowIntensity = 0x1000000;
    p.mOuterGlowBlendMode = kBlendNormal, p.mOuterGlowOpacity = 255;
    p.mInnerShadowEnabled = true, p.mInnerShadowBlur = 0x28000, p.mInnerShadowDistance = 0x30000;
    ExpectReference(p, MakeImage(70, 12, GRect(3, 2, 60, 7), stripes), false, random);

    p.mOuterGlowBlur = 0x38000;
    p.mBevelEnabled = true, p.mBevelStyle = Emboss, p.mBevelBlur = 0x18000;
    ExpectReference(p, MakeImage(530, 6, GRect(3, 1, 525, 5), stripes), false, random);
}

TEST(EffectBlur, RadiusIsTheBlurRoundedUpBetweenTwoAndFifty) {
    const struct {
        Fixed blur;
        int32 radius;
    } cases[] = {{0, 2},       {0x8000, 2},  {0x10000, 2}, {0x20000, 2},   {0x20001, 2},
                 {0x20002, 3}, {0x50000, 5}, {0x58000, 6}, {0x320000, 50}, {0x3C0000, 50}};
    for (const auto& c : cases) EXPECT_EQ(TentBlur::RadiusOf(c.blur), c.radius) << c.blur;
}

TEST(EffectGeometry, BoundsGrowByEachEffectAndTheBevelLightTurns) {
    LayerFXParameters p = QuietParameters();
    p.mDropShadowEnabled = true, p.mDropShadowUseGlobalAngle = false;
    const GRect layer(10, 10, 20, 20);
    EXPECT_EQ(EffectsBounds(p, layer, 30), GRect(8, 10, 27, 29));
    EXPECT_EQ(EffectsBounds(p, layer, 30, true), GRect(4, 2, 23, 21));
    p.mDropShadowOpacity = 0;
    EXPECT_EQ(EffectsBounds(p, layer, 30), layer);
    p = QuietParameters();
    p.mBevelEnabled = true, p.mBevelBlur = 0, p.mBevelHighlightOpacity = 0;
    EXPECT_EQ(EffectsBounds(p, layer, 30), GRect(9, 9, 22, 22));
    p.mBevelShadowOpacity = 0;
    EXPECT_EQ(EffectsBounds(p, layer, 30), layer);
    p = QuietParameters();
    p.mInnerGlowEnabled = true, p.mInnerGlowBlur = 0x8000;
    EXPECT_EQ(EffectsBounds(p, layer, 30), GRect(9, 9, 22, 22));
    LayerFXParameters glow = QuietParameters();
    glow.mOuterGlowEnabled = true, glow.mOuterGlowBlur = 0x8000;
    EXPECT_EQ(EffectsBounds(glow, layer, 30), GRect(9, 9, 22, 22));
    glow.mOuterGlowOpacity = 0;
    EXPECT_EQ(EffectsBounds(glow, layer, 30), layer);

    p.mBevelUseGlobalAngle = false, p.mBevelAngle = -0x5A8000;  // -90.5 degrees
    EXPECT_EQ(BevelLightAngle(p, 30, false), 270);
    EXPECT_EQ(BevelLightAngle(p, 30, true), 90);
    p.mBevelUseGlobalAngle = true;
    EXPECT_EQ(BevelLightAngle(p, 200, true), 20);
    EXPECT_EQ(BevelLightAngle(p, 180, true), 0);
    EXPECT_EQ(BevelLightAngle(p, -30, false), 330);
}

using EffectComposite = EffectRender;

NativeQuad CompositePixel(CImage& inImage, int32 inX, int32 inY) {
    NativeQuad q{};
    GetCompositeTile(inImage, GRect(inX, inY, inX + 1, inY + 1), &q, 4);
    return q;
}

// A hard black shadow inDistance pixels to the right.
LayerFXParameters HardShadow(int32 inDistance) {
    LayerFXParameters p = QuietParameters();
    p.mDropShadowEnabled = true, p.mDropShadowBlur = 0, p.mDropShadowOpacity = 255;
    p.mDropShadowBlendMode = kBlendNormal, p.mDropShadowUseGlobalAngle = false;
    p.mDropShadowAngle = 180 << 16, p.mDropShadowDistance = inDistance << 16;
    return p;
}

// A white background and a red square whose mask hides its left half; the square casts a hard black
// shadow 3 pixels to the right and glows green inside.
TEST_F(EffectComposite, EffectsFollowTheMaskedShapeAndInnerOnesAreMaskedWithTheLayer) {
    TestImage test = MakeImage(20, 10, GRect(0, 0, 20, 10), [](int32, int32) { return kOpaqueWhite; });
    CRGBLayer* layer = MakeLayer(2, GRect(2, 2, 12, 8), kRed);
    test.image->AddLayer(layer, false, -1, true);
    layer->CreateLayerMask(0, GRect(7, 0, 20, 10));
    const std::vector<uint8> opaque(13 * 10, 255);
    layer->SetLayerMaskTile(GRect(7, 0, 20, 10), opaque.data(), 13);
    LayerFXParameters p = HardShadow(3);
    p.mInnerGlowEnabled = true, p.mInnerGlowBlur = 0, p.mInnerGlowInvert = false, p.mInnerGlowOpacity = 255;
    p.mInnerGlowBlendMode = kBlendNormal, p.mInnerGlowColor = ColorRecord::FromRGB(0, 255, 0);
    LayerFX fx;
    fx.SetParameters(p);
    layer->SetEffects(LayerFXSource::MakeEffects(fx));
    for (int32 y = 2; y < 8; ++y) {
        for (int32 x = 2; x < 7; ++x)
            EXPECT_EQ(CompositePixel(*test.image, x, y), kOpaqueWhite) << x << "," << y;
        for (int32 x = 7; x < 12; ++x) EXPECT_EQ(CompositePixel(*test.image, x, y), kGreen) << x << "," << y;
        for (int32 x = 12; x < 15; ++x)
            EXPECT_EQ(CompositePixel(*test.image, x, y), kOpaqueBlack) << x << "," << y;
        EXPECT_EQ(CompositePixel(*test.image, 15, y), kOpaqueWhite);
    }
}

TEST_F(EffectComposite, AClippedLayersShadowStaysInsideTheGroupsBase) {
    auto image = std::make_unique<CImage>(16, 12);
    CRGBLayer* clipped = MakeLayer(2, GRect(4, 4, 8, 8), kRed);
    image->AddLayer(MakeLayer(1, GRect(2, 2, 10, 10), kOpaqueWhite), false, -1, true);
    image->AddLayer(clipped, false, -1, true);
    clipped->SetClipping(1);
    LayerFX fx;
    fx.SetParameters(HardShadow(3));
    clipped->SetEffects(LayerFXSource::MakeEffects(fx));
    const std::pair<int32, NativeQuad> row[] = {
        {5, kRed}, {8, kOpaqueBlack}, {9, kOpaqueBlack}, {10, kTransparentWhite}, {3, kOpaqueWhite}};
    for (const auto& [x, colour] : row) EXPECT_EQ(CompositePixel(*image, x, 5), colour) << x;
}

}  // namespace
