#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/Report.h"

const BlendModeKey kBlendModeKeys[17] = {
    {FourCC("norm"), kBlendNormal},     {FourCC("dark"), kBlendDarken},     {FourCC("lite"), kBlendLighten},
    {FourCC("hue "), kBlendHue},        {FourCC("sat "), kBlendSaturation}, {FourCC("colr"), kBlendColor},
    {FourCC("lum "), kBlendLuminosity}, {FourCC("mul "), kBlendMultiply},   {FourCC("scrn"), kBlendScreen},
    {FourCC("diss"), kBlendDissolve},   {FourCC("over"), kBlendOverlay},    {FourCC("hLit"), kBlendHardLight},
    {FourCC("sLit"), kBlendSoftLight},  {FourCC("diff"), kBlendDifference}, {FourCC("smud"), kBlendExclusion},
    {FourCC("div "), kBlendColorDodge}, {FourCC("idiv"), kBlendColorBurn},
};

void InternalToExternalBlendMode(uint32 inMode, uint32& outSignature, uint32& outKey) {
    outSignature = kBlendSignature;
    for (const BlendModeKey& entry : kBlendModeKeys) {
        if (entry.mode == inMode) {
            outKey = entry.key;
            return;
        }
    }
    LREPORT("InternalToExternalBlendMode: Unrecognized internal blend mode");
    outKey = FourCC("norm");
}

uint32 ExternalToInternalBlendMode(uint32 inSignature, uint32 inKey) {
    if (inSignature == kBlendSignature) {
        for (const BlendModeKey& entry : kBlendModeKeys)
            if (entry.key == inKey) return entry.mode;
    }
    LTHROW_MESSAGE("ExternalToInternalBlendMode: Unrecognized external blend mode");
}

uint32 LayerBlendModeFromKey(uint32 inKey) {
    try {
        return ExternalToInternalBlendMode(kBlendSignature, inKey);
    } catch (const Exception&) {
        LREPORT("CLumenarFormat::ReadLayerData: Unrecognized blend mode -- using kBlendNormal");
        return kBlendNormal;
    }
}
