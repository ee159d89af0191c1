#include "FileFormat/Lumenar5/Src/AboutBox.h"

#include "FileFormat/Lumenar5/Src/CenterDialog.h"
#include "FileFormat/Lumenar5/Src/ModuleState.h"

const char* const kAboutLines[kAboutLineCount] = {
    "Lumenar 5 File Format",
    "Written by the Lumenar 5 module team",
    "4.0",
    "A plug-in image format module that reads and writes",
    "Lumenar 5 files.",
};

namespace {

constexpr uint32 kCommandOk = 1;
constexpr uint32 kCenterFlags = 0x103;

// The box is 125 x 92 dialog units; in pixels at the dialog font's usual base units of 6 x 13 pixels
// per 4 x 8 units.
constexpr int32 kAboutWidthPixels = 188;
constexpr int32 kAboutHeightPixels = 150;

Platform::BrushRef sBackgroundBrush = nullptr;

void DeleteBackgroundBrush() {
    if (sBackgroundBrush != nullptr) Platform::DeleteBrush(sBackgroundBrush);
    sBackgroundBrush = nullptr;
}

Platform::MessageLong Initialise(Platform::WindowRef inWindow) {
    DeleteBackgroundBrush();
    const int32 colour = ModuleState::NewLook() ? Platform::kColourButtonFace : Platform::kColourWindow;
    sBackgroundBrush = Platform::CreateSolidBrush(Platform::SystemColour(colour));
    CenterDialog(inWindow, kCenterFlags);
    return 1;
}

// Static texts and buttons draw with a transparent text background over the button-face brush.
Platform::MessageLong ControlColour(Platform::MessageParam inDevice) {
    if (!ModuleState::NewLook()) return 0;
    auto* device = reinterpret_cast<Platform::DeviceRef>(inDevice);
    Platform::SetTextBackgroundTransparent(device);
    Platform::SetTextBackgroundColour(device, Platform::SystemColour(Platform::kColourButtonFace));
    return reinterpret_cast<Platform::MessageLong>(sBackgroundBrush);
}

Platform::MessageLong EraseBackground(Platform::WindowRef inWindow, Platform::MessageParam inDevice) {
    if (!ModuleState::NewLook()) return 0;
    auto* device = reinterpret_cast<Platform::DeviceRef>(inDevice);
    Platform::SetTextBackgroundColour(device, Platform::SystemColour(Platform::kColourButtonFace));
    Platform::FillOpaque(device, Platform::WindowClientRect(inWindow));
    return 1;
}

}  // namespace

void ShowAboutBox(Platform::WindowRef inOwner) {
    Platform::DialogText text;
    text.width = kAboutWidthPixels;
    text.height = kAboutHeightPixels;
    text.lines = kAboutLines;
    text.lineCount = kAboutLineCount;
    Platform::RunModalDialog(ModuleState::Instance(), kAboutDialogId, text, inOwner, &AboutDlgProc);
}

extern "C" Platform::MessageLong PLATFORM_CALLBACK AboutDlgProc(Platform::WindowRef inWindow,
                                                                uint32 inMessage,
                                                                Platform::MessageParam inParam,
                                                                Platform::MessageLong) {
    switch (inMessage) {
        case Platform::kMessageInitDialog:
            return Initialise(inWindow);
        case Platform::kMessageCommand:
            if ((inParam & 0xFFFFu) != kCommandOk) return 0;
            Platform::EndDialogWith(inWindow, 0);
            return 1;
        case Platform::kMessageButtonColour:
        case Platform::kMessageStaticColour:
            return ControlColour(inParam);
        case Platform::kMessageLeftButtonDown:
            Platform::EndDialogWith(inWindow, 0);
            return 1;
        case Platform::kMessageEraseBackground:
            return EraseBackground(inWindow, inParam);
        case Platform::kMessageDestroy:
            DeleteBackgroundBrush();
            return 0;
        default:
            return 0;
    }
}
