#include "tools/flatten/ModuleRead.h"

#include <chrono>
#include <memory>

#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "tools/flatten/ModuleOutput.h"

namespace {

constexpr int16 kExpectedMode = 3;
constexpr int16 kExpectedDepth = 8;
constexpr int16 kExpectedPlanes = 4;

class Stopwatch {
public:
    double Lap() {
        const auto now = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - mLast).count();
        mLast = now;
        return ms;
    }

private:
    std::chrono::steady_clock::time_point mLast = std::chrono::steady_clock::now();
};

std::string Describe(const FormatParamRecord& inRecord) {
    return "mode " + std::to_string(inRecord.imageMode) + ", " + std::to_string(inRecord.imageColumns) +
           " x " + std::to_string(inRecord.imageRows) + ", depth " + std::to_string(inRecord.bitDepth) +
           ", " + std::to_string(inRecord.planeCount) + " planes";
}

bool GeometryUsable(const FormatParamRecord& inRecord) {
    return inRecord.imageMode == kExpectedMode && inRecord.bitDepth == kExpectedDepth &&
           inRecord.planeCount == kExpectedPlanes && inRecord.imageRows >= 1 && inRecord.imageColumns >= 1;
}

// The tiles of an opened document, until the module hands none or a tile is malformed.
void DeliverTiles(HostSession& ioSession, ModuleOutput& ioOutput, const ReadProgress& inProgress,
                  ModuleReadResult& ioResult) {
    FormatParamRecord& record = ioSession.Record();
    TileAssembler assembler(record.imageColumns, record.imageRows);
    const int64 total = int64(record.imageColumns) * record.imageRows;
    if (inProgress) inProgress(0, total);
    Stopwatch clock;
    // One capture for all the tiles (four system calls each would add up), let go only to show progress.
    const bool delivered = ioOutput.Capture([&] {
        for (;;) {
            record.tileData = nullptr;
            const int16 result = ioSession.Call(kSelectorReadContinue);
            (ioResult.timings.tiles == 0 ? ioResult.timings.firstTile : ioResult.timings.otherTiles) +=
                clock.Lap();
            if (result != 0) {
                ioResult.error = "ReadContinue failed with result " + std::to_string(result);
                return false;
            }
            if (record.tileData == nullptr) return true;
            ++ioResult.timings.tiles;
            if (!assembler.Add(ioSession.TileFromRecord(), ioResult.error)) return false;
            if (inProgress) ioOutput.Uncaptured([&] { inProgress(assembler.DeliveredPixels(), total); });
            clock.Lap();
        }
    });
    if (!delivered) return;
    if (!assembler.Complete()) {
        ioResult.refused = true;
        ioResult.error = "the module delivered " + std::to_string(assembler.DeliveredPixels()) + " of " +
                         std::to_string(total) + " pixels";
        return;
    }
    ioResult.image = assembler.TakeImage();
    ioResult.ok = true;
}

}  // namespace

ModuleReadResult ReadThroughModule(EntryPointProc inEntry, int32 inFileHandle,
                                   const ReadProgress& inProgress) {
    ModuleReadResult result;
    ModuleOutput output;
    HostSession session(inEntry);
    FormatParamRecord& record = session.Record();
    record.fileHandle = inFileHandle;
    Stopwatch clock;
    if (const int16 code = output.Capture([&] { return session.Call(kSelectorReadPrepare); }); code != 0) {
        result.error = "ReadPrepare failed with result " + std::to_string(code);
    } else if (const int16 start = output.Capture([&] { return session.Call(kSelectorReadStart); });
               start != 0) {
        result.timings.readStart = clock.Lap();
        result.refused = true;
        result.error = "the module refused the document (result " + std::to_string(start) + ")";
    } else {
        result.timings.readStart = clock.Lap();
        if (GeometryUsable(record))
            DeliverTiles(session, output, inProgress, result);
        else
            result.error = "the module reported an image this host cannot take: " + Describe(record);
        clock.Lap();
        output.Capture([&] { return session.Call(kSelectorReadFinish); });
        result.timings.readFinish = clock.Lap();
    }
    result.moduleReports = output.Lines();
    return result;
}
