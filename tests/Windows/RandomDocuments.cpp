// Writes seeded random documents for comparing the Windows and the native builds of the module:
// layer stacks with every document blend key, masks, clipping groups, hidden and protected layers,
// adjustment layers of every kind, layer effects, documents without layers, and damaged and cut
// copies. The same seed always gives the same documents.
//
// Usage: windows_random_documents <folder> <count> [<seed>]
// Writes <folder>/doc-NNNN.lmn and <folder>/index.txt, the list of their names.

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/Effects/EffectsTestSupport.h"
#include "tests/support/DocumentBuilder.h"

using namespace EffectsTest;

namespace {

// Kinds whose blocks are plain runs of 16-bit fields: each run `count` values drawn from low..high
// (equal bounds: that value) times `scale` (256 puts a 0 or 1 flag in the high byte).
struct FieldRun {
    int32 count, low, high, scale = 1;
};
const struct {
    char key[5];
    std::vector<FieldRun> runs;
} kPlainKinds[] = {
    {"nvrt", {}},
    {"brit", {{2, -100, 100}, {1, 0, 255}, {1, 0, 0}}},
    {"thrs", {{1, 1, 255}, {1, 0, 0}}},
    {"post", {{1, 2, 255}, {1, 0, 0}}},
    {"blnc", {{9, -100, 100}, {1, 0, 1, 256}}},
    {"hue ", {{1, 1, 1}, {1, 0, 1, 256}, {1, -180, 180}, {23, -100, 100}}},
    {"selc", {{1, 1, 1}, {1, 0, 1}, {4, 0, 0}, {36, -100, 100}}},
    {"mixr", {{1, 1, 1}, {1, 0, 1}, {20, -200, 200}}},
};

// Settings of every adjustment kind, mostly inside the ranges a writer produces.
AdditionalBlock AdjustmentBlock(Dice& ioDice) {
    Bytes b;
    auto i16 = [&](int32 inLow, int32 inHigh) { b.I16(ioDice.In(inLow, inHigh)); };
    const int32 kind = ioDice.In(0, 11);
    if (kind < 8) {
        for (const FieldRun& run : kPlainKinds[kind].runs)
            for (int32 k = 0; k < run.count; ++k) b.I16(ioDice.In(run.low, run.high) * run.scale);
        return AdditionalBlock::Raw(FourCC(kPlainKinds[kind].key), b.Get());
    }
    if (kind == 8) {
        b.U16(2);
        for (int32 r = ioDice.In(1, 5); r > 0; --r) {
            const int32 low = ioDice.In(0, 200), outLow = ioDice.In(0, 120);
            b.U16(uint32(low)).U16(uint32(ioDice.In(low + 2, 255))).U16(uint32(outLow));
            b.U16(uint32(ioDice.In(outLow, 255))).U16(uint32(ioDice.In(10, 999)));
        }
        return AdditionalBlock::Raw(FourCC("levl"), b.Get());
    }
    if (kind == 9) {
        const uint32 channels = uint32(ioDice.In(1, 15));
        b.U8(0).U16(1).U32(channels);
        for (uint32 c = channels; c != 0; c &= c - 1) {
            const int32 points = ioDice.In(2, 6);
            b.U16(uint32(points));
            for (int32 p = 0; p < points; ++p) i16(0, 255), b.U16(uint32(p * 255 / (points - 1)));
        }
        return AdditionalBlock::Raw(FourCC("curv"), b.Get());
    }
    if (kind == 10) {
        b.U16(2).U8(ioDice.In(0, 1)).U8(0);
        i16(0, 360), i16(0, 100), i16(-100, 100), i16(-180, 180), i16(-100, 100), i16(-100, 100);
        for (int32 r = 0; r < 6; ++r) {
            const int32 centre = 60 * r;
            b.U16(uint32((centre + 315) % 360)).U16(uint32((centre + 345) % 360));
            b.U16(uint32((centre + 15) % 360)).U16(uint32((centre + 45) % 360));
            i16(-180, 180), i16(-100, 100), i16(-100, 100);
        }
        return AdditionalBlock::Raw(FourCC("hue2"), b.Get());
    }
    // Random bytes under a random adjustment key.
    static const char kKeys[][5] = {"levl", "curv", "brit", "blnc", "hue ", "selc",
                                    "thrs", "nvrt", "post", "hue2", "mixr"};
    ByteVector junk(size_t(ioDice.In(0, 60)));
    for (uint8& byte : junk) byte = ioDice.Byte();
    return AdditionalBlock::Raw(FourCC(kKeys[ioDice.In(0, 10)]), junk);
}

AdditionalBlock EffectsBlock(Dice& ioDice) {
    auto fixed = [&](int32 inWhole) { return uint32(ioDice.In(0, inWhole << 16)); };
    auto angle = [&] { return uint32(ioDice.In(-180, 180)) << 16; };
    std::vector<ByteVector> records;
    if (ioDice.OneIn(2))
        records.push_back(
            Record("dsdw", ShadowFields(fixed(6), fixed(100), angle(), fixed(8), ioDice.BlendKey(),
                                        uint8(ioDice.In(0, 1)), ioDice.Byte())));
    if (ioDice.OneIn(3))
        records.push_back(
            Record("isdw", ShadowFields(fixed(6), fixed(100), angle(), fixed(8), ioDice.BlendKey(),
                                        uint8(ioDice.In(0, 1)), ioDice.Byte())));
    if (ioDice.OneIn(3))
        records.push_back(Record("oglw", GlowFields(0, fixed(6), ioDice.BlendKey(), uint8(ioDice.In(0, 1)))));
    if (ioDice.OneIn(3))
        records.push_back(Record("iglw", GlowFields(1, fixed(6), ioDice.BlendKey(), uint8(ioDice.In(0, 1)))));
    if (ioDice.OneIn(3))
        records.push_back(Record("bevl", BevelFields(uint8(ioDice.In(1, 4)), angle(), fixed(20), fixed(6))));
    return AdditionalBlock::Raw(FourCC("lrFX"), Payload(records));
}

ByteVector RandomDocument(uint32 inSeed) {
    Dice dice(inSeed);
    const int32 width = dice.OneIn(4) ? dice.In(65, 160) : dice.In(1, 64);
    const int32 height = dice.OneIn(4) ? dice.In(65, 160) : dice.In(1, 64);
    DocumentBuilder doc{uint32(width), uint32(height)};
    const int32 layers = dice.OneIn(8) ? 0 : dice.In(1, 6);
    for (int32 i = 0; i < layers; ++i) {
        LayerSpec layer =
            i > 0 && dice.OneIn(4) ? LayerSpec() : dice.PixelLayer(width, height, i == 0 && dice.OneIn(2));
        if (layer.channels.empty())
            layer.blocks.push_back(AdjustmentBlock(dice));
        else if (dice.OneIn(3))
            layer.blocks.push_back(EffectsBlock(dice));
        layer.blendKey = FourCC(dice.BlendKey());
        layer.opacity = dice.OneIn(2) ? 255 : dice.Byte();
        layer.clipping = uint8(i > 0 && dice.OneIn(3));
        layer.flags = uint8(dice.OneIn(8) ? 2 : 0) | uint8(dice.OneIn(6) ? 1 : 0);
        layer.name = "layer " + std::to_string(i);
        if (dice.OneIn(3)) dice.AddMask(layer, width, height);
        doc.AddLayer(layer);
    }
    if (layers == 0) {
        doc.mergedTransparency = dice.OneIn(2);
        doc.mergedCompression = uint16(dice.In(0, 1));
        for (int32 plane = doc.mergedTransparency ? 4 : 3; plane > 0; --plane)
            doc.AddMergedChannel(dice.Plane(size_t(height), size_t(width)));
    }
    ByteVector bytes = doc.Build();
    if (dice.OneIn(10)) bytes.resize(size_t(dice.In(0, int32(bytes.size()) - 1)));  // cut short
    if (dice.OneIn(10))  // damaged: a few bytes overwritten anywhere
        for (int32 k = dice.In(1, 3); k > 0 && !bytes.empty(); --k)
            bytes[size_t(dice.In(0, int32(bytes.size()) - 1))] = dice.Byte();
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: windows_random_documents <folder> <count> [<seed>]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int32 count = std::atoi(argv[2]);
    const uint32 seed = argc == 4 ? uint32(std::strtoul(argv[3], nullptr, 10)) : 1;
    std::FILE* index = std::fopen((folder + "/index.txt").c_str(), "wb");
    if (index == nullptr) return 1;
    for (int32 i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "doc-%04d.lmn", int(i));
        const ByteVector bytes = RandomDocument(seed * 100003u + uint32(i));
        std::FILE* out = std::fopen((folder + "/" + name).c_str(), "wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
            std::fclose(out) != 0)
            return 1;
        std::fprintf(index, "%s\n", name);
    }
    return std::fclose(index) == 0 ? 0 : 1;
}
