// The host's selector loop and handle bookkeeping, against a scripted stand-in for the module; and the
// built module loaded with dlopen, the way the lumenar host loads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/Tool/ScriptedModule.h"
#include "tools/host/HostSession.h"
#include "tools/host/PluginModule.h"

namespace {

TEST(HostSessionTest, FailuresEndTheOperationAsAHostWould) {
    struct Case {
        int16 failSelector;
        int16 failResult;
        std::vector<int16> expectedCalls;
    };
    const Case cases[] = {
        {kSelectorReadPrepare, -108, {1}},
        {kSelectorReadStart, 1, {1, 2}},
        {kSelectorReadContinue, -108, {1, 2, 3, 4}},
        {kSelectorReadFinish, 7, {1, 2, 3, 3, 4}},
    };
    for (const Case& c : cases) {
        UseScript({.failSelector = c.failSelector, .failResult = c.failResult});
        HostSession session(&ScriptedEntry);
        const ReadSummary summary = session.ReadDocument(0, [](const TileView&) {});
        EXPECT_EQ(gLog.calls, c.expectedCalls) << c.failSelector;
        EXPECT_EQ(summary.result, c.failResult) << c.failSelector;
        EXPECT_EQ(summary.failedSelector, c.failSelector);
    }
}

TEST(HostSessionTest, AModuleThatNeverEndsIsCutOffAtTheImageArea) {
    UseScript({.columns = 6, .endless = true});  // room for three 2 x 1 tiles, and more keep coming
    HostSession session(&ScriptedEntry);
    int32 sunk = 0;
    const ReadSummary summary = session.ReadDocument(0, [&](const TileView&) { ++sunk; });
    EXPECT_TRUE(summary.overDelivered);
    EXPECT_EQ(sunk, 3);
    EXPECT_EQ(summary.tiles, 3);
    EXPECT_EQ(summary.failedSelector, kSelectorReadContinue);
    EXPECT_NE(summary.result, 0);
    EXPECT_EQ(gLog.calls.back(), kSelectorReadFinish);
}

TEST(ModuleLoadTest, ExportsOnlyTheEntryAndTheDialogProcedure) {
    std::string error;
    const std::unique_ptr<PluginModule> module = PluginModule::Load(LUMENAR_TEST_MODULE, error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_NE(module->Entry(), nullptr);
    EXPECT_NE(module->Symbol("AboutDlgProc"), nullptr);
    for (const char* hidden : {"_Z13ReportFailurePKcS0_i", "_ZN8Platform9TickCountEv",
                               "_Z11RunSelectorsR11PluginState", "_Z10ShowSignalPKcS0_i"})
        EXPECT_EQ(module->Symbol(hidden), nullptr) << hidden;
}

}  // namespace
