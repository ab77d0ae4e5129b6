// A key set loaded from any bytes (current indices, confusion overrides).
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(*argc, *argv, {vfFuzzStore(vfFuzzKeySet()), vfFuzzStore(vxOCKeySet())});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vxOCKeySet sample = vfFuzzKeySet();
    vfFuzzCheckLoad(data, size, sample);
    return 0;
}
