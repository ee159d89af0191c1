// The read selectors.
//
// Reading documents is not built yet: OpenDocument, DeliverNextTile and CloseDocument below are the
// seam where the document reader goes. Until then every ReadStart fails with result 1 and the report
// "Problem reading lumenar file.", exactly as a refused document does.
#include <stdexcept>

#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

// Builds the reader in the block's storage and writes the image's geometry to the record.
void OpenDocument(PluginState&) { throw std::runtime_error("reading documents is not built yet"); }

// Fills the record with the next tile; false when no tile follows.
bool DeliverNextTile(PluginState&) { return false; }

// Destroys the reader built by OpenDocument.
void CloseDocument(PluginState&) {}

}  // namespace

void ReadStart(PluginState& ioState) {
    if (!EnsureSettingsHandle(ioState)) return;
    try {
        OpenDocument(ioState);
    } catch (...) {
        LREPORT("Problem reading lumenar file.");
        ioState.result = errGeneric;
    }
}

void ReadContinue(PluginState& ioState) {
    try {
        if (!DeliverNextTile(ioState)) ioState.record->tileData = nullptr;
    } catch (...) {
        LREPORT("Could not get composite tile from image");
        ioState.record->tileData = nullptr;
    }
}

void ReadFinish(PluginState& ioState) {
    try {
        CloseDocument(ioState);
    } catch (...) {
        LREPORT("Problem closing lumenar file");
    }
    ioState.record->tileData = nullptr;
}
