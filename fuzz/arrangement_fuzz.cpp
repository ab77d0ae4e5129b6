// A line arrangement loaded from any bytes (shared lines through the object table).
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(*argc, *argv,
                            {vfFuzzStore(vfFuzzArrangement()), vfFuzzStore(vxOCLineArrangement())});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vxOCLineArrangement sample = vfFuzzArrangement();
    vfFuzzCheckLoad(data, size, sample);
    return 0;
}
