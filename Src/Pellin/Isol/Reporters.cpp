#include "Src/Pellin/Isol/Reporters.h"

#include <cstdio>

#include "API/Platform/Platform.h"

namespace {

constexpr size_t kTextCapacity = 1024;

const char* OrEmpty(const char* inText) {
    return inText != nullptr ? inText : "";
}

// Restores the calling thread's last-error value on leaving a reporter when it was non-zero on entry,
// so a report between a failing system call and the caller's look at its error does not hide it.
class LastErrorKeeper {
public:
    LastErrorKeeper() : mSaved(Platform::LastError()) {}
    ~LastErrorKeeper() {
        if (mSaved != 0) Platform::SetLastErrorValue(mSaved);
    }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

private:
    uint32 mSaved;
};

}  // namespace

void ShowSignal(const char* inText, const char* inFile, int32 inLine) {
    char text[kTextCapacity];
    std::snprintf(text, sizeof text, "%s in file: %s at line %d", OrEmpty(inText), OrEmpty(inFile),
                  int(inLine));
    Platform::ShowMessageBox(nullptr, text, "Signal Raised", Platform::kBoxOk);
}

void ShowThrow(const char*, const char* inFile, int32 inLine) {
    char text[kTextCapacity];
    std::snprintf(text, sizeof text, "File: %s at line %d", OrEmpty(inFile), int(inLine));
    Platform::ShowMessageBox(nullptr, text, "Exception Thrown", Platform::kBoxOk);
}

void ShowDebugString(const char* inText) {
    LastErrorKeeper keeper;
    const char* text = OrEmpty(inText);
    Platform::WindowRef receiver = Platform::FindTopLevelWindow(kDebugWindowClass, kDebugWindowTitle);
    if (receiver != nullptr) {
        // The atom lives only for the send: the receiver reads its name while handling the message.
        const uint16 atom = Platform::AddGlobalAtom(text);
        Platform::SendWindowMessage(receiver, kDebugStringMessage, Platform::MessageParam(atom), 0);
        Platform::DeleteGlobalAtom(atom);
        return;
    }
    Platform::ShowMessageBox(nullptr, text, "Debug String", Platform::kBoxOk | Platform::kBoxIconExclamation);
    Platform::DebugOutput(text);
}

void BreakToDebugger() {
    LastErrorKeeper keeper;
    Platform::DebuggerBreak();
}
