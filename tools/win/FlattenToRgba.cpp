#include "tools/win/FlattenToRgba.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "tools/host/HostSession.h"

namespace {

// A tile is read as the record describes it: pixel (x, y) of the rectangle starts at
// data + (y - top) * rowStep + (x - left) * columnStep, and plane p of a pixel lies planeMap[p] bytes
// into it. Planes 0, 1, 2, 3 are red, green, blue and alpha.
bool CopyTile(const TileView& inTile, FlatImage& ioImage) {
    if (inTile.top < 0 || inTile.left < 0 || inTile.bottom > ioImage.rows || inTile.right > ioImage.columns ||
        inTile.top >= inTile.bottom || inTile.left >= inTile.right)
        return false;
    for (int32 y = inTile.top; y < inTile.bottom; ++y) {
        for (int32 x = inTile.left; x < inTile.right; ++x) {
            const uint8* pixel = inTile.data + int64(y - inTile.top) * inTile.rowStep +
                                 int64(x - inTile.left) * inTile.columnStep;
            uint8* out = &ioImage.rgba[(size_t(y) * size_t(ioImage.columns) + size_t(x)) * 4];
            for (int32 plane = 0; plane < 4; ++plane) out[plane] = pixel[inTile.planeMap[plane]];
        }
    }
    return true;
}

}  // namespace

bool FlattenToRgba(EntryPointProc inEntry, int32 inFileHandle, FlatImage& outImage, std::string& outError) {
    HostSession session(inEntry);
    bool tilesFit = true;
    const ReadSummary summary = session.ReadDocument(inFileHandle, [&](const TileView& inTile) {
        // The image is sized once the first tile arrives: ReadStart has reported it by then.
        if (outImage.rgba.empty()) {
            outImage.rows = session.Record().imageRows;
            outImage.columns = session.Record().imageColumns;
            outImage.rgba.assign(
                size_t(std::max(outImage.rows, 0)) * size_t(std::max(outImage.columns, 0)) * 4, 0);
        }
        if (tilesFit) tilesFit = CopyTile(inTile, outImage);
    });
    if (!tilesFit) {
        outError = "the module delivered a tile outside the image";
        return false;
    }
    if (summary.overDelivered) {
        outError = "the module delivered more tiles than the image holds";
        return false;
    }
    if (summary.result != 0) {
        outError = summary.failedSelector == kSelectorReadStart
                       ? "the module refused the document (result " + std::to_string(summary.result) + ")"
                       : "reading failed at selector " + std::to_string(summary.failedSelector) +
                             " (result " + std::to_string(summary.result) + ")";
        return false;
    }
    if (summary.rows <= 0 || summary.columns <= 0 || summary.tiles == 0) {
        outError = "the module delivered no image";
        return false;
    }
    return true;
}

bool WriteRgba(const std::string& inPath, const FlatImage& inImage) {
    std::FILE* file = std::fopen(inPath.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written =
        std::fwrite(inImage.rgba.data(), 1, inImage.rgba.size(), file) == inImage.rgba.size();
    return std::fclose(file) == 0 && written;
}

int32 FlattenAll(EntryPointProc inEntry, const std::string& inFolder, const std::string& inOutput,
                 const DocumentFiles& inFiles, std::string& outError) {
    std::ifstream list(inFolder + "/index.txt");
    std::ofstream summary(inOutput + "/summary.txt", std::ios::binary);
    if (!list || !summary) {
        outError = "cannot read " + inFolder + "/index.txt or write " + inOutput + "/summary.txt";
        return -1;
    }
    int32 refused = 0;
    for (std::string name; std::getline(list, name);) {
        if (name.empty()) continue;
        FlatImage image;
        std::string error;
        const int32 document = inFiles.open(inFolder + "/" + name);
        bool ok = false;
        if (document == -1) {
            error = "cannot open the document";
        } else {
            ok = FlattenToRgba(inEntry, document, image, error);
            inFiles.close(document);
        }
        if (ok && !WriteRgba(inOutput + "/" + name + ".rgba", image)) {
            outError = "cannot write " + inOutput + "/" + name + ".rgba";
            return -1;
        }
        refused += ok ? 0 : 1;
        summary << name << ": ";
        if (ok)
            summary << image.columns << " x " << image.rows << "\n";
        else
            summary << "refused: " << error << "\n";
    }
    summary.close();
    if (!summary) {
        outError = "cannot write " + inOutput + "/summary.txt";
        return -1;
    }
    return refused;
}
