#include "tools/info/InfoPrinter.h"

#include <cstdio>

namespace {

std::string Format(const char* inFormat, double inValue) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, inFormat, inValue);
    return buffer;
}

// A 16.16 resolution in pixels per inch, without trailing zeros ("72", "299.9969").
std::string Resolution(uint32 inFixed) {
    return Format("%.8g", double(inFixed) / 65536.0);
}

std::string RectJson(const GRect& inRect) {
    return "{\"left\": " + std::to_string(inRect.left) + ", \"top\": " + std::to_string(inRect.top) +
           ", \"right\": " + std::to_string(inRect.right) + ", \"bottom\": " + std::to_string(inRect.bottom) +
           "}";
}

std::string RectText(const GRect& inRect) {
    return "(" + std::to_string(inRect.left) + ", " + std::to_string(inRect.top) + ")-(" +
           std::to_string(inRect.right) + ", " + std::to_string(inRect.bottom) + ")";
}

std::string Bool(bool inValue) {
    return inValue ? "true" : "false";
}

std::string CompressionText(uint16 inCode) {
    if (inCode == 0) return "raw";
    if (inCode == 1) return "packed";
    if (inCode == 0xFFFF) return "unknown";
    return "code " + std::to_string(inCode);
}

std::string ChannelsJson(const DocumentInfo::Layer& inLayer) {
    std::string out = "[";
    for (size_t i = 0; i < inLayer.channels.size(); ++i) {
        const DocumentInfo::Channel& channel = inLayer.channels[i];
        out += std::string(i ? ", " : "") + "{\"id\": " + std::to_string(channel.id) + ", \"compression\": " +
               (channel.compression == 0xFFFF ? "null" : std::to_string(channel.compression)) +
               ", \"length\": " + std::to_string(channel.length) + "}";
    }
    return out + "]";
}

std::string LayerJson(size_t inIndex, const DocumentInfo::Layer& inLayer) {
    std::string mask = "null";
    if (inLayer.mask) {
        mask = "{\"bounds\": " + RectJson(inLayer.mask->bounds) +
               ", \"defaultColour\": " + std::to_string(inLayer.mask->defaultColour) +
               ", \"flags\": " + std::to_string(inLayer.mask->flags) + "}";
    }
    return "    {\"index\": " + std::to_string(inIndex) + ", \"name\": " + JsonString(inLayer.name) +
           ", \"id\": " + (inLayer.id ? std::to_string(*inLayer.id) : "null") +
           ", \"bounds\": " + RectJson(inLayer.bounds) + ", \"blend\": " + JsonString(inLayer.blendKey) +
           ", \"opacity\": " + std::to_string(inLayer.opacity) +
           ", \"clipping\": " + std::to_string(inLayer.clipping) + ", \"visible\": " + Bool(inLayer.visible) +
           ", \"transparencyProtected\": " + Bool(inLayer.transparencyProtected) + ", \"mask\": " + mask +
           ", \"channels\": " + ChannelsJson(inLayer) + ", \"adjustment\": " +
           (inLayer.adjustmentKey.empty() ? "null" : JsonString(inLayer.adjustmentKey)) +
           ", \"effects\": " + Bool(inLayer.effects) + "}";
}

template <typename T, typename F>
std::string JsonList(const std::vector<T>& inItems, F inItem) {
    if (inItems.empty()) return "[]";
    std::string out = "[\n";
    for (size_t i = 0; i < inItems.size(); ++i)
        out += inItem(i, inItems[i]) + (i + 1 < inItems.size() ? ",\n" : "\n");
    return out + "  ]";
}

std::string LayerText(size_t inIndex, const DocumentInfo::Layer& inLayer) {
    std::string out = "  " + std::to_string(inIndex) + ": " + JsonString(inLayer.name) + " id " +
                      (inLayer.id ? std::to_string(*inLayer.id) : "none") + ", " + RectText(inLayer.bounds) +
                      ", blend " + inLayer.blendKey + ", opacity " + std::to_string(inLayer.opacity);
    if (inLayer.clipping != 0) out += ", clipped";
    if (!inLayer.visible) out += ", hidden";
    if (inLayer.transparencyProtected) out += ", transparency protected";
    if (!inLayer.adjustmentKey.empty()) out += ", adjustment " + inLayer.adjustmentKey;
    if (inLayer.effects) out += ", effects";
    out += "\n";
    if (inLayer.mask) {
        out += "     mask " + RectText(inLayer.mask->bounds) + ", default " +
               std::to_string(inLayer.mask->defaultColour) + ", flags " +
               std::to_string(inLayer.mask->flags) + "\n";
    }
    out += "     channels:";
    for (const DocumentInfo::Channel& channel : inLayer.channels)
        out += " " + std::to_string(channel.id) + " " + CompressionText(channel.compression) + " " +
               std::to_string(channel.length) + ";";
    return out + "\n";
}

}  // namespace

