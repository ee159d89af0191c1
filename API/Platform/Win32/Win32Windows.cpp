// Message boxes, window lookup and messages, global atoms, window geometry, colours and drawing of the
// Win32 backend. The opaque references of the platform interface are the system's own handles.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "API/Platform/Platform.h"

namespace Platform {

namespace {

HWND ToWindow(WindowRef inWindow) {
    return reinterpret_cast<HWND>(inWindow);
}
WindowRef FromWindow(HWND inWindow) {
    return reinterpret_cast<WindowRef>(inWindow);
}
HDC ToDevice(DeviceRef inDevice) {
    return reinterpret_cast<HDC>(inDevice);
}

ScreenRect FromRect(const RECT& inRect) {
    return {inRect.left, inRect.top, inRect.right, inRect.bottom};
}

}  // namespace

int32 ShowMessageBox(WindowRef inOwner, const char* inText, const char* inTitle, uint32 inStyle) {
    return ::MessageBoxA(ToWindow(inOwner), inText, inTitle, inStyle);
}

WindowRef FindTopLevelWindow(const char* inClassName, const char* inTitle) {
    return FromWindow(::FindWindowA(inClassName, inTitle));
}

MessageLong SendWindowMessage(WindowRef inWindow, uint32 inMessage, MessageParam inParam,
                              MessageLong inLong) {
    return ::SendMessageA(ToWindow(inWindow), inMessage, inParam, inLong);
}

uint16 AddGlobalAtom(const char* inText) {
    return ::GlobalAddAtomA(inText);
}

int32 GlobalAtomName(uint16 inAtom, char* outBuffer, int32 inBufferSize) {
    if (inBufferSize < 1) return 0;
    return static_cast<int32>(::GlobalGetAtomNameA(inAtom, outBuffer, inBufferSize));
}

void DeleteGlobalAtom(uint16 inAtom) {
    ::GlobalDeleteAtom(inAtom);
}

WindowRef ParentWindow(WindowRef inWindow) {
    return FromWindow(::GetParent(ToWindow(inWindow)));
}

WindowRef DesktopWindow() {
    return FromWindow(::GetDesktopWindow());
}

bool IsChildWindow(WindowRef inWindow) {
    return (::GetWindowLongA(ToWindow(inWindow), GWL_STYLE) & WS_CHILD) != 0;
}

ScreenRect WindowScreenRect(WindowRef inWindow) {
    RECT rect{};
    ::GetWindowRect(ToWindow(inWindow), &rect);
    return FromRect(rect);
}

ScreenRect WindowClientRect(WindowRef inWindow) {
    RECT rect{};
    ::GetClientRect(ToWindow(inWindow), &rect);
    return FromRect(rect);
}

void ScreenToClient(WindowRef inWindow, int32& ioX, int32& ioY) {
    POINT point{ioX, ioY};
    ::ScreenToClient(ToWindow(inWindow), &point);
    ioX = point.x;
    ioY = point.y;
}

void MoveWindowTo(WindowRef inWindow, int32 inX, int32 inY) {
    ::SetWindowPos(ToWindow(inWindow), nullptr, inX, inY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

int32 ScreenWidth() {
    return ::GetSystemMetrics(SM_CXSCREEN);
}

int32 ScreenHeight() {
    return ::GetSystemMetrics(SM_CYSCREEN);
}

Colour SystemColour(int32 inIndex) {
    return ::GetSysColor(inIndex);
}

BrushRef CreateSolidBrush(Colour inColour) {
    return reinterpret_cast<BrushRef>(::CreateSolidBrush(inColour));
}

void DeleteBrush(BrushRef inBrush) {
    if (inBrush != nullptr) ::DeleteObject(reinterpret_cast<HBRUSH>(inBrush));
}

void SetTextBackgroundTransparent(DeviceRef inDevice) {
    ::SetBkMode(ToDevice(inDevice), TRANSPARENT);
}

void SetTextBackgroundColour(DeviceRef inDevice, Colour inColour) {
    ::SetBkColor(ToDevice(inDevice), inColour);
}

void FillOpaque(DeviceRef inDevice, const ScreenRect& inRect) {
    const RECT rect{inRect.left, inRect.top, inRect.right, inRect.bottom};
    ::ExtTextOutA(ToDevice(inDevice), 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
}

}  // namespace Platform
