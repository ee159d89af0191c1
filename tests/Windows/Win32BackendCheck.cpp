// A self-check of the Win32 platform backend, built in the Windows build and run where Windows programs
// can run (under wine by tools/win/wine-compare.sh): the file calls (the ports over them are shared code,
// checked natively), global atoms, the last-error value, the debugger break without a debugger, large
// blocks and the engine allocator's pool over them, the engine allocator when the address space runs
// out, the 32-bit blend loops of every instruction set the processor has against the scalar loops; where
// windows can be created also window geometry, colours and drawing, message boxes (closed by the program's
// own dialog watch) and the debug-string channel with and without its window.
//
// Usage: windows_backend_check <scratch directory>
// Prints one line per check and "N passed, M failed"; exits 0 only when nothing failed.

#include "API/Platform/Platform.h"
#include "Src/Orvane/Src/Image/BlendDispatch.h"
#include "Src/Orvane/Src/Image/BlendModes.h"
#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/BlockPool.h"
#include "Src/Pellin/Isol/ByteTables.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/Reporters.h"
#include "Src/PowerPellin/LScratchBuffer.h"
#include "tools/win/DialogWatch.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
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
    const bool ok = Platform::FileWrite(file, bytes, 10) == 10 &&
                    Platform::FileSeek(file, 0, SeekOrigin::kCurrent) == 10 &&
                    Platform::FileSeek(file, 2, SeekOrigin::kBegin) == 2 &&
                    Platform::FileRead(file, back, 10) == 8 && std::memcmp(back, bytes + 2, 8) == 0 &&
                    Platform::FileRead(file, back, 10) == 0 && Platform::FileRead(file, back, 0) == 0 &&
                    Platform::FileSeek(file, -1, SeekOrigin::kBegin) == -1 &&
                    Platform::FileSeek(file, 0, SeekOrigin::kEnd) == 10 &&
                    Platform::FileSeek(file, int64(3) << 30, SeekOrigin::kBegin) == int64(3) << 30;
    Platform::FileClose(file);
    if (!ok) return Refuse(outDetail, "transfer or seek results");
    file = Platform::FileCreate(path.c_str());
    const int64 truncated = Platform::FileSeek(file, 0, SeekOrigin::kEnd);
    Platform::FileClose(file);
    if (truncated != 0) return Refuse(outDetail, "create does not truncate");
    if (!Platform::FileDelete(path.c_str()) ||
        Platform::FileOpenReadWrite(path.c_str()) != Platform::kInvalidFile)
        return Refuse(outDetail, "delete");
    return true;
}

