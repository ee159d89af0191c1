#include "tools/layers/LayerExport.h"

#include <algorithm>
#include <vector>

#include "Src/Orvane/Src/Compositing/BlendModeKeys.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Format/LayerRecord.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Orvane/Src/Image/PixelMath.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "tools/engine/EngineDocument.h"
#include "tools/info/DocumentInfo.h"
#include "tools/png/PngReader.h"

namespace {

constexpr size_t kMaxNameCharacters = 40;

// What the compositor reads for the layer over inRect (image coordinates), its own pixels only.
RgbaImage LayerPixels(CLayer& inLayer, const GRect& inRect, bool inApplyMask) {
    CNativeQuadTileBuffer buffer;
    LProgressScope progress;
    inLayer.GetPixels(buffer, &progress);
    std::vector<NativeQuad> quads(size_t(inRect.Area()));
    buffer.GetTile(inRect, quads.data(), inRect.Width() * 4, kPadValue, &kTransparentWhite);
    if (inApplyMask && inLayer.HasEnabledLayerMask()) {
        std::vector<uint8> mask(quads.size());
        inLayer.GetLayerMaskTile(inRect, mask.data(), inRect.Width());
        for (size_t i = 0; i < quads.size(); ++i) {
            const uint8 coverage = inLayer.GetMaskInverted() ? uint8(255 - mask[i]) : mask[i];
            quads[i].alpha = Mul8(coverage, quads[i].alpha);
        }
    }
    RgbaImage image;
    image.width = inRect.Width();
    image.height = inRect.Height();
    image.pixels.reserve(quads.size() * 4);
    for (const NativeQuad& quad : quads)
        image.pixels.insert(image.pixels.end(), {quad.red, quad.green, quad.blue, quad.alpha});
    return image;
}

GreyImage MaskPixels(const CLayer& inLayer, const GRect& inRect) {
    GreyImage image;
    image.width = inRect.Width();
    image.height = inRect.Height();
    image.pixels.resize(size_t(inRect.Area()));
    inLayer.GetLayerMaskTile(inRect, image.pixels.data(), inRect.Width());
    return image;
}

// The settings as the layer composites with them.
StackLayer DescribeLayer(const CLayer& inLayer) {
    StackLayer layer;
    layer.name = inLayer.GetName();
    uint32 signature = 0, key = 0;
    InternalToExternalBlendMode(inLayer.GetBlendMode(), signature, key);
    layer.blend = FourCharText(key);
    layer.opacity = inLayer.GetOpacity();
    layer.visible = inLayer.GetVisible();
    layer.clipping = uint8(inLayer.GetClipping() > 255 ? 255 : inLayer.GetClipping());
    if (inLayer.HasLayerMask()) {
        const GRect bounds = inLayer.GetLayerMaskBounds();
        StackMask mask;
        mask.left = bounds.left;
        mask.top = bounds.top;
        mask.width = bounds.Width();
        mask.height = bounds.Height();
        mask.defaultColour = inLayer.GetMaskDefaultColor();
        mask.inverted = inLayer.GetMaskInverted();
        mask.enabled = inLayer.GetMaskEnabled();
        mask.linked = inLayer.GetMaskLinked();
        layer.mask = mask;
    }
    return layer;
}

// An adjustment record, listed from what the document stores.
StackLayer DescribeAdjustment(const LayerRecord& inRecord) {
    StackLayer layer;
    layer.name = inRecord.mName;
    layer.left = inRecord.mBounds.left;
    layer.top = inRecord.mBounds.top;
    layer.width = inRecord.mBounds.Width();
    layer.height = inRecord.mBounds.Height();
    layer.blend = FourCharText(inRecord.mBlendKey);
    layer.opacity = inRecord.mOpacity;
    layer.visible = (inRecord.mFlags & kRecordHidden) == 0;
    layer.clipping = inRecord.mClipping;
    layer.adjustment = FourCharText(inRecord.mAdjustmentKey);
    layer.effects = inRecord.mHasEffects;
    return layer;
}

bool ExportPixelLayer(CLayer& inLayer, size_t inIndex, size_t inCount, const std::string& inFolder,
                      bool inSeparateMasks, StackLayer& ioLayer, std::string& outError) {
    const GRect bounds = inLayer.GetBounds();
    ioLayer.left = bounds.Empty() ? 0 : bounds.left;
    ioLayer.top = bounds.Empty() ? 0 : bounds.top;
    ioLayer.width = bounds.Empty() ? 0 : bounds.Width();
    ioLayer.height = bounds.Empty() ? 0 : bounds.Height();
    if (!bounds.Empty()) {
        ioLayer.file = LayerFileName(inIndex, inCount, ioLayer.name, "");
        const RgbaImage pixels = LayerPixels(inLayer, bounds, !inSeparateMasks);
        if (!WritePng(inFolder + "/" + ioLayer.file, pixels, PngMetadata(), outError)) return false;
    }
    if (!ioLayer.mask) return true;
    StackMask& mask = *ioLayer.mask;
    if (!inSeparateMasks) {
        mask.applied = true;
        return true;
    }
    const GRect maskBounds = inLayer.GetLayerMaskBounds();
    mask.file = LayerFileName(inIndex, inCount, ioLayer.name, "-mask");
    return WritePngGrey(inFolder + "/" + mask.file, MaskPixels(inLayer, maskBounds), outError);
}

}  // namespace