std::string JsonString(const std::string& inText) {
    std::string out = "\"";
    for (const char c : inText) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(byte));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string InfoAsJson(const std::string& inPath, const DocumentInfo& inInfo) {
    std::string out = "{\n";
    out += "  \"schema\": " + std::to_string(kInfoSchemaVersion) + ",\n";
    out += "  \"file\": " + JsonString(inPath) + ",\n";
    out += "  \"width\": " + std::to_string(inInfo.width) + ",\n";
    out += "  \"height\": " + std::to_string(inInfo.height) + ",\n";
    out += "  \"channels\": " + std::to_string(inInfo.channels) + ",\n";
    out += "  \"depth\": " + std::to_string(inInfo.depth) + ",\n";
    out += "  \"mode\": " + std::to_string(inInfo.mode) + ",\n";
    out += "  \"modeName\": " + JsonString(ModeName(inInfo.mode)) + ",\n";
    out += "  \"resolution\": {\"horizontal\": " + Resolution(inInfo.horizontalResolution) +
           ", \"vertical\": " + Resolution(inInfo.verticalResolution) + "},\n";
    out += "  \"resources\": " +
           JsonList(inInfo.resources,
                    [](size_t, const DocumentInfo::Resource& inResource) {
                        return "    {\"id\": " +
                               (inResource.plugin ? std::string("null") : std::to_string(inResource.id)) +
                               ", \"plugin\": " + Bool(inResource.plugin) +
                               ", \"type\": " + JsonString(inResource.type) +
                               ", \"name\": " + JsonString(inResource.name) +
                               ", \"size\": " + std::to_string(inResource.size) + "}";
                    }) +
           ",\n";
    out += "  \"layers\": " + JsonList(inInfo.layers, &LayerJson) + ",\n";
    out += "  \"extraChannels\": " +
           JsonList(inInfo.extraChannels,
                    [](size_t inIndex, const DocumentInfo::ExtraChannel& inChannel) {
                        return "    {\"index\": " + std::to_string(inIndex) +
                               ", \"bounds\": " + RectJson(inChannel.bounds) + "}";
                    }) +
           "\n";
    return out + "}\n";
}

namespace {

const char* const kFieldNames[] = {"width",    "height",     "channels", "depth",         "mode",
                                   "modeName", "resolution", "layers",   "extraChannels", "resources"};

std::string Plural(size_t inCount, const char* inWord) {
    return std::to_string(inCount) + " " + inWord + (inCount == 1 ? "" : "s");
}

}  // namespace

bool IsInfoField(const std::string& inName) {
    for (const char* name : kFieldNames)
        if (inName == name) return true;
    return false;
}

std::string InfoFieldNames() {
    std::string names;
    for (const char* name : kFieldNames) names += std::string(names.empty() ? "" : ", ") + name;
    return names;
}

std::string InfoField(const DocumentInfo& inInfo, const std::string& inName) {
    if (inName == "width") return std::to_string(inInfo.width);
    if (inName == "height") return std::to_string(inInfo.height);
    if (inName == "channels") return std::to_string(inInfo.channels);
    if (inName == "depth") return std::to_string(inInfo.depth);
    if (inName == "mode") return std::to_string(inInfo.mode);
    if (inName == "modeName") return ModeName(inInfo.mode);
    if (inName == "resolution")
        return Resolution(inInfo.horizontalResolution) + " x " + Resolution(inInfo.verticalResolution);
    if (inName == "layers") return std::to_string(inInfo.layers.size());
    if (inName == "extraChannels") return std::to_string(inInfo.extraChannels.size());
    if (inName == "resources") return std::to_string(inInfo.resources.size());
    return "";
}

std::string InfoAsLine(const std::string& inPath, const DocumentInfo& inInfo) {
    return inPath + ": " + std::to_string(inInfo.width) + " x " + std::to_string(inInfo.height) + ", " +
           ModeName(inInfo.mode) + ", " + std::to_string(inInfo.depth) + " bits, " +
           Plural(inInfo.layers.size(), "layer") + ", " +
           Plural(inInfo.extraChannels.size(), "extra channel") + "\n";
}

std::string InfoAsText(const std::string& inPath, const DocumentInfo& inInfo) {
    std::string out = inPath + ": " + std::to_string(inInfo.width) + " x " + std::to_string(inInfo.height) +
                      ", " + std::to_string(inInfo.channels) + " channels, " + std::to_string(inInfo.depth) +
                      " bits, " + ModeName(inInfo.mode) + ", " + Resolution(inInfo.horizontalResolution) +
                      " x " + Resolution(inInfo.verticalResolution) + " ppi\n";
    out += "image resources (" + std::to_string(inInfo.resources.size()) + "):\n";
    for (const DocumentInfo::Resource& resource : inInfo.resources) {
        out += "  " + (resource.plugin ? std::string("plug-in") : std::to_string(resource.id)) + " " +
               resource.type + " " + JsonString(resource.name) + " " + std::to_string(resource.size) +
               " bytes\n";
    }
    out += "layers, bottom to top (" + std::to_string(inInfo.layers.size()) + "):\n";
    for (size_t i = 0; i < inInfo.layers.size(); ++i) out += LayerText(i, inInfo.layers[i]);
    out += "extra channels (" + std::to_string(inInfo.extraChannels.size()) + "):\n";
    for (size_t i = 0; i < inInfo.extraChannels.size(); ++i)
        out += "  " + std::to_string(i) + ": " + RectText(inInfo.extraChannels[i].bounds) + "\n";
    return out;
}
