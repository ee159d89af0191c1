// The host side of a read operation, shared by the Windows host program and its native reference
// build: drives a module's read selectors over an open document the way an image editor does and
// assembles the delivered tiles into one RGBA image.
//
// The host owns the parameter record, the module's data slot and every handle the module allocates
// through the record; all are released when the flattener is destroyed. Nothing here touches the
// operating system: the caller loads the module and opens the document.
#pragma once

#include "FileFormat/Lumenar5/Src/FormatParamRecord.h"
#include "FileFormat/Lumenar5/Src/PluginExport.h"
#include "Src/Pellin/Isol/IsolTypes.h"

#include <string>
#include <vector>

using EntryProc = void(LUMENAR_CDECL*)(int16 inSelector, void* inRecord, HostHandle* ioData, int16* outResult);

// Rows of columns of pixels, 4 bytes each in the order red, green, blue, alpha.
struct FlatImage {
    int32 rows = 0;
    int32 columns = 0;
    std::vector<uint8> rgba;
};

class RawFlattener {
public:
    explicit RawFlattener(EntryProc inEntry);
    ~RawFlattener();
    RawFlattener(const RawFlattener&) = delete;
    RawFlattener& operator=(const RawFlattener&) = delete;

    // Reads the document behind inFileHandle (a handle the module's file calls accept). On failure
    // returns false with a one-line reason; outImage is then incomplete.
    bool Flatten(int32 inFileHandle, FlatImage& outImage, std::string& outError);

    // The memory figure the host offers the module.
    static constexpr int32 kMemoryOffered = 64 << 20;

private:
    int16 Call(int16 inSelector);
    bool TakeTile(FlatImage& ioImage, std::string& outError);

    EntryProc mEntry;
    FormatParamRecord mRecord{};
    HandleProcs mHandleProcs{};
    HostHandle mData = nullptr;
};
