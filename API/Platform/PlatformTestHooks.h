// Test hooks of the Posix platform backend: what a user would have seen, and the knobs tests turn.
//
// The Posix backend models the parts of the system the module talks to (message boxes, debugger
// output, top-level windows, global atoms, dialogs, brushes, the clock and the version word). These hooks
// let tests look at that model and change it. They exist only in the Posix backend; all state here is
// process-wide and is put back to its defaults by Reset().
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "API/Platform/Platform.h"

namespace Platform::TestHooks {

// The last-error value the Posix window lookup leaves behind when it finds nothing, as the real call may.
inline constexpr uint32 kErrorNoWindow = 1400;

struct MessageBoxRecord {
    WindowRef owner = nullptr;
    std::string text;
    std::string title;
    uint32 style = 0;
};

// Receives messages sent to a window created through AddWindow.
using MessageReceiver = std::function<MessageLong(uint32 message, MessageParam param, MessageLong value)>;

struct WindowSpec {
    std::string className;
    std::string title;
    ScreenRect rect;  // screen coordinates
    WindowRef parent = nullptr;
    bool child = false;
    MessageReceiver receiver;  // may be empty
};

// What the simulated user does once a modal dialog is up.
enum class DialogAction { kPressOk, kClickClient, kNothing };

// One dialog run by RunModalDialog, as the user would have seen it.
struct DialogRecord {
    int32 resourceId = 0;
    WindowRef owner = nullptr;
    std::vector<std::string> lines;
    ScreenRect rectAfterInit;          // where the dialog stood once its initialisation had run
    std::vector<uint32> messages;      // messages sent to the dialog procedure, in order
    std::vector<MessageLong> answers;  // the procedure's answer to each
    bool ended = false;                // EndDialogWith was called
    MessageLong result = 0;
    Colour textBackground = 0;  // the device's text background after painting
    bool transparentText = false;
    int32 opaqueFills = 0;
};

// Restores every default: echo on, empty logs, no windows but the desktop, no atoms, a 1024 x 768
// screen, the monotonic clock, version word kDefaultVersionWord, dialog action kPressOk.
void Reset();
inline constexpr uint32 kDefaultVersionWord = 0x0A280105;

// With echo on (the default) message boxes, debugger output and dialog texts are also written to
// standard error.
void SetEcho(bool inEcho);

const std::vector<MessageBoxRecord>& MessageBoxes();
const std::vector<std::string>& DebugOutputs();
int32 DebuggerBreaks();
void ClearLogs();

WindowRef AddWindow(const WindowSpec& inSpec);
void RemoveWindow(WindowRef inWindow);
void SetScreenSize(int32 inWidth, int32 inHeight);

// Replaces the clock behind TickCount; an empty function restores the monotonic clock.
void SetTickSource(std::function<uint32()> inSource);
void SetVersionWord(uint32 inWord);

void SetDialogAction(DialogAction inAction);
const std::vector<DialogRecord>& Dialogs();

int32 LiveBrushCount();
Colour BrushColour(BrushRef inBrush);
int32 LiveAtomCount();

}  // namespace Platform::TestHooks
