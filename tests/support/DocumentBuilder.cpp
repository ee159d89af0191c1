#include "tests/support/DocumentBuilder.h"

#include <stdexcept>
#include <utility>

// Big-endian output into a growing byte vector.
class DocumentBuilder::Writer {
public:
    ByteVector bytes;

    size_t Pos() const { return bytes.size(); }
    void U8(uint8 inValue) { bytes.push_back(inValue); }
    void U16(uint16 inValue) {
        U8(uint8(inValue >> 8));
        U8(uint8(inValue));
    }
    void U32(uint32 inValue) {
        U16(uint16(inValue >> 16));
        U16(uint16(inValue));
    }
    void Bytes(const ByteVector& inBytes) { bytes.insert(bytes.end(), inBytes.begin(), inBytes.end()); }
    void Zeros(size_t inCount) { bytes.insert(bytes.end(), inCount, 0); }
    // A u32 length followed by the content.
    void Block(const ByteVector& inContent, std::optional<uint32> inLength = std::nullopt) {
        U32(inLength.value_or(uint32(inContent.size())));
        Bytes(inContent);
    }
};

namespace {

int64 Extent(int32 inLow, int32 inHigh) {
    return inHigh > inLow ? int64(inHigh) - inLow : 0;
}

ByteVector U32Bytes(uint32 inValue) {
    return {uint8(inValue >> 24), uint8(inValue >> 16), uint8(inValue >> 8), uint8(inValue)};
}

}  // namespace

ChannelSpec ChannelSpec::Filled(int16 inID, uint8 inValue, uint16 inCompression) {
    ChannelSpec c;
    c.id = inID;
    c.fill = inValue;
    c.compression = inCompression;
    return c;
}

ChannelSpec ChannelSpec::Pixels(int16 inID, ByteVector inPixels, uint16 inCompression) {
    ChannelSpec c;
    c.id = inID;
    c.pixels = std::move(inPixels);
    c.compression = inCompression;
    return c;
}

AdditionalBlock AdditionalBlock::Raw(uint32 inKey, ByteVector inData, uint32 inSignature) {
    AdditionalBlock b;
    b.signature = inSignature;
    b.key = inKey;
    b.data = std::move(inData);
    return b;
}

AdditionalBlock AdditionalBlock::LayerID(uint32 inID) {
    return Raw(FourCC("lyid"), U32Bytes(inID));
}

AdditionalBlock AdditionalBlock::UnicodeName(const std::u16string& inName) {
    ByteVector data = U32Bytes(uint32(inName.size()));
    for (char16_t c : inName) {
        data.push_back(uint8(c >> 8));
        data.push_back(uint8(c));
    }
    return Raw(FourCC("luni"), std::move(data));
}

LayerSpec LayerSpec::Solid(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom, uint8 inRed,
                           uint8 inGreen, uint8 inBlue, uint8 inAlpha) {
    LayerSpec l;
    l.left = inLeft;
    l.top = inTop;
    l.right = inRight;
    l.bottom = inBottom;
    l.channels = {ChannelSpec::Filled(kChannelRed, inRed), ChannelSpec::Filled(kChannelGreen, inGreen),
                  ChannelSpec::Filled(kChannelBlue, inBlue), ChannelSpec::Filled(kChannelAlpha, inAlpha)};
    return l;
}

MaskSpec MaskSpec::Rect(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom, uint8 inDefaultColour,
                        uint8 inFlags, uint32 inBlockLength) {
    MaskSpec m;
    m.left = inLeft;
    m.top = inTop;
    m.right = inRight;
    m.bottom = inBottom;
    m.defaultColour = inDefaultColour;
    m.flags = inFlags;
    m.blockLength = inBlockLength;
    return m;
}

MaskSpec MaskSpec::OfLength(uint32 inBlockLength) {
    return Rect(0, 0, 0, 0, 0, 0, inBlockLength);
}

ResourceSpec ResourceSpec::Block(uint16 inID, ByteVector inData, std::string inName) {
    ResourceSpec r;
    r.id = inID;
    r.data = std::move(inData);
    r.name = std::move(inName);
    return r;
}

ResourceSpec ResourceSpec::Plugin(uint16 inID, uint32 inPluginType, const ByteVector& inPayload) {
    ResourceSpec r;
    r.id = inID;
    r.data = U32Bytes(inPluginType);
    r.data.insert(r.data.end(), inPayload.begin(), inPayload.end());
    return r;
}

DocumentBuilder::DocumentBuilder(uint32 inWidth, uint32 inHeight, uint16 inMode)
    : mWidth(inWidth), mHeight(inHeight) {
    header.mode = inMode;
}

