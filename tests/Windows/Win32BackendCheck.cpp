// A self-check of the Win32 platform backend, built in the Windows build and run where Windows programs
// can run (under wine by tools/win/wine-compare.sh): the file calls and the ports over them, the
// scratch file, global atoms, the debug-string channel with its window, the last-error value and the
// swallowed debugger break.
//
// Usage: windows_backend_check <scratch directory>
// Prints one line per check and "N passed, M failed"; exits 0 only when nothing failed.

#include "API/HostFilePort.h"
#include "API/MergerTempFile.h"
#include "API/Platform/Platform.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/Reporters.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gReports;
ATOM gLastAtom = 0;

bool Refuse(std::string& outDetail, const std::string& inReason) {
    outDetail = inReason;
    return false;
}

LRESULT CALLBACK ReceiveReport(HWND inWindow, UINT inMessage, WPARAM inParam, LPARAM inLong) {
    if (inMessage != kDebugStringMessage) return ::DefWindowProcA(inWindow, inMessage, inParam, inLong);
    char text[256] = {};
    ::GlobalGetAtomNameA(static_cast<ATOM>(inParam), text, sizeof text);
    gReports.push_back(text);
    gLastAtom = static_cast<ATOM>(inParam);
    return 0;
}

bool OpenReportWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ReceiveReport;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kDebugWindowClass;
    return ::RegisterClassA(&windowClass) &&
           ::CreateWindowA(kDebugWindowClass, kDebugWindowTitle, WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                           windowClass.hInstance, nullptr) != nullptr;
}

using Platform::SeekOrigin;

bool CheckFileCalls(std::string& outDetail) {
    const std::string path = "backend-check.bin";
    Platform::FileHandle file = Platform::FileCreate(path.c_str());
    if (file == Platform::kInvalidFile) return Refuse(outDetail, "create failed");
    const char bytes[] = "0123456789";
    char back[10] = {};
    const bool ok = Platform::FileWrite(file, bytes, 10) == 10 && Platform::FileSeek(file, 0, SeekOrigin::kCurrent) == 10 &&
                    Platform::FileSeek(file, 2, SeekOrigin::kBegin) == 2 && Platform::FileRead(file, back, 10) == 8 &&
                    std::memcmp(back, bytes + 2, 8) == 0 && Platform::FileRead(file, back, 10) == 0 &&
                    Platform::FileRead(file, back, 0) == 0 && Platform::FileSeek(file, -1, SeekOrigin::kBegin) == -1 &&
                    Platform::FileSeek(file, 0, SeekOrigin::kEnd) == 10 &&
                    Platform::FileSeek(file, int64(3) << 30, SeekOrigin::kBegin) == int64(3) << 30;
    Platform::FileClose(file);
    if (!ok) return Refuse(outDetail, "transfer or seek results");
    file = Platform::FileCreate(path.c_str());
    const int64 truncated = Platform::FileSeek(file, 0, SeekOrigin::kEnd);
    Platform::FileClose(file);
    if (truncated != 0) return Refuse(outDetail, "create does not truncate");
    if (!Platform::FileDelete(path.c_str()) || Platform::FileOpenReadWrite(path.c_str()) != Platform::kInvalidFile)
        return Refuse(outDetail, "delete");
    return true;
}

bool CheckPorts(std::string& outDetail) {
    {
        MergerTempFile scratch;
        if (!scratch.IsOpen()) return Refuse(outDetail, "scratch file not open");
        const char bytes[] = "abcdef";
        char back[4] = {'x', 'x', 'x', 'x'};
        scratch.WriteAt(0, 6, bytes);
        Platform::FileSeek(scratch.Handle(), 3, SeekOrigin::kBegin);
        if (scratch.GetLength() != 6 || Platform::FileSeek(scratch.Handle(), 0, SeekOrigin::kCurrent) != 3)
            return Refuse(outDetail, "GetLength moves the position or is wrong");
        if (scratch.ReadAt(100, 4, back) != 0 || back[0] != 'x') return Refuse(outDetail, "read past the end");
        if (scratch.ReadAt(4, 4, back) != 2 || back[0] != 'e' || back[2] != 'x')
            return Refuse(outDetail, "short read");
    }
    if (Platform::FileOpenReadWrite(MergerTempFile::kFileName) != Platform::kInvalidFile)
        return Refuse(outDetail, "scratch file left behind");
    return true;
}

bool CheckAtoms(std::string& outDetail) {
    const uint16 atom = Platform::AddGlobalAtom("Lumenar backend check");
    char name[64] = {};
    const int32 length = Platform::GlobalAtomName(atom, name, sizeof name);
    Platform::DeleteGlobalAtom(atom);
    if (atom == 0 || length != 21 || std::strcmp(name, "Lumenar backend check") != 0) return Refuse(outDetail, name);
    return true;
}

bool CheckDebugChannel(std::string& outDetail) {
    gReports.clear();
    Platform::SetLastErrorValue(1234);
    ShowDebugString("first report");
    const uint32 lastError = Platform::LastError();
    LASSERT(1 + 1 == 3);
    char name[64] = {};
    const bool atomGone = Platform::GlobalAtomName(gLastAtom, name, sizeof name) == 0;
    if (gReports != std::vector<std::string>{"first report", "Assertion failed: \"1 + 1 == 3\""}) {
        for (const auto& r : gReports) outDetail += "[" + r + "] ";
        return false;
    }
    if (!atomGone) return Refuse(outDetail, "atom kept after the send");
    if (lastError != 1234) return Refuse(outDetail, "last error not kept");
    return true;
}

bool CheckBreakAndClock(std::string& outDetail) {
    const uint32 before = Platform::TickCount();
    Platform::SetLastErrorValue(77);
    BreakToDebugger();  // no debugger here: swallowed
    if (Platform::LastError() != 77) return Refuse(outDetail, "last error not kept");
    if (Platform::TickCount() - before > 60000) return Refuse(outDetail, "clock");
    if ((Platform::VersionWord() & 0xFF) == 0) return Refuse(outDetail, "version word");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || !::SetCurrentDirectoryA(argv[1])) {
        std::fprintf(stderr, "usage: windows_backend_check <scratch directory>\n");
        return 2;
    }
    const std::pair<const char*, std::function<bool(std::string&)>> checks[] = {
        {"file calls", CheckFileCalls},
        {"ports and scratch file", CheckPorts},
        {"global atoms", CheckAtoms},
        {"debugger break and clock", CheckBreakAndClock},
    };
    int passed = 0, failed = 0;
    for (const auto& [name, check] : checks) {
        std::string detail;
        const bool ok = check(detail);
        (ok ? passed : failed)++;
        std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", name, detail.empty() ? "" : ": ", detail.c_str());
    }
    // Reports must reach the window: without one they would wait for someone to close a message box.
    if (OpenReportWindow()) {
        std::string detail;
        const bool ok = CheckDebugChannel(detail);
        (ok ? passed : failed)++;
        std::printf("%s debug-string channel%s%s\n", ok ? "ok  " : "FAIL", detail.empty() ? "" : ": ", detail.c_str());
    } else {
        std::printf("skip debug-string channel: no window can be created here\n");
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
