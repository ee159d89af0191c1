// Modal dialogs of the Posix backend. There are no dialog resources and no user here, so a dialog is
// a model window sized from its DialogText, its texts are shown on standard error (with echo on), and
// the procedure receives the messages a real dialog would: initialisation, one paint of the background
// and of every static text, then the user's action chosen by the test hooks, then destruction.
#include <cstdio>

#include "API/Platform/Platform.h"
#include "API/Platform/PlatformTestHooks.h"
#include "API/Platform/Posix/PosixState.h"

namespace Platform {

namespace {

constexpr MessageParam kOkCommand = 1;
// The result a dialog the simulated user could not close is ended with.
constexpr MessageLong kUnclosedResult = -1;

MessageLong Deliver(TestHooks::DialogRecord& ioRecord, DialogProc inProc, WindowRef inDialog,
                    uint32 inMessage, MessageParam inParam, MessageLong inLong) {
    ioRecord.messages.push_back(inMessage);
    const MessageLong answer = inProc(inDialog, inMessage, inParam, inLong);
    ioRecord.answers.push_back(answer);
    return answer;
}

void ActAsUser(TestHooks::DialogRecord& ioRecord, DialogProc inProc, WindowRef inDialog,
               TestHooks::DialogAction inAction) {
    switch (inAction) {
        case TestHooks::DialogAction::kPressOk:
            Deliver(ioRecord, inProc, inDialog, kMessageCommand, kOkCommand, 0);
            break;
        case TestHooks::DialogAction::kClickClient: {
            // A click in the middle of the client area: x in the low word, y in the high word.
            const ScreenRect client = WindowClientRect(inDialog);
            const MessageLong where = MessageLong((client.Height() / 2) << 16 | (client.Width() / 2));
            Deliver(ioRecord, inProc, inDialog, kMessageLeftButtonDown, 0, where);
            break;
        }
        case TestHooks::DialogAction::kNothing:
            break;
    }
}

}  // namespace

MessageLong RunModalDialog(InstanceRef, int32 inResourceId, const DialogText& inText, WindowRef inOwner,
                           DialogProc inProc) {
    Posix::State& state = Posix::GetState();
    TestHooks::DialogRecord record;
    record.resourceId = inResourceId;
    record.owner = inOwner;
    for (int32 i = 0; i < inText.lineCount; ++i) {
        record.lines.emplace_back(inText.lines[i] != nullptr ? inText.lines[i] : "");
        if (state.echo) std::fprintf(stderr, "%s\n", record.lines.back().c_str());
    }
    if (inProc == nullptr) return kUnclosedResult;

    TestHooks::WindowSpec spec;
    spec.className = "#dialog";
    spec.rect = ScreenRect{0, 0, inText.width, inText.height};
    spec.parent = state.Owns(inOwner) ? inOwner : nullptr;
    WindowRef dialog = TestHooks::AddWindow(spec);
    dialog->dialog = &record;

    OpaqueDevice device;
    const auto deviceParam = reinterpret_cast<MessageParam>(&device);
    Deliver(record, inProc, dialog, kMessageInitDialog, 0, 0);
    record.rectAfterInit = WindowScreenRect(dialog);
    if (!record.ended) {
        Deliver(record, inProc, dialog, kMessageEraseBackground, deviceParam, 0);
        for (int32 i = 0; i < inText.lineCount; ++i)
            Deliver(record, inProc, dialog, kMessageStaticColour, deviceParam, 0);
        ActAsUser(record, inProc, dialog, state.dialogAction);
    }
    if (!record.ended) record.result = kUnclosedResult;
    Deliver(record, inProc, dialog, kMessageDestroy, 0, 0);
    record.textBackground = device.textBackground;
    record.transparentText = device.transparentText;
    record.opaqueFills = device.opaqueFills;

    TestHooks::RemoveWindow(dialog);
    const MessageLong result = record.result;
    state.dialogs.push_back(std::move(record));
    return result;
}

void EndDialogWith(WindowRef inDialog, MessageLong inResult) {
    if (!Posix::GetState().Owns(inDialog) || inDialog->dialog == nullptr) return;
    inDialog->dialog->ended = true;
    inDialog->dialog->result = inResult;
}

namespace TestHooks {

void SetDialogAction(DialogAction inAction) {
    Posix::GetState().dialogAction = inAction;
}
const std::vector<DialogRecord>& Dialogs() {
    return Posix::GetState().dialogs;
}

}  // namespace TestHooks
}  // namespace Platform
