// The parameters of a layer's effects and the counted representation that layers share.
//
// Lengths, angles, blurs and intensities are signed 16.16 fixed-point numbers (65536 = 1.0); angles are
// degrees, distances pixels. Blend modes are internal modes (12000 + k). Opacities are bytes (255 =
// opaque). A colour that no document record supplied is the empty ColorRecord; such an effect is never
// enabled, so it is never drawn.
#pragma once

#include "Src/Orvane/Src/Effects/ColorRecord.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/IsolTypes.h"
#include "Src/Pellin/Isol/Report.h"

using Fixed = int32;

inline constexpr Fixed kFixedOne = 0x10000;

// Valid ranges of the stored values; a block holding anything outside them is refused.
inline constexpr Fixed kMinFXFixedBlurValue = 0;
inline constexpr Fixed kMaxFXFixedBlurValue = 0x320000;  // 50.0
inline constexpr Fixed kMinFXFixedIntensityValue = 0;
inline constexpr Fixed kMaxFXFixedIntensityValue = 0x2580000;  // 600.0
inline constexpr Fixed kMinFXFixedAngleValue = -0xB40000;      // -180.0
inline constexpr Fixed kMaxFXFixedAngleValue = 0xB40000;       // 180.0
inline constexpr Fixed kMinFXFixedDistanceValue = 0;
inline constexpr Fixed kMaxFXFixedDistanceValue = 0x75300000;  // 30000.0
inline constexpr Fixed kMinFXFixedStrengthValue = 0x10000;     // 1.0
inline constexpr Fixed kMaxFXFixedStrengthValue = 0x140000;    // 20.0
inline constexpr Fixed kMinFXFixedEmbossBlurValue = 0;
inline constexpr Fixed kMaxFXFixedEmbossBlurValue = 0x320000;  // 50.0

enum BevelStyle : int32 { OuterBevel = 1, InnerBevel = 2, Emboss = 3, PillowEmboss = 4 };

// Every parameter, with the values of a new representation. Two parameter sets are equal when every
// field is.
struct LayerFXParameters {
    bool mDropShadowEnabled = false;
    uint32 mDropShadowBlendMode = kBlendMultiply;
    uint8 mDropShadowOpacity = 191;
    ColorRecord mDropShadowColor;
    Fixed mDropShadowBlur = 5 * kFixedOne;
    Fixed mDropShadowIntensity = 0;
    Fixed mDropShadowAngle = 120 * kFixedOne;
    Fixed mDropShadowDistance = 5 * kFixedOne;
    bool mDropShadowUseGlobalAngle = true;

    bool mOuterGlowEnabled = false;
    uint32 mOuterGlowBlendMode = kBlendScreen;
    uint8 mOuterGlowOpacity = 191;
    ColorRecord mOuterGlowColor;
    Fixed mOuterGlowBlur = 5 * kFixedOne;
    Fixed mOuterGlowIntensity = 0;

    bool mInnerShadowEnabled = false;
    uint32 mInnerShadowBlendMode = kBlendMultiply;
    uint8 mInnerShadowOpacity = 191;
    ColorRecord mInnerShadowColor;
    Fixed mInnerShadowBlur = 5 * kFixedOne;
    Fixed mInnerShadowIntensity = 0;
    Fixed mInnerShadowAngle = 120 * kFixedOne;
    Fixed mInnerShadowDistance = 5 * kFixedOne;
    bool mInnerShadowUseGlobalAngle = true;

    bool mInnerGlowEnabled = false;
    uint32 mInnerGlowBlendMode = kBlendScreen;
    uint8 mInnerGlowOpacity = 191;
    ColorRecord mInnerGlowColor;
    Fixed mInnerGlowBlur = 5 * kFixedOne;
    Fixed mInnerGlowIntensity = 0;
    bool mInnerGlowInvert = true;  // glow inward from the edges rather than over the layer's coverage

    bool mBevelEnabled = false;
    uint32 mBevelHighlightBlendMode = kBlendScreen;
    uint32 mBevelShadowBlendMode = kBlendMultiply;
    uint8 mBevelHighlightOpacity = 191;
    uint8 mBevelShadowOpacity = 191;
    ColorRecord mBevelHighlightColor;
    ColorRecord mBevelShadowColor;
    Fixed mBevelBlur = 5 * kFixedOne;
    Fixed mBevelAngle = 120 * kFixedOne;
    Fixed mBevelStrength = 5 * kFixedOne;
    int32 mBevelStyle = OuterBevel;
    bool mBevelDirection = false;  // reverses the light
    bool mBevelUseGlobalAngle = true;

    bool mInnerEffectsVisible = true;
    bool mOuterEffectsVisible = true;

    bool operator==(const LayerFXParameters& inOther) const = default;
};

// What a LayerFX handle points at. mRefCount counts the handles; it is 0 until the first one takes the
// representation, and the last handle to let go deletes it.
struct LayerFXRep : public LAllocatedObject, public LayerFXParameters {
    int32 mRefCount = 0;

    void Retain() { ++mRefCount; }
    // Deletes the representation when the last reference goes.
    void Release() {
        LASSERT(mRefCount > 0);
        if (--mRefCount <= 0) delete this;
    }
};
