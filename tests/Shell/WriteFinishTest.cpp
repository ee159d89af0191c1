// WriteFinish and the scripting parameters it leaves with the host.
#include <gtest/gtest.h>

#include "API/Platform/PlatformTestHooks.h"
#include "FileFormat/Lumenar5/Src/Selectors.h"
#include "tests/Shell/FakeHost.h"

namespace {

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

class WriteFinishTest : public testing::Test {
protected:
    void SetUp() override {
        Platform::TestHooks::Reset();
        Platform::TestHooks::SetEcho(false);
        gScript = WriterScript{};
        procs.openWriter = &OpenWriter;
        procs.closeWriter = &CloseWriter;
        params.writeProcs = &procs;
        params.descriptorState = 77;
        host.record.scriptParams = &params;
        host.Call(kSelectorWritePrepare);  // the persistent block exists from here on
        host.events.clear();
        host.record.tileData = &params;  // any stale pointer
    }

    FakeHost host;
    ScriptWriteProcs procs{};
    ScriptParams params{};
};

TEST_F(WriteFinishTest, WithoutScriptParametersOrWriterTableNothingIsWritten) {
    host.record.scriptParams = nullptr;
    EXPECT_EQ(host.Call(kSelectorWriteFinish), 0);
    EXPECT_EQ(host.record.tileData, nullptr);

    host.record.scriptParams = &params;
    params.writeProcs = nullptr;
    host.record.tileData = &params;
    EXPECT_EQ(host.Call(kSelectorWriteFinish), 0);
    EXPECT_EQ(host.record.tileData, nullptr);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(params.descriptorState, 77);
}

TEST_F(WriteFinishTest, AFailedOpenLeavesTheOldDescriptor) {
    gScript.openFails = true;
    HostHandle old = host.MakeHandle(8);
    params.descriptor = old;
    EXPECT_EQ(host.Call(kSelectorWriteFinish), errMemoryFull);
    EXPECT_EQ(params.descriptor, old);
    EXPECT_EQ(params.descriptorState, 77);
    EXPECT_EQ(host.events, std::vector<std::string>{"open"});
    EXPECT_EQ(host.record.tileData, nullptr);
}

TEST_F(WriteFinishTest, TheOldDescriptorIsFreedBeforeTheNewOneIsClosedIntoItsField) {
    HostHandle old = host.MakeHandle(8);
    HostHandle fresh = host.MakeHandle(4);
    params.descriptor = old;
    gScript.stored = fresh;
    EXPECT_EQ(host.Call(kSelectorWriteFinish), 0);
    EXPECT_EQ(host.events, (std::vector<std::string>{"open", "dispose", "close"}));
    EXPECT_EQ(host.disposed, std::vector<HostHandle>{old});
    EXPECT_EQ(params.descriptor, fresh);
    EXPECT_EQ(params.descriptorState, 0);
    EXPECT_EQ(host.record.tileData, nullptr);
}

TEST_F(WriteFinishTest, WithoutAnOldDescriptorNothingIsFreed) {
    gScript.stored = host.MakeHandle(4);
    EXPECT_EQ(host.Call(kSelectorWriteFinish), 0);
    EXPECT_EQ(host.events, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(params.descriptor, gScript.stored);
}

TEST_F(WriteFinishTest, AFailingCloseCodeReachesTheHostUnchanged) {
    for (int16 code : {int16(-50), int16(1), int16(-30500)}) {
        params.descriptor = host.MakeHandle(8);
        gScript.closeResult = code;
        gScript.stored = nullptr;
        EXPECT_EQ(host.Call(kSelectorWriteFinish), code);
        EXPECT_EQ(params.descriptor, nullptr) << "the field holds what the close call stored";
        EXPECT_EQ(host.record.tileData, nullptr);
    }
    EXPECT_EQ(host.disposed.size(), 3u);
}

}  // namespace
