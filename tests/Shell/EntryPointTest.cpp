// ENTRYPOINT driven by a fake host: the persistent block, the dispatch, every small selector, and
// WriteFinish with the scripting parameters it leaves with the host.
#include <gtest/gtest.h>

#include <vector>

#include "API/Platform/PlatformTestHooks.h"
#include "FileFormat/Lumenar5/Src/AboutBox.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
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

    EXPECT_EQ(host.Call(kSelectorOptionsStart), errGeneric);
    EXPECT_EQ(host.Call(kSelectorOptionsContinue), 0) << "the result is cleared on every call";
    EXPECT_EQ(host.Call(kSelectorOptionsStart), errGeneric) << "OptionsStart fails on every call";
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

class WriteFinishTest : public EntryPointTest {
protected:
    void SetUp() override { host.Call(kSelectorWritePrepare); }  // the persistent block exists from here on

    FakeHost host;
    ScriptWriteProcs procs{};
    ScriptParams params{};
};

// How the host's scripting parameters look, and what WriteFinish does with them. It always clears
// tileData; the old descriptor is freed before the new one is closed into the same field.
TEST_F(WriteFinishTest, WritesTheParametersThroughTheHostsWriter) {
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

}  // namespace
