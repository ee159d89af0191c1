// Flattening a document through a module into one RGBA image: the read operation of the shared host
// session, with every delivered tile copied into place. Shared by the Windows host program and its
// native reference build, so that both builds of the module are driven by the same host code.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Src/Pellin/Isol/IsolTypes.h"
#include "tools/host/PluginModule.h"

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

// Writes the image's bytes as they stand (no header). Returns false when the file cannot be written.
bool WriteRgba(const std::string& inPath, const FlatImage& inImage);

// How a host opens a document for the module: the handle its file calls accept, or -1; and closes it.
struct DocumentFiles {
    std::function<int32(const std::string&)> open;
    std::function<void(int32)> close;
};

// Flattens, in this one process, every document named in <inFolder>/index.txt (one file name a line,
// the documents beside the list). Writes <inOutput>/<name>.rgba for each document read and
// <inOutput>/summary.txt with one line per document, "<name>: <columns> x <rows>" or
// "<name>: refused: <reason>". Returns the number of documents refused, or -1 with outError set when
// the list cannot be read or an output cannot be written.
int32 FlattenAll(EntryPointProc inEntry, const std::string& inFolder, const std::string& inOutput,
                 const DocumentFiles& inFiles, std::string& outError);
