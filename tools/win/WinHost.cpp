// lumenar.exe, the Windows twin of the host tool: loads the module with LoadLibrary and flattens a
// document to a raw RGBA file (rows of pixels, 4 bytes each: red, green, blue, alpha; no header), or a
// whole list of documents in one run, or shows the module's About box and describes it.
//
// It opens a hidden top-level window of class "TFORM1" titled "DebugString" before loading the module:
// the module then sends its assertion reports there instead of showing message boxes, and this program
// writes each one to standard error. The module's message boxes and its About box are closed by the
// program itself (DialogWatch), so no run waits for a person.

// Before the system headers: they define a macro `cdecl` that would garble the calling-convention
// attribute of the entry function's type.
#include "FileFormat/Lumenar5/Src/PluginState.h"
#include "tools/host/HostSession.h"
#include "tools/win/DialogWatch.h"
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
    if (::GlobalGetAtomNameA(static_cast<ATOM>(inParam), text, sizeof text) > 0)
        Say("module report: %s", text);
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

std::unique_ptr<PluginModule> LoadModule(const std::string& inModulePath) {
    OpenReportWindow();
    DialogWatch::Start();
    std::string error;
    auto module = PluginModule::Load(inModulePath, error);
    if (!module) Say("%s", inModulePath + ": " + error);
    return module;
}

int Flatten(const std::string& inModulePath, const std::string& inDocument, const std::string& inOutput) {
    const auto module = LoadModule(inModulePath);
    if (!module) return kExitFailed;
    std::string error;
    const HANDLE document = ::CreateFileA(inDocument.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (document == INVALID_HANDLE_VALUE) return Fail("cannot open %s", inDocument);
    FlatImage image;
    const bool ok = FlattenToRgba(module->Entry(), int32(reinterpret_cast<intptr_t>(document)), image, error);
    ::CloseHandle(document);
    if (!ok) return Fail("%s", inDocument + ": " + error);
    if (!WriteRgba(inOutput, image)) return Fail("cannot write %s", inOutput);
    std::printf("%d x %d\n", int(image.columns), int(image.rows));
    return 0;
}

int32 OpenDocument(const std::string& inPath) {
    const HANDLE file = ::CreateFileA(inPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? -1 : int32(reinterpret_cast<intptr_t>(file));
}

int FlattenList(const std::string& inModulePath, const std::string& inFolder, const std::string& inOutput) {
    const auto module = LoadModule(inModulePath);
    if (!module) return kExitFailed;
    const DocumentFiles files{
        &OpenDocument, [](int32 inFile) { ::CloseHandle(reinterpret_cast<HANDLE>(intptr_t(inFile))); }};
    std::string error;
    const int32 refused = FlattenAll(module->Entry(), inFolder, inOutput, files, error);
    if (refused < 0) return Fail("%s", error);
    return 0;
}

// Shows the About box over a main window of this program; DialogWatch closes it and describes it.
int About(const std::string& inModulePath) {
    const auto module = LoadModule(inModulePath);
    if (!module) return kExitFailed;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "LumenarHostMain";
    ::RegisterClassA(&windowClass);
    const HWND owner = ::CreateWindowA("LumenarHostMain", "lumenar", WS_OVERLAPPEDWINDOW, 40, 30, 640, 480,
                                       nullptr, nullptr, windowClass.hInstance, nullptr);
    HostSession session(module->Entry());
    const int16 result = session.About(reinterpret_cast<Platform::WindowRef>(owner));
    ::DestroyWindow(owner);
    for (const std::string& line : DialogWatch::AboutLayout()) std::printf("%s\n", line.c_str());
    if (DialogWatch::AboutLayout().empty()) return Fail("%s", "no About box was shown");
    return result == 0 ? 0 : kExitFailed;
}

const char kUsage[] =
    "usage: lumenar flatten <document> <output.rgba> [--module <Lumenar5.dll>]\n"
    "       lumenar flatten-all <folder> <output folder> [--module <Lumenar5.dll>]\n"
    "       lumenar about [--module <Lumenar5.dll>]\n"
    "       lumenar --help | --version\n"
    "flatten: flattens a Lumenar 5 document through the module to raw RGBA bytes (rows of red, green,\n"
    "blue, alpha) and prints the image's width and height. flatten-all: the same for every document\n"
    "named in <folder>/index.txt, writing <name>.rgba and summary.txt into the output folder.\n"
    "about: shows the module's About box, closes it and describes what it showed.\n";

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
    // The command's own arguments, then optionally --module and a path.
    const int own = first == "about" ? 2 : 4;
    const bool withModule = argc == own + 2 && std::strcmp(argv[own], "--module") == 0;
    if ((first != "flatten" && first != "flatten-all" && first != "about") || (argc != own && !withModule)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string module = withModule ? argv[own + 1] : DefaultModulePath();
    if (first == "about") return About(module);
    return first == "flatten" ? Flatten(module, argv[2], argv[3]) : FlattenList(module, argv[2], argv[3]);
}
