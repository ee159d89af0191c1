// The About box's dialog procedure: placement and closing.
#include <gtest/gtest.h>

#include "API/Platform/PlatformTestHooks.h"
#include "FileFormat/Lumenar5/Src/AboutBox.h"
#include "FileFormat/Lumenar5/Src/ModuleState.h"

namespace {

namespace Hooks = Platform::TestHooks;

constexpr uint32 kCommand = 0x0111, kClick = 0x0201, kDestroy = 0x0002;

class AboutBoxTest : public testing::Test {
protected:
    void SetUp() override {
        Hooks::Reset();
        Hooks::SetEcho(false);
    }
    void TearDown() override {
        ModuleState::Classify();
        Hooks::Reset();
    }

    // Runs the box once and returns what the simulated user saw.
    Hooks::DialogRecord Run(bool inNewLook, Hooks::DialogAction inAction) {
        ModuleState::SetNewLook(inNewLook);
        Hooks::SetDialogAction(inAction);
        ShowAboutBox(nullptr);
        EXPECT_EQ(Hooks::Dialogs().size(), 1u);
        Hooks::DialogRecord record = Hooks::Dialogs().back();
        Hooks::ClearLogs();
        return record;
    }

    static Platform::MessageLong AnswerTo(const Hooks::DialogRecord& inRecord, uint32 inMessage) {
        for (size_t i = 0; i < inRecord.messages.size(); ++i)
            if (inRecord.messages[i] == inMessage) return inRecord.answers[i];
        ADD_FAILURE() << "message " << inMessage << " was not sent";
        return -1;
    }
};

// Initialisation centres the box on the screen when it has no owner.
TEST_F(AboutBoxTest, ClosesOnOkAndOnAClickAnywhere) {
    Hooks::SetScreenSize(1000, 700);
    for (auto action : {Hooks::DialogAction::kPressOk, Hooks::DialogAction::kClickClient}) {
        const Hooks::DialogRecord record = Run(false, action);
        const Platform::ScreenRect rect = record.rectAfterInit;
        EXPECT_GT(rect.Width(), 0);
        EXPECT_EQ(rect.left, (1000 - rect.Width()) / 2);
        EXPECT_EQ(rect.top, (700 - rect.Height()) / 2);
        EXPECT_TRUE(record.ended);
        EXPECT_EQ(record.result, 0);
        const uint32 message = action == Hooks::DialogAction::kPressOk ? kCommand : kClick;
        EXPECT_EQ(AnswerTo(record, message), 1);
        EXPECT_EQ(record.messages.back(), kDestroy);
        EXPECT_EQ(Hooks::LiveBrushCount(), 0) << "the brush is deleted on destruction";
    }
}

}  // namespace