uint32 DocumentBuilder::RowBytes(int64 inWidth) const {
    return inWidth <= 0 ? 0 : uint32((inWidth * header.depth + 7) / 8);
}

DocumentBuilder& DocumentBuilder::ColourTable(const std::vector<uint32>& inRGB) {
    if (inRGB.size() > 256) throw std::invalid_argument("a colour table holds at most 256 entries");
    mColourTable = inRGB;
    return *this;
}

DocumentBuilder& DocumentBuilder::AddResource(ResourceSpec inResource) {
    mResources.push_back(std::move(inResource));
    return *this;
}

DocumentBuilder& DocumentBuilder::AddLayer(LayerSpec inLayer) {
    mLayers.push_back(std::move(inLayer));
    return *this;
}

DocumentBuilder& DocumentBuilder::AddMergedChannel(ByteVector inPlane) {
    mMergedPlanes.push_back(std::move(inPlane));
    return *this;
}

ByteVector DocumentBuilder::StandardGlobalMask() {
    // colour space 0; components 256, 0, 0, 0; opacity 50; kind 128; filler 0
    return {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 50, 128, 0};
}

ByteVector DocumentBuilder::PackRow(const uint8* inRow, size_t inCount) {
    ByteVector out;
    size_t i = 0;
    while (i < inCount) {
        size_t run = 1;
        while (i + run < inCount && run < 128 && inRow[i + run] == inRow[i]) ++run;
        if (run >= 3) {
            out.push_back(uint8(257 - run));  // the control byte 1 - run as a signed byte
            out.push_back(inRow[i]);
            i += run;
            continue;
        }
        // A literal up to the next run of three or 128 bytes.
        size_t end = i;
        while (end < inCount && end - i < 128) {
            if (end + 2 < inCount && inRow[end] == inRow[end + 1] && inRow[end] == inRow[end + 2]) break;
            ++end;
        }
        out.push_back(uint8(end - i - 1));
        out.insert(out.end(), inRow + i, inRow + end);
        i = end;
    }
    return out;
}

ByteVector DocumentBuilder::Build(DocumentLayout* outLayout) const {
    DocumentLayout layout;
    Writer out;
    out.U32(header.signature);
    out.U16(header.version);
    out.U32(header.reserved1);
    out.U16(header.reserved2);
    out.U16(header.channelCount.value_or(uint16(MergedPlanes().size())));
    out.U32(header.rows.value_or(mHeight));
    out.U32(header.columns.value_or(mWidth));
    out.U16(header.depth);
    out.U16(header.mode);

    layout.colourModeData = out.Pos();
    WriteColourModeData(out);
    layout.imageResources = out.Pos();
    WriteResources(out, layout);
    layout.layerAndMask = out.Pos();
    WriteLayerSection(out, layout);
    layout.merged = out.Pos();
    WriteMerged(out);
    layout.end = out.Pos();

    if (truncateTo && *truncateTo < out.bytes.size()) out.bytes.resize(*truncateTo);
    if (outLayout) *outLayout = std::move(layout);
    return std::move(out.bytes);
}

void DocumentBuilder::WriteColourModeData(Writer& ioOut) const {
    ByteVector content;
    if (colourModeData) {
        content = *colourModeData;
    } else if (header.mode == kDocIndexed) {
        // Three planes of 256 bytes: every red, then every green, then every blue.
        content.assign(768, 0);
        for (size_t i = 0; i < mColourTable.size(); ++i) {
            content[i] = uint8(mColourTable[i] >> 16);
            content[256 + i] = uint8(mColourTable[i] >> 8);
            content[512 + i] = uint8(mColourTable[i]);
        }
    }
    ioOut.Block(content, colourModeLength);
}

void DocumentBuilder::WriteResources(Writer& ioOut, DocumentLayout& ioLayout) const {
    Writer section;
    for (const ResourceSpec& r : mResources) {
        ioLayout.resources.push_back(section.Pos());
        section.U32(r.type);
        section.U16(r.id);
        // Name: length byte and characters, padded with a zero byte to an even total.
        section.U8(uint8(r.name.size()));
        section.Bytes(ByteVector(r.name.begin(), r.name.end()));
        if (r.name.size() % 2 == 0) section.U8(0);
        section.Block(r.data, r.size);
        if (r.pad && r.data.size() % 2 == 1) section.U8(0);
    }
    const size_t start = ioOut.Pos() + 4;
    for (size_t& offset : ioLayout.resources) offset += start;
    ioOut.Block(section.bytes, resourceSectionLength);
}

