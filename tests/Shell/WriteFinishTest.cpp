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
        host.Call(kSelectorWritePrepare);  // the persistent block exists from here on
    }

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
