// Placement of a dialog over its parent window.
#pragma once

#include "API/Platform/Platform.h"
#include "Src/Pellin/Isol/IsolTypes.h"

inline constexpr uint32 kCenterHorizontal = 0x01;
inline constexpr uint32 kCenterVertical = 0x02;
// With kCenterVertical: a third of the free height goes above the dialog instead of half.
inline constexpr uint32 kCenterUpperThird = 0x10;

// Centres inWindow over its parent (the desktop when it has none) along the axes selected by inFlags,
// keeping it on the screen where the parent is not. A dialog larger than its parent starts at the
// parent's edge; one that would reach past the screen's right or bottom edge is pulled back, but never
// past the screen's left or top. Axes not selected keep the window's current position; size and
// z-order never change. Other flag bits are ignored.
void CenterDialog(Platform::WindowRef inWindow, uint32 inFlags);
