// A test-only writer of documents, byte by byte from the layout described in docs/format.md.
//
// It shares no code with the engine (only the fixed-width names of IsolTypes.h): its own big-endian
// writer, its own run-length packer (which deliberately chooses packets differently from the engine's),
// so reading is never tested only against the engine's own writer.
//
// Every field has a sensible default and every length is computed from what is written, so a test
// states only what it cares about. Each section also has knobs that write a field "as it stands"
// (std::optional overrides), which is how tests produce damaged and hostile documents: wrong signatures,
// overrunning lengths, bad line counts, and so on. Build() then writes the bytes; misuse of the builder
// itself (pixel data of the wrong size) throws std::invalid_argument.
//
//     DocumentBuilder doc(64, 32);
//     doc.AddLayer(LayerSpec::Solid(0, 0, 64, 32, 255, 0, 0));
//     std::vector<uint8> bytes = doc.Build();
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"

using ByteVector = std::vector<uint8>;

// Big-endian bytes appended field by field: the builder's own writer, and the hand-made blocks and
// expected bytes of the suites.
class Bytes {
public:
    Bytes& U8(uint32 inValue) { return Repeat(uint8(inValue), 1); }
    Bytes& U16(uint32 inValue) { return U8(inValue >> 8).U8(inValue); }
    Bytes& I16(int32 inValue) { return U16(uint32(inValue) & 0xFFFF); }
    Bytes& U32(uint32 inValue) { return U16(inValue >> 16).U16(inValue); }
    Bytes& Key(const char* inKey) {
        return Raw({uint8(inKey[0]), uint8(inKey[1]), uint8(inKey[2]), uint8(inKey[3])});
    }
    Bytes& Raw(std::initializer_list<uint8> inBytes) { return bytes.insert(bytes.end(), inBytes), *this; }
    Bytes& Append(const ByteVector& inBytes) { return Append(inBytes.data(), inBytes.size()); }
    Bytes& Append(const uint8* inData, size_t inCount) {
        return bytes.insert(bytes.end(), inData, inData + inCount), *this;
    }
    Bytes& Repeat(uint8 inValue, size_t inCount) {
        return bytes.insert(bytes.end(), inCount, inValue), *this;
    }
    Bytes& Zeros(size_t inCount) { return Repeat(0, inCount); }
    const ByteVector& Get() const { return bytes; }

    ByteVector bytes;
};

// Colour modes of the header.
enum DocumentMode : uint16 { kDocGrayscale = 1, kDocIndexed = 2, kDocRGB = 3, kDocCMYK = 4 };

// Stored channel ids of layer channels.
enum ChannelID : int16 {
    kChannelRed = 0,
    kChannelGreen = 1,
    kChannelBlue = 2,
    kChannelAlpha = -1,
    kChannelMask = -2
};

// Compression codes of channel data.
enum ChannelCoding : uint16 { kCodingRaw = 0, kCodingPacked = 1 };

// One stored layer channel. Its rectangle is the layer's, or the mask's for id -2.
struct ChannelSpec {
    int16 id = kChannelRed;
    uint16 compression = kCodingPacked;  // 0 raw, 1 packed; other codes are written with no data after them
    ByteVector pixels{};                 // height x rowBytes bytes; empty: every byte is `fill`
    uint8 fill = 0;

    // Knobs, written as they stand instead of the computed values:
    std::optional<std::vector<ByteVector>> packedRows{};  // each row's packets (compression 1)
    std::optional<ByteVector> storedBytes{};              // everything after the compression code
    std::optional<uint32> entryLength{};                  // the length in the record's channel entry

    static ChannelSpec Filled(int16 inID, uint8 inValue, uint16 inCompression = kCodingPacked) {
        return {inID, inCompression, {}, inValue};
    }
    static ChannelSpec Pixels(int16 inID, ByteVector inPixels, uint16 inCompression = kCodingPacked) {
        return {inID, inCompression, std::move(inPixels)};
    }
};

