#include "Src/Orvane/Src/Image/LayerSettings.h"

#include "Src/Pellin/Isol/Report.h"

LayerSettings::LayerSettings(uint32 inLayerID, const GPoint& inOrigin, bool inVisible, uint32 inBlendMode,
                             uint8 inOpacity, const GPoint& inMaskOffset, bool inMaskEnabled,
                             bool inMaskInverted, bool inMaskLinked, bool inAdjustmentMask)
    : mLayerID(inLayerID),
      mOrigin(inOrigin),
      mVisible(inVisible),
      mBlendMode(inBlendMode),
      mOpacity(inOpacity),
      mMaskOffset(inMaskOffset),
      mMaskEnabled(inMaskEnabled),
      mMaskInverted(inMaskInverted),
      mMaskLinked(inMaskLinked),
      mAdjustmentMask(inAdjustmentMask) {
    LASSERT(mLayerID != kInvalidLayerID);
}
