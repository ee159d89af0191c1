#include "tests/support/DocumentBuilder.h"

#include <stdexcept>
#include <utility>

// Big-endian output into a growing byte vector.
class DocumentBuilder::Writer : public Bytes {
public:
    size_t Pos() const { return bytes.size(); }
    // A u32 length followed by the content.
    void Block(const ByteVector& inContent, std::optional<uint32> inLength = std::nullopt) {
        U32(inLength.value_or(uint32(inContent.size()))).Append(inContent);
    }
};

namespace {

int64 Extent(int32 inLow, int32 inHigh) {
    return inHigh > inLow ? int64(inHigh) - inLow : 0;
}

}  // namespace

AdditionalBlock AdditionalBlock::LayerID(uint32 inID) {
    return Raw(FourCC("lyid"), Bytes().U32(inID).bytes);
}

AdditionalBlock AdditionalBlock::UnicodeName(const std::u16string& inName) {
    Bytes data;
    data.U32(uint32(inName.size()));
    for (char16_t c : inName) data.U16(c);
    return Raw(FourCC("luni"), data.bytes);
}

LayerSpec LayerSpec::Solid(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom, uint8 inRed,
                           uint8 inGreen, uint8 inBlue, uint8 inAlpha) {
    LayerSpec l;
    l.left = inLeft, l.top = inTop, l.right = inRight, l.bottom = inBottom;
    l.channels = {ChannelSpec::Filled(kChannelRed, inRed), ChannelSpec::Filled(kChannelGreen, inGreen),
                  ChannelSpec::Filled(kChannelBlue, inBlue), ChannelSpec::Filled(kChannelAlpha, inAlpha)};
    return l;
}

MaskSpec MaskSpec::Rect(int32 inLeft, int32 inTop, int32 inRight, int32 inBottom, uint8 inDefaultColour,
                        uint8 inFlags, uint32 inBlockLength) {
    return {inTop, inLeft, inBottom, inRight, inDefaultColour, inFlags, inBlockLength};
}

ResourceSpec ResourceSpec::Block(uint16 inID, ByteVector inData, std::string inName) {
    return {FourCC("ZQRS"), inID, std::move(inName), std::move(inData)};
}

ResourceSpec ResourceSpec::Plugin(uint16 inID, uint32 inPluginType, const ByteVector& inPayload) {
    return Block(inID, Bytes().U32(inPluginType).Append(inPayload).bytes);
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
            out.insert(out.end(), {uint8(257 - run), inRow[i]});  // the control byte 1 - run as a signed byte
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
    out.U32(0), out.U16(0);  // reserved
    out.U16(header.channelCount.value_or(uint16(MergedPlanes().size())));
    out.U32(header.rows.value_or(mHeight));
    out.U32(header.columns.value_or(mWidth));
    out.U16(header.depth);
    out.U16(header.mode);

    // Colour-mode data; an indexed table is three planes of 256 bytes: every red, every green, every blue.
    ByteVector colours;
    if (colourModeData) {
        colours = *colourModeData;
    } else if (header.mode == kDocIndexed) {
        colours.assign(768, 0);
        for (size_t i = 0; i < mColourTable.size(); ++i)
            for (size_t plane = 0; plane < 3; ++plane)
                colours[256 * plane + i] = uint8(mColourTable[i] >> (16 - 8 * plane));
    }
    out.Block(colours, colourModeLength);

    // Image resources; names are a length byte and characters, padded with a zero byte to an even total.
    layout.imageResources = out.Pos();
    Writer section;
    for (const ResourceSpec& r : mResources) {
        layout.resources.push_back(out.Pos() + 4 + section.Pos());
        section.U32(r.type);
        section.U16(r.id);
        section.U8(uint8(r.name.size()));
        section.Append(ByteVector(r.name.begin(), r.name.end()));
        if (r.name.size() % 2 == 0) section.U8(0);
        section.Block(r.data, r.size);
        if (r.data.size() % 2 == 1) section.U8(0);
    }
    out.Block(section.bytes, resourceSectionLength);

    layout.layerAndMask = out.Pos();
    WriteLayerSection(out, layout);

    // Merged data: packed, one table of line counts for every channel's rows, then the packed rows.
    layout.merged = out.Pos();
    out.U16(mergedCompression);
    if (mergedData) {
        out.Append(*mergedData);
    } else {
        const size_t rowBytes = RowBytes(mWidth);
        std::vector<ByteVector> rows;
        for (const ByteVector& plane : MergedPlanes()) {
            if (plane.size() != size_t(mHeight) * rowBytes)
                throw std::invalid_argument("merged plane does not match the document size");
            if (mergedCompression == kCodingRaw) out.Append(plane);
            for (uint32 row = 0; row < mHeight && mergedCompression == kCodingPacked; ++row)
                rows.push_back(PackRow(plane.data() + row * rowBytes, rowBytes));
        }
        for (const ByteVector& row : rows) out.U16(uint16(row.size()));
        for (const ByteVector& row : rows) out.Append(row);
    }

    if (truncateTo && *truncateTo < out.bytes.size()) out.bytes.resize(*truncateTo);
    if (outLayout) *outLayout = std::move(layout);
    return std::move(out.bytes);
}

