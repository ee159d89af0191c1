// What the user sees of the module: the About box's dialog procedure (placement and closing), the
// placement of dialogs over their parents by CenterDialog, and reports on the debug-string channel and in
// message boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "API/Platform/PlatformTestHooks.h"
#include "FileFormat/Lumenar5/Src/AboutBox.h"
#include "FileFormat/Lumenar5/Src/CenterDialog.h"
#include "FileFormat/Lumenar5/Src/ModuleState.h"
#include "Src/Pellin/Isol/Reporters.h"
#include "tests/Isol/ReportLog.h"

namespace {

namespace Hooks = Platform::TestHooks;

constexpr uint32 kCommand = 0x0111, kClick = 0x0201, kDestroy = 0x0002;

class AboutBoxTest : public testing::Test {
protected:
    void TearDown() override { ModuleState::Classify(); }
    ReportLog mReports;
};

// Initialisation centres the box on the screen when it has no owner; OK and a click anywhere close it.
TEST_F(AboutBoxTest, ClosesOnOkAndOnAClickAnywhere) {
    Hooks::SetScreenSize(1000, 700);
    ModuleState::SetNewLook(false);
    for (auto action : {Hooks::DialogAction::kPressOk, Hooks::DialogAction::kClickClient}) {
        Hooks::SetDialogAction(action);
        ShowAboutBox(nullptr);
        ASSERT_EQ(Hooks::Dialogs().size(), 1u);
        const Hooks::DialogRecord record = Hooks::Dialogs().back();
        Hooks::ClearLogs();
        const Platform::ScreenRect rect = record.rectAfterInit;
        EXPECT_GT(rect.Width(), 0);
        EXPECT_EQ(rect.left, (1000 - rect.Width()) / 2);
        EXPECT_EQ(rect.top, (700 - rect.Height()) / 2);
        EXPECT_TRUE(record.ended);
        EXPECT_EQ(record.result, 0);
        const uint32 message = action == Hooks::DialogAction::kPressOk ? kCommand : kClick;
        const auto sent = std::find(record.messages.begin(), record.messages.end(), message);
        ASSERT_NE(sent, record.messages.end());
        EXPECT_EQ(record.answers[size_t(sent - record.messages.begin())], 1);
        EXPECT_EQ(record.messages.back(), kDestroy);
        EXPECT_EQ(Hooks::LiveBrushCount(), 0) << "the brush is deleted on destruction";
    }
}

// Placement of a dialog over its parent by CenterDialog, on a 1000 x 700 screen.
struct Placement {
    const char* name;
    Platform::ScreenRect parent;  // empty: no parent (the desktop)
    Platform::ScreenRect dialog;
    uint32 flags;
    int32 expectedLeft;
    int32 expectedTop;
    bool child = false;  // moved in its parent's client coordinates; on screen it lands like a top-level one
};

class CenterDialogTest : public testing::TestWithParam<Placement> {
protected:
    void SetUp() override { Hooks::SetScreenSize(1000, 700); }
    ReportLog mReports;
};

TEST_P(CenterDialogTest, PlacesTheDialog) {
    const Placement& p = GetParam();
    Hooks::WindowSpec parentSpec;
    parentSpec.rect = p.parent;
    Platform::WindowRef parent = p.parent.Width() > 0 ? Hooks::AddWindow(parentSpec) : nullptr;
    Hooks::WindowSpec dialogSpec;
    dialogSpec.rect = p.dialog;
    dialogSpec.parent = parent;
    dialogSpec.child = p.child;
    Platform::WindowRef dialog = Hooks::AddWindow(dialogSpec);

    CenterDialog(dialog, p.flags);
    const Platform::ScreenRect placed = Platform::WindowScreenRect(dialog);
    EXPECT_EQ(placed.left, p.expectedLeft);
    EXPECT_EQ(placed.top, p.expectedTop);
    EXPECT_EQ(placed.Width(), p.dialog.Width()) << "the size never changes";
    EXPECT_EQ(placed.Height(), p.dialog.Height());
}

// Dialogs are 200 x 100 unless a case says otherwise.
const Placement kPlacements[] = {
    {"BothAxesOverParent", {100, 50, 700, 450}, {0, 0, 200, 100}, 0x03, 100 + 200, 50 + 150},
    {"AboutFlagsIgnoreHighBit", {100, 50, 700, 450}, {0, 0, 200, 100}, 0x103, 300, 200},
    {"UpperThird", {100, 50, 700, 450}, {0, 0, 200, 100}, 0x13, 300, 50 + 100},
    {"OddRoomRoundsDown", {0, 0, 301, 201}, {0, 0, 200, 100}, 0x03, 50, 50},
    {"LargerThanParentStartsAtItsEdges", {100, 50, 250, 120}, {0, 0, 200, 100}, 0x03, 100, 50},
    {"PastRightEdgePulledBack", {800, 0, 1200, 300}, {0, 0, 200, 100}, 0x03, 800, 100},
    {"PastBottomEdgePulledBack", {0, 600, 300, 900}, {0, 0, 200, 100}, 0x03, 50, 600},
    {"WiderThanScreenStopsAtZero", {0, 0, 1000, 700}, {0, 0, 1200, 100}, 0x01, 0, 0},
    {"HorizontalOnlyKeepsTop", {100, 50, 700, 450}, {7, 9, 207, 109}, 0x01, 300, 9},
    {"VerticalOnlyKeepsLeft", {100, 50, 700, 450}, {7, 9, 207, 109}, 0x02, 7, 200},
    {"NoFlagsKeepsPlace", {100, 50, 700, 450}, {7, 9, 207, 109}, 0x00, 7, 9},
    {"NoParentUsesDesktop", {}, {0, 0, 200, 100}, 0x03, 400, 300},
    {"NoParentUpperThird", {}, {0, 0, 200, 100}, 0x13, 400, 200},
    {"ChildInParentClientCoordinates", {100, 50, 700, 450}, {0, 0, 200, 100}, 0x03, 300, 200, true},
};

INSTANTIATE_TEST_SUITE_P(Placements, CenterDialogTest, testing::ValuesIn(kPlacements),
                         [](const testing::TestParamInfo<Placement>& inInfo) { return inInfo.param.name; });

class ReportingTest : public testing::Test {
protected:
    // Registers a "TFORM1"/"DebugString" window that records what it receives, reading each atom's
    // name while the message is being handled.
    Platform::WindowRef AddReceiver() {
        Hooks::WindowSpec spec;
        spec.className = "TFORM1";
        spec.title = "DebugString";
        spec.receiver = [this](uint32 message, Platform::MessageParam param, Platform::MessageLong value) {
            char name[512] = {};
            Platform::GlobalAtomName(uint16(param), name, sizeof name);
            received.push_back({message, name, value, uint16(param)});
            Platform::SetLastErrorValue(0);  // the receiver's own calls may disturb the value
            return Platform::MessageLong(0);
        };
        return Hooks::AddWindow(spec);
    }

