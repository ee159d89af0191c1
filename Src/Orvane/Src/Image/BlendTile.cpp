// BlendTile: picks the loop of a mode once per call.
#include "Src/Orvane/Src/Image/BlendDispatch.h"
#include "Src/Orvane/Src/Image/BlendKernels.h"
#include "Src/Orvane/Src/Image/BlendLoop.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

using namespace BlendKernels;

// Dissolve copies the source, made opaque, wherever its coverage a beats the noise at the pixel's image
// position: 255 - a + noise < 256, that is noise <= a. It ignores preserved transparency.
void BlendDissolveLoop(const BlendArgs& inArgs) {
    const int32 width = inArgs.rect.Width();
    const int32 height = inArgs.rect.Height();
    for (int32 row = 0; row < height; ++row) {
        const NativeQuad* s = inArgs.SrcRow(row);
        NativeQuad* d = inArgs.DstRow(row);
        const int32 y = inArgs.rect.top + row;
        for (int32 column = 0; column < width; ++column) {
            const uint32 a = Mul8(s[column].alpha, inArgs.opacity);
            if (a == 0 || 255 - a + DissolveNoiseAt(inArgs.rect.left + column, y) >= 256) continue;
            d[column] = s[column];
            d[column].alpha = 255;
        }
    }
}

}  // namespace

bool IsBlendMode(uint32 inMode) {
    for (uint32 mode : kAllBlendModes)
        if (mode == inMode) return true;
    return false;
}

void BlendTile(const GRect& inRect, const NativeQuad* inSrc, int32 inSrcRowBytes, NativeQuad* ioDst,
               int32 inDstRowBytes, uint32 inMode, uint8 inOpacity, bool inPreserveTransparency) {
    if (!IsBlendMode(inMode)) {
        LREPORT("Switch guard failed.");
        return;
    }
    if (inRect.Empty()) return;
    BlendArgs args{inRect, inSrc, inSrcRowBytes, ioDst, inDstRowBytes, inOpacity, inPreserveTransparency};
    // The vector loop takes the leading columns that fill whole vectors; the scalar loop the rest.
    const int32 vectorColumns = BlendVectorColumns(args, inMode);
    if (vectorColumns == inRect.Width()) return;
    args.rect.left += vectorColumns;
    args.src += vectorColumns;
    args.dst += vectorColumns;
    switch (BlendMode(inMode)) {
        case kBlendNormal:
            BlendNormalLoop(args);
            break;
        case kBlendDarken:
            RunKernelLoop<SeparableKernel<DarkenRule>>(args);
            break;
        case kBlendLighten:
            RunKernelLoop<SeparableKernel<LightenRule>>(args);
            break;
        case kBlendHue:
            BlendHueLoop(args);
            break;
        case kBlendSaturation:
            BlendSaturationLoop(args);
            break;
        case kBlendColor:
            BlendColorLoop(args);
            break;
        case kBlendLuminosity:
            BlendLuminosityLoop(args);
            break;
        case kBlendMultiply:
            RunKernelLoop<SeparableKernel<MultiplyRule>>(args);
            break;
        case kBlendScreen:
            RunKernelLoop<SeparableKernel<ScreenRule>>(args);
            break;
        case kBlendDissolve:
            BlendDissolveLoop(args);
            break;
        case kBlendCurveLighten:
            RunKernelLoop<SeparableKernel<CurveLightenRule>>(args);
            break;
        case kBlendScaleLighten:
            RunKernelLoop<SeparableKernel<ScaleLightenRule>>(args);
            break;
        case kBlendScaleDarken:
            RunKernelLoop<SeparableKernel<ScaleDarkenRule>>(args);
            break;
        case kBlendCurveDarken:
            RunKernelLoop<SeparableKernel<CurveDarkenRule>>(args);
            break;
        case kBlendErase:
            RunKernelLoop<EraseKernel>(args);
            break;
        case kBlendOverlay:
            RunKernelLoop<SeparableKernel<OverlayRule>>(args);
            break;
        case kBlendHardLight:
            RunKernelLoop<SeparableKernel<HardLightRule>>(args);
            break;
        case kBlendSoftLight:
            RunKernelLoop<SeparableKernel<SoftLightRule>>(args);
            break;
        case kBlendDifference:
            RunKernelLoop<SeparableKernel<DifferenceRule>>(args);
            break;
        case kBlendExclusion:
            RunKernelLoop<SeparableKernel<ExclusionRule>>(args);
            break;
        case kBlendColorDodge:
            RunKernelLoop<ColorDodgeKernel>(args);
            break;
        case kBlendColorBurn:
            RunKernelLoop<SeparableKernel<ColorBurnRule>>(args);
            break;
        case kBlendBehind:
            RunKernelLoop<BehindKernel>(args);
            break;
    }
}
