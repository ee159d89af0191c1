#include "tools/info/DocumentInfo.h"

#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Image/CChannel.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/Tarnwick/LImageFile.h"
#include "Src/Tarnwick/LLumenarFormat.h"
#include "tools/engine/EngineDocument.h"

namespace {

constexpr uint32 kHeaderBytes = 26;
constexpr uint32 kStreamBuffer = 4096;
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
    if (inRecord.mHasMask) layer.mask = DocumentInfo::Mask{inRecord.mMaskBounds, inRecord.mMaskDefaultColor, inRecord.mMaskFlags};
    for (const ChannelLength& stored : inRecord.mChannels)
        layer.channels.push_back({ChannelLength::StoredIDFromKind(stored.GetKind()), kUnknownCompression, stored.GetLength()});
    if (inRecord.mHasAdjustment) layer.adjustmentKey = FourCharText(inRecord.mAdjustmentKey);
    layer.effects = inRecord.mHasEffects;
    return layer;
}

// The engine keeps each channel's stored length but not its compression code, which is the first field
// of the channel's bytes. The channel data follows the last layer record; this walks the sections
// before it by their lengths and then steps from channel to channel by the stored lengths, which the
// engine has already checked while loading.
void ReadCompressionCodes(LFilePort* inPort, std::vector<DocumentInfo::Layer>& ioLayers) {
    if (ioLayers.empty()) return;
    try {
        SReadStream stream(inPort, 0, kStreamBuffer, kHeaderBytes);
        stream.Skip(stream.ReadU32());  // colour-mode data
        stream.Skip(stream.ReadU32());  // image resources
        if (stream.ReadU32() < 4) return;
        if (stream.ReadU32() == 0) return;
        int32 count = stream.ReadI16();
        if (count < 0) count = -count;
        if (size_t(count) != ioLayers.size()) return;
        for (int32 i = 0; i < count; ++i) {
            LayerRecord record;
            record.Read(stream);
        }
        uint64 position = stream.GetPosition();
        for (DocumentInfo::Layer& layer : ioLayers) {
            for (DocumentInfo::Channel& channel : layer.channels) {
                if (position + 2 > stream.FileLength()) return;
                stream.SetPosition(uint32(position));
                channel.compression = stream.ReadU16();
                position += channel.length;
            }
        }
    } catch (...) {
        // Codes not found stay unknown.
    }
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
        case kModeBitmap: return "bitmap";
        case kModeGrayscale: return "grayscale";
        case kModeIndexed: return "indexed";
        case kModeRGB: return "RGB";
        case kModeCMYK: return "CMYK";
        case kModeMultichannel: return "multichannel";
        case kModeDuotone: return "duotone";
        case kModeLab: return "Lab";
        default: return "mode " + std::to_string(inMode);
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
    for (const auto& [id, resource] : resources.Resources()) info.resources.push_back(DescribeResource(*resource, false));
    for (const auto& [type, list] : resources.PluginResources())
        for (const auto& resource : list) info.resources.push_back(DescribeResource(*resource, true));

    for (const LayerRecord& record : codec.GetLayerRecords()) info.layers.push_back(DescribeLayer(record));
    ReadCompressionCodes(ioDocument.Port(), info.layers);

    const CImage& image = ioDocument.Image();
    for (int32 i = 0; i < image.GetExtraChannelCount(); ++i)
        info.extraChannels.push_back({image.GetExtraChannel(i).GetBounds()});
    return info;
}
