// The native counterpart of the Windows host program, for comparing the two builds of the module: it
// loads the native module with dlopen and writes the same raw RGBA file as lumenar.exe.
//
// Usage: windows_reference_host <module.so> <document> <output.rgba>
// Exit codes: 0 written, 1 failed, 2 usage.

#include "tools/win/FlattenToRgba.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

int Fail(const std::string& inReason) {
    std::fprintf(stderr, "windows_reference_host: %s\n", inReason.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: windows_reference_host <module.so> <document> <output.rgba>\n");
        return 2;
    }
    std::string error;
    const auto module = PluginModule::Load(argv[1], error);
    if (!module) return Fail(std::string(argv[1]) + ": " + error);
    const int document = open(argv[2], O_RDONLY);
    if (document < 0) return Fail(std::string("cannot open ") + argv[2]);
    FlatImage image;
    const bool ok = FlattenToRgba(module->Entry(), document, image, error);
    close(document);
    if (!ok) return Fail(std::string(argv[2]) + ": " + error);
    std::FILE* out = std::fopen(argv[3], "wb");
    bool written = out != nullptr && std::fwrite(image.rgba.data(), 1, image.rgba.size(), out) == image.rgba.size();
    if (out != nullptr) written = std::fclose(out) == 0 && written;
    if (!written) return Fail(std::string("cannot write ") + argv[3]);
    std::printf("%d x %d\n", int(image.columns), int(image.rows));
    return 0;
}
