// The native counterpart of the Windows host program, for comparing the two builds of the module: it
// loads the native module with dlopen and writes the same raw RGBA file as lumenar.exe.
//
// Usage: windows_reference_host <module.so> <document> <output.rgba>
//        windows_reference_host <module.so> --all <folder> <output folder>
// The second form flattens every document listed in <folder>/index.txt in this one process (see
// FlattenAll). Exit codes: 0 written (with --all: even when documents were refused), 1 failed, 2 usage.

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
    const bool all = argc == 5 && std::string(argv[2]) == "--all";
    if (argc != 4 && !all) {
        std::fprintf(stderr,
                     "usage: windows_reference_host <module.so> <document> <output.rgba>\n"
                     "       windows_reference_host <module.so> --all <folder> <output folder>\n");
        return 2;
    }
    std::string error;
    const auto module = PluginModule::Load(argv[1], error);
    if (!module) return Fail(std::string(argv[1]) + ": " + error);
    if (all) {
        const DocumentFiles files{
            [](const std::string& inPath) { return int32(open(inPath.c_str(), O_RDONLY)); },
            [](int32 inFile) { close(inFile); }};
        const int32 refused = FlattenAll(module->Entry(), argv[3], argv[4], files, error);
        if (refused < 0) return Fail(error);
        return 0;
    }
    const int document = open(argv[2], O_RDONLY);
    if (document < 0) return Fail(std::string("cannot open ") + argv[2]);
    FlatImage image;
    const bool ok = FlattenToRgba(module->Entry(), document, image, error);
    close(document);
    if (!ok) return Fail(std::string(argv[2]) + ": " + error);
    if (!WriteRgba(argv[3], image)) return Fail(std::string("cannot write ") + argv[3]);
    std::printf("%d x %d\n", int(image.columns), int(image.rows));
    return 0;
}
