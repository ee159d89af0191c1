#include "tests/Effects/EffectsTestSupport.h"

#include <algorithm>
#include <cmath>

#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Effects/LayerFXBlock.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "tests/support/MemoryFilePort.h"

namespace EffectsTest {

ByteVector Record(const char (&inKey)[5], const ByteVector& inFields, std::optional<uint32> inLength,
                  const char (&inSignature)[5]) {
    Bytes bytes;
    bytes.Key(inSignature).Key(inKey).U32(inLength.value_or(uint32(inFields.size())));
    return bytes.Append(inFields).Get();
}

ByteVector Payload(const std::vector<ByteVector>& inRecords, std::optional<int16> inCount) {
    Bytes bytes;
    bytes.U16(0).U16(uint16(inCount.value_or(int16(inRecords.size()))));
    for (const ByteVector& record : inRecords) bytes.Append(record);
    return bytes.Get();
}

ByteVector ShadowFields(uint32 inBlur, uint32 inIntensity, uint32 inAngle, uint32 inDistance,
                        const char (&inMode)[5], uint8 inEnabled, uint8 inOpacity) {
    Bytes bytes;
    for (uint32 value : {0u, inBlur, inIntensity, inAngle, inDistance}) bytes.U32(value);
    bytes.U16(0).U16(0x1111).U16(0x2222).U16(0x3333).U16(0).Key("ZQRS").Key(inMode);
    return bytes.U8(inEnabled).U8(0).U8(inOpacity).Get();
}

ByteVector GlowFields(uint32 inVersion, uint32 inBlur, const char (&inMode)[5], uint8 inEnabled) {
    Bytes bytes;
    bytes.U32(inVersion).U32(inBlur).U32(0x10000).U16(0).U16(0xFFFF).U16(0xEEEE).U16(0xDDDD).U16(0);
    bytes.Key("ZQRS").Key(inMode);
    bytes.U8(inEnabled).U8(99);
    if (inVersion >= 1) bytes.U8(0);
    return bytes.Get();
}

ByteVector BevelFields(uint8 inStyle, uint32 inAngle, uint32 inStrength, uint32 inBlur) {
    Bytes bytes;
    bytes.U32(0).U32(inAngle).U32(inStrength).U32(inBlur).Key("ZQRS").Key("lite").Key("ZQRS").Key("dark");
    bytes.U16(0).U16(0xFFFF).U16(0xFFFF).U16(0xFFFF).U16(0).Zeros(10);
    for (uint32 value : {uint32(inStyle), 10u, 20u, 1u, 0u, 1u}) bytes.U8(value);
    return bytes.Get();
}

std::optional<LayerFXParameters> ReadPayload(const ByteVector& inPayload, std::string* outRefusal) {
    MemoryFilePort port(inPayload);
    SReadStream stream(&port, 0, 4096, 0);
    try {
        const LayerFX fx(stream, uint32(inPayload.size()));
        return fx.Parameters();
    } catch (const BaseException& e) {
        if (outRefusal != nullptr) *outRefusal = e.Message().Text();
        return std::nullopt;
    }
}

TestImage MakeImage(int32 inWidth, int32 inHeight, const GRect& inLayerRect,
                    const std::function<NativeQuad(int32, int32)>& inPixel) {
    TestImage result;
    result.image = std::make_unique<CImage>(inWidth, inHeight);
    result.layer = PaintedLayer(1, inLayerRect, inPixel);
    result.image->AddLayer(result.layer, false, -1, true);
    return result;
}

LayerFXParameters RandomParameters(std::mt19937& ioRandom, int32 inMaxBlur, int32 inMaxDistance) {
    auto in = [&](int64 inMin, int64 inMax) {
        return Fixed(inMin + int64(ioRandom() % uint64(inMax - inMin + 1)));
    };
    auto flag = [&] { return (ioRandom() & 1) != 0; };
    auto opacity = [&] { return ioRandom() % 5 == 0 ? uint8(0) : uint8(ioRandom()); };
    auto mode = [&] { return kBlendModeKeys[ioRandom() % 17].mode; };
    auto blur = [&] {
        return ioRandom() % 4 == 0   ? Fixed(0)
               : ioRandom() % 3 == 0 ? in(1, 0xFFFF)
                                     : in(0, int64(inMaxBlur) << 16);
    };
    auto angle = [&] { return in(kMinFXFixedAngleValue, kMaxFXFixedAngleValue); };
    auto intensity = [&] { return in(0, kMaxFXFixedIntensityValue); };
    auto distance = [&] { return in(0, int64(inMaxDistance) << 16); };
    auto color = [&] {
        if (ioRandom() % 6 == 0) return ColorRecord::Empty();
        return ColorRecord{int16(ioRandom() % 4),
                           {uint16(ioRandom()), uint16(ioRandom()), uint16(ioRandom()), uint16(ioRandom())}};
    };
    LayerFXParameters p;
    p.mDropShadowEnabled = flag(), p.mDropShadowBlendMode = mode(), p.mDropShadowOpacity = opacity();
    p.mDropShadowColor = color(), p.mDropShadowBlur = blur(), p.mDropShadowIntensity = intensity();
    p.mDropShadowAngle = angle(), p.mDropShadowDistance = distance(), p.mDropShadowUseGlobalAngle = flag();
    p.mInnerShadowEnabled = flag(), p.mInnerShadowBlendMode = mode(), p.mInnerShadowOpacity = opacity();
    p.mInnerShadowColor = color(), p.mInnerShadowBlur = blur(), p.mInnerShadowIntensity = intensity();
    p.mInnerShadowAngle = angle(), p.mInnerShadowDistance = distance(), p.mInnerShadowUseGlobalAngle = flag();
    p.mOuterGlowEnabled = flag(), p.mOuterGlowBlendMode = mode(), p.mOuterGlowOpacity = opacity();
    p.mOuterGlowColor = color(), p.mOuterGlowBlur = blur(), p.mOuterGlowIntensity = intensity();
    p.mInnerGlowEnabled = flag(), p.mInnerGlowBlendMode = mode(), p.mInnerGlowOpacity = opacity();
    p.mInnerGlowColor = color(), p.mInnerGlowBlur = blur(), p.mInnerGlowIntensity = intensity();
    p.mInnerGlowInvert = flag();
    p.mBevelEnabled = flag(), p.mBevelHighlightBlendMode = mode(), p.mBevelShadowBlendMode = mode();
    p.mBevelHighlightOpacity = opacity(), p.mBevelShadowOpacity = opacity();
    p.mBevelHighlightColor = color(), p.mBevelShadowColor = color(), p.mBevelBlur = blur();
    p.mBevelAngle = angle(), p.mBevelStrength = in(kMinFXFixedStrengthValue, kMaxFXFixedStrengthValue);
    p.mBevelStyle = int32(1 + ioRandom() % 4), p.mBevelDirection = flag(), p.mBevelUseGlobalAngle = flag();
    return p;
}

LayerFXParameters QuietParameters() {
    LayerFXParameters p;
    p.mDropShadowColor = ColorRecord::FromRGB(0, 0, 0);
    p.mInnerShadowColor = ColorRecord::FromRGB(20, 0, 40);
    p.mOuterGlowColor = ColorRecord::FromRGB(255, 255, 0);
    p.mInnerGlowColor = ColorRecord::FromRGB(0, 255, 200);
    p.mBevelHighlightColor = ColorRecord::FromRGB(255, 255, 255);
    p.mBevelShadowColor = ColorRecord::FromRGB(0, 0, 60);
    return p;
}

namespace {

const double kPi = 3.14159265358979323846;

// The layer's coverage: its alpha inside its bounds (full for an adjustment layer), times the (possibly
// inverted) mask when the mask is used; 0 outside the bounds. Read pixel by pixel once.
class Coverage {
public:
    Coverage(const CLayer& inLayer, bool inUseMask) : mBounds(inLayer.GetBounds()) {
        const bool adjustment = inLayer.GetLayerType() == eAdjustmentLayer;
        mValues.resize(size_t(mBounds.Area()));
        for (int32 y = mBounds.top; y < mBounds.bottom; ++y)
            for (int32 x = mBounds.left; x < mBounds.right; ++x) {
                int32 value = 255;
                if (!adjustment) {
                    NativeQuad q{};
                    static_cast<const CRGBLayer&>(inLayer).GetTile(GRect(x, y, x + 1, y + 1), &q, 4);
                    value = q.alpha;
                }
                if (inUseMask || adjustment) {
                    uint8 m = inLayer.GetMaskDefaultColor();
                    if (inLayer.HasLayerMask()) inLayer.GetLayerMaskTile(GRect(x, y, x + 1, y + 1), &m, 1);
                    if (inLayer.GetMaskInverted()) m = uint8(255 - m);
                    value = Mul8(m, uint32(value));
                }
                mValues[Index(x, y)] = value;
            }
    }
    int32 operator()(int32 inX, int32 inY) const {
        return mBounds.Contains(GPoint(inX, inY)) ? mValues[Index(inX, inY)] : 0;
    }

private:
    size_t Index(int32 inX, int32 inY) const {
        return size_t(inY - mBounds.top) * size_t(mBounds.Width()) + size_t(inX - mBounds.left);
    }
    GRect mBounds;
    std::vector<int32> mValues;
};

int32 Radius(Fixed inBlur) {
    return std::clamp((inBlur + 65534) >> 16, 2, 50);
}

GRect Grown(GRect inRect, Fixed inBlur) {
    const int32 g = inBlur <= 0 ? 0 : (std::max(inBlur, 0x20000) + 65534) >> 16;
    if (g == 0) return inRect;
    return GRect(inRect.left - g + 1, inRect.top - g + 1, inRect.right + g, inRect.bottom + g);
}

// The two tent passes at (x, y): the weighted column sum of the 8.8 row values around it, every row value
// and the sum computed directly from their weights.
int64 TentSum(const Coverage& inCoverage, int32 inX, int32 inY, int32 r) {
    int64 sum = 0;
    for (int32 dy = 1 - r; dy < r; ++dy) {
        int64 row = 0;
        for (int32 dx = 1 - r; dx < r; ++dx) row += int64(r - std::abs(dx)) * inCoverage(inX + dx, inY + dy);
        sum += int64(r - std::abs(dy)) * std::min<int64>(row * 256 / (int64(r) * r), 65280);
    }
    return sum;
}

int32 PlainBlur(int64 inSum, int32 r, Fixed inIntensity) {
    const double gain = 65536.0 + double(inIntensity / 100);
    const int64 c = std::llround(gain / 65536.0 / double(r * r) * 1048576.0);
    return int32(std::min<int64>(255, ((inSum >> 8) * c + (1 << 19)) >> 20));
}

int32 InvertedBlur(int64 inSum, int32 r, Fixed inIntensity) {
    const int64 gain = 65536 + inIntensity / 100;
    const int64 c = std::llround(1048576.0 / double(r * r));
    const int64 q = (inSum >> 8) * c;
    if (q >= int64(255) << 20) return 0;
    const int64 w = 0xFFFFFF - (q >> 4);
    const int64 p = w * gain / 65536;
    return int32(std::min<int64>(255, (p + 32768) >> 16));
}

void BlendPixel(Canvas& ioCanvas, int32 inX, int32 inY, NativeQuad inColor, int32 inMask, uint32 inMode,
                uint8 inOpacity) {
    NativeQuad source = inColor;
    source.alpha = uint8(inMask);
    BlendTile(GRect(inX, inY, inX + 1, inY + 1), &source, 4, &ioCanvas.At(inX, inY), 4, inMode, inOpacity,
              false);
}

struct Shadowish {
    const ColorRecord& color;
    uint32 mode;
    uint8 opacity;
    GPoint offset;
    Fixed blur;
    Fixed intensity;
    bool invert;
};

void OneEffect(const CLayer& inLayer, const Coverage& inCoverage, Canvas& ioCanvas, const Shadowish& e) {
    const uint8 opacity = Mul8(e.opacity, inLayer.GetOpacity());
    if (opacity == 0) return;
    const GRect drawn =
        Grown(GRect(inLayer.GetBounds()).Offset(e.offset), e.blur).Intersection(ioCanvas.area);
    if (drawn.Empty()) return;
    const int32 r = Radius(e.blur);
    for (int32 y = drawn.top; y < drawn.bottom; ++y)
        for (int32 x = drawn.left; x < drawn.right; ++x) {
            int32 mask = 0;
            if (e.blur == 0) {
                mask = inCoverage(x - e.offset.h, y - e.offset.v);
                if (e.invert) mask = 255 - mask;
            } else {
                const int64 sum = TentSum(inCoverage, x - e.offset.h, y - e.offset.v, r);
                mask = e.invert ? InvertedBlur(sum, r, e.intensity) : PlainBlur(sum, r, e.intensity);
            }
            BlendPixel(ioCanvas, x, y, e.color.ToNativeQuad(), mask, e.mode, opacity);
        }
}

GPoint Offset(Fixed inAngle, Fixed inDistance, bool inGlobal, int32 inGlobalAngle) {
    const double angle = inGlobal ? double(inGlobalAngle) * 65536.0 : double(inAngle);
    const double r = angle / 65536.0 / (180.0 / kPi);
    const double d = double(inDistance >> 16);
    return GPoint(-int32(std::trunc(std::cos(r) * d)), int32(std::trunc(std::sin(r) * d)));
}

void Emboss(const LayerFXParameters& p, const CLayer& inLayer, const Coverage& inCoverage, Canvas& ioCanvas,
            int32 inGlobalAngle, bool inInside) {
    const uint8 highlightOpacity = Mul8(p.mBevelHighlightOpacity, inLayer.GetOpacity());
    const uint8 shadowOpacity = Mul8(p.mBevelShadowOpacity, inLayer.GetOpacity());
    if (highlightOpacity == 0 && shadowOpacity == 0) return;
    const bool reverse =
        inInside ? p.mBevelDirection : (p.mBevelDirection != (p.mBevelStyle == PillowEmboss));
    int32 angle = (p.mBevelUseGlobalAngle ? inGlobalAngle : p.mBevelAngle / 65536) + (reverse ? 180 : 0);
    angle = ((angle % 360) + 360) % 360;
    const double a = angle * kPi / 180.0;
    const double e = 30.0 * kPi / 180.0;
    const double relief = 1530.0 / double(p.mBevelStrength >> 16);
    const int32 lx = int32(std::cos(a) * std::cos(e) * 255.9);
    const int32 ly = int32(std::sin(a) * std::cos(e) * 255.9);
    const int32 lz = int32(relief * std::sin(e) * 255.9);
    const int32 depth = int32(relief * relief);
    const GRect drawn = Grown(inLayer.GetBounds(), p.mBevelBlur).Inset(-1, -1).Intersection(ioCanvas.area);
    if (drawn.Empty()) return;
    const int32 r = Radius(p.mBevelBlur);
    auto height = [&](int32 x, int32 y) -> int64 {
        if (p.mBevelBlur == 0) return int64(inCoverage(x, y)) * 256;
        return int64(PlainBlur(TentSum(inCoverage, x, y, r), r, 0)) * 256;
    };
    for (int32 y = drawn.top; y < drawn.bottom; ++y)
        for (int32 x = drawn.left; x < drawn.right; ++x) {
            int64 gx = 0, gy = 0;
            for (int32 k = -1; k <= 1; ++k) {
                gx += height(x - 1, y + k) - height(x + 1, y + k);
                gy += height(x + k, y + 1) - height(x + k, y - 1);
            }
            int32 highlight = 0, shadow = 0;
            if ((gx != 0 || gy != 0) && !(inInside && inCoverage(x, y) == 0)) {
                const double u = double(gx) / 256.0, v = double(gy) / 256.0;
                const double n = u * lx + v * ly + lz;
                if (n > 0) {
                    const int32 s = int32(n / std::sqrt(u * u + v * v + depth));
                    shadow = std::clamp(2 * (128 - s), 0, 255);
                    highlight = std::clamp(2 * s - 254, 0, 255);
                } else {
                    shadow = 255;
                }
            }
            if (highlightOpacity != 0)
                BlendPixel(ioCanvas, x, y, p.mBevelHighlightColor.ToNativeQuad(), highlight,
                           p.mBevelHighlightBlendMode, highlightOpacity);
            if (shadowOpacity != 0)
                BlendPixel(ioCanvas, x, y, p.mBevelShadowColor.ToNativeQuad(), shadow,
                           p.mBevelShadowBlendMode, shadowOpacity);
        }
}

}  // namespace

void ReferenceEffects(const LayerFXParameters& p, const CLayer& inLayer, bool inUseLayerMask,
                      int32 inGlobalAngle, Canvas& ioOuter, Canvas& ioInner) {
    const Coverage coverage(inLayer, inUseLayerMask);
    const GPoint drop =
        Offset(p.mDropShadowAngle, p.mDropShadowDistance, p.mDropShadowUseGlobalAngle, inGlobalAngle);
    const GPoint inner =
        Offset(p.mInnerShadowAngle, p.mInnerShadowDistance, p.mInnerShadowUseGlobalAngle, inGlobalAngle);
    if (p.mOuterEffectsVisible) {
        if (p.mDropShadowEnabled)
            OneEffect(inLayer, coverage, ioOuter,
                      {p.mDropShadowColor, p.mDropShadowBlendMode, p.mDropShadowOpacity, drop,
                       p.mDropShadowBlur, p.mDropShadowIntensity, false});
        if (p.mBevelEnabled && p.mBevelStyle != InnerBevel)
            Emboss(p, inLayer, coverage, ioOuter, inGlobalAngle, false);
        if (p.mOuterGlowEnabled)
            OneEffect(inLayer, coverage, ioOuter,
                      {p.mOuterGlowColor, p.mOuterGlowBlendMode, p.mOuterGlowOpacity, GPoint(),
                       p.mOuterGlowBlur, p.mOuterGlowIntensity, false});
    }
    if (p.mInnerEffectsVisible) {
        if (p.mInnerGlowEnabled)
            OneEffect(inLayer, coverage, ioInner,
                      {p.mInnerGlowColor, p.mInnerGlowBlendMode, p.mInnerGlowOpacity, GPoint(),
                       p.mInnerGlowBlur, p.mInnerGlowIntensity, p.mInnerGlowInvert});
        if (p.mInnerShadowEnabled)
            OneEffect(inLayer, coverage, ioInner,
                      {p.mInnerShadowColor, p.mInnerShadowBlendMode, p.mInnerShadowOpacity, inner,
                       p.mInnerShadowBlur, p.mInnerShadowIntensity, true});
        if (p.mBevelEnabled && p.mBevelStyle != OuterBevel)
            Emboss(p, inLayer, coverage, ioInner, inGlobalAngle, true);
    }
}

}  // namespace EffectsTest
