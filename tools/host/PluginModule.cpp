#include "tools/host/PluginModule.h"

#include <dlfcn.h>

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& inPath, std::string& outError) {
    // RTLD_LOCAL keeps the module's symbols to itself, as a host keeps each plug-in apart.
    void* library = ::dlopen(inPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = ::dlerror();
        outError = reason != nullptr ? reason : "the module could not be loaded";
        return nullptr;
    }
    void* entry = ::dlsym(library, "ENTRYPOINT");
    if (entry == nullptr) {
        outError = "the module has no ENTRYPOINT";
        ::dlclose(library);
        return nullptr;
    }
    return std::unique_ptr<PluginModule>(new PluginModule(library, reinterpret_cast<EntryPointProc>(entry)));
}

PluginModule::~PluginModule() {
    ::dlclose(mLibrary);
}

void* PluginModule::Symbol(const char* inName) const {
    return ::dlsym(mLibrary, inName);
}
