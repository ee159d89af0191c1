// The writer fed by the reader: a document that loads is written back (or refused as too big, when a
// layer's rows could not be read back), and what was written must load again with as many layers.
// Documents of more than kMostPixels (canvas and layers) are only read (writing one composites and
// stores every pixel, which would make each run take seconds).
#include <memory>

#include "Src/Orvane/Src/Format/CImageResourceMgr.h"
#include "Src/Orvane/Src/Format/CLumenarFormat.h"
#include "Src/Orvane/Src/Format/LumenarRefusals.h"
#include "Src/Orvane/Src/Image/CImage.h"
#include "Src/Orvane/Src/Image/CLayer.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/SReadStream.h"
#include "Src/PowerPellin/LProgressScope.h"
#include "fuzz/FuzzSupport.h"

namespace {

// Reads the document on inPort into outImage; false when it was refused.
bool Read(LFilePort& inPort, CImageResourceMgr& outResources, std::unique_ptr<CImage>& outImage) {
    SReadStream stream(&inPort, 0, 4096, 0);
    CLumenarFormat format(&outResources);
    format.SetReadStream(&stream);
    try {
        format.ReadHeader();
        outImage = std::make_unique<CImage>(int32(format.GetColumns()), int32(format.GetRows()));
        LProgressScope progress;
        format.ReadImage(outImage.get(), &progress);
    } catch (const BaseException&) {
        return false;
    }
    return true;
}

}  // namespace

int FuzzDocumentWriter(const uint8_t* inData, size_t inSize) {
    constexpr int64 kMostPixels = 1 << 20;
    FuzzSession session;
    FuzzInputPort port(inData, inSize);
    CImageResourceMgr resources;
    std::unique_ptr<CImage> image;
    if (!Read(port, resources, image)) return 0;
    int64 pixels = image->GetImageRect().Area();
    for (int32 i = 0; i < image->GetLayerCount(); ++i)
        pixels += image->GetLayerWithPosition(i)->GetBounds().Area();
    if (pixels > kMostPixels) return 0;

    std::vector<uint8_t> bytes;
    try {
        bytes = FuzzWritten([&](SWriteStream& stream) {
            LProgressScope progress;
            CLumenarFormat(&resources).WriteImage(image.get(), &stream, &progress);
        });
    } catch (const BaseException& e) {
        // The one refusal a loaded document may get: layer rows too wide to be read back.
        FuzzCheck(e.Message().Text() == ZString(LumenarRefusal::kImageTooLarge).Text(), "a refused write");
        return 0;
    }
    FuzzInputPort written(bytes.data(), bytes.size());
    CImageResourceMgr rereadResources;
    std::unique_ptr<CImage> reread;
    FuzzCheck(Read(written, rereadResources, reread), "a written document is refused");
    FuzzCheck(reread->GetLayerCount() == image->GetLayerCount(), "a written document has other layers");
    return 0;
}
