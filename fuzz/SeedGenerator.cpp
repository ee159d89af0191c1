// Writes the starting corpora of the fuzz targets: small documents from the test document builder, and
// the parts of a sample document (its resource section, layer records, adjustment and effects blocks)
// cut out by the engine's own record reader.
//     fuzz_seeds <sample document> <output folder>   (one subfolder per target, created beforehand)
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "Src/Orvane/Src/Adjustments/AdjustmentLayerFactory.h"
#include "Src/Orvane/Src/Format/LayerRecord.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/DocumentBuilder.h"

namespace {

std::string sOut;
int sCount = 0;

void Seed(const char* inTarget, const ByteVector& inBytes) {
    std::ofstream(sOut + "/" + inTarget + "/seed" + std::to_string(++sCount), std::ios::binary)
        .write(reinterpret_cast<const char*>(inBytes.data()), std::streamsize(inBytes.size()));
}
ByteVector Cut(const ByteVector& inBytes, size_t inStart, size_t inEnd, ByteVector inPrefix = {}) {
    inEnd = std::min(inEnd, inBytes.size());
    inPrefix.insert(inPrefix.end(), inBytes.begin() + std::ptrdiff_t(std::min(inStart, inEnd)),
                    inBytes.begin() + std::ptrdiff_t(inEnd));
    return inPrefix;
}
uint32 U32At(const ByteVector& inBytes, size_t inAt) {
    return uint32(inBytes.at(inAt)) << 24 | uint32(inBytes.at(inAt + 1)) << 16 |
           uint32(inBytes.at(inAt + 2)) << 8 | inBytes.at(inAt + 3);
}

// A small document whose one layer carries the block.
void BlockDocument(uint32 inKey, const ByteVector& inData) {
    DocumentBuilder document(8, 8);
    LayerSpec layer = LayerSpec::Solid(1, 1, 7, 7, 30, 60, 90);
    layer.blocks.push_back(AdditionalBlock::Raw(inKey, inData));
    document.AddLayer(LayerSpec::Solid(0, 0, 8, 8, 200, 10, 10)).AddLayer(layer);
    Seed("document", document.Build());
    Seed("writer", document.Build());
}

// Every part of a sample document a sub-reader target takes.
void SampleSeeds(const ByteVector& inDocument) {
    const size_t resources = 26 + 4 + U32At(inDocument, 26);
    const size_t layerSection = resources + 4 + U32At(inDocument, resources);
    Seed("resources", Cut(inDocument, resources, layerSection));
    FuzzInputPort port(inDocument.data(), inDocument.size());
    SReadStream stream(&port, 0, 4096, uint32(layerSection + 10));
    const int16 count = int16(inDocument.at(layerSection + 8) << 8 | inDocument.at(layerSection + 9));
    for (int i = 0; i < (count < 0 ? -count : count); ++i) {
        const size_t start = stream.GetPosition();
        LayerRecord record;
        record.Read(stream);
        Seed("layer_record", Cut(inDocument, start, stream.GetPosition()));
        if (record.mHasAdjustment) {
            const ByteVector data = Cut(inDocument, record.mAdjustmentPosition,
                                        record.mAdjustmentPosition + record.mAdjustmentLength);
            Seed("adjustment", Cut(data, 0, data.size(), {uint8(record.mAdjustmentType)}));
            BlockDocument(record.mAdjustmentKey, data);
        }
        if (record.mEffectsPosition != 0) {
            const ByteVector data =
                Cut(inDocument, record.mEffectsPosition, record.mEffectsPosition + record.mEffectsLength);
            Seed("effects", data);
            BlockDocument(FourCC("lrFX"), data);
        }
    }
}

// Small documents of every mode the reader takes, with the record features it reads.
void BuilderSeeds() {
    DocumentBuilder plain(4, 3);
    plain.AddLayer(LayerSpec::Solid(0, 0, 4, 3, 200, 100, 50, 128));
    DocumentBuilder layered(9, 7);
    LayerSpec masked = LayerSpec::Solid(-2, 1, 6, 9, 10, 20, 30);
    masked.mask = MaskSpec::Rect(0, 0, 5, 5, 255, 4);
    masked.mask->blockLength = 20;
    masked.name = "masked";
    masked.layerID = 7;
    masked.blocks.push_back(AdditionalBlock::UnicodeName(u"masked"));
    masked.channels.push_back(ChannelSpec::Filled(kChannelMask, 90, kCodingRaw));
    LayerSpec hidden = LayerSpec::Solid(3, 2, 9, 7, 1, 2, 3, 40);
    hidden.flags = 2;
    hidden.blendKey = FourCC("mul ");
    layered.AddLayer(masked).AddLayer(hidden);
    layered.AddResource(ResourceSpec::Block(1037, {0, 0, 0, 30}, "angle"));
    layered.AddResource(ResourceSpec::Plugin(4000, FourCC("plug"), {1, 2, 3}));
    DocumentBuilder flat(5, 5);
    flat.mergedCompression = kCodingPacked;
    flat.mergedTransparency = true;
    DocumentBuilder grey(6, 2, kDocGrayscale);
    grey.AddLayer(LayerSpec::Solid(0, 0, 6, 2, 77, 77, 77));
    DocumentBuilder indexed(3, 3, kDocIndexed);
    indexed.ColourTable({0xFF0000, 0x00FF00, 0x0000FF});
    for (const DocumentBuilder* document : {&plain, &layered, &flat, &grey, &indexed}) {
        DocumentLayout layout;
        const ByteVector bytes = document->Build(&layout);
        Seed("document", bytes);
        Seed("writer", bytes);
        Seed("resources", Cut(bytes, layout.imageResources, layout.layerAndMask));
        for (size_t i = 0; i < layout.records.size(); ++i)
            Seed("layer_record",
                 Cut(bytes, layout.records[i],
                     i + 1 < layout.records.size() ? layout.records[i + 1] : layout.channels[0][0]));
    }
    const uint8 row[] = {1, 1, 1, 1, 2, 3, 4, 4, 4, 9, 9, 9, 9, 9, 9, 9, 0};
    ByteVector packed = DocumentBuilder::PackRow(row, sizeof row);
    packed.insert(packed.begin(), {0, uint8(sizeof row)});
    Seed("packbits", packed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return std::fprintf(stderr, "usage: fuzz_seeds <sample document> <output folder>\n"), 2;
    sOut = argv[2];
    std::ifstream in(argv[1], std::ios::binary);
    const ByteVector sample{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    FuzzSession session;
    BuilderSeeds();
    if (!sample.empty()) SampleSeeds(sample);
    std::printf("fuzz_seeds: %d seeds in %s\n", sCount, argv[2]);
    return 0;
}
