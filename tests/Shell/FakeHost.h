// A host for driving ENTRYPOINT in tests: a zeroed record, handle procedures that log every call, and
// the data slot. One FakeHost is current at a time (the host's callbacks carry no context).
#pragma once

#include <string>
#include <vector>

#include "FileFormat/Lumenar5/Src/FormatParamRecord.h"
#include "FileFormat/Lumenar5/Src/PluginState.h"

class FakeHost {
public:
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // Calls ENTRYPOINT with this host's record and data slot; returns the result slot, which starts as
    // kUntouched.
    int16 Call(int16 inSelector);
    // Calls ENTRYPOINT for About with an AboutParamRecord naming inOwner.
    int16 CallAbout(Platform::WindowRef inOwner);

    PluginState* State() const { return data != nullptr ? reinterpret_cast<PluginState*>(*data) : nullptr; }

    static constexpr int16 kUntouched = 0x5A5A;

    FormatParamRecord record{};
    HandleProcs handleProcs{};
    HostHandle data = nullptr;
    bool failAllocations = false;
    std::vector<int32> allocationSizes;
    std::vector<HostHandle> disposed;
    // Every handle call in order: "allocate <size>", "dispose", and whatever tests add.
    std::vector<std::string> events;

    static FakeHost* Current() { return sCurrent; }
    // A handle that is not one of the host's allocations, for slots tests prefill.
    HostHandle MakeHandle(int32 inSize);

private:
    static FakeHost* sCurrent;
    std::vector<HostHandle> mLive;
};
