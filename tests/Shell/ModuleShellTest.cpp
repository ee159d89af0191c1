// The module's shell. ENTRYPOINT driven by a fake host: the persistent block, the dispatch, every small
// selector, and WriteFinish with the scripting parameters it leaves with the host. What the user sees of
// the module: the About box's dialog procedure (placement and closing), the placement of dialogs over
// their parents by CenterDialog, and reports on the debug-string channel and in message boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "FileFormat/Lumenar5/Src/AboutBox.h"
#include "FileFormat/Lumenar5/Src/CenterDialog.h"
#include "FileFormat/Lumenar5/Src/ModuleState.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "Src/Pellin/Isol/Reporters.h"
#include "tests/Isol/ReportLog.h"
#include "tests/Shell/FakeHost.h"

namespace {

namespace Hooks = Platform::TestHooks;

class EntryPointTest : public testing::Test {
protected:
    ReportLog mReports;
};

TEST_F(EntryPointTest, AboutBeforeAnyOtherCallShowsTheBoxAndTouchesNothing) {
    FakeHost host;
    Hooks::WindowSpec main;
    main.rect = {0, 0, 800, 600};
    Platform::WindowRef owner = Hooks::AddWindow(main);

    EXPECT_EQ(host.CallAbout(owner), FakeHost::kUntouched);
    EXPECT_TRUE(host.allocationSizes.empty());
    EXPECT_EQ(host.data, nullptr);
    ASSERT_EQ(Hooks::Dialogs().size(), 1u);
    const Hooks::DialogRecord& dialog = Hooks::Dialogs()[0];
    EXPECT_EQ(dialog.resourceId, kAboutDialogId);
    EXPECT_EQ(dialog.owner, owner);
    EXPECT_EQ(dialog.lines, std::vector<std::string>(kAboutLines, kAboutLines + kAboutLineCount));
}

TEST_F(EntryPointTest, FirstOtherCallAllocatesAZeroedBlockOnce) {
    FakeHost host;
    EXPECT_EQ(host.Call(kSelectorReadPrepare), 0);
    ASSERT_EQ(host.allocationSizes, std::vector<int32>{kPluginStateSize});
    ASSERT_NE(host.data, nullptr);
    PluginState* state = host.State();
    EXPECT_EQ(state->record, &host.record);
    for (size_t i = 0; i < kReaderStorageSize; ++i) ASSERT_EQ(state->readerStorage[i], 0) << i;

    EXPECT_EQ(host.Call(kSelectorOptionsStart), errGeneric) << "with a block as without";
    EXPECT_EQ(host.allocationSizes.size(), 1u);

    // With a block in place About runs as a selector: the result slot is written.
    EXPECT_EQ(host.CallAbout(nullptr), 0);
    EXPECT_EQ(Hooks::Dialogs().size(), 1u);
}

TEST_F(EntryPointTest, FailingBlockAllocationGivesMemoryFullAndRunsNothing) {
    FakeHost host;
    host.failAllocations = true;
    host.record.memoryLimit = 100000;
    EXPECT_EQ(host.Call(kSelectorOptionsPrepare), errMemoryFull);
    EXPECT_EQ(host.data, nullptr);
    EXPECT_EQ(host.record.memoryLimit, 100000);
    EXPECT_EQ(host.Call(kSelectorOptionsStart), errMemoryFull) << "the next call tries again";
    EXPECT_EQ(host.allocationSizes.size(), 2u);
}

// Each selector's result and its effect on memoryLimit and tileData, from a record offering 4097
// bytes and holding a stale tile pointer. Selectors outside 0..16 change nothing but the result, whose
// 16-bit pattern is 0x88DC.
TEST_F(EntryPointTest, EverySelectorHasItsResultAndSideEffects) {
    struct Case {
        int16 selector;
        int16 result;
        int32 memoryLimit;
        bool clearsTile;
        bool allocatesSettings;
    };
    const Case cases[] = {
        {kSelectorReadPrepare, 0, 4097, false, false},
        {kSelectorOptionsPrepare, 0, 4096, false, false},
        {kSelectorOptionsStart, errGeneric, 4097, false, false},
        {kSelectorOptionsContinue, 0, 4097, false, false},
        {kSelectorOptionsFinish, 0, 4097, false, false},
        {kSelectorEstimatePrepare, 0, 4096, false, false},
        {kSelectorEstimateStart, 0, 4097, true, false},
        {kSelectorEstimateContinue, 0, 4097, false, false},
        {kSelectorEstimateFinish, 0, 4097, false, false},
        {kSelectorWritePrepare, 0, 4096, false, false},
        {kSelectorWriteStart, 0, 4097, false, true},
        {kSelectorWriteContinue, 0, 4097, false, false},
        {kSelectorWriteFinish, 0, 4097, true, false},
        {-1, int16(0x88DC), 4097, false, false},
        {17, int16(0x88DC), 4097, false, false},
        {-32768, int16(0x88DC), 4097, false, false},
        {32767, int16(0x88DC), 4097, false, false},
    };
    for (const Case& c : cases) {
        FakeHost host;
        host.record.memoryLimit = 4097;
        int stale = 0;
        host.record.tileData = &stale;
        EXPECT_EQ(host.Call(c.selector), c.result) << c.selector;
        EXPECT_EQ(host.record.memoryLimit, c.memoryLimit) << c.selector;
        EXPECT_EQ(host.record.tileData == nullptr, c.clearsTile) << c.selector;
        EXPECT_EQ(host.record.settingsHandle != nullptr, c.allocatesSettings) << c.selector;
    }
}

// The scripted behaviour of the host's writer procedures for one test.
struct WriterScript {
    bool openFails = false;
    int16 closeResult = 0;
    HostHandle stored = nullptr;  // what the close call stores in the descriptor slot
};
WriterScript gScript;
OpaqueScriptWriter* const kToken = reinterpret_cast<OpaqueScriptWriter*>(uintptr_t(0x1234));

ScriptWriter OpenWriter() {
    FakeHost::Current()->events.push_back("open");
    return gScript.openFails ? nullptr : kToken;
}

int16 CloseWriter(ScriptWriter inWriter, HostHandle* outDescriptor) {
    FakeHost::Current()->events.push_back(inWriter == kToken ? "close" : "close with a bad token");
    // The slot must already be free when the new descriptor is closed into it.
    if (*outDescriptor != nullptr) FakeHost::Current()->events.push_back("close into a used slot");
    *outDescriptor = gScript.stored;
    return gScript.closeResult;
}

using WriteFinishTest = EntryPointTest;

// How the host's scripting parameters look, and what WriteFinish does with them. It always clears
// tileData; the old descriptor is freed before the new one is closed into the same field.
TEST_F(WriteFinishTest, WritesTheParametersThroughTheHostsWriter) {
    FakeHost host;
    host.Call(kSelectorWritePrepare);  // the persistent block exists from here on
    ScriptWriteProcs procs{};
    ScriptParams params{};
    enum Params { kNoParams, kNoTable, kOpenOnly, kWriter };
    struct Case {
        const char* name;
        Params params;
        bool openFails, withOld;
        int16 closeResult, result;
        std::vector<std::string> events;
    };
    const std::vector<std::string> replaced = {"open", "dispose", "close"};
    const Case cases[] = {
        {"no parameters", kNoParams, false, true, 0, 0, {}},
        {"no writer table", kNoTable, false, true, 0, 0, {}},
        {"table without close", kOpenOnly, false, true, 0, 0, {}},
        {"open fails", kWriter, true, true, 0, errMemoryFull, {"open"}},
        {"old descriptor replaced", kWriter, false, true, 0, 0, replaced},
        {"no old descriptor", kWriter, false, false, 0, 0, {"open", "close"}},
        {"close fails with -50", kWriter, false, true, -50, -50, replaced},
        {"close fails with 1", kWriter, false, true, 1, 1, replaced},
        {"close fails with -30500", kWriter, false, true, -30500, -30500, replaced},
    };
    for (const Case& c : cases) {
        host.events.clear();
        host.disposed.clear();
        gScript = WriterScript{c.openFails, c.closeResult, host.MakeHandle(4)};
        procs.openWriter = &OpenWriter;
        procs.closeWriter = c.params == kOpenOnly ? nullptr : &CloseWriter;
        params.writeProcs = c.params == kNoTable ? nullptr : &procs;
        params.descriptorState = 77;
        const HostHandle old = c.withOld ? host.MakeHandle(8) : nullptr;
        params.descriptor = old;
        host.record.scriptParams = c.params == kNoParams ? nullptr : &params;
        host.record.tileData = &params;  // any stale pointer

        EXPECT_EQ(host.Call(kSelectorWriteFinish), c.result) << c.name;
        EXPECT_EQ(host.record.tileData, nullptr) << c.name;
        EXPECT_EQ(host.events, c.events) << c.name;
        const bool closed = !c.events.empty() && c.events.back() == "close";
        EXPECT_EQ(host.disposed,
                  closed && c.withOld ? std::vector<HostHandle>{old} : std::vector<HostHandle>{})
            << c.name;
        EXPECT_EQ(params.descriptor, closed ? gScript.stored : old) << c.name << ": holds what close stored";
        EXPECT_EQ(params.descriptorState, closed ? 0 : 77) << c.name;
    }
}

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

using ReportingTest = EntryPointTest;

// A "TFORM1"/"DebugString" window records what it receives, reading each atom's name while the message is
// being handled.
TEST_F(ReportingTest, DebugStringGoesToTheReceiverWindowWithoutABox) {
    struct Received {
        uint32 message;
        std::string atomName;
        Platform::MessageLong second;
        uint16 atom;
    };
    std::vector<Received> received;
    Hooks::WindowSpec spec;
    spec.className = "TFORM1";
    spec.title = "DebugString";
    spec.receiver = [&](uint32 message, Platform::MessageParam param, Platform::MessageLong value) {
        char name[512] = {};
        Platform::GlobalAtomName(uint16(param), name, sizeof name);
        received.push_back({message, name, value, uint16(param)});
        Platform::SetLastErrorValue(0);  // the receiver's own calls may disturb the value
        return Platform::MessageLong(0);
    };
    Hooks::AddWindow(spec);
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
