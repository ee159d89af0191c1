// Flattening a document through a module into one RGBA image: the read operation of the shared host
// session, with every delivered tile copied into place. Shared by the Windows host program and its
// native reference build, so that both builds of the module are driven by the same host code.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"
#include "tools/host/PluginModule.h"

#include <string>
#include <vector>

// Rows of columns of pixels, 4 bytes each in the order red, green, blue, alpha.
struct FlatImage {
    int32 rows = 0;
    int32 columns = 0;
    std::vector<uint8> rgba;
};

// Reads the document behind inFileHandle (a handle the module's file calls accept) through inEntry.
// On failure returns false with a one-line reason; outImage is then incomplete. A tile that does not
// lie inside the reported image fails the read; the tiles after it are ignored.
bool FlattenToRgba(EntryPointProc inEntry, int32 inFileHandle, FlatImage& outImage, std::string& outError);
