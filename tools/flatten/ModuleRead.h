// One read operation through a module's entry point, as a host performs it: ReadPrepare, ReadStart,
// ReadContinue until the module hands no tile, ReadFinish. Every tile's geometry is checked and the
// tiles are assembled into one RGBA image; the time spent in each selector is measured.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/flatten/TileAssembler.h"
#include "tools/host/HostSession.h"

// Milliseconds spent in the selectors of one read.
struct ReadTimings {
    double readStart = 0;   // opening the document: the header
    double firstTile = 0;   // the first ReadContinue: loading, flattening and the first tile
    double otherTiles = 0;  // every later ReadContinue
    double readFinish = 0;
    int32 tiles = 0;
};

struct ModuleReadResult {
    bool ok = false;
    bool refused = false;  // the module refused the document (ReadStart failed, or it stopped early)
    std::string error;     // what went wrong, for the user
    RgbaImage image;       // the assembled image when ok
    ReadTimings timings;
    std::vector<std::string> moduleReports;  // what the module reported while it ran
};

// Called after every tile with the pixels delivered so far and the image's pixel count.
using ReadProgress = std::function<void(int64 inDelivered, int64 inTotal)>;

// Reads the document open as inFileHandle through inEntry. Before the first ReadContinue inProgress is
// called with 0 delivered. The module's standard error output is collected into moduleReports.
ModuleReadResult ReadThroughModule(EntryPointProc inEntry, int32 inFileHandle,
                                   const ReadProgress& inProgress);
