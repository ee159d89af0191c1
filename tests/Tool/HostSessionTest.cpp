// The host's selector loop and handle bookkeeping, against a scripted stand-in for the module; and the
// built module loaded with dlopen, the way the lumenar host loads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "tools/host/HostSession.h"
#include "tools/host/PluginModule.h"

namespace {

// The stand-in module: logs every selector, answers with scripted results and delivers a fixed number
// of 2 x 1 tiles from ReadContinue.
struct ModuleScript {
    std::vector<int16> calls;
    int16 failSelector = -1;
    int16 failResult = 0;
    int32 tilesToDeliver = 0;
    int32 delivered = 0;
    int16 reportedColumns = -1;  // when set, ReadStart reports this width instead of the delivered one
    uint8 pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
};
ModuleScript gModule;

void LUMENAR_CDECL ScriptedEntry(int16 inSelector, void* inRecord, HostHandle*, int16* outResult) {
    gModule.calls.push_back(inSelector);
    auto* record = static_cast<FormatParamRecord*>(inRecord);
    if (inSelector == gModule.failSelector) {
        *outResult = gModule.failResult;
        return;
    }
    *outResult = 0;
    if (inSelector == kSelectorReadStart) {
        record->imageMode = 3;
        record->imageRows = 1;
        record->imageColumns =
            gModule.reportedColumns >= 0 ? gModule.reportedColumns : int16(2 * gModule.tilesToDeliver);
        record->bitDepth = 8;
        record->planeCount = 4;
    }
    if (inSelector == kSelectorReadContinue && gModule.delivered < gModule.tilesToDeliver) {
        const int16 left = int16(2 * gModule.delivered++);
        record->tileData = gModule.pixels;
        const int16 rect[4] = {0, left, 1, int16(left + 2)};
        for (int i = 0; i < 4; ++i) record->tileRect[i] = rect[i];
        record->rowStep = 8;
        record->columnStep = 4;
        const int16 map[4] = {2, 1, 0, 3};
        for (int i = 0; i < 4; ++i) record->planeMap[i] = map[i];
    }
}

class HostSessionTest : public testing::Test {
protected:
    void SetUp() override { gModule = ModuleScript{}; }
};

TEST_F(HostSessionTest, FailuresEndTheOperationAsAHostWould) {
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
        gModule = ModuleScript{};
        gModule.tilesToDeliver = 1;
        gModule.failSelector = c.failSelector;
        gModule.failResult = c.failResult;
        HostSession session(&ScriptedEntry);
        const ReadSummary summary = session.ReadDocument(0, [](const TileView&) {});
        EXPECT_EQ(gModule.calls, c.expectedCalls) << c.failSelector;
        EXPECT_EQ(summary.result, c.failResult) << c.failSelector;
        EXPECT_EQ(summary.failedSelector, c.failSelector);
    }
}

TEST_F(HostSessionTest, AModuleThatNeverEndsIsCutOffAtTheImageArea) {
    gModule.tilesToDeliver = 1000;
    gModule.reportedColumns = 6;  // room for three 2 x 1 tiles
    HostSession session(&ScriptedEntry);
    int32 sunk = 0;
    const ReadSummary summary = session.ReadDocument(0, [&](const TileView&) { ++sunk; });
    EXPECT_TRUE(summary.overDelivered);
    EXPECT_EQ(sunk, 3);
    EXPECT_EQ(summary.tiles, 3);
    EXPECT_EQ(summary.failedSelector, kSelectorReadContinue);
    EXPECT_NE(summary.result, 0);
    EXPECT_EQ(gModule.calls.back(), kSelectorReadFinish);
}

class ModuleLoadTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = PluginModule::Load(LUMENAR_TEST_MODULE, error);
        ASSERT_NE(module, nullptr) << error;
    }
    std::unique_ptr<PluginModule> module;
};

TEST_F(ModuleLoadTest, ExportsOnlyTheEntryAndTheDialogProcedure) {
    EXPECT_NE(module->Entry(), nullptr);
    EXPECT_NE(module->Symbol("AboutDlgProc"), nullptr);
    for (const char* hidden : {"_Z13ReportFailurePKcS0_i", "_ZN8Platform9TickCountEv",
                               "_Z11RunSelectorsR11PluginState", "_Z10ShowSignalPKcS0_i"})
        EXPECT_EQ(module->Symbol(hidden), nullptr) << hidden;
}

}  // namespace
