// The whole read operation as a host drives it: ReadPrepare, ReadStart, ReadContinue for some tiles,
// ReadFinish, over a document held in an anonymous in-memory file.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "API/MergerTempFile.h"
#include "FileFormat/Lumenar5/Src/PluginEntry.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "fuzz/FuzzSupport.h"

namespace {

// The host's blocks of the current input, freed with the next input.
struct Block {
    std::vector<char> bytes;
    char* pointer;
};
std::vector<std::unique_ptr<Block>> sBlocks;

HostHandle Allocate(int32 inSize) {
    sBlocks.push_back(std::make_unique<Block>());
    sBlocks.back()->bytes.assign(size_t(inSize > 0 ? inSize : 1), char(0xCD));
    sBlocks.back()->pointer = sBlocks.back()->bytes.data();
    return &sBlocks.back()->pointer;
}
void Dispose(HostHandle) {}

}  // namespace

int FuzzDocumentEntry(const uint8_t* inData, size_t inSize) {
    constexpr int kMostTiles = 64;  // enough to load, flatten and walk into the image
    FuzzSession session(false);
    const int file = ::memfd_create("document", 0);
    FuzzCheck(file >= 0 && ::write(file, inData, inSize) == ssize_t(inSize), "in-memory file");
    sBlocks.clear();
    HandleProcs procs{};
    procs.disposeHandle = &Dispose;
    FormatParamRecord record{};
    record.allocateHandle = &Allocate;
    record.handleProcs = &procs;
    record.fileHandle = file;
    HostHandle data = nullptr;
    int16 result = 0;
    ENTRYPOINT(kSelectorReadPrepare, &record, &data, &result);
    ENTRYPOINT(kSelectorReadStart, &record, &data, &result);
    for (int tile = 0; result == kResultOk && tile < kMostTiles; ++tile) {
        record.tileData = nullptr;
        ENTRYPOINT(kSelectorReadContinue, &record, &data, &result);
        if (record.tileData == nullptr) break;
        const auto* bytes = static_cast<const volatile uint8_t*>(record.tileData);
        const int32 rows = record.tileRect[kTileBottom] - record.tileRect[kTileTop];
        (void)bytes[size_t(record.rowStep) * size_t(rows) - 1];  // the whole tile must be readable
    }
    ENTRYPOINT(kSelectorReadFinish, &record, &data, &result);
    ::close(file);
    struct stat scratch {};
    FuzzCheck(::stat(MergerTempFile::kFileName, &scratch) != 0, "the scratch file was left behind");
    return 0;
}
