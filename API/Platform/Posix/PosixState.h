// Process-wide state of the Posix platform backend, shared by its source files and its test hooks.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "API/Platform/Platform.h"
#include "API/Platform/PlatformTestHooks.h"

namespace Platform {

struct OpaqueWindow {
    TestHooks::WindowSpec spec;
    TestHooks::DialogRecord* dialog = nullptr;  // set while the window is a running modal dialog
};

struct OpaqueBrush {
    Colour colour = 0;
};

struct OpaqueDevice {
    Colour textBackground = 0xFFFFFF;
    bool transparentText = false;
    int32 opaqueFills = 0;
};

namespace Posix {

struct State {
    bool echo = true;
    std::vector<TestHooks::MessageBoxRecord> boxes;
    std::vector<std::string> debugOutputs;
    int32 debuggerBreaks = 0;
    std::vector<std::unique_ptr<OpaqueWindow>> windows;  // windows[0] is the desktop
    std::map<uint16, std::string> atoms;
    uint16 nextAtom = 0xC000;
    std::function<uint32()> tickSource;
    uint32 versionWord = TestHooks::kDefaultVersionWord;
    TestHooks::DialogAction dialogAction = TestHooks::DialogAction::kPressOk;
    std::vector<TestHooks::DialogRecord> dialogs;
    std::vector<std::unique_ptr<OpaqueBrush>> brushes;

    State();
    OpaqueWindow* Desktop() const { return windows.front().get(); }
    bool Owns(WindowRef inWindow) const;
};

State& GetState();

}  // namespace Posix
}  // namespace Platform
