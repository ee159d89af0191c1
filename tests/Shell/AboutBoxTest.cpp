// The About box's dialog procedure, its look on both system families, and the new-look rule.
#include <gtest/gtest.h>

#include "API/Platform/PlatformTestHooks.h"
#include "FileFormat/Lumenar5/Src/AboutBox.h"
#include "FileFormat/Lumenar5/Src/ModuleState.h"

namespace {

namespace Hooks = Platform::TestHooks;

constexpr uint32 kInit = 0x0110, kErase = 0x0014, kStaticColour = 0x0138, kCommand = 0x0111,
                 kClick = 0x0201, kDestroy = 0x0002;

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

TEST_F(AboutBoxTest, LookFollowsTheNewLookFlag) {
    struct Case {
        bool newLook;
        Platform::Colour brush;
        bool paintsItself;
    };
    for (const Case& c : {Case{true, 0xC0C0C0, true}, Case{false, 0xFFFFFF, false}}) {
        ModuleState::SetNewLook(c.newLook);
        const Platform::MessageLong answer = AboutDlgProc(nullptr, kInit, 0, 0);
        EXPECT_EQ(answer, 1);
        ASSERT_EQ(Hooks::LiveBrushCount(), 1) << "one brush, even after a second initialisation";
        AboutDlgProc(nullptr, kInit, 0, 0);
        ASSERT_EQ(Hooks::LiveBrushCount(), 1);

        const Platform::MessageLong brush = AboutDlgProc(nullptr, kStaticColour, 0, 0);
        if (c.paintsItself) {
            EXPECT_EQ(Hooks::BrushColour(reinterpret_cast<Platform::BrushRef>(brush)), c.brush);
        } else {
            EXPECT_EQ(brush, 0);
        }
        AboutDlgProc(nullptr, kDestroy, 0, 0);
        EXPECT_EQ(Hooks::LiveBrushCount(), 0);

        const Hooks::DialogRecord record = Run(c.newLook, Hooks::DialogAction::kPressOk);
        EXPECT_EQ(AnswerTo(record, kErase), c.paintsItself ? 1 : 0);
        EXPECT_EQ(record.opaqueFills, c.paintsItself ? 1 : 0);
        EXPECT_EQ(record.transparentText, c.paintsItself);
        if (c.paintsItself) {
            EXPECT_EQ(record.textBackground, 0xC0C0C0u);
        }
    }
}

// The new look belongs to the older consumer family (top bit set) from major version 4 on; Classify
// reads the word from the platform.
TEST(NewLookTest, ClassifiesTheVersionWord) {
    struct Case {
        uint32 word;
        bool newLook;
    };
    const Case cases[] = {
        {0xC0000004, true},  {0x80000A04, true},  {0x800000FF, true}, {0xC0000003, false},
        {0x80000400, false}, {0x00000004, false}, {0x0A280105, false}, {0x00000006, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModuleState::ClassifyNewLook(c.word), c.newLook) << std::hex << c.word;
        Hooks::SetVersionWord(c.word);
        ModuleState::Classify();
        EXPECT_EQ(ModuleState::NewLook(), c.newLook) << std::hex << c.word;
    }
    Hooks::Reset();
    ModuleState::Classify();
}

}  // namespace
