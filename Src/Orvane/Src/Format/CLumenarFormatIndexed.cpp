// CLumenarFormat: the picture of an indexed document, an indexed layer sharing the document's colour
// table, into which the merged colour-index rows go.
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CIndexedLayer.h"

CLayer* CLumenarFormat::MakeIndexedBackground(const GRect& inBounds, uint32 inLayerID) {
    return new CIndexedLayer(mImage, std::string(), true, inBounds, kBlendNormal, 255, mColorTable, 0,
                             inLayerID);
}

CLumenarFormat::RowStore CLumenarFormat::IndexRowStore(CLayer* inLayer) {
    if (inLayer == nullptr || inLayer->GetLayerType() != eIndexedLayer) return RowStore();
    CIndexedLayer* indexed = static_cast<CIndexedLayer*>(inLayer);
    return [indexed](const GRect& inRect, const uint8* inRows, int32 inStride) {
        indexed->SetIndexRows(inRect, inRows, inStride);
    };
}
