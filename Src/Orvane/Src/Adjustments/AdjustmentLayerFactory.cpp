#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"

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

// The adjustment kinds join the module one by one; each adds its case here. Until then the document
// reader leaves layers of a type without a case out of the image.
CLayer* CreateAdjustmentLayer(CImage*, const std::string&, bool, const GRect&, uint32, uint8, uint8, uint32,
                              uint32 inAdjustmentType, SReadStream&, uint32, uint32) {
    if (inAdjustmentType >= kAdjustmentTypeCount) LREPORT("CreateAdjustmentLayer: unknown layer type!");
    return nullptr;
}
