// A loaded file-format module: the shared library and its entry function.
#pragma once

#include <memory>
#include <string>

#include "FileFormat/Lumenar5/Src/FormatParamRecord.h"

using EntryPointProc = void(LUMENAR_CDECL*)(int16 inSelector, void* inRecord, HostHandle* ioData,
                                            int16* outResult);

class PluginModule {
public:
    // Loads the module at inPath and finds its "ENTRYPOINT". On failure returns null and describes the
    // reason in outError.
    static std::unique_ptr<PluginModule> Load(const std::string& inPath, std::string& outError);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    EntryPointProc Entry() const { return mEntry; }
    // Another exported symbol of the module, or null.
    void* Symbol(const char* inName) const;

private:
    PluginModule(void* inLibrary, EntryPointProc inEntry) : mLibrary(inLibrary), mEntry(inEntry) {}

    void* mLibrary;
    EntryPointProc mEntry;
};
