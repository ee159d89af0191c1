#include "tools/host/HostHandles.h"

#include <algorithm>
#include <new>
#include <set>

namespace HostHandles {

namespace {

std::set<HostHandle>& Live() {
    static std::set<HostHandle> sLive;
    return sLive;
}

bool sFail = false;

}  // namespace

HostHandle LUMENAR_CDECL Allocate(int32 inSize) {
    if (inSize < 0 || sFail) return nullptr;
    auto* block = new (std::nothrow) char[size_t(std::max(inSize, 1))]();
    if (block == nullptr) return nullptr;
    auto* handle = new (std::nothrow) char*(block);
    if (handle == nullptr) {
        delete[] block;
        return nullptr;
    }
    Live().insert(handle);
    return handle;
}

void LUMENAR_CDECL Dispose(HostHandle inHandle) {
    if (Live().erase(inHandle) == 0) return;
    delete[] * inHandle;
    delete inHandle;
}

int32 LiveCount() {
    return int32(Live().size());
}

void SetFailAllocations(bool inFail) {
    sFail = inFail;
}

}  // namespace HostHandles
