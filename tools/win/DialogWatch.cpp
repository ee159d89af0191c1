#include "tools/win/DialogWatch.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace DialogWatch {

namespace {

std::vector<std::string> gBoxes;
std::vector<std::string> gAbout;

std::string ClassOf(HWND inWindow) {
    char name[64] = {};
    ::GetClassNameA(inWindow, name, sizeof name);
    return name;
}

std::string TextOf(HWND inWindow) {
    char text[1024] = {};
    ::GetWindowTextA(inWindow, text, sizeof text);
    return text;
}

// The dialog units that the dialog maps to inPixels: the system converts units to pixels with a
// rounding that has no exact inverse, so the units are searched. -1 when no value maps there.
int32_t Units(HWND inDialog, LONG inPixels, bool inHorizontal) {
    for (LONG units = 0; units < 2000; ++units) {
        RECT rect{units, units, units, units};
        ::MapDialogRect(inDialog, &rect);
        if ((inHorizontal ? rect.left : rect.top) == inPixels) return units;
    }
    return -1;
}

struct Element {
    RECT place;  // in the dialog's client coordinates
    std::string line;
};

BOOL CALLBACK AddStatic(HWND inChild, LPARAM inElements) {
    if (ClassOf(inChild) != "Static") return TRUE;
    const HWND dialog = ::GetParent(inChild);
    RECT r{};
    ::GetWindowRect(inChild, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const bool centred = (::GetWindowLongA(inChild, GWL_STYLE) & 0x1F) == SS_CENTER;
    char line[1200];
    std::snprintf(line, sizeof line, "text%s at %d,%d size %d x %d: \"%s\"", centred ? " centred" : "",
                  int(Units(dialog, r.left, true)), int(Units(dialog, r.top, false)),
                  int(Units(dialog, r.right - r.left, true)), int(Units(dialog, r.bottom - r.top, false)),
                  TextOf(inChild).c_str());
    reinterpret_cast<std::vector<Element>*>(inElements)->push_back({r, line});
    return TRUE;
}

// Where the module's centring puts a window of inSize over its owner along one axis.
LONG CentredOn(LONG inOwnerStart, LONG inOwnerSize, LONG inSize, LONG inScreen) {
    LONG at = inOwnerStart + std::max<LONG>(0, inOwnerSize - inSize) / 2;
    if (at + inSize > inScreen) at = std::max<LONG>(0, inScreen - inSize);
    return at;
}

void RecordAbout(HWND inDialog) {
    gAbout.clear();
    RECT client{}, frame{}, owner{};
    ::GetClientRect(inDialog, &client);
    char line[200];
    LOGFONTA font{};
    const HFONT handle = reinterpret_cast<HFONT>(::SendMessageA(inDialog, WM_GETFONT, 0, 0));
    int points = 0;
    if (handle != nullptr && ::GetObjectA(handle, sizeof font, &font) != 0) {
        const HDC screen = ::GetDC(nullptr);
        points = ::MulDiv(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight, 72,
                          ::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
    }
    std::snprintf(line, sizeof line, "frame %d x %d, title \"%s\", font \"%s\" %d",
                  int(Units(inDialog, client.right, true)), int(Units(inDialog, client.bottom, false)),
                  TextOf(inDialog).c_str(), font.lfFaceName, points);
    gAbout.push_back(line);
    std::vector<Element> elements;
    ::EnumChildWindows(inDialog, &AddStatic, reinterpret_cast<LPARAM>(&elements));
    std::stable_sort(elements.begin(), elements.end(),
                     [](const Element& a, const Element& b) { return a.place.top < b.place.top; });
    for (const Element& e : elements) gAbout.push_back(e.line);
    // Centred on the owner (the module's flags: both directions, halfway down).
    ::GetWindowRect(inDialog, &frame);
    ::GetWindowRect(::GetParent(inDialog) ? ::GetParent(inDialog) : ::GetDesktopWindow(), &owner);
    const LONG x = CentredOn(owner.left, owner.right - owner.left, frame.right - frame.left,
                             ::GetSystemMetrics(SM_CXSCREEN));
    const LONG y = CentredOn(owner.top, owner.bottom - owner.top, frame.bottom - frame.top,
                             ::GetSystemMetrics(SM_CYSCREEN));
    std::snprintf(line, sizeof line,
                  x == frame.left && y == frame.top ? "centred on its owner"
                                                    : "not centred: at %ld,%ld, expected %ld,%ld",
                  frame.left, frame.top, x, y);
    gAbout.push_back(line);
}

BOOL CALLBACK AddBoxText(HWND inChild, LPARAM inText) {
    if (ClassOf(inChild) == "Static") *reinterpret_cast<std::string*>(inText) += TextOf(inChild);
    return TRUE;
}

BOOL CALLBACK CloseDialog(HWND inWindow, LPARAM) {
    if (ClassOf(inWindow) != "#32770" || !::IsWindowEnabled(inWindow)) return TRUE;
    if (TextOf(inWindow).empty()) {
        // The About box: closed by a click into it.
        RecordAbout(inWindow);
        ::PostMessageA(inWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    } else {
        std::string text;
        ::EnumChildWindows(inWindow, &AddBoxText, reinterpret_cast<LPARAM>(&text));
        gBoxes.push_back(TextOf(inWindow) + ": " + text);
        std::fprintf(stderr, "lumenar: message box: %s\n", gBoxes.back().c_str());
        ::PostMessageA(inWindow, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &CloseDialog, 0);
}

}  // namespace

void Start() {
    ::SetTimer(nullptr, 0, 30, &Tick);
}

const std::vector<std::string>& MessageBoxes() {
    return gBoxes;
}

const std::vector<std::string>& AboutLayout() {
    return gAbout;
}

}  // namespace DialogWatch
