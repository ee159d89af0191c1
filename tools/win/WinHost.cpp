// lumenar.exe, the Windows twin of the host tool: loads the module with LoadLibrary and flattens a
// document to a raw RGBA file (rows of pixels, 4 bytes each: red, green, blue, alpha; no header).
//
// It opens a hidden top-level window of class "TFORM1" titled "DebugString" before loading the module:
// the module then sends its assertion reports there instead of showing message boxes, and this program
// writes each one to standard error.

// Before the system headers: they define a macro `cdecl` that would garble the calling-convention
// attribute of the entry function's type.
#include "FileFormat/Lumenar5/Src/PluginState.h"
#include "tools/win/FlattenToRgba.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

// The host and the module are 32-bit programs: the parameter record's field offsets and the 200-byte
// persistent block are checked in this build only when pointers are 4 bytes wide.
static_assert(sizeof(void*) == 4 && sizeof(FormatParamRecord) == 1024 && sizeof(PluginState) == 200,
              "a 32-bit build is expected");

namespace {

constexpr UINT kReportMessage = 1024;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void Say(const char* inFormat, const std::string& inText) {
    std::fprintf(stderr, "lumenar: ");
    std::fprintf(stderr, inFormat, inText.c_str());
    std::fprintf(stderr, "\n");
}

int Fail(const char* inFormat, const std::string& inText) {
    Say(inFormat, inText);
    return kExitFailed;
}

// The module sends message 1024 with a global atom whose name is the report text.
LRESULT CALLBACK ReportWindowProc(HWND inWindow, UINT inMessage, WPARAM inParam, LPARAM inLong) {
    if (inMessage != kReportMessage) return ::DefWindowProcA(inWindow, inMessage, inParam, inLong);
    char text[256] = {};
    if (::GlobalGetAtomNameA(static_cast<ATOM>(inParam), text, sizeof text) > 0) Say("module report: %s", text);
    return 0;
}

HWND OpenReportWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ReportWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TFORM1";
    if (!::RegisterClassA(&windowClass)) return nullptr;
    return ::CreateWindowA("TFORM1", "DebugString", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

// The module beside this program unless --module names one.
std::string DefaultModulePath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    const size_t slash = directory.find_last_of("\\/");
    directory = slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
    return directory + "Lumenar5.dll";
}

bool WriteRaw(const std::string& inPath, const FlatImage& inImage) {
    std::FILE* file = std::fopen(inPath.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(inImage.rgba.data(), 1, inImage.rgba.size(), file) == inImage.rgba.size();
    return std::fclose(file) == 0 && written;
}

int Flatten(const std::string& inModulePath, const std::string& inDocument, const std::string& inOutput) {
    OpenReportWindow();
    std::string error;
    const auto module = PluginModule::Load(inModulePath, error);
    if (!module) return Fail("%s", inModulePath + ": " + error);
    const HANDLE document = ::CreateFileA(inDocument.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (document == INVALID_HANDLE_VALUE) return Fail("cannot open %s", inDocument);
    FlatImage image;
    const bool ok = FlattenToRgba(module->Entry(), int32(reinterpret_cast<intptr_t>(document)), image, error);
    ::CloseHandle(document);
    if (!ok) return Fail("%s", inDocument + ": " + error);
    if (!WriteRaw(inOutput, image)) return Fail("cannot write %s", inOutput);
    std::printf("%d x %d\n", int(image.columns), int(image.rows));
    return 0;
}

const char kUsage[] =
    "usage: lumenar flatten <document> <output.rgba> [--module <Lumenar5.dll>]\n"
    "       lumenar --help | --version\n"
    "Flattens a Lumenar 5 document through the module to raw RGBA bytes (rows of red, green, blue,\n"
    "alpha) and prints the image's width and height.\n";

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (first == "--version") {
        std::puts("lumenar 4.0 (Windows)");
        return 0;
    }
    const bool withModule = argc == 6 && std::strcmp(argv[4], "--module") == 0;
    if (first != "flatten" || (argc != 4 && !withModule)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    return Flatten(withModule ? argv[5] : DefaultModulePath(), argv[2], argv[3]);
}
