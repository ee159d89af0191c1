// make_flatten_document OUT.lmn [SIZE]: writes the end-to-end benchmark's document, SIZE x SIZE pixels
// (4096 by default) with eight full-canvas layers in eight blend modes, two of them masked, a clipped
// one and a translucent one.
//
// The layers are built in the engine's image model and the document is written by the engine's writer
// (the one `lumenar compose` uses), which packs every channel.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CNativeQuadTileBuffer.h"
#include "Src/Orvane/Src/Image/CRGBLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Tarnwick/LImageFile.h"
#include "Src/Tarnwick/LibraryStartup.h"
#include "tools/engine/DocumentWriter.h"

namespace {

constexpr int32 kLumenarFormatType = 0;

// Blocky gradients (runs of 16 pixels pack well) that differ per layer and per channel.
uint8 Gradient(int32 inX, int32 inY, int32 inLayer, int32 inChannel) {
    return uint8(((inX >> 4) * (inLayer + 3 + inChannel) + (inY >> 4) * (7 - inChannel) + inLayer * 40) &
                 0xFF);
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

// Adds layer inLayer (0 is the bottom) to the image, row by row.
void AddLayer(CImage& ioImage, int32 inLayer, int32 inSize) {
    static const uint32 kModes[8] = {kBlendNormal,    kBlendMultiply,   kBlendScreen,  kBlendOverlay,
                                     kBlendSoftLight, kBlendDifference, kBlendLighten, kBlendColorDodge};
    const GRect bounds(0, 0, inSize, inSize);
    CNativeQuadTileBuffer pixels(bounds, kTransparentWhite);
    std::vector<NativeQuad> row(static_cast<size_t>(inSize));
    for (int32 y = 0; y < inSize; ++y) {
        for (int32 x = 0; x < inSize; ++x)
            row[size_t(x)] = NativeQuad{Gradient(x, y, inLayer, 2), Gradient(x, y, inLayer, 1),
                                        Gradient(x, y, inLayer, 0), Coverage(x, y, inLayer)};
        pixels.SetTile(GRect(0, y, inSize, y + 1), row.data(), inSize * 4);
    }
    const uint32 id = uint32(inLayer + 1);
    auto* layer = new CRGBLayer(&ioImage, pixels, "Layer " + std::to_string(inLayer + 1), true,
                                kModes[inLayer], inLayer == 4 ? 160 : 255, id);
    std::unique_ptr<CLayer> owned(layer);
    ioImage.AddLayer(layer, false, -1, false);
    owned.release();
    if (inLayer == 2 || inLayer == 5) {
        ioImage.AddLayerMask(id, 255, bounds);
        std::vector<uint8> mask(static_cast<size_t>(inSize));
        for (int32 x = 0; x < inSize; ++x) mask[size_t(x)] = uint8((int64(x) * 255 / inSize) & 0xF0);
        for (int32 y = 0; y < inSize; ++y)
            layer->SetLayerMaskTile(GRect(0, y, inSize, y + 1), mask.data(), inSize);
    }
    if (inLayer == 6) layer->SetClipping(1);
    layer->Deactivate();
}

// Builds and writes the document; false with the reason on failure.
bool WriteDocument(const std::string& inPath, int32 inSize, std::string& outReason) {
    return BuildDocument(
        [&] {
            LImageFile file(inSize, inSize, kLumenarFormatType);
            CImage& image = *file.GetImage();
            for (int32 layer = 0; layer < 8; ++layer) AddLayer(image, layer, inSize);
            return WriteDocumentFile(file, inPath, outReason);
        },
        outReason);
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
    LibraryStart(nullptr);
    std::string reason;
    const bool written = WriteDocument(argv[1], size, reason);
    LibraryStop();
    if (!written) {
        std::fprintf(stderr, "make_flatten_document: cannot write %s: %s\n", argv[1], reason.c_str());
        return 1;
    }
    std::printf("wrote %s (%d x %d)\n", argv[1], int(size), int(size));
    return 0;
}
