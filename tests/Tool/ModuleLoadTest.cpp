// The built module loaded with dlopen, the way the lumenar host loads it.
#include <gtest/gtest.h>

#include <string>

#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "tools/host/HostHandles.h"
#include "tools/host/HostSession.h"
#include "tools/host/PluginModule.h"

namespace {

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
    for (const char* hidden : {"_Z13ReportFailurePKcS0_i", "_ZN8Platform9TickCountEv", "_Z11RunSelectorsR11PluginState",
                               "_Z10ShowSignalPKcS0_i"})
        EXPECT_EQ(module->Symbol(hidden), nullptr) << hidden;
}

TEST_F(ModuleLoadTest, SelectorsBehaveThroughTheHostSession) {
    const int32 liveBefore = HostHandles::LiveCount();
    {
        HostSession failing(module->Entry());
        HostHandles::SetFailAllocations(true);
        const int16 result = failing.Call(kSelectorEstimatePrepare);
        HostHandles::SetFailAllocations(false);
        EXPECT_EQ(result, errMemoryFull);
        EXPECT_EQ(failing.Data(), nullptr);

        HostSession session(module->Entry());
        EXPECT_EQ(session.Call(17), errSelectorRange);
        EXPECT_EQ(session.Call(-1), errSelectorRange);
        EXPECT_EQ(session.Call(kSelectorOptionsPrepare), 0);
        EXPECT_EQ(session.Record().memoryLimit, 4096);
        EXPECT_EQ(session.Call(kSelectorOptionsStart), errGeneric);
        EXPECT_EQ(session.Call(kSelectorWriteStart), 0);
        EXPECT_EQ(session.Call(kSelectorWriteStart), 0);
        EXPECT_EQ(HostHandles::LiveCount(), liveBefore + 2) << "the block and the settings handle, once each";
        EXPECT_EQ(session.Call(kSelectorWriteFinish), 0);
        EXPECT_NE(session.Data(), nullptr);
    }
    EXPECT_EQ(HostHandles::LiveCount(), liveBefore) << "the session frees what the module left with it";
}

}  // namespace
