#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"

#include <new>
#include <utility>

#include "Src/Orvane/Src/Adjustments/CBrightnessContrastAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CChannelMixerAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CColorBalanceAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CCurvesAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CHueSaturationAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CInvertAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CLevelsAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CPosterizeAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CSelectiveColorAdjustmentLayer.h"
#include "Src/Orvane/Src/Adjustments/CThresholdAdjustmentLayer.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/Report.h"

const uint32 AdjustmentKeyTable[kAdjustmentTypeCount + 1] = {
    FourCC("levl"), FourCC("curv"), FourCC("brit"), FourCC("blnc"), FourCC("hue "), FourCC("selc"),
    FourCC("thrs"), FourCC("nvrt"), FourCC("post"), FourCC("hue2"), FourCC("mixr"), FourCC("    "),
};

bool AdjustmentTypeFromKey(uint32 inSignature, uint32 inKey, uint32& outType) {
    if (inSignature != FourCC("ZQRS")) return false;
    for (uint32 type = 0; type < kAdjustmentTypeCount; ++type) {
        if (AdjustmentKeyTable[type] == inKey) {
            outType = type;
            return true;
        }
    }
    return false;
}

namespace {

// Allocates the layer's memory separately from running its reading constructor, so that only a failed
// allocation gives null: anything the constructor throws (a refused block, a stream failure, memory for
// the layer's own members) frees the memory and goes on to the caller.
template <typename Layer, typename... Arguments>
CAdjustmentLayer* NewAdjustmentLayer(Arguments&&... inArguments) {
    void* memory = LAllocate(int32(sizeof(Layer)), true);
    if (memory == nullptr) return nullptr;
    try {
        return ::new (memory) Layer(std::forward<Arguments>(inArguments)...);
    } catch (...) {
        LFree(memory);
        throw;
    }
}

}  // namespace

// One case per adjustment type; the reading constructor takes the settings, the stream and the block's
// position (and its length where the block's layout depends on it).
CAdjustmentLayer* CreateAdjustmentLayer(const AdjustmentLayerSettings& inSettings, uint32 inAdjustmentType,
                                        SReadStream& inStream, uint32 inDataPosition, uint32 inDataLength) {
    switch (inAdjustmentType) {
        case kBrightnessContrastAdjustment:
            return NewAdjustmentLayer<CBrightnessContrastAdjustmentLayer>(inSettings, inStream,
                                                                          inDataPosition);
        case kThresholdAdjustment:
            return NewAdjustmentLayer<CThresholdAdjustmentLayer>(inSettings, inStream, inDataPosition);
        case kInvertAdjustment:
            return NewAdjustmentLayer<CInvertAdjustmentLayer>(inSettings, inStream, inDataPosition);
        case kPosterizeAdjustment:
            return NewAdjustmentLayer<CPosterizeAdjustmentLayer>(inSettings, inStream, inDataPosition);
        // Colour adjustments. Both hue/saturation keys build the same class; the block's version decides.
        case kColorBalanceAdjustment:
            return NewAdjustmentLayer<CColorBalanceAdjustmentLayer>(inSettings, inStream, inDataPosition);
        case kHueSaturationAdjustment:
        case kHueSaturation2Adjustment:
            return NewAdjustmentLayer<CHueSaturationAdjustmentLayer>(inSettings, inStream, inDataPosition);
        case kSelectiveColorAdjustment:
            return NewAdjustmentLayer<CSelectiveColorAdjustmentLayer>(inSettings, inStream, inDataPosition);
        case kChannelMixerAdjustment:
            return NewAdjustmentLayer<CChannelMixerAdjustmentLayer>(inSettings, inStream, inDataPosition);
        case kLevelsAdjustment:
            return NewAdjustmentLayer<CLevelsAdjustmentLayer>(inSettings, inStream, inDataPosition,
                                                              inDataLength);
        case kCurvesAdjustment:
            return NewAdjustmentLayer<CCurvesAdjustmentLayer>(inSettings, inStream, inDataPosition);
        default:
            LREPORT("CreateAdjustmentLayer: unknown layer type!");
            return nullptr;
    }
}

CLayer* CreateAdjustmentLayer(CImage* inImage, const std::string& inName, bool inVisible,
                              const GRect& /*inBounds*/, uint32 inBlendMode, uint8 inOpacity,
                              uint8 inMaskDefaultColor, uint32 inLayerID, uint32 inAdjustmentType,
                              SReadStream& inStream, uint32 inDataPosition, uint32 inDataLength) {
    AdjustmentLayerSettings settings;
    settings.mImage = inImage;
    settings.mName = inName;
    settings.mVisible = inVisible;
    settings.mBlendMode = inBlendMode;
    settings.mOpacity = inOpacity;
    settings.mMaskDefaultColor = inMaskDefaultColor;
    settings.mLayerID = inLayerID;
    return CreateAdjustmentLayer(settings, inAdjustmentType, inStream, inDataPosition, inDataLength);
}
