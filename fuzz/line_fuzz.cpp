// A line loaded from any bytes (key sets, its alphabet, poses).
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(*argc, *argv, {vfFuzzStore(vfFuzzLine())});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vxOCLine sample = vfFuzzLine();
    vfFuzzCheckLoad(data, size, sample);
    return 0;
}
