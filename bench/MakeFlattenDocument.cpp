// make_flatten_document OUT.lmn [SIZE]: writes the end-to-end benchmark's document, SIZE x SIZE pixels
// (4096 by default) with eight full-canvas layers in eight blend modes, two of them masked, a clipped
// one and a translucent one, every channel packed.
//
// Channels are packed row by row as they are generated and handed to the test document builder as
// finished bytes, so the generator holds only the packed document, never the raw planes.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "tests/support/DocumentBuilder.h"

namespace {

using ChannelFunction = std::function<uint8(int32 x, int32 y)>;

// One packed channel: the line-count table, then every row's packets.
ChannelSpec PackedChannel(int16 inID, int32 inSize, const ChannelFunction& inValue) {
    ByteVector counts;
    ByteVector rows;
    std::vector<uint8> row(static_cast<size_t>(inSize));
    counts.reserve(size_t(inSize) * 2);
    for (int32 y = 0; y < inSize; ++y) {
        for (int32 x = 0; x < inSize; ++x) row[size_t(x)] = inValue(x, y);
        const ByteVector packed = DocumentBuilder::PackRow(row.data(), row.size());
        counts.push_back(uint8(packed.size() >> 8));
        counts.push_back(uint8(packed.size()));
        rows.insert(rows.end(), packed.begin(), packed.end());
    }
    ChannelSpec channel;
    channel.id = inID;
    channel.compression = kCodingPacked;
    counts.insert(counts.end(), rows.begin(), rows.end());
    channel.storedBytes = std::move(counts);
    return channel;
}

// Blocky gradients (runs of 16 pixels pack well) that differ per layer and per channel.
uint8 Gradient(int32 inX, int32 inY, int32 inLayer, int32 inChannel) {
    return uint8(((inX >> 4) * (inLayer + 3 + inChannel) + (inY >> 4) * (7 - inChannel) + inLayer * 40) & 0xFF);
}

// Coverage: a lattice of soft-edged discs, their size and spacing per layer; the bottom layer is opaque.
uint8 Coverage(int32 inX, int32 inY, int32 inLayer) {
    if (inLayer == 0) return 255;
    const int32 cell = 256 + 64 * inLayer;
    const int32 dx = (inX % cell) - cell / 2;
    const int32 dy = (inY % cell) - cell / 2;
    const int32 radius = cell / 3;
    const int32 inside = radius * radius - (dx * dx + dy * dy);
    if (inside <= 0) return 0;
    return inside >= radius * 16 ? 255 : uint8(inside * 255 / (radius * 16));
}

LayerSpec MakeLayer(int32 inLayer, int32 inSize) {
    static const uint32 kKeys[8] = {FourCC("norm"), FourCC("mul "), FourCC("scrn"), FourCC("over"),
                                    FourCC("sLit"), FourCC("diff"), FourCC("lite"), FourCC("div ")};
    LayerSpec layer;
    layer.name = "Layer " + std::to_string(inLayer + 1);
    layer.right = inSize;
    layer.bottom = inSize;
    layer.blendKey = kKeys[inLayer];
    layer.opacity = inLayer == 4 ? 160 : 255;
    layer.clipping = inLayer == 6 ? 1 : 0;
    layer.layerID = uint32(inLayer + 1);
    layer.channels.push_back(PackedChannel(kChannelAlpha, inSize, [inLayer](int32 x, int32 y) {
        return Coverage(x, y, inLayer);
    }));
    for (int16 channel = 0; channel < 3; ++channel) {
        layer.channels.push_back(PackedChannel(channel, inSize, [inLayer, channel](int32 x, int32 y) {
            return Gradient(x, y, inLayer, channel);
        }));
    }
    if (inLayer == 2 || inLayer == 5) {
        layer.mask = MaskSpec::Rect(0, 0, inSize, inSize, 255);
        layer.channels.push_back(PackedChannel(kChannelMask, inSize, [inSize](int32 x, int32) {
            return uint8((int64(x) * 255 / inSize) & 0xF0);
        }));
    }
    return layer;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_flatten_document OUT.lmn [SIZE]\n");
        return 2;
    }
    const int32 size = argc == 3 ? std::atoi(argv[2]) : 4096;
    if (size < 1 || size > 30000) {
        std::fprintf(stderr, "make_flatten_document: SIZE must be 1 to 30000\n");
        return 2;
    }
    DocumentBuilder document{uint32(size), uint32(size)};
    for (int32 layer = 0; layer < 8; ++layer) document.AddLayer(MakeLayer(layer, size));
    document.mergedCompression = kCodingPacked;
    const ByteVector bytes = document.Build();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make_flatten_document: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("wrote %s (%d x %d, %zu bytes)\n", argv[1], int(size), int(size), bytes.size());
    return 0;
}