std::string LayerFileName(size_t inIndex, size_t inCount, const std::string& inName,
                          const std::string& inSuffix) {
    std::string index = std::to_string(inIndex);
    const size_t digits = std::max<size_t>(2, std::to_string(inCount > 0 ? inCount - 1 : 0).size());
    if (index.size() < digits) index.insert(0, digits - index.size(), '0');
    std::string name;
    for (const char c : inName.substr(0, kMaxNameCharacters)) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '.' || c == '_' || c == '-';
        name += safe ? c : '_';
    }
    return index + (name.empty() ? "" : "-" + name) + inSuffix + ".png";
}

bool ExportLayers(EngineDocument& ioDocument, const std::string& inFolder, bool inSeparateMasks,
                  LayerStack& outStack, std::string& outError) {
    CImage& image = ioDocument.Image();
    outStack.width = image.GetWidth();
    outStack.height = image.GetHeight();
    ioDocument.GetResolution(outStack.horizontalResolution, outStack.verticalResolution);
    outStack.layers.clear();

    // The records say what the document stores; the image holds a layer for every pixel record, in
    // order, and one for an adjustment record only when it could be built. A document without records
    // (its merged image only) is its image's layers.
    const std::vector<LayerRecord>& records = ioDocument.Codec().GetLayerRecords();
    std::vector<CLayer*> pixelLayers;
    for (int32 i = 0; i < image.GetLayerCount(); ++i) {
        CLayer* layer = image.GetLayerWithPosition(i);
        if (layer->GetLayerType() != eAdjustmentLayer) pixelLayers.push_back(layer);
    }
    std::vector<std::pair<CLayer*, const LayerRecord*>> stack;
    size_t nextPixel = 0;
    if (records.empty()) {
        for (CLayer* layer : pixelLayers) stack.emplace_back(layer, nullptr);
    } else {
        for (const LayerRecord& record : records) {
            CLayer* layer = nullptr;
            if (!record.mHasAdjustment && nextPixel < pixelLayers.size()) layer = pixelLayers[nextPixel++];
            if (record.mHasAdjustment || layer != nullptr) stack.emplace_back(layer, &record);
        }
    }
    for (size_t i = 0; i < stack.size(); ++i) {
        auto [layer, record] = stack[i];
        if (layer == nullptr) {
            outStack.layers.push_back(DescribeAdjustment(*record));
            continue;
        }
        StackLayer described = DescribeLayer(*layer);
        if (record != nullptr) described.effects = record->mHasEffects;
        if (layer->GetLayerType() == eRGBLayer)
            described.transparencyProtected = static_cast<CRGBLayer*>(layer)->GetTransparencyProtected();
        if (!ExportPixelLayer(*layer, i, stack.size(), inFolder, inSeparateMasks, described, outError))
            return false;
        outStack.layers.push_back(described);
    }
    return true;
}
