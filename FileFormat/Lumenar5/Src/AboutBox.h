// The About box: dialog resource 16000, shown on the About selector, owned by the host's main window.
#pragma once

#include "API/Platform/Platform.h"
#include "FileFormat/Lumenar5/Src/PluginExport.h"
#include "Src/Pellin/Isol/IsolTypes.h"

inline constexpr int32 kAboutDialogId = 16000;

// The box's static texts, top to bottom; the dialog resource carries the same lines.
inline constexpr int32 kAboutLineCount = 5;
extern const char* const kAboutLines[kAboutLineCount];

// Runs the About box modally over inOwner (null: no owner) and returns when the user closes it.
void ShowAboutBox(Platform::WindowRef inOwner);

// The dialog procedure: answers 1 for messages it handles, 0 otherwise. It closes the box on the OK
// command and on a click anywhere in the box, and paints it in the button-face colour on systems with
// the new look. It keeps one background brush, created at initialisation and deleted on destruction.
extern "C" LUMENAR_EXPORT Platform::MessageLong PLATFORM_CALLBACK AboutDlgProc(Platform::WindowRef inWindow,
                                                                               uint32 inMessage,
                                                                               Platform::MessageParam inParam,
                                                                               Platform::MessageLong inLong);
