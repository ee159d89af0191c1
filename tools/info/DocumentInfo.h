// What `lumenar info` tells about a document: the header, the image resources, the layers as stored
// (bottom to top) and the extra channels.
//
// Collected through the tool's own copy of the engine: the document is read in full first, so a
// document the engine refuses gives no description, only the refusal.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/IsolTypes.h"

class EngineDocument;

struct DocumentInfo {
    struct Resource {
        int16 id = 0;  // ordinary resources; plug-in resources carry their own type instead
        bool plugin = false;
        std::string type;  // four characters
        std::string name;
        uint32 size = 0;
    };
    struct Channel {
        int16 id = 0;            // 0, 1, 2 colour, -1 transparency, -2 layer mask
        uint16 compression = 0;  // 0 raw, 1 packed
        uint32 length = 0;       // stored bytes, compression code included
    };
    struct Mask {
        GRect bounds;
        uint8 defaultColour = 0;
        uint8 flags = 0;  // bit 0 not linked, bit 1 disabled, bit 2 inverted
    };
    struct Layer {
        std::string name;
        std::optional<uint32> id;  // none when the document stores no id
        GRect bounds;
        std::string blendKey;
        uint8 opacity = 255;
        uint8 clipping = 0;
        bool visible = true;
        bool transparencyProtected = false;
        std::optional<Mask> mask;
        std::vector<Channel> channels;
        std::string adjustmentKey;  // empty for a pixel layer
        bool effects = false;
    };
    struct ExtraChannel {
        GRect bounds;
    };

    int32 width = 0;
    int32 height = 0;
    uint32 channels = 0;
    uint32 depth = 0;
    uint32 mode = 0;
    uint32 horizontalResolution = 0;  // 16.16 pixels per inch
    uint32 verticalResolution = 0;
    std::vector<Resource> resources;
    std::vector<Layer> layers;
    std::vector<ExtraChannel> extraChannels;
};

// Describes the loaded document (EngineDocument::Load must have succeeded).
DocumentInfo DescribeDocument(EngineDocument& ioDocument);

// A four-character code in reading order; bytes outside printable ASCII are shown as '?'.
std::string FourCharText(uint32 inCode);
// The name of a header colour mode ("RGB", "grayscale", ...), or "mode N".
std::string ModeName(uint32 inMode);
