// The built module loaded with dlopen, the way the lumenar host loads it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "FileFormat/Lumenar5/Src/PluginState.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "tools/host/HostHandles.h"
#include "tools/host/HostSession.h"
#include "tools/host/PluginModule.h"

namespace {

// Collects what is written to standard error (file descriptor 2) while it exists.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        mSaved = ::dup(2);
        std::FILE* file = std::tmpfile();
        mFile = file;
        ::dup2(::fileno(file), 2);
    }
    std::string Finish() {
        std::fflush(stderr);
        ::dup2(mSaved, 2);
        ::close(mSaved);
        std::string text;
        std::rewind(mFile);
        char buffer[512];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, mFile)) > 0) text.append(buffer, got);
        std::fclose(mFile);
        return text;
    }

private:
    int mSaved = -1;
    std::FILE* mFile = nullptr;
};

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

TEST_F(ModuleLoadTest, AboutBeforeAnyOtherCallShowsTheTextsAndAllocatesNothing) {
    const int32 liveBefore = HostHandles::LiveCount();
    HostHandle data = nullptr;
    int16 result = 0x1357;
    AboutPlatformData platform{nullptr};
    AboutParamRecord about{&platform};
    StderrCapture capture;
    module->Entry()(kSelectorAbout, &about, &data, &result);
    const std::string shown = capture.Finish();
    EXPECT_EQ(result, 0x1357);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(HostHandles::LiveCount(), liveBefore);
    EXPECT_NE(shown.find("Lumenar 5 File Format"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Lumenar 5 files."), std::string::npos) << shown;
}

TEST_F(ModuleLoadTest, SelectorsBehaveThroughTheHostSession) {
    const int32 liveBefore = HostHandles::LiveCount();
    {
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

TEST_F(ModuleLoadTest, AFailingHostAllocationGivesMemoryFull) {
    HostSession session(module->Entry());
    HostHandles::SetFailAllocations(true);
    const int16 result = session.Call(kSelectorEstimatePrepare);
    HostHandles::SetFailAllocations(false);
    EXPECT_EQ(result, errMemoryFull);
    EXPECT_EQ(session.Data(), nullptr);
}

TEST(ModuleLoadFailureTest, AMissingModuleIsRefusedWithAReason) {
    std::string error;
    EXPECT_EQ(PluginModule::Load("/nonexistent/Lumenar5.so", error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