void DocumentBuilder::WriteLayerSection(Writer& ioOut, DocumentLayout& ioLayout) const {
    if (layerSection) return ioOut.Block(*layerSection, layerSectionLength);
    // Offsets are relative to the section content, which starts after the length field.
    const size_t start = ioOut.Pos() + 4;
    Writer section;
    const bool hasLayerInfo = !mLayers.empty() || layerInfoWithoutLayers;
    if (hasLayerInfo) {
        ioLayout.layerInfo = start;
        Writer info;
        const int32 count = mergedTransparency ? -int32(mLayers.size()) : int32(mLayers.size());
        info.U16(uint16(layerCount.value_or(int16(count))));
        for (const LayerSpec& layer : mLayers) {
            ioLayout.records.push_back(start + 4 + info.Pos());
            WriteRecord(info, layer);
        }
        for (const LayerSpec& layer : mLayers) {
            ioLayout.channels.emplace_back();
            for (const ChannelSpec& channel : layer.channels) {
                ioLayout.channels.back().push_back(start + 4 + info.Pos());
                info.Append(StoredChannel(layer, channel));
            }
        }
        if (!shiftGlobalMaskBack && info.Pos() % 2 == 1) info.U8(0);
        section.Block(info.bytes,
                      layerInfoLength.value_or(uint32(info.Pos()) + (shiftGlobalMaskBack ? 1 : 0)));
    }
    if (globalMask || hasLayerInfo) section.Block(globalMask.value_or(ByteVector{}));
    if (shiftGlobalMaskBack) section.U8(0);
    ioOut.Block(section.bytes, layerSectionLength);
}

void DocumentBuilder::WriteRecord(Writer& ioOut, const LayerSpec& inLayer) const {
    for (int32 edge : {inLayer.top, inLayer.left, inLayer.bottom, inLayer.right}) ioOut.U32(uint32(edge));
    ioOut.U16(inLayer.channelCount.value_or(uint16(inLayer.channels.size())));
    for (const ChannelSpec& channel : inLayer.channels) {
        ioOut.U16(uint16(channel.id));
        ioOut.U32(channel.entryLength.value_or(uint32(StoredChannel(inLayer, channel).size())));
    }
    ioOut.U32(inLayer.blendSignature);
    ioOut.U32(inLayer.blendKey);
    ioOut.Raw({inLayer.opacity, inLayer.clipping, inLayer.flags, 0});
    if (inLayer.extraData) return ioOut.Block(*inLayer.extraData);

    Writer extra, block;
    if (inLayer.mask) {
        // 16 bytes: the rectangle; 17: and the colour; 18: and the flags; zero bytes up to the length.
        const MaskSpec& m = *inLayer.mask;
        if (m.blockLength >= 16)
            for (int32 edge : {m.top, m.left, m.bottom, m.right}) block.U32(uint32(edge));
        if (m.blockLength >= 17) block.U8(m.defaultColour);
        if (m.blockLength >= 18) block.U8(m.flags);
        while (block.Pos() < m.blockLength) block.U8(0);
    }
    extra.Block(block.bytes);
    extra.U32(40);
    for (int group = 0; group < 10; ++group) extra.Raw({0, 0, 255, 255});
    // Name: length byte, characters, zero bytes up to a multiple of 4.
    const size_t nameStart = extra.Pos();
    extra.U8(uint8(inLayer.name.size()));
    extra.Append(ByteVector(inLayer.name.begin(), inLayer.name.end()));
    while ((extra.Pos() - nameStart) % 4 != 0) extra.U8(0);
    std::vector<AdditionalBlock> blocks = inLayer.blocks;
    if (inLayer.layerID) blocks.push_back(AdditionalBlock::LayerID(*inLayer.layerID));
    for (const AdditionalBlock& b : blocks) {
        extra.U32(b.signature);
        extra.U32(b.key);
        extra.Block(b.data, b.length);
    }
    ioOut.Block(extra.bytes);
}

