#include "tools/layers/LayerStack.h"

#include <cmath>
#include <cstdio>

#include "Src/Orvane/Src/Image/CLayer.h"
#include "tools/info/InfoPrinter.h"
#include "tools/json/JsonReader.h"

namespace {

std::string Bool(bool inValue) {
    return inValue ? "true" : "false";
}
std::string Int(int64 inValue) {
    return std::to_string(inValue);
}

std::string MaskJson(const StackMask& inMask) {
    return "{\"left\": " + Int(inMask.left) + ", \"top\": " + Int(inMask.top) +
           ", \"width\": " + Int(inMask.width) + ", \"height\": " + Int(inMask.height) +
           ", \"defaultColour\": " + Int(inMask.defaultColour) + ", \"inverted\": " + Bool(inMask.inverted) +
           ", \"enabled\": " + Bool(inMask.enabled) + ", \"linked\": " + Bool(inMask.linked) +
           (inMask.applied ? ", \"applied\": true}" : ", \"file\": " + JsonString(inMask.file) + "}");
}

std::string LayerJson(size_t inIndex, const StackLayer& inLayer) {
    return "    {\"index\": " + Int(int64(inIndex)) + ", \"name\": " + JsonString(inLayer.name) +
           ", \"file\": " + (inLayer.file.empty() ? "null" : JsonString(inLayer.file)) +
           ", \"left\": " + Int(inLayer.left) + ", \"top\": " + Int(inLayer.top) +
           ", \"width\": " + Int(inLayer.width.value_or(0)) +
           ", \"height\": " + Int(inLayer.height.value_or(0)) + ", \"blend\": " + JsonString(inLayer.blend) +
           ", \"opacity\": " + Int(inLayer.opacity) + ", \"visible\": " + Bool(inLayer.visible) +
           ", \"clipping\": " + Int(inLayer.clipping) +
           ", \"transparencyProtected\": " + Bool(inLayer.transparencyProtected) +
           ", \"mask\": " + (inLayer.mask ? MaskJson(*inLayer.mask) : "null") +
           ", \"adjustment\": " + (inLayer.adjustment.empty() ? "null" : JsonString(inLayer.adjustment)) +
           ", \"effects\": " + Bool(inLayer.effects) + "}";
}

// Reads the members of one object, each named by its path for the messages; the first failure sticks.
class Fields {
public:
    Fields(const JsonValue& inObject, std::string inPath, std::string& outError)
        : mObject(inObject), mPath(std::move(inPath)), mError(outError) {
        if (mError.empty() && inObject.kind != JsonValue::Kind::kObject)
            mError = (mPath.empty() ? std::string("the stack") : mPath) + " must be an object";
    }

    bool Ok() const { return mError.empty(); }
    std::string Key(const std::string& inKey) const { return mPath.empty() ? inKey : mPath + "." + inKey; }

    const JsonValue* Get(const std::string& inKey, JsonValue::Kind inKind, bool inRequired) {
        if (!Ok()) return nullptr;
        const JsonValue* value = mObject.Find(inKey);
        if (value == nullptr || (value->IsNull() && !inRequired)) {
            if (inRequired) mError = Key(inKey) + " is missing";
            return nullptr;
        }
        if (value->kind != inKind) {
            mError = Key(inKey) + " must be " + JsonValue::KindName(inKind) + ", not " +
                     JsonValue::KindName(value->kind);
            return nullptr;
        }
        return value;
    }

    void Integer(const std::string& inKey, int64 inLow, int64 inHigh, bool inRequired, int32& ioValue) {
        const JsonValue* value = Get(inKey, JsonValue::Kind::kNumber, inRequired);
        if (value == nullptr) return;
        if (value->number != std::floor(value->number)) {
            mError = Key(inKey) + " must be a whole number";
        } else if (value->number < double(inLow) || value->number > double(inHigh)) {
            char text[64];
            std::snprintf(text, sizeof text, "%.17g", value->number);
            mError =
                Key(inKey) + ": " + text + " is out of range (" + Int(inLow) + " to " + Int(inHigh) + ")";
        } else {
            ioValue = int32(value->number);
        }
    }

    void Optional(const std::string& inKey, int64 inLow, int64 inHigh, std::optional<int32>& outValue) {
        if (mObject.Find(inKey) == nullptr || mObject.Find(inKey)->IsNull()) return;
        int32 value = 0;
        Integer(inKey, inLow, inHigh, false, value);
        if (Ok()) outValue = value;
    }

    void Byte(const std::string& inKey, uint8& ioValue) {
        int32 value = ioValue;
        Integer(inKey, 0, 255, false, value);
        ioValue = uint8(value);
    }

    void Flag(const std::string& inKey, bool& ioValue) {
        if (const JsonValue* value = Get(inKey, JsonValue::Kind::kBool, false)) ioValue = value->boolean;
    }

    void Text(const std::string& inKey, std::string& ioValue) {
        if (const JsonValue* value = Get(inKey, JsonValue::Kind::kString, false)) ioValue = value->text;
    }

