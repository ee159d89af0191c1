// Clock, version word, last-error value and debugger access of the Win32 backend.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "API/Platform/Platform.h"

namespace Platform {

namespace {

// Swallows the breakpoint raised by DebuggerBreak when no debugger took it first: a debugger sees the
// exception before any vectored handler does.
LONG CALLBACK SwallowBreakpoint(EXCEPTION_POINTERS* inException) {
    if (inException->ExceptionRecord->ExceptionCode == EXCEPTION_BREAKPOINT) return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

uint32 TickCount() { return ::GetTickCount(); }

uint32 VersionWord() { return ::GetVersion(); }

uint32 LastError() { return ::GetLastError(); }

void SetLastErrorValue(uint32 inValue) { ::SetLastError(inValue); }

void DebugOutput(const char* inText) { ::OutputDebugStringA(inText); }

// The break is raised as a software exception rather than an int3 instruction, so that continuing
// resumes right after the raise without adjusting the instruction pointer.
void DebuggerBreak() {
    PVOID handler = ::AddVectoredExceptionHandler(1, SwallowBreakpoint);
    if (handler == nullptr) {
        // Without a handler an unclaimed break would end the process: break only into a debugger.
        if (::IsDebuggerPresent()) ::DebugBreak();
        return;
    }
    ::RaiseException(EXCEPTION_BREAKPOINT, 0, 0, nullptr);
    ::RemoveVectoredExceptionHandler(handler);
}

}  // namespace Platform