// The layer mask block of a record.
struct MaskSpec {
    int32 top = 0, left = 0, bottom = 0, right = 0;
    uint8 defaultColour = 0, flags = 0;  // flags: bit 0 not linked, bit 1 disabled, bit 2 inverted
    // 16: rectangle only; 17: and the colour; 18: and the flags; more: zero bytes follow. Below 16 the
    // block holds that many zero bytes and describes no mask.
    uint32 blockLength = 20;

    static MaskSpec Rect(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom, uint8 inDefaultColour = 0,
                         uint8 inFlags = 0, uint32 inBlockLength = 20);
};

// A tagged block at the end of a record's extra data.
struct AdditionalBlock {
    uint32 signature = FourCC("ZQRS"), key = 0;
    ByteVector data{};
    std::optional<uint32> length{};  // the length field as written; default data.size()

    static AdditionalBlock Raw(uint32 inKey, ByteVector inData, uint32 inSignature = FourCC("ZQRS")) {
        return {inSignature, inKey, std::move(inData)};
    }
    static AdditionalBlock LayerID(uint32 inID);
    // "luni": a u32 character count, then 16-bit characters.
    static AdditionalBlock UnicodeName(const std::u16string& inName);
};

// One layer record and its channels.
struct LayerSpec {
    int32 top = 0, left = 0, bottom = 0, right = 0;
    std::vector<ChannelSpec> channels;
    uint32 blendSignature = FourCC("ZQRS"), blendKey = FourCC("norm");
    uint8 opacity = 255, clipping = 0, flags = 0;  // flags: bit 0 transparency protected, bit 1 hidden
    std::optional<MaskSpec> mask;         // none: a mask block of length 0; ranges are always 0 0 255 255
    std::string name;                     // length byte and characters, zero-padded to a multiple of 4
    std::vector<AdditionalBlock> blocks;  // in order, after the name
    std::optional<uint32> layerID;        // adds a "lyid" block after `blocks`

    // Knobs, written as they stand:
    std::optional<ByteVector> extraData;  // the whole extra data (mask block to the last block)
    std::optional<uint16> channelCount;   // the channel count field (entries are still all written)

    // A layer of one colour: channels red, green, blue and transparency, each filled with its value.
    static LayerSpec Solid(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom, uint8 inRed,
                           uint8 inGreen, uint8 inBlue, uint8 inAlpha = 255);
};

// One image resource block.
struct ResourceSpec {
    uint32 type = FourCC("ZQRS");
    uint16 id = 0;
    std::string name{};
    ByteVector data{};
    std::optional<uint32> size{};  // the size field as written; default data.size(); odd data is padded

    static ResourceSpec Block(uint16 inID, ByteVector inData, std::string inName = "");
    // A block in the plug-in id range whose data starts with the plug-in resource's own type.
    static ResourceSpec Plugin(uint16 inID, uint32 inPluginType, const ByteVector& inPayload);
};

// Where things landed in the last Build(): offsets from the start of the document.
struct DocumentLayout {
    // The length fields of the resources, the layer section and the layer information (0 when absent),
    // and the merged compression code.
    size_t imageResources = 0, layerAndMask = 0, layerInfo = 0, merged = 0;
    std::vector<size_t> records;                // start of each layer record
    std::vector<std::vector<size_t>> channels;  // compression code of each record's channels
    std::vector<size_t> resources;              // start of each resource block
};

class DocumentBuilder {
public:
    struct Header {
        uint32 signature = FourCC("ZQLM");
        uint16 version = 1, depth = 8, mode = kDocRGB;
        std::optional<uint16> channelCount;   // default: the number of merged channels written
        std::optional<uint32> rows, columns;  // default: the document height and width
    };

    DocumentBuilder(uint32 inWidth, uint32 inHeight, uint16 inMode = kDocRGB);

    // Header: every field may be set directly.
    Header header;

    // Colour-mode data. Indexed documents get a 768-byte table (zeros until ColourTable is called).
    DocumentBuilder& ColourTable(const std::vector<uint32>& inRGB);  // entries 0x00RRGGBB, up to 256
    std::optional<ByteVector> colourModeData;                        // the section content as it stands
    std::optional<uint32> colourModeLength;                          // its length field

