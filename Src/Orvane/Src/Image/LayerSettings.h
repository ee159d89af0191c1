// The per-layer settings record: what the compositing pipeline reads from a layer, and what each
// animation frame remembers per layer.
#pragma once

#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

// What GetLayerType answers; the pipeline treats kind eAdjustmentLayer as a recolouring layer and every
// other kind as a layer with pixels of its own.
enum LayerKind : int32 { eRGBLayer = 0, eIndexedLayer = 1, eAdjustmentLayer = 4 };

inline constexpr uint32 kInvalidLayerID = 0xFFFFFFFF;
// Blend mode of a default record: the normal mode of the internal numbering.
inline constexpr uint32 kLayerSettingsDefaultBlendMode = 12000;

struct LayerSettings {
    uint32 mLayerID = kInvalidLayerID;
    GPoint mOrigin;      // added to the layer's own position when its pixels are placed
    uint8 mVisible = 1;  // hidden layers are skipped by compositing
    uint32 mBlendMode = kLayerSettingsDefaultBlendMode;
    uint8 mOpacity = 255;
    GPoint mMaskOffset;      // added to the mask's own origin
    uint8 mMaskEnabled = 1;  // the mask takes part in compositing
    uint8 mMaskInverted = 0;
    uint8 mMaskLinked = 1;      // the mask's position follows the layer
    uint8 mAdjustmentMask = 0;  // an adjustment layer's mask came from the document

    // Default record (id kInvalidLayerID): what a frame answers for a layer it does not know.
    LayerSettings() = default;
    // Reports "mLayerID != kInvalidLayerID" when given the invalid id, and keeps it.
    LayerSettings(uint32 inLayerID, const GPoint& inOrigin, bool inVisible, uint32 inBlendMode,
                  uint8 inOpacity, const GPoint& inMaskOffset = GPoint::zero, bool inMaskEnabled = true,
                  bool inMaskInverted = false, bool inMaskLinked = true, bool inAdjustmentMask = false);

    bool operator==(const LayerSettings& inOther) const = default;
};