ByteVector DocumentBuilder::StoredChannel(const LayerSpec& inLayer, const ChannelSpec& inChannel) const {
    Writer out;
    out.U16(inChannel.compression);
    if (inChannel.storedBytes) {
        out.Append(*inChannel.storedBytes);
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
        out.Append(pixels);
    } else if (inChannel.compression == kCodingPacked) {
        std::vector<ByteVector> packed;
        if (inChannel.packedRows) {
            packed = *inChannel.packedRows;
        } else {
            for (int64 row = 0; row < rows; ++row)
                packed.push_back(PackRow(pixels.data() + row * rowBytes, rowBytes));
        }
        for (const ByteVector& row : packed) out.U16(uint16(row.size()));
        for (const ByteVector& row : packed) out.Append(row);
    }
    return std::move(out.bytes);
}

std::vector<ByteVector> DocumentBuilder::MergedPlanes() const {
    if (!mMergedPlanes.empty()) return mMergedPlanes;
    const size_t colourCount = (header.mode == kDocGrayscale || header.mode == kDocIndexed) ? 1 : 3;
    return std::vector<ByteVector>(colourCount + (mergedTransparency ? 1 : 0),
                                   ByteVector(size_t(mHeight) * RowBytes(mWidth), 255));
}

ByteVector Dice::Plane(size_t inRows, size_t inColumns) {
    ByteVector bytes(inRows * inColumns);
    const int32 kind = In(0, 2), step = In(1, 9);
    const uint8 value = Byte();
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = kind == 0   ? Byte()
                   : kind == 1 ? uint8(value + step * (i % inColumns + i / inColumns))
                               : value;
    return bytes;
}

LayerSpec Dice::PixelLayer(int32 inWidth, int32 inHeight, bool inWhole) {
    LayerSpec layer;
    layer.left = inWhole ? 0 : In(-inWidth / 4, inWidth - 1);
    layer.top = inWhole ? 0 : In(-inHeight / 4, inHeight - 1);
    layer.right = inWhole ? inWidth : layer.left + In(1, inWidth);
    layer.bottom = inWhole ? inHeight : layer.top + In(1, inHeight);
    const size_t rows = size_t(layer.bottom - layer.top), columns = size_t(layer.right - layer.left);
    for (int16 id : {kChannelAlpha, kChannelRed, kChannelGreen, kChannelBlue}) {
        if (id == kChannelAlpha && OneIn(6)) continue;  // no transparency channel: opaque
        layer.channels.push_back(ChannelSpec::Pixels(id, Plane(rows, columns), uint16(In(0, 1))));
    }
    return layer;
}

void Dice::AddMask(LayerSpec& ioLayer, int32 inWidth, int32 inHeight) {
    const int32 left = In(-4, inWidth - 1), top = In(-4, inHeight - 1);
    const int32 right = left + In(1, inWidth), bottom = top + In(1, inHeight);
    ioLayer.mask = MaskSpec::Rect(left, top, right, bottom, OneIn(2) ? 255 : 0, uint8(In(0, 7)));
    ioLayer.channels.push_back(ChannelSpec::Pixels(
        kChannelMask, Plane(size_t(bottom - top), size_t(right - left)), uint16(In(0, 1))));
}

const char (&Dice::BlendKey())[5] {
    static const char kKeys[][5] = {"norm", "dark", "lite", "hue ", "sat ", "colr", "lum ", "mul ", "scrn",
                                    "diss", "over", "hLit", "sLit", "diff", "smud", "div ", "idiv", "zzzz"};
    return kKeys[size_t(In(0, int32(sizeof kKeys / sizeof kKeys[0]) - 1))];
}
