#include "tests/Shell/FakeHost.h"

#include <algorithm>
#include <cstring>

#include "FileFormat/Lumenar5/Src/PluginEntry.h"

FakeHost* FakeHost::sCurrent = nullptr;

namespace {

HostHandle AllocateForTest(int32 inSize) {
    FakeHost* host = FakeHost::Current();
    host->allocationSizes.push_back(inSize);
    host->events.push_back("allocate " + std::to_string(inSize));
    if (host->failAllocations) return nullptr;
    return host->MakeHandle(inSize);
}

void DisposeForTest(HostHandle inHandle) {
    FakeHost* host = FakeHost::Current();
    host->disposed.push_back(inHandle);
    host->events.push_back("dispose");
}

}  // namespace

FakeHost::FakeHost() {
    sCurrent = this;
    record.allocateHandle = &AllocateForTest;
    handleProcs.disposeHandle = &DisposeForTest;
    record.handleProcs = &handleProcs;
    record.fileHandle = Platform::kInvalidFile;
}

FakeHost::~FakeHost() {
    for (HostHandle handle : mLive) {
        delete[] * handle;
        delete handle;
    }
    sCurrent = nullptr;
}

// Fresh blocks are filled with 0xCD so that a module relying on zeroed memory is caught.
HostHandle FakeHost::MakeHandle(int32 inSize) {
    auto* handle = new char*;
    *handle = new char[size_t(std::max(inSize, 1))];
    std::memset(*handle, 0xCD, size_t(std::max(inSize, 1)));
    mLive.push_back(handle);
    return handle;
}

int16 FakeHost::Call(int16 inSelector) {
    int16 result = kUntouched;
    ENTRYPOINT(inSelector, &record, &data, &result);
    return result;
}

int16 FakeHost::CallAbout(Platform::WindowRef inOwner) {
    AboutPlatformData platform{inOwner};
    AboutParamRecord about{&platform};
    int16 result = kUntouched;
    ENTRYPOINT(0, &about, &data, &result);
    return result;
}
