// The read selectors: ReadStart builds the document reader inside the persistent block, ReadContinue
// hands the host one tile per call, ReadFinish destroys the reader. Failures are reported with a fixed
// text and become a result code (ReadStart) or the end of the data (ReadContinue, ReadFinish).
#include "FileFormat/Lumenar5/Src/DocumentReader.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "Src/Pellin/Isol/Report.h"

namespace {

// The host always receives 8-bit RGB with a fourth plane for the composite's alpha.
constexpr int16 kReportedMode = 3;
constexpr int16 kReportedDepth = 8;

// Builds the reader in the block's storage and writes the image's geometry to the record.
void OpenDocument(PluginState& ioState) {
    FormatParamRecord& record = *ioState.record;
    DocumentReader& reader = DocumentReader::BuildIn(ioState, record.fileHandle);
    record.imageMode = kReportedMode;
    record.imageColumns = int16(reader.GetWidth());
    record.imageRows = int16(reader.GetHeight());
    record.bitDepth = kReportedDepth;
    record.planeCount = int16(DocumentReader::kPlaneCount);
}

// Fills the record with the next tile; false when no tile follows (or no document is open).
bool DeliverNextTile(PluginState& ioState) {
    DocumentReader* reader = DocumentReader::FindIn(ioState);
    TileRequest request;
    if (reader == nullptr || !reader->NextTile(request)) return false;
    FormatParamRecord& record = *ioState.record;
    record.tileData = request.data;
    record.tileRect[kTileTop] = int16(request.top);
    record.tileRect[kTileLeft] = int16(request.left);
    record.tileRect[kTileBottom] = int16(request.bottom);
    record.tileRect[kTileRight] = int16(request.right);
    record.firstPlane = request.firstPlane;
    record.planeLimit = request.planeLimit;
    record.columnStep = request.columnStep;
    record.rowStep = request.rowStep;
    record.planeStep = request.planeStep;
    for (int16 plane = request.firstPlane; plane < request.planeLimit; ++plane)
        record.planeMap[plane] = request.planeMap[plane];
    return true;
}

// Destroys the reader built by OpenDocument.
void CloseDocument(PluginState& ioState) {
    DocumentReader::DestroyIn(ioState);
}

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
