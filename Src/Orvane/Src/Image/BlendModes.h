// Blend modes: how a rectangle of source pixels is laid onto destination pixels.
//
// All arithmetic is 8-bit and exact (Mul8, Mul8Signed, Screen8, Lerp8, Div8); components are
// unpremultiplied. The divide table must have been built (library start) before any blending.
#pragma once

#include "Src/Orvane/Src/Image/NativeQuad.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// Internal blend modes. The gaps (12010, 12015, 12020..12022, 12027) are not modes.
enum BlendMode : uint32 {
    kBlendNormal = 12000,
    kBlendDarken = 12001,
    kBlendLighten = 12002,
    kBlendHue = 12003,
    kBlendSaturation = 12004,
    kBlendColor = 12005,
    kBlendLuminosity = 12006,
    kBlendMultiply = 12007,
    kBlendScreen = 12008,
    kBlendDissolve = 12009,
    kBlendCurveLighten = 12011,
    kBlendScaleLighten = 12012,
    kBlendScaleDarken = 12013,
    kBlendCurveDarken = 12014,
    kBlendErase = 12016,
    kBlendOverlay = 12017,
    kBlendHardLight = 12018,
    kBlendSoftLight = 12019,
    kBlendDifference = 12023,
    kBlendExclusion = 12024,
    kBlendColorDodge = 12025,
    kBlendColorBurn = 12026,
    kBlendBehind = 12028,
};

// Every mode, in ascending order.
inline constexpr uint32 kAllBlendModes[] = {
    kBlendNormal,       kBlendDarken,       kBlendLighten,     kBlendHue,         kBlendSaturation,
    kBlendColor,        kBlendLuminosity,   kBlendMultiply,    kBlendScreen,      kBlendDissolve,
    kBlendCurveLighten, kBlendScaleLighten, kBlendScaleDarken, kBlendCurveDarken, kBlendErase,
    kBlendOverlay,      kBlendHardLight,    kBlendSoftLight,   kBlendDifference,  kBlendExclusion,
    kBlendColorDodge,   kBlendColorBurn,    kBlendBehind,
};
inline constexpr int32 kBlendModeCount = int32(sizeof(kAllBlendModes) / sizeof(kAllBlendModes[0]));

// True for the 23 values above.
bool IsBlendMode(uint32 inMode);

// True for the modes BlendPlane handles: normal, darken, lighten, multiply, screen, dissolve, the curve
// and scale modes, overlay, hard light, soft light, difference, exclusion, colour dodge and burn.
bool IsPlaneBlendMode(uint32 inMode);

// Blends inRect.Width() x inRect.Height() source pixels onto as many destination pixels. Rows advance by
// their row bytes; inRect gives the pixels' image coordinates (dissolve's pattern is fixed to them).
// With inPreserveTransparency no destination alpha changes (dissolve ignores the flag). Source and
// destination may be the same memory. A value that is not a mode reports "Switch guard failed." and
// leaves the destination untouched.
void BlendTile(const GRect& inRect, const NativeQuad* inSrc, int32 inSrcRowBytes, NativeQuad* ioDst,
               int32 inDstRowBytes, uint32 inMode, uint8 inOpacity, bool inPreserveTransparency);

// The single-plane form: one byte per pixel for source, destination and coverage, each with its own
// column and row stride. The weight of a pixel is Mul8(coverage, opacity); the mode's colour rule is
// applied with that weight, with no background step and no alpha. Modes outside IsPlaneBlendMode report
// "Switch guard failed." and leave the destination untouched.
void BlendPlane(const GRect& inRect, const uint8* inSrc, int32 inSrcColBytes, int32 inSrcRowBytes,
                uint8* ioDst, int32 inDstColBytes, int32 inDstRowBytes, const uint8* inCoverage,
                int32 inCoverageColBytes, int32 inCoverageRowBytes, uint8 inOpacity, uint32 inMode);
