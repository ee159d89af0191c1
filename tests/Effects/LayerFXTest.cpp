// The effects handle (sharing, private copies on change, equality, visibility) and the colours of
// effect records in each colour space.
#include <gtest/gtest.h>

#include <random>

#include "Src/Orvane/Src/Effects/LayerFXSource.h"
#include "tests/Effects/EffectsTestSupport.h"

namespace {

using namespace EffectsTest;

TEST(LayerFX, CopiesShareOneRepresentationUntilOneOfThemChanges) {
    LayerFX first;
    first.Set(&LayerFXParameters::mDropShadowEnabled, true);
    LayerFX copy = first;
    EXPECT_EQ(first.ShareCount(), 2);
    EXPECT_EQ(&first.Parameters(), &copy.Parameters());
    copy.Set(&LayerFXParameters::mDropShadowOpacity, 10);
    EXPECT_EQ(first.ShareCount() + copy.ShareCount(), 2);
    EXPECT_EQ(first.Parameters().mDropShadowOpacity, 191);
    EXPECT_TRUE(copy.Parameters().mDropShadowEnabled && copy.Parameters().mDropShadowOpacity == 10);
    EXPECT_NE(first, copy);
    copy.Set(&LayerFXParameters::mDropShadowOpacity, 191);
    EXPECT_EQ(first, copy);  // equal by value, though not shared
    LayerFX third;
    third = copy;
    third = third;
    EXPECT_EQ(copy.ShareCount(), 2);
    {
        const LayerFX scoped = third;
        EXPECT_EQ(copy.ShareCount(), 3);
    }
    EXPECT_EQ(copy.ShareCount(), 2);
    // Layer effects made from a changed copy stay apart from the original's.
    const LayerEffects original = LayerFXSource::MakeEffects(first);
    LayerFX fromEffects = *LayerFXSource::Find(original);
    fromEffects.Set(&LayerFXParameters::mDropShadowOpacity, 20);
    const LayerEffects changed = LayerFXSource::MakeEffects(fromEffects);
    EXPECT_EQ(LayerFXSource::Find(original)->Parameters().mDropShadowOpacity, 191);
    EXPECT_NE(original, changed);
    EXPECT_EQ(original, LayerFXSource::MakeEffects(first));
    EXPECT_EQ(LayerFXSource::Find(LayerEffects()), nullptr);
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

ColorRecord Record(int16 inSpace, uint16 inA, uint16 inB, uint16 inC, uint16 inD) {
    return ColorRecord{inSpace, {inA, inB, inC, inD}};
}

TEST(ColorRecord, ColoursOfEachSpace) {
    const struct {
        ColorRecord record;
        NativeQuad colour;
    } cases[] = {
        {ColorRecord::FromRGB(12, 200, 255), MakeNativeQuad(12, 200, 255, 255)},
        {Record(0, 0x12FF, 0xAB00, 0x0080, 0xFFFF), MakeNativeQuad(0x12, 0xAB, 0x00, 255)},
        {Record(1, 0, 65535, 65535, 0), MakeNativeQuad(255, 0, 0, 255)},          // pure red
        {Record(1, 12345, 0, 0x80FF, 0), MakeNativeQuad(128, 128, 128, 255)},     // no saturation: grey
        {Record(1, 32768, 32768, 65535, 0), MakeNativeQuad(127, 255, 255, 255)},  // half-saturated cyan
        {Record(2, 65535, 65535, 65535, 65535), MakeNativeQuad(255, 255, 255, 255)},  // no ink: paper
        {Record(2, 40000, 0, 65535, 50000), MakeNativeQuad(119, 0, 195, 255)},
        {Record(2, 45696, 65535, 0, 2570), MakeNativeQuad(6, 10, 0, 255)},  // 1791.999...: the float order counts
        {Record(2, 65535, 65535, 65535, 0), MakeNativeQuad(0, 0, 0, 255)},  // black ink
        {Record(3, 65535, 65535, 65535, 0), kOpaqueBlack},
        {Record(-1, 65535, 65535, 65535, 0), kOpaqueBlack},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NativeQuadToWord(c.record.ToNativeQuad()), NativeQuadToWord(c.colour)) << c.record.mSpace;
    EXPECT_TRUE(ColorRecord::FromRGB(0, 0, 0).IsValid());
    EXPECT_FALSE(ColorRecord::Empty().IsValid());
    EXPECT_EQ(ColorRecord::FromRGB(1, 2, 3), Record(0, 257, 514, 771, 0));
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

TEST(ColorRecord, HSBColoursAgreeWithExactArithmeticInEverySextant) {
    std::mt19937 random(3);
    for (int i = 0; i < 20000; ++i) {
        const uint16 h = uint16(random()), s = uint16(i % 5 == 0 ? 65535 : random()), v = uint16(random());
        EXPECT_EQ(NativeQuadToWord(Record(1, h, s, v, 0).ToNativeQuad()), NativeQuadToWord(ExactHSB(h, s, v)))
            << h << " " << s << " " << v;
    }
}

}  // namespace
