// Modal dialogs of the Win32 backend: the dialog comes from the module's own resources, so the
// description in DialogText, which stands in for a resource elsewhere, is not needed here.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "API/Platform/Platform.h"

namespace Platform {

// The platform's dialog procedure and the system's have the same arguments, result and calling
// convention; only the handle types are spelt differently.
static_assert(sizeof(MessageParam) == sizeof(WPARAM) && sizeof(MessageLong) == sizeof(LPARAM) &&
              sizeof(MessageLong) == sizeof(INT_PTR));

MessageLong RunModalDialog(InstanceRef inInstance, int32 inResourceId, const DialogText&, WindowRef inOwner,
                           DialogProc inProc) {
    return ::DialogBoxParamA(reinterpret_cast<HINSTANCE>(inInstance), MAKEINTRESOURCEA(inResourceId),
                             reinterpret_cast<HWND>(inOwner), reinterpret_cast<DLGPROC>(inProc), 0);
}

void EndDialogWith(WindowRef inDialog, MessageLong inResult) {
    ::EndDialog(reinterpret_cast<HWND>(inDialog), inResult);
}

}  // namespace Platform
