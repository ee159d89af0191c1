// Clock, version word, last-error value and debugger access of the Win32 backend.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "API/Platform/Platform.h"

namespace Platform {

namespace {

// Steps over the int3 of DebugBreak when an attached debugger handed the breakpoint back to the
// program: the system reports a breakpoint with the instruction pointer on the int3 itself, so
// continuing unchanged would break again for ever.
LONG CALLBACK StepOverBreakpoint(EXCEPTION_POINTERS* inException) {
    if (inException->ExceptionRecord->ExceptionCode != EXCEPTION_BREAKPOINT) return EXCEPTION_CONTINUE_SEARCH;
    const uint8* at = reinterpret_cast<const uint8*>(inException->ContextRecord->Eip);
    if (*at != 0xCC) return EXCEPTION_CONTINUE_SEARCH;
    inException->ContextRecord->Eip += 1;
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

// Large pages need a privilege a host rarely holds, so the block has normal pages on the system's
// allocation granularity.
void* LargeBlockMap(uint32 inBytes) {
    return ::VirtualAlloc(nullptr, inBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void LargeBlockUnmap(void* inBlock, uint32) {
    if (inBlock != nullptr) ::VirtualFree(inBlock, 0, MEM_RELEASE);
}

uint32 TickCount() {
    return ::GetTickCount();
}

uint32 VersionWord() {
    return ::GetVersion();
}

uint32 LastError() {
    return ::GetLastError();
}

void SetLastErrorValue(uint32 inValue) {
    ::SetLastError(inValue);
}

void DebugOutput(const char* inText) {
    ::OutputDebugStringA(inText);
}

// Without a debugger nothing would take the breakpoint exception and the system would end the host
// process, so the break happens only when one is attached. Raising the breakpoint as a software
// exception is no way round that either: the system then resumes one byte before the raise.
void DebuggerBreak() {
    if (!::IsDebuggerPresent()) return;
    PVOID handler = ::AddVectoredExceptionHandler(0, StepOverBreakpoint);
    ::DebugBreak();
    if (handler != nullptr) ::RemoveVectoredExceptionHandler(handler);
}

}  // namespace Platform
