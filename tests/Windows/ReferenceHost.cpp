// The native counterpart of the Windows host program, for comparing the two builds of the module: it
// loads the native module with dlopen and writes the same raw RGBA file as lumenar.exe.
//
// Usage: windows_reference_host <module.so> <document> <output.rgba>
// Exit codes: 0 written, 1 failed, 2 usage.

#include "tools/win/RawFlattener.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: windows_reference_host <module.so> <document> <output.rgba>\n");
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    const auto entry = module ? reinterpret_cast<EntryProc>(dlsym(module, "ENTRYPOINT")) : nullptr;
    if (entry == nullptr) {
        std::fprintf(stderr, "windows_reference_host: cannot use the module %s\n", argv[1]);
        return 1;
    }
    const int document = open(argv[2], O_RDONLY);
    if (document < 0) {
        std::fprintf(stderr, "windows_reference_host: cannot open %s\n", argv[2]);
        return 1;
    }
    FlatImage image;
    std::string error;
    bool ok;
    {
        RawFlattener flattener(entry);
        ok = flattener.Flatten(document, image, error);
    }
    close(document);
    std::FILE* out = ok ? std::fopen(argv[3], "wb") : nullptr;
    if (out != nullptr) {
        ok = std::fwrite(image.rgba.data(), 1, image.rgba.size(), out) == image.rgba.size();
        ok = std::fclose(out) == 0 && ok;
        if (!ok) error = std::string("cannot write ") + argv[3];
    } else if (ok) {
        ok = false;
        error = std::string("cannot write ") + argv[3];
    }
    if (!ok) {
        std::fprintf(stderr, "windows_reference_host: %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    std::printf("%d x %d\n", int(image.columns), int(image.rows));
    return 0;
}
