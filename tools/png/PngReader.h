// Reading PNG files through libpng, for the layers and masks of `lumenar compose` (the writers are
// PngWriter.h).
//
// Like the writer, this file is a boundary: libpng's errors (long jumps) end inside it and come back as
// a message. Any PNG libpng reads is accepted and converted: palette, grey and 16-bit images are
// expanded to 8-bit RGBA (opaque where the file has no alpha), or, for masks, reduced to 8-bit grey
// (colour by the usual luminance weights, alpha dropped). Sides above kMaxPngSide are refused before
// any pixel memory is taken.
#pragma once

#include <string>
#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"
#include "tools/png/PngWriter.h"

inline constexpr uint32 kMaxPngSide = 30000;

// Reads inPath as RGBA; false with the reason in outError ("cannot read x.png: ...").
bool ReadPngRgba(const std::string& inPath, RgbaImage& outImage, std::string& outError);
// Reads inPath as grey.
bool ReadPngGrey(const std::string& inPath, GreyImage& outImage, std::string& outError);
