// The reporters behind the report modes: what the user or a developer sees of a failure.
//
// None of them changes control flow or lets a failure escape; texts longer than the reporters' 1 KB
// working buffer are cut.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

// Mode 1 for failures: a message box titled "Signal Raised", OK button, no owner, whose text is
// "<text> in file: <file> at line <line>".
void ShowSignal(const char* inText, const char* inFile, int32 inLine);

// Mode 1 for throw sites: a message box titled "Exception Thrown", OK button, no owner, whose text is
// "File: <file> at line <line>". The text argument is not shown.
void ShowThrow(const char* inText, const char* inFile, int32 inLine);

// Mode 2: hands the text to a top-level window of class "TFORM1" titled "DebugString" as message 1024
// with a global atom naming the text; without such a window shows the text in a box titled
// "Debug String" with the exclamation icon and sends it to the debugger output. A non-zero last-error
// value of the calling thread survives the call.
void ShowDebugString(const char* inText);

// Mode 3: breaks into the debugger if one is attached; otherwise returns. A non-zero last-error value of
// the calling thread survives the call.
void BreakToDebugger();

// The debug channel's window and message.
inline constexpr const char* kDebugWindowClass = "TFORM1";
inline constexpr const char* kDebugWindowTitle = "DebugString";
inline constexpr uint32 kDebugStringMessage = 1024;
