// Writing 8-bit RGBA and grey images as PNG files: the chunks are laid out here, the picture data is
// compressed by libdeflate. Every failure comes back as a message.
#pragma once

#include <string>
#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"

struct RgbaImage {
    int32 width = 0;
    int32 height = 0;
    std::vector<uint8> pixels;  // rows top to bottom, 4 bytes per pixel: red, green, blue, alpha
};

// An 8-bit grey image: rows top to bottom, one byte per pixel.
struct GreyImage {
    int32 width = 0;
    int32 height = 0;
    std::vector<uint8> pixels;
};

struct PngMetadata {
    // Resolution in pixels per inch as 16.16 fixed point; 0 writes no resolution.
    uint32 horizontalResolution = 0;
    uint32 verticalResolution = 0;
    std::string software;  // the "Software" text entry; empty writes none
};

// Pixels per metre for a 16.16 fixed-point resolution in pixels per inch, rounded to nearest.
uint32 PixelsPerMetre(uint32 inFixedPixelsPerInch);

// Writes inImage to inPath (created or replaced). Returns false and describes the failure in outError
// when the file cannot be written or the image is inconsistent (size not width x height x 4, a side
// below 1); a partly written file is removed.
bool WritePng(const std::string& inPath, const RgbaImage& inImage, const PngMetadata& inMetadata,
              std::string& outError);

// Writes inImage as an 8-bit grey PNG (no resolution, no text), with the same failures as WritePng.
bool WritePngGrey(const std::string& inPath, const GreyImage& inImage, std::string& outError);