void DocumentBuilder::WriteLayerSection(Writer& ioOut, DocumentLayout& ioLayout) const {
    if (layerSection) {
        ioOut.Block(*layerSection, layerSectionLength);
        return;
    }
    Writer section;
    const bool hasLayerInfo = !mLayers.empty() || layerInfoWithoutLayers;
    if (hasLayerInfo) {
        ioLayout.layerInfo = section.Pos();
        WriteLayerInfo(section, ioLayout);
    }
    const bool hasGlobalMask = !omitGlobalMask && (globalMask || hasLayerInfo);
    if (hasGlobalMask) {
        ioLayout.globalMask = section.Pos();
        section.Block(globalMask.value_or(ByteVector{}));
    }
    if (shiftGlobalMaskBack) section.U8(0);
    section.Bytes(layerSectionTrailer);

    // Offsets so far are relative to the section content, which starts after the length field.
    const size_t start = ioOut.Pos() + 4;
    if (hasLayerInfo) ioLayout.layerInfo += start;
    if (hasGlobalMask) ioLayout.globalMask += start;
    for (size_t& r : ioLayout.records) r += start;
    for (auto& channelOffsets : ioLayout.channels)
        for (size_t& c : channelOffsets) c += start;
    ioOut.Block(section.bytes, layerSectionLength);
}

void DocumentBuilder::WriteLayerInfo(Writer& ioOut, DocumentLayout& ioLayout) const {
    Writer info;
    const int16 count = int16(mergedTransparency ? -int32(mLayers.size()) : int32(mLayers.size()));
    info.U16(uint16(layerCount.value_or(count)));
    std::vector<size_t> records;
    for (const LayerSpec& layer : mLayers) {
        records.push_back(info.Pos());
        WriteRecord(info, layer);
    }
    std::vector<std::vector<size_t>> channels;
    for (const LayerSpec& layer : mLayers) {
        channels.emplace_back();
        for (const ChannelSpec& channel : layer.channels) {
            channels.back().push_back(info.Pos());
            info.Bytes(StoredChannel(layer, channel));
        }
    }
    if (padLayerInfo && !shiftGlobalMaskBack && info.Pos() % 2 == 1) info.U8(0);

    const uint32 declared = uint32(info.Pos()) + (shiftGlobalMaskBack ? 1 : 0);
    const size_t start = ioOut.Pos() + 4;
    for (size_t r : records) ioLayout.records.push_back(start + r);
    for (auto& channelOffsets : channels) {
        for (size_t& c : channelOffsets) c += start;
        ioLayout.channels.push_back(std::move(channelOffsets));
    }
    ioOut.Block(info.bytes, layerInfoLength.value_or(declared));
}

void DocumentBuilder::WriteRecord(Writer& ioOut, const LayerSpec& inLayer) const {
    ioOut.U32(uint32(inLayer.top));
    ioOut.U32(uint32(inLayer.left));
    ioOut.U32(uint32(inLayer.bottom));
    ioOut.U32(uint32(inLayer.right));
    ioOut.U16(inLayer.channelCount.value_or(uint16(inLayer.channels.size())));
    for (const ChannelSpec& channel : inLayer.channels) {
        ioOut.U16(uint16(channel.id));
        ioOut.U32(channel.entryLength.value_or(uint32(StoredChannel(inLayer, channel).size())));
    }
    ioOut.U32(inLayer.blendSignature);
    ioOut.U32(inLayer.blendKey);
    ioOut.U8(inLayer.opacity);
    ioOut.U8(inLayer.clipping);
    ioOut.U8(inLayer.flags);
    ioOut.U8(inLayer.filler);
    const ByteVector extra = inLayer.extraData.value_or(ExtraData(inLayer));
    ioOut.Block(extra, inLayer.extraLength);
}

ByteVector DocumentBuilder::ExtraData(const LayerSpec& inLayer) const {
    Writer extra;
    if (inLayer.mask) {
        const MaskSpec& m = *inLayer.mask;
        Writer block;
        if (m.blockLength >= 16) {
            block.U32(uint32(m.top));
            block.U32(uint32(m.left));
            block.U32(uint32(m.bottom));
            block.U32(uint32(m.right));
        }
        if (m.blockLength >= 17) block.U8(m.defaultColour);
        if (m.blockLength >= 18) block.U8(m.flags);
        if (block.Pos() < m.blockLength) block.Zeros(m.blockLength - block.Pos());
        extra.Block(block.bytes);
    } else {
        extra.U32(0);
    }
    if (inLayer.blendingRanges) {
        extra.Block(*inLayer.blendingRanges);
    } else {
        ByteVector ranges;
        for (int group = 0; group < 10; ++group) ranges.insert(ranges.end(), {0, 0, 255, 255});
        extra.Block(ranges);
    }
    // Name: length byte, characters, zero bytes up to a multiple of 4.
    const size_t nameStart = extra.Pos();
    extra.U8(uint8(inLayer.name.size()));
    extra.Bytes(ByteVector(inLayer.name.begin(), inLayer.name.end()));
    while ((extra.Pos() - nameStart) % 4 != 0) extra.U8(0);
    std::vector<AdditionalBlock> blocks = inLayer.blocks;
    if (inLayer.layerID) blocks.push_back(AdditionalBlock::LayerID(*inLayer.layerID));
    for (const AdditionalBlock& b : blocks) {
        extra.U32(b.signature);
        extra.U32(b.key);
        extra.Block(b.data, b.length);
    }
    return std::move(extra.bytes);
}

