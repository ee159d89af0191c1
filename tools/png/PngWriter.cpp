#include "tools/png/PngWriter.h"

#include <libdeflate.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "API/Platform/Platform.h"
#include "tools/png/DeflateEncoder.h"

namespace {

// The size a picture block is mapped with from the system's large blocks, or 0 for the heap.
size_t LargeBlockBytes(size_t inBytes) {
    constexpr size_t kAlign = Platform::kLargeBlockAlignment;
    const size_t rounded = (inBytes + kAlign - 1) / kAlign * kAlign;
    return inBytes >= kAlign && rounded <= 0xFFFFFFFFu ? rounded : 0;
}

}  // namespace

void* AllocatePictureBytes(size_t inBytes) {
    const size_t large = LargeBlockBytes(inBytes);
    void* block =
        large != 0 ? Platform::LargeBlockMap(uint32(large)) : std::malloc(std::max<size_t>(inBytes, 1));
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void FreePictureBytes(void* inBlock, size_t inBytes) {
    const size_t large = LargeBlockBytes(inBytes);
    if (large != 0)
        Platform::LargeBlockUnmap(inBlock, uint32(large));
    else
        std::free(inBlock);
}

namespace {

// Every row gets the "up" filter (each byte minus the byte above it) and the rows are compressed by the
// tool's own encoder (DeflateEncoder.h) a few rows at a time, so no filtered copy of the picture is
// held. On the 4096 x 4096 benchmark picture this writes about 1.1 times the bytes of libpng's defaults
// (zlib level 6, every filter tried per row) in a ninth of the time; bench_summary --png-table
// lists the trials.
constexpr size_t kIdatBytes = size_t(1) << 20;  // compressed data per IDAT chunk

struct Rows {
    int32 width, height, channels;
    const uint8* pixels;
};

void PutBigEndian(uint8* outBytes, uint32 inValue) {
    outBytes[0] = uint8(inValue >> 24);
    outBytes[1] = uint8(inValue >> 16);
    outBytes[2] = uint8(inValue >> 8);
    outBytes[3] = uint8(inValue);
}

// One chunk: length, type, data, and the CRC of type and data.
bool WriteChunk(std::FILE* inFile, const char* inType, const uint8* inData, size_t inBytes) {
    uint8 head[8];
    PutBigEndian(head, uint32(inBytes));
    std::memcpy(head + 4, inType, 4);
    uint8 crc[4];
    PutBigEndian(crc, libdeflate_crc32(libdeflate_crc32(0, head + 4, 4), inData, inBytes));
    return std::fwrite(head, 1, 8, inFile) == 8 && std::fwrite(inData, 1, inBytes, inFile) == inBytes &&
           std::fwrite(crc, 1, 4, inFile) == 4;
}

// Signature, header, resolution and text, the data in IDAT chunks, the end. False with the reason in
// outError.
bool WriteRows(std::FILE* inFile, const Rows& inImage, const PngMetadata& inMetadata, std::string& outError) {
    const PixelBytes compressed = DeflatePictureRows(
        inImage.pixels, size_t(inImage.width) * size_t(inImage.channels), size_t(inImage.height));
    static const uint8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8 header[13];
    PutBigEndian(header, uint32(inImage.width));
    PutBigEndian(header + 4, uint32(inImage.height));
    header[8] = 8;                              // bits per sample
    header[9] = inImage.channels == 4 ? 6 : 0;  // RGBA or grey
    header[10] = header[11] = header[12] = 0;   // deflate, adaptive filters, not interlaced
    bool written = std::fwrite(kSignature, 1, 8, inFile) == 8 && WriteChunk(inFile, "IHDR", header, 13);
    const uint32 horizontal = PixelsPerMetre(inMetadata.horizontalResolution);
    const uint32 vertical = PixelsPerMetre(inMetadata.verticalResolution);
    if (written && horizontal != 0 && vertical != 0) {
        uint8 resolution[9];
        PutBigEndian(resolution, horizontal);
        PutBigEndian(resolution + 4, vertical);
        resolution[8] = 1;  // per metre
        written = WriteChunk(inFile, "pHYs", resolution, 9);
    }
    const std::string software = inMetadata.software.substr(0, inMetadata.software.find('\0'));
    if (written && !software.empty()) {
        const std::string text = std::string("Software", 9) + software;
        written = WriteChunk(inFile, "tEXt", reinterpret_cast<const uint8*>(text.data()), text.size());
    }
    for (size_t at = 0; written && at < compressed.size(); at += kIdatBytes)
        written =
            WriteChunk(inFile, "IDAT", compressed.data() + at, std::min(kIdatBytes, compressed.size() - at));
    written = written && WriteChunk(inFile, "IEND", header, 0);  // a null buffer would restart the CRC
    if (!written) outError = std::strerror(errno);
    return written;
}

}  // namespace

// 1 inch is 0.0254 m: pixels per metre = ppi x 10000 / 254, and the 16.16 fraction is divided out in
// the same integer step.
uint32 PixelsPerMetre(uint32 inFixedPixelsPerInch) {
    const uint64 denominator = 254ull * 65536ull;
    return uint32((uint64(inFixedPixelsPerInch) * 10000ull + denominator / 2) / denominator);
}

namespace {

// Creates or replaces inPath with the rows; a partly written file is removed.
bool WriteFile(const std::string& inPath, const Rows& inRows, size_t inPixelBytes,
               const PngMetadata& inMetadata, std::string& outError) {
    if (inRows.width < 1 || inRows.height < 1 ||
        inPixelBytes != size_t(inRows.width) * size_t(inRows.height) * size_t(inRows.channels)) {
        outError = "the image to write is inconsistent";
        return false;
    }
    std::FILE* file = std::fopen(inPath.c_str(), "wb");
    if (file == nullptr) {
        outError = "cannot create " + inPath + ": " + std::strerror(errno);
        return false;
    }
    std::string reason;
    bool written = WriteRows(file, inRows, inMetadata, reason);
    if (std::fclose(file) != 0 && written) {
        reason = std::strerror(errno);
        written = false;
    }
    if (!written) {
        outError = "cannot write " + inPath + ": " + reason;
        std::remove(inPath.c_str());
    }
    return written;
}

}  // namespace

bool WritePng(const std::string& inPath, const RgbaImage& inImage, const PngMetadata& inMetadata,
              std::string& outError) {
    return WriteFile(inPath, Rows{inImage.width, inImage.height, 4, inImage.pixels.data()},
                     inImage.pixels.size(), inMetadata, outError);
}

bool WritePngGrey(const std::string& inPath, const GreyImage& inImage, std::string& outError) {
    return WriteFile(inPath, Rows{inImage.width, inImage.height, 1, inImage.pixels.data()},
                     inImage.pixels.size(), PngMetadata(), outError);
}
