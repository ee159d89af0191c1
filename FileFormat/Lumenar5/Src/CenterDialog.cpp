#include "FileFormat/Lumenar5/Src/CenterDialog.h"

#include <algorithm>

namespace {

// The start of a span of inSize that leaves 1/inDivisor of the parent's free room before it (none when
// it is larger than the parent), pulled back when it would end past the screen's extent.
int32 PlaceAlong(int32 inParentStart, int32 inParentSize, int32 inSize, int32 inDivisor, int32 inScreenSize) {
    int32 start = inParentStart + std::max(0, inParentSize - inSize) / inDivisor;
    if (start + inSize > inScreenSize) start = std::max(0, inScreenSize - inSize);
    return start;
}

}  // namespace

void CenterDialog(Platform::WindowRef inWindow, uint32 inFlags) {
    Platform::WindowRef parent = Platform::ParentWindow(inWindow);
    if (parent == nullptr) parent = Platform::DesktopWindow();
    const Platform::ScreenRect parentRect = Platform::WindowScreenRect(parent);
    const Platform::ScreenRect rect = Platform::WindowScreenRect(inWindow);

    int32 x = rect.left;
    int32 y = rect.top;
    if (inFlags & kCenterHorizontal)
        x = PlaceAlong(parentRect.left, parentRect.Width(), rect.Width(), 2, Platform::ScreenWidth());
    if (inFlags & kCenterVertical) {
        const int32 divisor = (inFlags & kCenterUpperThird) ? 3 : 2;
        y = PlaceAlong(parentRect.top, parentRect.Height(), rect.Height(), divisor, Platform::ScreenHeight());
    }
    if (Platform::IsChildWindow(inWindow)) Platform::ScreenToClient(parent, x, y);
    Platform::MoveWindowTo(inWindow, x, y);
}
