// The built module loaded with dlopen, the way the lumenar host loads it.
#include <gtest/gtest.h>

#include <string>

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
    for (const char* hidden : {"_Z13ReportFailurePKcS0_i", "_ZN8Platform9TickCountEv",
                               "_Z11RunSelectorsR11PluginState", "_Z10ShowSignalPKcS0_i"})
        EXPECT_EQ(module->Symbol(hidden), nullptr) << hidden;
}

}  // namespace
