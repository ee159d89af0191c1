#include "tools/info/DocumentInfo.h"

#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Tarnwick/LImageFile.h"
#include "Src/Tarnwick/LLumenarFormat.h"
#include "tools/engine/EngineDocument.h"

namespace {

constexpr uint16 kUnknownCompression = 0xFFFF;

DocumentInfo::Resource DescribeResource(const CImageResource& inResource, bool inPlugin) {
    DocumentInfo::Resource resource;
    resource.id = inResource.mID;
    resource.plugin = inPlugin;
    resource.type = FourCharText(inResource.mType);
    resource.name = inResource.Name();
    resource.size = inResource.DataSize();
    return resource;
}

DocumentInfo::Layer DescribeLayer(const LayerRecord& inRecord) {
    DocumentInfo::Layer layer;
    layer.name = inRecord.mName;
    if (inRecord.mLayerID != 0) layer.id = inRecord.mLayerID;
    layer.bounds = inRecord.mBounds;
    layer.blendKey = FourCharText(inRecord.mBlendKey);
    layer.opacity = inRecord.mOpacity;
    layer.clipping = inRecord.mClipping;
    layer.visible = (inRecord.mFlags & kRecordHidden) == 0;
    layer.transparencyProtected = (inRecord.mFlags & kRecordTransparencyProtected) != 0;
    if (inRecord.mHasMask)
        layer.mask =
            DocumentInfo::Mask{inRecord.mMaskBounds, inRecord.mMaskDefaultColor, inRecord.mMaskFlags};
    for (const ChannelLength& stored : inRecord.mChannels)
        layer.channels.push_back({ChannelLength::StoredIDFromKind(stored.GetKind()),
                                  stored.GetStoredCompression() == ChannelLength::kCompressionUnread
                                      ? kUnknownCompression
                                      : uint16(stored.GetStoredCompression()),
                                  stored.GetLength()});
    if (inRecord.mHasAdjustment) layer.adjustmentKey = FourCharText(inRecord.mAdjustmentKey);
    layer.effects = inRecord.mHasEffects;
    return layer;
}

}  // namespace

std::string FourCharText(uint32 inCode) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((inCode >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

std::string ModeName(uint32 inMode) {
    switch (inMode) {
        case kModeBitmap:
            return "bitmap";
        case kModeGrayscale:
            return "grayscale";
        case kModeIndexed:
            return "indexed";
        case kModeRGB:
            return "RGB";
        case kModeCMYK:
            return "CMYK";
        case kModeMultichannel:
            return "multichannel";
        case kModeDuotone:
            return "duotone";
        case kModeLab:
            return "Lab";
        default:
            return "mode " + std::to_string(inMode);
    }
}

DocumentInfo DescribeDocument(EngineDocument& ioDocument) {
    DocumentInfo info;
    CLumenarFormat& codec = ioDocument.Codec();
    info.width = int32(codec.GetColumns());
    info.height = int32(codec.GetRows());
    info.channels = codec.GetChannelCount();
    info.depth = codec.GetDepth();
    info.mode = codec.GetColorMode();
    ioDocument.GetResolution(info.horizontalResolution, info.verticalResolution);

    auto* format = static_cast<Tarnwick::LLumenarFormat*>(ioDocument.File().GetFormat());
    const CImageResourceMgr& resources = *format->GetResourceManager();
    for (const auto& [id, resource] : resources.Resources())
        info.resources.push_back(DescribeResource(*resource, false));
    for (const auto& [type, list] : resources.PluginResources())
        for (const auto& resource : list) info.resources.push_back(DescribeResource(*resource, true));

    for (const LayerRecord& record : codec.GetLayerRecords()) info.layers.push_back(DescribeLayer(record));

    const CImage& image = ioDocument.Image();
    for (int32 i = 0; i < image.GetExtraChannelCount(); ++i)
        info.extraChannels.push_back({image.GetExtraChannel(i).GetBounds()});
    return info;
}
