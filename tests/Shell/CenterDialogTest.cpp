// Placement of a dialog over its parent by CenterDialog, on a 1000 x 700 screen.
#include <gtest/gtest.h>

#include "API/Platform/PlatformTestHooks.h"
#include "FileFormat/Lumenar5/Src/CenterDialog.h"

namespace {

namespace Hooks = Platform::TestHooks;

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
    void SetUp() override {
        Hooks::Reset();
        Hooks::SetScreenSize(1000, 700);
    }
    void TearDown() override { Hooks::Reset(); }
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

}  // namespace
