// The host's loaded module on Windows: the library comes from LoadLibrary, the entry function from
// GetProcAddress. The interface is the shared host library's.

// Before the system headers: they define a macro `cdecl` that would garble the calling-convention
// attribute of the entry function's type.
#include "tools/host/PluginModule.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& inPath, std::string& outError) {
    const HMODULE library = ::LoadLibraryA(inPath.c_str());
    if (library == nullptr) {
        outError = "the module could not be loaded (error " + std::to_string(::GetLastError()) + ")";
        return nullptr;
    }
    const FARPROC entry = ::GetProcAddress(library, "ENTRYPOINT");
    if (entry == nullptr) {
        outError = "the module has no ENTRYPOINT";
        ::FreeLibrary(library);
        return nullptr;
    }
    return std::unique_ptr<PluginModule>(
        new PluginModule(library, reinterpret_cast<EntryPointProc>(reinterpret_cast<void*>(entry))));
}

PluginModule::~PluginModule() {
    ::FreeLibrary(static_cast<HMODULE>(mLibrary));
}

void* PluginModule::Symbol(const char* inName) const {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(mLibrary), inName));
}
