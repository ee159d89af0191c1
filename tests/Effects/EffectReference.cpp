#include "tests/Effects/EffectReference.h"

#include <algorithm>
#include <cmath>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Image/PixelMath.h"

namespace EffectsTest {

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
