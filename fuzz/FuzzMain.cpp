// The libFuzzer entry of one target; the build names the target's function in LUMENAR_FUZZ_ENTRY.
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize) {
    return LUMENAR_FUZZ_ENTRY(inData, inSize);
}
