// The narrow platform interface: the only code of the module that talks to the operating system.
//
// Everything here is a plain function over plain types so that one header serves both backends: the
// Win32 backend (API/Platform/Win32/) forwards to the real system calls, the Posix backend
// (API/Platform/Posix/) stands in for them with file descriptors, a monotonic clock, standard error and
// an in-process model of windows, atoms and dialogs. No operating-system type appears in this header.
//
// Names deliberately differ from the system's own function names so that system headers, which define
// many of those names as macros, cannot rename them behind a caller's back.
#pragma once

#include <cstdint>

#include "API/Platform/FixedWidthTypes.h"

#if defined(_WIN32) && !defined(_WIN64)
#define PLATFORM_CALLBACK __attribute__((stdcall))
#else
#define PLATFORM_CALLBACK
#endif

namespace Platform {

// ---- Files ----------------------------------------------------------------------------------------

// A file handle as the host passes it: a 32-bit value. kInvalidFile marks a failed create or open.
using FileHandle = int32;
inline constexpr FileHandle kInvalidFile = -1;

enum class SeekOrigin : int32 { kBegin = 0, kCurrent = 1, kEnd = 2 };

// Creates the file, or truncates an existing one to zero length, with normal attributes and read/write
// access. Returns kInvalidFile on failure.
FileHandle FileCreate(const char* inPath);
// Opens an existing file for reading and writing. Returns kInvalidFile on failure.
FileHandle FileOpenReadWrite(const char* inPath);
// Moves the file position; returns the new position from the start of the file, or -1 on failure (the
// position is then unchanged). Positions past the end are allowed.
int64 FileSeek(FileHandle inFile, int64 inDistance, SeekOrigin inOrigin);
// Transfers at most inCount bytes at the current position and advances it. Return the number of bytes
// transferred: 0 at the end of the file, on failure, or for a count below 1.
int32 FileRead(FileHandle inFile, void* outBuffer, int32 inCount);
int32 FileWrite(FileHandle inFile, const void* inBuffer, int32 inCount);
bool FileClose(FileHandle inFile);
bool FileDelete(const char* inPath);

// ---- Memory ----------------------------------------------------------------------------------------

// Large blocks straight from the system, for the engine's block pool and its largest working buffers. inBytes
// (a multiple of kLargeBlockAlignment) of zero-filled read/write memory, aligned to kLargeBlockAlignment
// where the system allows it and backed by large pages where the system offers them. Null on failure.
inline constexpr uint32 kLargeBlockAlignment = 2u << 20;
void* LargeBlockMap(uint32 inBytes);
// Gives back a block from LargeBlockMap; inBytes is the size it was mapped with.
void LargeBlockUnmap(void* inBlock, uint32 inBytes);

// ---- Time, version, last error ------------------------------------------------------------------

// Milliseconds since an arbitrary fixed point; wraps around after about 49 days.
uint32 TickCount();
// The system's version word: low byte major version, next byte minor version, top bit set on the
// older consumer family of systems.
uint32 VersionWord();
// The calling thread's last-error value.
uint32 LastError();
void SetLastErrorValue(uint32 inValue);

// ---- Debugging -------------------------------------------------------------------------------------

// Sends a line of text to an attached debugger's output.
void DebugOutput(const char* inText);
// Breaks into an attached debugger. Without a debugger the break is swallowed and this returns.
void DebuggerBreak();

// ---- Windows, messages, atoms ---------------------------------------------------------------------

struct OpaqueWindow;
using WindowRef = OpaqueWindow*;
struct OpaqueInstance;
using InstanceRef = OpaqueInstance*;
struct OpaqueBrush;
using BrushRef = OpaqueBrush*;
struct OpaqueDevice;
using DeviceRef = OpaqueDevice*;

using MessageParam = uintptr_t;  // first message parameter
using MessageLong = intptr_t;    // second message parameter and message results

struct ScreenRect {
    int32 left = 0;
    int32 top = 0;
    int32 right = 0;
    int32 bottom = 0;
    int32 Width() const { return right - left; }
    int32 Height() const { return bottom - top; }
};

// Message box styles and results used by the module.
inline constexpr uint32 kBoxOk = 0x00;
inline constexpr uint32 kBoxIconExclamation = 0x30;
inline constexpr int32 kBoxResultOk = 1;

// Shows a modal message box; returns the button pressed. A null owner means no owner window.
int32 ShowMessageBox(WindowRef inOwner, const char* inText, const char* inTitle, uint32 inStyle);

// Finds a top-level window by class name and title; null when there is none.
WindowRef FindTopLevelWindow(const char* inClassName, const char* inTitle);
// Sends a message and waits until the window has handled it; returns the window's answer.
MessageLong SendWindowMessage(WindowRef inWindow, uint32 inMessage, MessageParam inParam, MessageLong inLong);

// Global atoms: a process-independent table of strings named by 16-bit numbers. 0 is no atom.
uint16 AddGlobalAtom(const char* inText);
// Copies the atom's name into the buffer (NUL-terminated, cut to fit); returns its length or 0.
int32 GlobalAtomName(uint16 inAtom, char* outBuffer, int32 inBufferSize);
void DeleteGlobalAtom(uint16 inAtom);

// ---- Dialog support --------------------------------------------------------------------------------

// Messages a dialog procedure receives, with the system's own numbers.
inline constexpr uint32 kMessageDestroy = 0x0002;
inline constexpr uint32 kMessageEraseBackground = 0x0014;
inline constexpr uint32 kMessageInitDialog = 0x0110;
inline constexpr uint32 kMessageCommand = 0x0111;
inline constexpr uint32 kMessageButtonColour = 0x0135;
inline constexpr uint32 kMessageStaticColour = 0x0138;
inline constexpr uint32 kMessageLeftButtonDown = 0x0201;

using DialogProc = MessageLong(PLATFORM_CALLBACK*)(WindowRef, uint32, MessageParam, MessageLong);

// What a backend without dialog resources needs to stand in for one: size in pixels and the texts of
// its static lines, top to bottom.
struct DialogText {
    int32 width = 0;
    int32 height = 0;
    const char* const* lines = nullptr;
    int32 lineCount = 0;
};

// Runs the dialog resource inResourceId of the module inInstance modally with inProc as its procedure
// and returns the value given to EndDialogWith. inText describes the dialog for backends that have no
// resources.
MessageLong RunModalDialog(InstanceRef inInstance, int32 inResourceId, const DialogText& inText,
                           WindowRef inOwner, DialogProc inProc);
void EndDialogWith(WindowRef inDialog, MessageLong inResult);

WindowRef ParentWindow(WindowRef inWindow);
WindowRef DesktopWindow();
bool IsChildWindow(WindowRef inWindow);
// The window's rectangle in screen coordinates.
ScreenRect WindowScreenRect(WindowRef inWindow);
// The window's client area in its own client coordinates (left and top are 0).
ScreenRect WindowClientRect(WindowRef inWindow);
void ScreenToClient(WindowRef inWindow, int32& ioX, int32& ioY);
// Moves the window's top-left corner to (inX, inY) without resizing it or changing its z-order.
void MoveWindowTo(WindowRef inWindow, int32 inX, int32 inY);
int32 ScreenWidth();
int32 ScreenHeight();

// ---- Colours and drawing ---------------------------------------------------------------------------

// A colour as 0x00BBGGRR.
using Colour = uint32;
inline constexpr int32 kColourWindow = 5;
inline constexpr int32 kColourButtonFace = 15;

Colour SystemColour(int32 inIndex);
BrushRef CreateSolidBrush(Colour inColour);
void DeleteBrush(BrushRef inBrush);
void SetTextBackgroundTransparent(DeviceRef inDevice);
void SetTextBackgroundColour(DeviceRef inDevice, Colour inColour);
// Fills the rectangle with the device's background colour by an opaque text output of no characters.
void FillOpaque(DeviceRef inDevice, const ScreenRect& inRect);

}  // namespace Platform