    // Image resources.
    DocumentBuilder& AddResource(ResourceSpec inResource) {
        return mResources.push_back(std::move(inResource)), *this;
    }
    std::optional<uint32> resourceSectionLength;

    // Layer and mask information.
    DocumentBuilder& AddLayer(LayerSpec inLayer) { return mLayers.push_back(std::move(inLayer)), *this; }
    bool mergedTransparency = false;        // layer count written negative; merged data starts with alpha
    std::optional<int16> layerCount;        // the count field as it stands
    std::optional<uint32> layerInfoLength;  // its length field
    bool layerInfoWithoutLayers = false;    // write the layer information even with no layers
    std::optional<ByteVector>
        globalMask;  // content after its length; none: length 0 with layers, else absent
    // The layer information is declared one byte longer than written, so the global mask length starts
    // one byte before where a reader expects it; one trailing byte keeps the section's length honest.
    bool shiftGlobalMaskBack = false;
    std::optional<uint32> layerSectionLength;
    std::optional<ByteVector> layerSection;  // the whole section content as it stands
    static ByteVector StandardGlobalMask();  // the 14 bytes a writer emits when masks exist

    // Merged image data. Without AddMergedChannel, the document gets one plane per colour channel of
    // its mode (and a leading transparency plane when mergedTransparency), each all 255.
    // inPlane: height x RowBytes(width) bytes.
    DocumentBuilder& AddMergedChannel(ByteVector inPlane) {
        return mMergedPlanes.push_back(std::move(inPlane)), *this;
    }
    uint16 mergedCompression = kCodingRaw;
    std::optional<ByteVector> mergedData;  // everything after the compression code

    std::optional<size_t> truncateTo;  // cut the finished document to this many bytes

    ByteVector Build(DocumentLayout* outLayout = nullptr) const;

    // The builder's own packer: runs of three or more equal bytes (up to 128) become run packets,
    // everything else literals of up to 128 bytes, paying no attention to any chunk boundary.
    static ByteVector PackRow(const uint8* inRow, size_t inCount);

private:
    class Writer;
    uint32 RowBytes(int64 inWidth) const;  // bytes per row inWidth wide at the header's depth
    void WriteLayerSection(Writer& ioOut, DocumentLayout& ioLayout) const;
    void WriteRecord(Writer& ioOut, const LayerSpec& inLayer) const;
    ByteVector StoredChannel(const LayerSpec& inLayer, const ChannelSpec& inChannel) const;
    std::vector<ByteVector> MergedPlanes() const;

    uint32 mWidth;
    uint32 mHeight;
    std::vector<uint32> mColourTable;
    std::vector<ResourceSpec> mResources;
    std::vector<LayerSpec> mLayers;
    std::vector<ByteVector> mMergedPlanes;
};

// Seeded choices for random documents: the same seed always gives the same choices.
class Dice {
public:
    explicit Dice(uint32 inSeed) : mRandom(inSeed) {}
    int32 In(int32 inLow, int32 inHigh) {
        return std::uniform_int_distribution<int32>(inLow, inHigh)(mRandom);
    }
    bool OneIn(int32 inN) { return In(1, inN) == 1; }
    uint8 Byte() { return uint8(mRandom()); }

    // Noise, a gradient, or one value: the engine treats uniform tiles apart.
    ByteVector Plane(size_t inRows, size_t inColumns);
    // A layer of such planes, each raw or packed, anywhere over the canvas and often reaching past its
    // edges, or (inWhole) covering exactly the canvas; one in six has no transparency channel.
    LayerSpec PixelLayer(int32 inWidth, int32 inHeight, bool inWhole = false);
    // A mask over part of the canvas with its own pixels, default colour and flags.
    void AddMask(LayerSpec& ioLayer, int32 inWidth, int32 inHeight);
    // Every blend key a document may store, and one no mode has.
    const char (&BlendKey())[5];

private:
    std::mt19937 mRandom;
};