    struct Received {
        uint32 message;
        std::string atomName;
        Platform::MessageLong second;
        uint16 atom;
    };
    std::vector<Received> received;
    ReportLog mReports;
};

TEST_F(ReportingTest, DebugStringGoesToTheReceiverWindowWithoutABox) {
    AddReceiver();
    ShowDebugString("first report");
    ShowDebugString("second report");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, 1024u);
    EXPECT_EQ(received[0].atomName, "first report");
    EXPECT_EQ(received[0].second, 0);
    EXPECT_NE(received[0].atom, 0);
    EXPECT_EQ(received[1].atomName, "second report");
    EXPECT_TRUE(Hooks::MessageBoxes().empty());
    EXPECT_TRUE(Hooks::DebugOutputs().empty());
    EXPECT_EQ(Hooks::LiveAtomCount(), 0) << "each atom is deleted after the send";
}

TEST_F(ReportingTest, DebugStringWithoutReceiverShowsABoxAndTellsTheDebugger) {
    Hooks::WindowSpec wrongTitle;
    wrongTitle.className = "TFORM1";
    wrongTitle.title = "Other";
    Hooks::AddWindow(wrongTitle);
    ShowDebugString("lonely report");
    ASSERT_EQ(Hooks::MessageBoxes().size(), 1u);
    const Hooks::MessageBoxRecord& box = Hooks::MessageBoxes()[0];
    EXPECT_EQ(box.title, "Debug String");
    EXPECT_EQ(box.text, "lonely report");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(Hooks::DebugOutputs(), std::vector<std::string>{"lonely report"});
}

}  // namespace
