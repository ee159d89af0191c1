// Clock, version word, last-error value and debugger stand-ins of the Posix backend, and the backend's
// process-wide state.
#include <sys/mman.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "API/Platform/Platform.h"
#include "API/Platform/Posix/PosixState.h"

namespace Platform {

namespace Posix {

State::State() {
    auto desktop = std::make_unique<OpaqueWindow>();
    desktop->spec.className = "#desktop";
    desktop->spec.rect = ScreenRect{0, 0, 1024, 768};
    windows.push_back(std::move(desktop));
}

bool State::Owns(WindowRef inWindow) const {
    for (const auto& window : windows)
        if (window.get() == inWindow) return true;
    return false;
}

State& GetState() {
    static State sState;
    return sState;
}

}  // namespace Posix

namespace {

thread_local uint32 tLastError = 0;

// A debugger attached to this process shows as a non-zero tracer in the process status.
bool DebuggerAttached() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return false;
    char line[256];
    long tracer = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            tracer = std::strtol(line + 10, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return tracer != 0;
}

}  // namespace

// Maps one alignment more than asked and trims both ends, so the block starts on a large-page boundary;
// then asks for large pages (an advice the kernel may ignore).
void* LargeBlockMap(uint32 inBytes) {
    const size_t bytes = inBytes;
    const size_t align = kLargeBlockAlignment;
    void* raw = mmap(nullptr, bytes + align, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + align - 1) & ~uintptr_t(align - 1);
    if (aligned > start) munmap(raw, aligned - start);
    munmap(reinterpret_cast<void*>(aligned + bytes), start + align - aligned);  // never empty
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

void LargeBlockUnmap(void* inBlock, uint32 inBytes) {
    if (inBlock != nullptr) munmap(inBlock, inBytes);
}

uint32 TickCount() {
    const auto& source = Posix::GetState().tickSource;
    if (source) return source();
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32(uint64(now.tv_sec) * 1000u + uint64(now.tv_nsec) / 1000000u);
}

uint32 VersionWord() {
    return Posix::GetState().versionWord;
}

uint32 LastError() {
    return tLastError;
}

void SetLastErrorValue(uint32 inValue) {
    tLastError = inValue;
}

void DebugOutput(const char* inText) {
    Posix::State& state = Posix::GetState();
    const char* text = inText != nullptr ? inText : "";
    state.debugOutputs.emplace_back(text);
    if (state.echo) std::fprintf(stderr, "%s\n", text);
}

void DebuggerBreak() {
    ++Posix::GetState().debuggerBreaks;
    if (DebuggerAttached()) std::raise(SIGTRAP);
}

namespace TestHooks {

void SetEcho(bool inEcho) {
    Posix::GetState().echo = inEcho;
}
const std::vector<MessageBoxRecord>& MessageBoxes() {
    return Posix::GetState().boxes;
}
const std::vector<std::string>& DebugOutputs() {
    return Posix::GetState().debugOutputs;
}
int32 DebuggerBreaks() {
    return Posix::GetState().debuggerBreaks;
}

void ClearLogs() {
    Posix::State& state = Posix::GetState();
    state.boxes.clear();
    state.debugOutputs.clear();
    state.dialogs.clear();
    state.debuggerBreaks = 0;
}

void SetTickSource(std::function<uint32()> inSource) {
    Posix::GetState().tickSource = std::move(inSource);
}
void SetVersionWord(uint32 inWord) {
    Posix::GetState().versionWord = inWord;
}

void Reset() {
    Posix::State& state = Posix::GetState();
    state = Posix::State();
    SetLastErrorValue(0);
}

}  // namespace TestHooks
}  // namespace Platform
