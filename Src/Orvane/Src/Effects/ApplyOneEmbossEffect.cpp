#include "Src/Orvane/Src/Effects/ApplyOneEmbossEffect.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Src/Orvane/Src/Effects/EffectGeometry.h"
#include "Src/Orvane/Src/Effects/EffectSource.h"
#include "Src/Orvane/Src/Effects/TentBlur.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/PowerPellin/LScratchBuffer.h"

namespace {

constexpr double kLightScale = 255.9;
constexpr double kElevationDegrees = 30.0;
// The steepest slope of the 3 x 3 gradient is 3 x 255 in each direction; a depth of 1 makes the relief
// twice as deep as that.
constexpr double kRelief = 1530.0;

uint64 Aligned(uint64 inBytes) {
    return (inBytes + 7) & ~uint64(7);
}

double Radians(double inDegrees) {
    return inDegrees * std::numbers::pi / 180.0;
}

uint8 ClampByte(int32 inValue) {
    return uint8(std::clamp(inValue, 0, 255));
}

}  // namespace

EmbossLight EmbossLight::For(int32 inAngleDegrees, int32 inDepth) {
    const double angle = Radians(inAngleDegrees);
    const double elevation = Radians(kElevationDegrees);
    const double relief = kRelief / std::max(inDepth, 1);
    EmbossLight light;
    light.mX = int32(std::cos(angle) * std::cos(elevation) * kLightScale);
    light.mY = int32(std::sin(angle) * std::cos(elevation) * kLightScale);
    light.mZ = int32(relief * std::sin(elevation) * kLightScale);
    light.mD = int32(relief * relief);
    return light;
}

// s is 255.9 times the cosine between the surface normal (u, v, relief) and the light: a surface facing
// the light more than a flat one brightens (highlight), one facing it less darkens (shadow); a surface
// turned away from the light is fully in shadow.
EmbossShade ShadeEmboss(int32 inGradientX, int32 inGradientY, const EmbossLight& inLight) {
    EmbossShade shade;
    if (inGradientX == 0 && inGradientY == 0) return shade;
    const double u = inGradientX / 256.0;
    const double v = inGradientY / 256.0;
    const double n = u * inLight.mX + v * inLight.mY + inLight.mZ;
    if (n > 0) {
        const int32 s = int32(n / std::sqrt(u * u + v * v + inLight.mD));
        shade.mShadow = ClampByte(2 * (128 - s));
        shade.mHighlight = ClampByte(2 * s - 254);
    } else {
        shade.mShadow = 255;
        shade.mHighlight = 0;
    }
    return shade;
}

void ApplyOneEmbossEffect(const EffectSource& inSource, uint8 inLayerOpacity, const EffectTarget& inTarget,
                          const EmbossPart& inPart) {
    const uint8 highlightOpacity = Mul8(inPart.mHighlightOpacity, inLayerOpacity);
    const uint8 shadowOpacity = Mul8(inPart.mShadowOpacity, inLayerOpacity);
    if (highlightOpacity == 0 && shadowOpacity == 0) return;
    if (inSource.IsAdjustment() && !inSource.LayerMaskRequested())
        LREPORT("ApplyOneEmbossEffect: layer mask should be active");

    // Beyond the coverage the height field is flat and shades nothing.
    const GRect area =
        GrowByBlur(inSource.CoverageBounds(), inPart.mBlur).Inset(-1, -1).Intersection(inTarget.mArea);
    if (area.Empty()) return;

    const bool blurred = inPart.mBlur > 0;
    const TentBlur blur(inPart.mBlur, 0, false);
    const int32 margin = blurred ? blur.Radius() : 0;
    const int32 stripWidth = std::min(area.Width(), kEmbossStripColumns);
    const int32 stripHeight = std::min(area.Height(), kEffectStripRows);
    const int32 fieldWidth = stripWidth + 2;
    const int32 fieldHeight = stripHeight + 2;

    // The source plane (the height field's rectangle grown by the blur radius), the blur's work rows,
    // the height field in whole mask levels, the two masks and the colour tile.
    const uint64 planeBytes = Aligned(uint64(fieldWidth + 2 * margin) * uint64(fieldHeight + 2 * margin));
    const uint64 workBytes = Aligned(blurred ? TentBlur::WorkBytes(fieldWidth, fieldHeight, margin) : 0);
    const uint64 fieldBytes = Aligned(uint64(fieldWidth) * uint64(fieldHeight));
    const uint64 maskBytes = Aligned(uint64(stripWidth) * uint64(stripHeight));
    LScratchBuffer scratch(
        uint32(planeBytes + workBytes + fieldBytes + 2 * maskBytes + maskBytes * sizeof(NativeQuad)));
    auto* plane = static_cast<uint8*>(scratch.Ptr());
    if (plane == nullptr) {
        LREPORT("BlendColorIntoCompositeTile: Bad composite buffer");
        return;
    }
    void* work = plane + planeBytes;
    uint8* field = plane + planeBytes + workBytes;
    uint8* highlight = field + fieldBytes;
    uint8* shadow = highlight + maskBytes;
    auto* tile = reinterpret_cast<NativeQuad*>(shadow + maskBytes);
    const EmbossLight light = EmbossLight::For(inPart.mLightAngle, inPart.mStrength >> 16);

    ForEachEffectStrip(area, kEmbossStripColumns, [&](const GRect& inStrip) {
        const GRect fieldRect = GRect(inStrip).Inset(-1, -1);
        const GRect from = GRect(fieldRect).Inset(-margin, -margin);
        const int32 fromWidth = from.Width();
        inSource.Read(from, plane, fromWidth);
        const int32 columns = fieldRect.Width();
        const uint8* levels = plane;
        if (blurred) {
            blur.Run(plane, fromWidth, columns, fieldRect.Height(), work, field, columns);
            levels = field;
        }
        const int32 levelRowBytes = blurred ? columns : fromWidth;
        const int32 width = inStrip.Width();
        for (int32 y = 0; y < inStrip.Height(); ++y) {
            const uint8* above = levels + int64(y) * levelRowBytes;
            const uint8* middle = above + levelRowBytes;
            const uint8* below = middle + levelRowBytes;
            const uint8* coverage = plane + int64(y + 1 + margin) * fromWidth + 1 + margin;
            for (int32 x = 0; x < width; ++x) {
                const int32 left = above[x] + middle[x] + below[x];
                const int32 right = above[x + 2] + middle[x + 2] + below[x + 2];
                const int32 top = above[x] + above[x + 1] + above[x + 2];
                const int32 bottom = below[x] + below[x + 1] + below[x + 2];
                EmbossShade shade;
                if (!inPart.mInside || coverage[x] != 0)
                    shade = ShadeEmboss((left - right) * 256, (bottom - top) * 256, light);
                highlight[int64(y) * width + x] = shade.mHighlight;
                shadow[int64(y) * width + x] = shade.mShadow;
            }
        }
        if (highlightOpacity != 0)
            BlendColorIntoCompositeTile(inPart.mHighlightColor, inStrip, highlight, width, inTarget,
                                        inPart.mHighlightBlendMode, highlightOpacity, tile);
        if (shadowOpacity != 0)
            BlendColorIntoCompositeTile(inPart.mShadowColor, inStrip, shadow, width, inTarget,
                                        inPart.mShadowBlendMode, shadowOpacity, tile);
    });
}