bool CheckAtoms(std::string& outDetail) {
    const uint16 atom = Platform::AddGlobalAtom("Lumenar backend check");
    char name[64] = {};
    const int32 length = Platform::GlobalAtomName(atom, name, sizeof name);
    Platform::DeleteGlobalAtom(atom);
    if (atom == 0 || length != 21 || std::strcmp(name, "Lumenar backend check") != 0)
        return Refuse(outDetail, name);
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

// The engine allocator where the address space really runs out: no 32-bit process gets 2 GB in one
// block, so the request fails for real instead of through the allocator's test seam.
bool CheckMemoryExhaustion(std::string& outDetail) {
    constexpr int32 kTooMuch = 0x7FFFFFF0;
    if (LAllocate(kTooMuch, true) != nullptr) return Refuse(outDetail, "2 GB granted");
    std::string thrown = "nothing";
    try {
        LFree(LAllocate(kTooMuch));
    } catch (const std::bad_alloc& e) {
        thrown = e.what();
    }
    if (thrown != "bad allocation") return Refuse(outDetail, "a failing allocation threw " + thrown);
    const LScratchBuffer scratch{uint32(kTooMuch)};
    if (scratch.Size() != 0 || scratch.Ptr() != nullptr) return Refuse(outDetail, "scratch buffer not empty");
    void* smallest = LAllocate(0);
    LFree(smallest);
    return smallest != nullptr || Refuse(outDetail, "no block for 0 bytes");
}

// A large block is zero-filled and writable; pool blocks of 16 KB lie in slabs, do not overlap, and
// leave no slab behind once freed.
bool CheckLargeBlocks(std::string& outDetail) {
    auto* block = static_cast<uint8*>(Platform::LargeBlockMap(Platform::kLargeBlockAlignment));
    if (block == nullptr) return Refuse(outDetail, "no large block");
    bool zero = true;
    for (uint32 i = 0; i < Platform::kLargeBlockAlignment; i += 4093) zero = zero && block[i] == 0;
    block[Platform::kLargeBlockAlignment - 1] = 1;
    Platform::LargeBlockUnmap(block, Platform::kLargeBlockAlignment);
    if (!zero) return Refuse(outDetail, "large block not cleared");
    std::vector<uint8*> blocks;
    for (int32 i = 0; i < 600; ++i) {  // more than one 8 MB slab holds
        blocks.push_back(static_cast<uint8*>(LAllocate(16384)));
        std::memset(blocks.back(), i & 255, 16384);
    }
    bool intact = BlockPool::SlabCount() >= 2;
    for (size_t i = 0; i < blocks.size(); ++i) {
        intact = intact && blocks[i][0] == uint8(i) && blocks[i][16383] == uint8(i);
        LFree(blocks[i]);
    }
    if (!intact) return Refuse(outDetail, "pool blocks overlap or no pool");
    LPurge(0);
    return BlockPool::SlabCount() == 0 || Refuse(outDetail, "slabs left mapped");
}

// Every mode at a few opacities, with and without preserved transparency, in every vector set against
// the scalar loops, on pixels whose colours and alphas pair up many ways.
bool CheckBlendLoops(std::string& outDetail) {
    BuildByteTables();
    constexpr int32 kSide = 128;
    std::vector<NativeQuad> source(kSide * kSide), destination(source.size());
    for (uint32 i = 0; i < source.size(); ++i) {
        const uint32 a = i * 2654435761u, b = i * 2246822519u + 12345u;
        std::memcpy(&source[i], &a, 4);
        std::memcpy(&destination[i], &b, 4);
    }
    auto blend = [&](BlendInstructionSet inSet, uint32 inMode, uint8 inOpacity, bool inPreserve) {
        SelectBlendInstructionSet(inSet);
        std::vector<NativeQuad> result = destination;
        BlendTile(GRect(3, 5, 3 + kSide, 5 + kSide), source.data(), kSide * 4, result.data(), kSide * 4,
                  inMode, inOpacity, inPreserve);
        return result;
    };
    const BlendInstructionSet best = SupportedBlendInstructionSet();
    for (uint32 mode : kAllBlendModes)
        for (uint8 opacity : {uint8(255), uint8(200), uint8(1)})
            for (bool preserve : {false, true}) {
                const std::vector<NativeQuad> expected =
                    blend(BlendInstructionSet::kScalar, mode, opacity, preserve);
                for (int32 set = 1; set <= int32(best); ++set)
                    if (blend(BlendInstructionSet(set), mode, opacity, preserve) != expected)
                        return Refuse(outDetail,
                                      "mode " + std::to_string(mode) + " set " + std::to_string(set));
            }
    SelectBlendInstructionSet(best);
    outDetail = "instruction sets 1 to " + std::to_string(int32(best));
    return true;
}

bool CheckWindowGeometry(std::string& outDetail) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const HWND parent = ::CreateWindowA("STATIC", "parent", WS_OVERLAPPED, 50, 40, 300, 200, nullptr, nullptr,
                                        instance, nullptr);
    const HWND popup =
        ::CreateWindowA("STATIC", "popup", WS_POPUP, 0, 0, 120, 80, parent, nullptr, instance, nullptr);
    const HWND child =
        ::CreateWindowA("STATIC", "child", WS_CHILD, 10, 20, 30, 40, parent, nullptr, instance, nullptr);
    auto ref = [](HWND inWindow) { return reinterpret_cast<Platform::WindowRef>(inWindow); };
    std::string problem;
    const Platform::ScreenRect frame = Platform::WindowScreenRect(ref(parent));
    POINT origin{0, 0};
    ::ClientToScreen(parent, &origin);
    int32 x = origin.x + 7, y = origin.y + 9;
    Platform::ScreenToClient(ref(parent), x, y);
    Platform::MoveWindowTo(ref(popup), 70, 60);
    const Platform::ScreenRect moved = Platform::WindowScreenRect(ref(popup));
    const Platform::ScreenRect client = Platform::WindowClientRect(ref(child));
    if (frame.left != 50 || frame.top != 40 || frame.Width() != 300 || frame.Height() != 200)
        problem = "window rectangle";
    else if (x != 7 || y != 9)
        problem = "screen to client";
    else if (moved.left != 70 || moved.top != 60 || moved.Width() != 120 || moved.Height() != 80)
        problem = "move";
    else if (client.left != 0 || client.top != 0 || client.Width() != 30 || client.Height() != 40)
        problem = "client rectangle";
    else if (Platform::ParentWindow(ref(child)) != ref(parent) ||
             Platform::ParentWindow(ref(popup)) != ref(parent) ||
             Platform::ParentWindow(ref(parent)) != nullptr || Platform::DesktopWindow() == nullptr)
        problem = "parents";
    else if (!Platform::IsChildWindow(ref(child)) || Platform::IsChildWindow(ref(popup)))
        problem = "child test";
    else if (Platform::ScreenWidth() != ::GetSystemMetrics(SM_CXSCREEN) || Platform::ScreenHeight() < 1)
        problem = "screen size";
    ::DestroyWindow(parent);  // and with it the popup and the child
    return problem.empty() || Refuse(outDetail, problem);
}

