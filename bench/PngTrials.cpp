#include "bench/PngTrials.h"

#include <libdeflate.h>
#include <png.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "tools/png/DeflateEncoder.h"

PngImage ReadPng(const std::string& inPath) {
    PngImage image;
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&reader, inPath.c_str())) return image;
    reader.format = PNG_FORMAT_RGBA;
    std::vector<uint8> pixels(PNG_IMAGE_SIZE(reader));
    if (!png_image_finish_read(&reader, nullptr, pixels.data(), 0, nullptr)) return image;
    image.width = int32(reader.width);
    image.height = int32(reader.height);
    image.rgba = std::move(pixels);
    return image;
}

PngTrial EncodePng(const PngImage& inImage, const std::string& inPath, const PngSettings& inSettings) {
    PngTrial trial;
    const auto start = std::chrono::steady_clock::now();
    std::FILE* file = std::fopen(inPath.c_str(), "wb");
    if (file == nullptr) return trial;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return trial;
    }
    png_init_io(png, file);
    if (inSettings.level >= 0) png_set_compression_level(png, inSettings.level);
    if (inSettings.strategy >= 0) png_set_compression_strategy(png, inSettings.strategy);
    if (inSettings.filters >= 0) png_set_filter(png, PNG_FILTER_TYPE_BASE, inSettings.filters);
    png_set_IHDR(png, info, png_uint_32(inImage.width), png_uint_32(inImage.height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32 row = 0; row < inImage.height; ++row)
        png_write_row(png, inImage.rgba.data() + size_t(row) * size_t(inImage.width) * 4);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    trial.bytes = double(std::ftell(file));
    std::fclose(file);
    trial.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return trial;
}

PngSettings DefaultPngSettings() {
    return {"libpng defaults (zlib level 6, all filters)", -1, -1, -1};
}

// The picture data as the tool lays it out ("up" filter on every row), compressed at inLevel by
// libdeflate in one piece (the chunk framing adds a few dozen bytes).
PngTrial DeflateTrial(const PngImage& inImage, int inLevel) {
    PngTrial trial;
    const auto start = std::chrono::steady_clock::now();
    const size_t rowBytes = size_t(inImage.width) * 4, bytes = (rowBytes + 1) * size_t(inImage.height);
    std::unique_ptr<uint8[]> filtered(new uint8[bytes]);
    for (size_t row = 0; row < size_t(inImage.height); ++row) {
        uint8* out = filtered.get() + row * (rowBytes + 1);
        const uint8* here = inImage.rgba.data() + row * rowBytes;
        out[0] = 2;
        for (size_t i = 0; i < rowBytes; ++i)
            out[1 + i] = uint8(here[i] - (row > 0 ? here[i - rowBytes] : 0));
    }
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(inLevel);
    const size_t room = libdeflate_zlib_compress_bound(compressor, bytes);
    std::unique_ptr<uint8[]> out(new uint8[room]);
    trial.bytes = double(libdeflate_zlib_compress(compressor, filtered.get(), bytes, out.get(), room));
    libdeflate_free_compressor(compressor);
    trial.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return trial;
}

void PrintPngTable(const PngImage& inImage, const std::string& inFolder) {
    const PngSettings trials[] = {
        DefaultPngSettings(),
        {"level 1, up", 1, -1, PNG_FILTER_UP},
        {"level 1, paeth", 1, -1, PNG_FILTER_PAETH},
        {"level 1, up, RLE", 1, Z_RLE, PNG_FILTER_UP},
        {"level 3, up", 3, -1, PNG_FILTER_UP},
        {"level 3, paeth", 3, -1, PNG_FILTER_PAETH},
        {"level 4, up", 4, -1, PNG_FILTER_UP},
        {"level 4, paeth", 4, -1, PNG_FILTER_PAETH},
        {"level 4, up, filtered", 4, Z_FILTERED, PNG_FILTER_UP},
        {"level 5, up", 5, -1, PNG_FILTER_UP},
        {"level 6, up", 6, -1, PNG_FILTER_UP},
    };
    std::printf("\n%-46s %10s %10s\n", "PNG settings", "MB", "seconds");
    for (const PngSettings& s : trials) {
        const PngTrial t = EncodePng(inImage, inFolder + "/trial.png", s);
        std::printf("%-46s %10.2f %10.3f\n", s.name, t.bytes / 1e6, t.seconds);
    }
    for (int level : {1, 2, 4, 6}) {
        const PngTrial t = DeflateTrial(inImage, level);
        std::printf("libdeflate level %d, up%24s %10.2f %10.3f\n", level, "", t.bytes / 1e6, t.seconds);
    }
    const auto start = std::chrono::steady_clock::now();
    const double bytes = double(
        DeflatePictureRows(inImage.rgba.data(), size_t(inImage.width) * 4, size_t(inImage.height)).size());
    std::printf("%-46s %10.2f %10.3f\n", "the tool's encoder, up", bytes / 1e6,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}