    void Fail(const std::string& inMessage) {
        if (Ok()) mError = inMessage;
    }

private:
    const JsonValue& mObject;
    std::string mPath;
    std::string& mError;
};

// Layers and masks may reach outside the canvas, but what a layer holds (its rectangle united with the
// canvas) must fit a layer's largest side.
constexpr int64 kFarthest = 2 * int64(kMaxImageDimension);

void ReadMask(const JsonValue& inValue, const std::string& inPath, std::string& ioError,
              std::optional<StackMask>& outMask) {
    Fields fields(inValue, inPath, ioError);
    StackMask mask;
    fields.Integer("left", -kFarthest, kFarthest, true, mask.left);
    fields.Integer("top", -kFarthest, kFarthest, true, mask.top);
    std::optional<int32> width, height;
    fields.Optional("width", 0, kMaxImageDimension, width);
    fields.Optional("height", 0, kMaxImageDimension, height);
    fields.Byte("defaultColour", mask.defaultColour);
    fields.Flag("inverted", mask.inverted);
    fields.Flag("enabled", mask.enabled);
    fields.Flag("linked", mask.linked);
    fields.Flag("applied", mask.applied);
    if (!mask.applied) {
        fields.Text("file", mask.file);
        if (mask.file.empty())
            fields.Fail(fields.Key("file") + " is missing (a mask needs a file unless \"applied\" is true)");
    }
    mask.width = width.value_or(-1);
    mask.height = height.value_or(-1);
    if (fields.Ok()) outMask = mask;
}

void ReadLayer(const JsonValue& inValue, const std::string& inPath, std::string& ioError,
               StackLayer& outLayer) {
    Fields fields(inValue, inPath, ioError);
    fields.Text("name", outLayer.name);
    fields.Text("file", outLayer.file);
    fields.Integer("left", -kFarthest, kFarthest, outLayer.file.size() > 0, outLayer.left);
    fields.Integer("top", -kFarthest, kFarthest, outLayer.file.size() > 0, outLayer.top);
    fields.Optional("width", 0, kMaxImageDimension, outLayer.width);
    fields.Optional("height", 0, kMaxImageDimension, outLayer.height);
    fields.Text("blend", outLayer.blend);
    if (fields.Ok() && outLayer.blend.size() != 4)
        fields.Fail(fields.Key("blend") + ": \"" + outLayer.blend + "\" is not a four-character key");
    fields.Byte("opacity", outLayer.opacity);
    fields.Flag("visible", outLayer.visible);
    if (const JsonValue* clipping = inValue.Find("clipping");
        clipping != nullptr && clipping->kind == JsonValue::Kind::kBool)
        outLayer.clipping = clipping->boolean ? 1 : 0;
    else
        fields.Byte("clipping", outLayer.clipping);
    fields.Flag("transparencyProtected", outLayer.transparencyProtected);
    fields.Text("adjustment", outLayer.adjustment);
    fields.Flag("effects", outLayer.effects);
    if (const JsonValue* mask = fields.Get("mask", JsonValue::Kind::kObject, false))
        ReadMask(*mask, fields.Key("mask"), ioError, outLayer.mask);
}

}  // namespace

std::string ResolutionText(uint32 inFixed) {
    // Ten significant digits keep every 16.16 value up to 65535 exact when read back and rounded.
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", double(inFixed) / 65536.0);
    return text;
}

std::string LayerStackAsJson(const LayerStack& inStack) {
    std::string out = "{\n";
    out += "  \"schema\": " + Int(kLayerStackSchemaVersion) + ",\n";
    out += "  \"width\": " + Int(inStack.width) + ",\n";
    out += "  \"height\": " + Int(inStack.height) + ",\n";
    out += "  \"resolution\": {\"horizontal\": " + ResolutionText(inStack.horizontalResolution) +
           ", \"vertical\": " + ResolutionText(inStack.verticalResolution) + "},\n";
    out += "  \"layers\": [";
    for (size_t i = 0; i < inStack.layers.size(); ++i)
        out += std::string(i == 0 ? "\n" : ",\n") + LayerJson(i, inStack.layers[i]);
    out += inStack.layers.empty() ? "]\n" : "\n  ]\n";
    return out + "}\n";
}

bool ParseLayerStack(const std::string& inText, LayerStack& outStack, std::string& outError) {
    JsonValue root;
    if (!ParseJson(inText, root, outError)) return false;
    outError.clear();
    Fields fields(root, "", outError);
    int32 schema = kLayerStackSchemaVersion;
    fields.Integer("schema", 1, kLayerStackSchemaVersion, false, schema);
    fields.Integer("width", 1, kMaxImageDimension, true, outStack.width);
    fields.Integer("height", 1, kMaxImageDimension, true, outStack.height);
    if (const JsonValue* resolution = fields.Get("resolution", JsonValue::Kind::kObject, false)) {
        Fields ppi(*resolution, "resolution", outError);
        for (auto [key, target] : {std::pair{"horizontal", &outStack.horizontalResolution},
                                   std::pair{"vertical", &outStack.verticalResolution}}) {
            const JsonValue* value = ppi.Get(key, JsonValue::Kind::kNumber, true);
            if (value == nullptr) break;
            if (!(value->number > 0 && value->number < 65536)) {
                ppi.Fail(ppi.Key(key) + " is out of range (above 0, below 65536 pixels per inch)");
                break;
            }
            *target = uint32(std::lround(value->number * 65536.0));
        }
    }
    const JsonValue* layers = fields.Get("layers", JsonValue::Kind::kArray, true);
    if (layers == nullptr) return false;
    outStack.layers.assign(layers->items.size(), StackLayer());
    for (size_t i = 0; i < layers->items.size() && outError.empty(); ++i)
        ReadLayer(layers->items[i], "layers[" + Int(int64(i)) + "]", outError, outStack.layers[i]);
    return outError.empty();
}
