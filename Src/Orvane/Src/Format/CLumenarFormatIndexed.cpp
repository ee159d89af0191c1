// CLumenarFormat: the picture of an indexed document.
//
// The merged colour-index rows are looked up in the document's colour table as they are stored, into an
// RGB background layer; the image is flattened after reading in any case, so the result is the same as
// holding the indexes and converting them when compositing.
#include <vector>

#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"

CLayer* CLumenarFormat::MakeIndexedBackground(const GRect& inBounds, uint32 inLayerID) {
    CNativeQuadTileBuffer pixels(inBounds, mColorTable[0]);
    CRGBLayer* layer = new CRGBLayer(mImage, pixels, std::string(), true, kLayerSettingsDefaultBlendMode, 255, inLayerID);
    mIndexedBackground = layer;
    return layer;
}

CLumenarFormat::RowStore CLumenarFormat::IndexRowStore(CLayer* inLayer) {
    if (inLayer == nullptr || inLayer != mIndexedBackground) return RowStore();
    CRGBLayer* layer = static_cast<CRGBLayer*>(inLayer);
    const std::array<NativeQuad, 256>* table = &mColorTable;
    return [layer, table](const GRect& inRect, const uint8* inRows, int32 inStride) {
        const int32 width = inRect.Width();
        std::vector<NativeQuad> colours(static_cast<size_t>(width));
        for (int32 y = inRect.top; y < inRect.bottom; ++y) {
            const uint8* indexes = inRows + size_t(y - inRect.top) * size_t(inStride);
            for (int32 x = 0; x < width; ++x) colours[size_t(x)] = (*table)[indexes[x]];
            layer->SetTile(GRect(inRect.left, y, inRect.right, y + 1), colours.data(), width * 4);
        }
    };
}