ByteVector DocumentBuilder::StoredChannel(const LayerSpec& inLayer, const ChannelSpec& inChannel) const {
    Writer out;
    out.U16(inChannel.compression);
    if (inChannel.storedBytes) {
        out.Bytes(*inChannel.storedBytes);
        return std::move(out.bytes);
    }
    // A mask channel covers the mask rectangle, which only a mask block of 16 bytes or more describes.
    const bool isMask = inChannel.id == kChannelMask;
    const bool hasMask = inLayer.mask && inLayer.mask->blockLength >= 16;
    const int64 width = isMask ? (hasMask ? Extent(inLayer.mask->left, inLayer.mask->right) : 0)
                               : Extent(inLayer.left, inLayer.right);
    const int64 rows = isMask ? (hasMask ? Extent(inLayer.mask->top, inLayer.mask->bottom) : 0)
                              : Extent(inLayer.top, inLayer.bottom);
    const size_t rowBytes = RowBytes(width);
    ByteVector pixels = inChannel.pixels;
    if (pixels.empty()) pixels.assign(size_t(rows) * rowBytes, inChannel.fill);
    if (pixels.size() != size_t(rows) * rowBytes)
        throw std::invalid_argument("channel pixels do not match its rectangle");

    if (inChannel.compression == kCodingRaw) {
        out.Bytes(pixels);
    } else if (inChannel.compression == kCodingPacked) {
        std::vector<ByteVector> packed;
        if (inChannel.packedRows) {
            packed = *inChannel.packedRows;
        } else {
            for (int64 row = 0; row < rows; ++row)
                packed.push_back(PackRow(pixels.data() + row * rowBytes, rowBytes));
        }
        if (inChannel.lineCounts) {
            for (uint16 count : *inChannel.lineCounts) out.U16(count);
        } else {
            for (const ByteVector& row : packed) out.U16(uint16(row.size()));
        }
        for (const ByteVector& row : packed) out.Bytes(row);
    }
    return std::move(out.bytes);
}

std::vector<ByteVector> DocumentBuilder::MergedPlanes() const {
    if (!mMergedPlanes.empty()) return mMergedPlanes;
    const size_t colourCount = (header.mode == kDocGrayscale || header.mode == kDocIndexed) ? 1 : 3;
    const size_t planeSize = size_t(mHeight) * RowBytes(mWidth);
    return std::vector<ByteVector>(colourCount + (mergedTransparency ? 1 : 0),
                                   ByteVector(planeSize, mergedFill));
}

void DocumentBuilder::WriteMerged(Writer& ioOut) const {
    ioOut.U16(mergedCompression);
    if (mergedData) {
        ioOut.Bytes(*mergedData);
        return;
    }
    const std::vector<ByteVector> planes = MergedPlanes();
    const size_t rowBytes = RowBytes(mWidth);
    for (const ByteVector& plane : planes)
        if (plane.size() != size_t(mHeight) * rowBytes)
            throw std::invalid_argument("merged plane does not match the document size");
    if (mergedCompression == kCodingRaw) {
        for (const ByteVector& plane : planes) ioOut.Bytes(plane);
    } else if (mergedCompression == kCodingPacked) {
        // One table of line counts for every channel's rows, then every channel's packed rows.
        std::vector<ByteVector> rows;
        for (const ByteVector& plane : planes)
            for (uint32 row = 0; row < mHeight; ++row)
                rows.push_back(PackRow(plane.data() + row * rowBytes, rowBytes));
        if (mergedLineCounts) {
            for (uint16 count : *mergedLineCounts) ioOut.U16(count);
        } else {
            for (const ByteVector& row : rows) ioOut.U16(uint16(row.size()));
        }
        for (const ByteVector& row : rows) ioOut.Bytes(row);
    }
}