bool CheckColoursAndDrawing(std::string& outDetail) {
    if (Platform::SystemColour(Platform::kColourWindow) != ::GetSysColor(COLOR_WINDOW) ||
        Platform::SystemColour(Platform::kColourButtonFace) != ::GetSysColor(COLOR_BTNFACE))
        return Refuse(outDetail, "system colours");
    const Platform::BrushRef brush = Platform::CreateSolidBrush(0x00302010);
    LOGBRUSH described{};
    const bool brushOk = brush != nullptr &&
                         ::GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof described, &described) &&
                         described.lbColor == 0x00302010;
    Platform::DeleteBrush(brush);
    if (!brushOk) return Refuse(outDetail, "solid brush");
    const HDC screen = ::GetDC(nullptr);
    const HDC dc = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::PatBlt(dc, 0, 0, 16, 16, WHITENESS);
    const auto device = reinterpret_cast<Platform::DeviceRef>(dc);
    Platform::SetTextBackgroundColour(device, 0x00102030);
    Platform::FillOpaque(device, {2, 3, 8, 9});
    const bool filled = ::GetPixel(dc, 2, 3) == 0x00102030 && ::GetPixel(dc, 7, 8) == 0x00102030 &&
                        ::GetPixel(dc, 8, 9) == 0x00FFFFFF && ::GetPixel(dc, 1, 3) == 0x00FFFFFF;
    Platform::SetTextBackgroundTransparent(device);
    const bool transparent = ::GetBkMode(dc) == TRANSPARENT;
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    if (!filled) return Refuse(outDetail, "opaque fill");
    return transparent || Refuse(outDetail, "transparent text background");
}

// Message boxes, answered by the dialog watch: the box itself, and the debug-string reporter without
// its window, which shows one.
bool CheckMessageBoxes(std::string& outDetail) {
    const size_t before = DialogWatch::MessageBoxes().size();
    const int32 answer = Platform::ShowMessageBox(nullptr, "box text", "box title", Platform::kBoxOk);
    Platform::SetLastErrorValue(55);
    ShowDebugString("no window to take this");
    const uint32 lastError = Platform::LastError();
    const std::vector<std::string> expected{"box title: box text", "Debug String: no window to take this"};
    const std::vector<std::string> seen(DialogWatch::MessageBoxes().begin() + ptrdiff_t(before),
                                        DialogWatch::MessageBoxes().end());
    if (answer != Platform::kBoxResultOk) return Refuse(outDetail, "answer " + std::to_string(answer));
    if (seen != expected) {
        for (const auto& box : seen) outDetail += "[" + box + "] ";
        return false;
    }
    return lastError == 55 || Refuse(outDetail, "last error not kept");
}

bool CanCreateWindows() {
    const HWND probe =
        ::CreateWindowA("STATIC", "probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe != nullptr) ::DestroyWindow(probe);
    return probe != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || !::SetCurrentDirectoryA(argv[1])) {
        std::fprintf(stderr, "usage: windows_backend_check <scratch directory>\n");
        return 2;
    }
    using Check = std::pair<const char*, std::function<bool(std::string&)>>;
    std::vector<Check> checks = {
        {"file calls", CheckFileCalls},
        {"global atoms", CheckAtoms},
        {"debugger break and clock", CheckBreakAndClock},
        {"large blocks and the block pool", CheckLargeBlocks},
        {"memory exhaustion", CheckMemoryExhaustion},
        {"blend loops", CheckBlendLoops},
    };
    const bool windows = CanCreateWindows();
    if (windows) {
        DialogWatch::Start();
        checks.push_back({"window geometry", CheckWindowGeometry});
        checks.push_back({"colours and drawing", CheckColoursAndDrawing});
        checks.push_back({"message boxes and the debug-string box", CheckMessageBoxes});
        // Reports reach the window from here on.
        checks.push_back({"debug-string channel", [](std::string& outDetail) {
                              return OpenReportWindow() ? CheckDebugChannel(outDetail)
                                                        : Refuse(outDetail, "no report window");
                          }});
    }
    int passed = 0, failed = 0;
    for (const auto& [name, check] : checks) {
        std::string detail;
        const bool ok = check(detail);
        (ok ? passed : failed)++;
        std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", name, detail.empty() ? "" : ": ", detail.c_str());
    }
    if (!windows)
        std::printf(
            "skip windows, drawing, message boxes, debug-string channel: no window can be created here\n");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
