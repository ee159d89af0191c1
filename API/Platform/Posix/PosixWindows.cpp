// Windows, messages, global atoms, message boxes and brushes of the Posix backend: an in-process model.
//
// Windows live in a registry owned by the backend state; a WindowRef is the address of a registry
// entry. Geometry is kept in screen coordinates and a window's client area starts at its top-left
// corner (the model has no frames), so client coordinates are screen coordinates less that corner.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "API/Platform/Platform.h"
#include "API/Platform/PlatformTestHooks.h"
#include "API/Platform/Posix/PosixState.h"

namespace Platform {

using Posix::GetState;

int32 ShowMessageBox(WindowRef inOwner, const char* inText, const char* inTitle, uint32 inStyle) {
    Posix::State& state = GetState();
    TestHooks::MessageBoxRecord box;
    box.owner = inOwner;
    box.text = inText != nullptr ? inText : "";
    box.title = inTitle != nullptr ? inTitle : "";
    box.style = inStyle;
    if (state.echo) std::fprintf(stderr, "[%s] %s\n", box.title.c_str(), box.text.c_str());
    state.boxes.push_back(std::move(box));
    return kBoxResultOk;
}

WindowRef FindTopLevelWindow(const char* inClassName, const char* inTitle) {
    const Posix::State& state = GetState();
    for (size_t i = 1; i < state.windows.size(); ++i) {
        const TestHooks::WindowSpec& spec = state.windows[i]->spec;
        if (spec.child) continue;
        if (inClassName != nullptr && spec.className != inClassName) continue;
        if (inTitle != nullptr && spec.title != inTitle) continue;
        return state.windows[i].get();
    }
    SetLastErrorValue(TestHooks::kErrorNoWindow);
    return nullptr;
}

MessageLong SendWindowMessage(WindowRef inWindow, uint32 inMessage, MessageParam inParam,
                              MessageLong inLong) {
    if (!GetState().Owns(inWindow) || !inWindow->spec.receiver) return 0;
    return inWindow->spec.receiver(inMessage, inParam, inLong);
}

uint16 AddGlobalAtom(const char* inText) {
    Posix::State& state = GetState();
    if (inText == nullptr || state.nextAtom == 0) return 0;
    const uint16 atom = state.nextAtom++;
    state.atoms[atom] = inText;
    return atom;
}

int32 GlobalAtomName(uint16 inAtom, char* outBuffer, int32 inBufferSize) {
    const auto& atoms = GetState().atoms;
    const auto found = atoms.find(inAtom);
    if (found == atoms.end() || outBuffer == nullptr || inBufferSize <= 0) return 0;
    const size_t length = std::min(found->second.size(), size_t(inBufferSize - 1));
    std::memcpy(outBuffer, found->second.data(), length);
    outBuffer[length] = '\0';
    return int32(length);
}

void DeleteGlobalAtom(uint16 inAtom) {
    GetState().atoms.erase(inAtom);
}

WindowRef ParentWindow(WindowRef inWindow) {
    return GetState().Owns(inWindow) ? inWindow->spec.parent : nullptr;
}

WindowRef DesktopWindow() {
    return GetState().Desktop();
}

bool IsChildWindow(WindowRef inWindow) {
    return GetState().Owns(inWindow) && inWindow->spec.child;
}

ScreenRect WindowScreenRect(WindowRef inWindow) {
    return GetState().Owns(inWindow) ? inWindow->spec.rect : ScreenRect{};
}

ScreenRect WindowClientRect(WindowRef inWindow) {
    const ScreenRect rect = WindowScreenRect(inWindow);
    return ScreenRect{0, 0, rect.Width(), rect.Height()};
}

void ScreenToClient(WindowRef inWindow, int32& ioX, int32& ioY) {
    const ScreenRect rect = WindowScreenRect(inWindow);
    ioX -= rect.left;
    ioY -= rect.top;
}

// A child window's position is kept in screen coordinates by the model, so a move given in its
// parent's client coordinates is converted back.
void MoveWindowTo(WindowRef inWindow, int32 inX, int32 inY) {
    if (!GetState().Owns(inWindow) || inWindow == DesktopWindow()) return;
    ScreenRect& rect = inWindow->spec.rect;
    if (inWindow->spec.child && inWindow->spec.parent != nullptr) {
        const ScreenRect parent = WindowScreenRect(inWindow->spec.parent);
        inX += parent.left;
        inY += parent.top;
    }
    const int32 width = rect.Width();
    const int32 height = rect.Height();
    rect = ScreenRect{inX, inY, inX + width, inY + height};
}

int32 ScreenWidth() {
    return GetState().Desktop()->spec.rect.Width();
}
int32 ScreenHeight() {
    return GetState().Desktop()->spec.rect.Height();
}

// Fixed stand-ins for the colours the module asks for: button face light grey, window white.
Colour SystemColour(int32 inIndex) {
    switch (inIndex) {
        case kColourButtonFace:
            return 0xC0C0C0;
        case kColourWindow:
            return 0xFFFFFF;
        default:
            return 0x000000;
    }
}

BrushRef CreateSolidBrush(Colour inColour) {
    auto brush = std::make_unique<OpaqueBrush>();
    brush->colour = inColour;
    BrushRef result = brush.get();
    GetState().brushes.push_back(std::move(brush));
    return result;
}

void DeleteBrush(BrushRef inBrush) {
    auto& brushes = GetState().brushes;
    std::erase_if(brushes, [inBrush](const auto& brush) { return brush.get() == inBrush; });
}

void SetTextBackgroundTransparent(DeviceRef inDevice) {
    if (inDevice != nullptr) inDevice->transparentText = true;
}

void SetTextBackgroundColour(DeviceRef inDevice, Colour inColour) {
    if (inDevice != nullptr) inDevice->textBackground = inColour;
}

void FillOpaque(DeviceRef inDevice, const ScreenRect&) {
    if (inDevice != nullptr) ++inDevice->opaqueFills;
}

namespace TestHooks {

WindowRef AddWindow(const WindowSpec& inSpec) {
    auto window = std::make_unique<OpaqueWindow>();
    window->spec = inSpec;
    WindowRef result = window.get();
    GetState().windows.push_back(std::move(window));
    return result;
}

void RemoveWindow(WindowRef inWindow) {
    if (inWindow == DesktopWindow()) return;
    auto& windows = GetState().windows;
    std::erase_if(windows, [inWindow](const auto& window) { return window.get() == inWindow; });
}

void SetScreenSize(int32 inWidth, int32 inHeight) {
    GetState().Desktop()->spec.rect = ScreenRect{0, 0, inWidth, inHeight};
}

int32 LiveBrushCount() {
    return int32(GetState().brushes.size());
}

Colour BrushColour(BrushRef inBrush) {
    for (const auto& brush : GetState().brushes)
        if (brush.get() == inBrush) return brush->colour;
    return 0;
}

int32 LiveAtomCount() {
    return int32(GetState().atoms.size());
}

}  // namespace TestHooks
}  // namespace Platform
