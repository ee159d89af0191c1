// BlendPlane: the colour rules of the blend modes on a single 8-bit plane. The weight of each pixel is
// its coverage scaled by the opacity; there is no background step and no alpha.
#include <cstddef>

#include "Src/Orvane/Src/Image/BlendKernels.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

using namespace BlendKernels;

struct PlaneArgs {
    GRect rect;
    const uint8* src;
    int32 srcColBytes;
    int32 srcRowBytes;
    uint8* dst;
    int32 dstColBytes;
    int32 dstRowBytes;
    const uint8* coverage;
    int32 coverageColBytes;
    int32 coverageRowBytes;
    uint8 opacity;
};

inline std::ptrdiff_t Offset(int32 inColumn, int32 inColBytes, int32 inRow, int32 inRowBytes) {
    return std::ptrdiff_t(inRow) * inRowBytes + std::ptrdiff_t(inColumn) * inColBytes;
}

// Calls inStep(a, s, d, x, y) for every pixel whose weight a is not 0.
template <class PixelStep>
void ForEachCoveredPixel(const PlaneArgs& p, PixelStep inStep) {
    for (int32 row = 0; row < p.rect.Height(); ++row) {
        for (int32 column = 0; column < p.rect.Width(); ++column) {
            const uint32 a =
                Mul8(p.coverage[Offset(column, p.coverageColBytes, row, p.coverageRowBytes)], p.opacity);
            if (a == 0) continue;
            uint8& d = p.dst[Offset(column, p.dstColBytes, row, p.dstRowBytes)];
            inStep(a, p.src[Offset(column, p.srcColBytes, row, p.srcRowBytes)], d, p.rect.left + column,
                   p.rect.top + row);
        }
    }
}

template <class Rule>
void PlaneLoop(const PlaneArgs& p) {
    ForEachCoveredPixel(p, [](uint32 a, uint32 s, uint8& d, int32, int32) { d = Rule::Apply(a, s, d); });
}

// d + a * (s - d).
void NormalPlaneLoop(const PlaneArgs& p) {
    ForEachCoveredPixel(p, [](uint32 a, uint32 s, uint8& d, int32, int32) {
        d = uint8(d + Mul8Signed(int32(a), int32(s) - d));
    });
}

// The source replaces the destination where 255 - a + noise < 256, as for quads.
void DissolvePlaneLoop(const PlaneArgs& p) {
    ForEachCoveredPixel(p, [](uint32 a, uint32 s, uint8& d, int32 x, int32 y) {
        if (255 - a + DissolveNoiseAt(x, y) < 256) d = uint8(s);
    });
}

}  // namespace

bool IsPlaneBlendMode(uint32 inMode) {
    switch (inMode) {
        case kBlendNormal:
        case kBlendDarken:
        case kBlendLighten:
        case kBlendMultiply:
        case kBlendScreen:
        case kBlendDissolve:
        case kBlendCurveLighten:
        case kBlendScaleLighten:
        case kBlendScaleDarken:
        case kBlendCurveDarken:
        case kBlendOverlay:
        case kBlendHardLight:
        case kBlendSoftLight:
        case kBlendDifference:
        case kBlendExclusion:
        case kBlendColorDodge:
        case kBlendColorBurn:
            return true;
        default:
            return false;
    }
}

void BlendPlane(const GRect& inRect, const uint8* inSrc, int32 inSrcColBytes, int32 inSrcRowBytes,
                uint8* ioDst, int32 inDstColBytes, int32 inDstRowBytes, const uint8* inCoverage,
                int32 inCoverageColBytes, int32 inCoverageRowBytes, uint8 inOpacity, uint32 inMode) {
    if (!IsPlaneBlendMode(inMode)) {
        LREPORT("Switch guard failed.");
        return;
    }
    if (inRect.Empty()) return;
    const PlaneArgs p{inRect,        inSrc,         inSrcColBytes, inSrcRowBytes,      ioDst,
                      inDstColBytes, inDstRowBytes, inCoverage,    inCoverageColBytes, inCoverageRowBytes,
                      inOpacity};
    switch (inMode) {
        case kBlendNormal:
            NormalPlaneLoop(p);
            break;
        case kBlendDarken:
            PlaneLoop<DarkenRule>(p);
            break;
        case kBlendLighten:
            PlaneLoop<LightenRule>(p);
            break;
        case kBlendMultiply:
            PlaneLoop<MultiplyRule>(p);
            break;
        case kBlendScreen:
            PlaneLoop<ScreenRule>(p);
            break;
        case kBlendDissolve:
            DissolvePlaneLoop(p);
            break;
        case kBlendCurveLighten:
            PlaneLoop<CurveLightenRule>(p);
            break;
        case kBlendScaleLighten:
            PlaneLoop<ScaleLightenRule>(p);
            break;
        case kBlendScaleDarken:
            PlaneLoop<ScaleDarkenRule>(p);
            break;
        case kBlendCurveDarken:
            PlaneLoop<CurveDarkenRule>(p);
            break;
        case kBlendOverlay:
            PlaneLoop<OverlayRule>(p);
            break;
        case kBlendHardLight:
            PlaneLoop<HardLightRule>(p);
            break;
        case kBlendSoftLight:
            PlaneLoop<SoftLightRule>(p);
            break;
        case kBlendDifference:
            PlaneLoop<DifferenceRule>(p);
            break;
        case kBlendExclusion:
            PlaneLoop<ExclusionRule>(p);
            break;
        case kBlendColorDodge:
            PlaneLoop<ColorDodgeRule>(p);
            break;
        case kBlendColorBurn:
            PlaneLoop<ColorBurnRule>(p);
            break;
        default:
            break;
    }
}
