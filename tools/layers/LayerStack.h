// A document as a stack of layer files: what `lumenar layers` writes as layers.json and what
// `lumenar compose` reads back.
//
// The JSON form (schema 1) is an object with "schema", "width", "height", "resolution" {"horizontal",
// "vertical"} in pixels per inch, and "layers", bottom to top. Each layer has "index", "name", "file"
// (an RGBA PNG, relative to the JSON file; null for an adjustment layer or a layer without pixels),
// "left", "top", "width", "height", "blend" (a four-character key), "opacity" (0 to 255), "visible",
// "clipping" (0 to 255, non-zero: clipped to the layer below), "transparencyProtected", "mask" (null or
// an object, below), "adjustment" (null or the adjustment's four-character key) and "effects" (whether
// the layer carries effects, which the layer files do not show).
//
// A mask has "left", "top", "width", "height", "defaultColour" (0 to 255, outside its rectangle),
// "inverted", "enabled", "linked", and either "file" (a grey PNG of the rectangle) or "applied": true,
// when its values are already multiplied into the layer file's alpha.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"

inline constexpr int kLayerStackSchemaVersion = 1;

struct StackMask {
    int32 left = 0, top = 0, width = 0, height = 0;
    uint8 defaultColour = 0;
    bool inverted = false;
    bool enabled = true;
    bool linked = true;
    bool applied = false;
    std::string file;  // empty when applied
};

struct StackLayer {
    std::string name;
    std::string file;  // empty: no pixels
    int32 left = 0, top = 0;
    std::optional<int32> width, height;  // read: absent unless given; written: always
    std::string blend = "norm";
    uint8 opacity = 255;
    bool visible = true;
    uint8 clipping = 0;
    bool transparencyProtected = false;
    std::optional<StackMask> mask;
    std::string adjustment;  // empty for a pixel layer
    bool effects = false;
};

struct LayerStack {
    int32 width = 0;
    int32 height = 0;
    uint32 horizontalResolution = 72u << 16;  // 16.16 pixels per inch
    uint32 verticalResolution = 72u << 16;
    std::vector<StackLayer> layers;
};

std::string LayerStackAsJson(const LayerStack& inStack);

// Reads the JSON form. Bad JSON, a missing key, a value of the wrong kind or out of range is refused with
// a sentence naming the key ("layers[2].opacity: 300 is out of range (0 to 255)"). Unknown keys are
// ignored. File names are returned as written; "width" and "height" of layers and masks are optional.
bool ParseLayerStack(const std::string& inText, LayerStack& outStack, std::string& outError);

// A resolution given in pixels per inch as 16.16 fixed point, for the JSON form ("72", "299.9969").
std::string ResolutionText(uint32 inFixed);
