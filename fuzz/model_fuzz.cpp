// A character model loaded from any bytes (image, mask, transforms).
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(*argc, *argv,
                            {vfFuzzStore(*vfFuzzModel('1')), vfFuzzStore(vxOCModel())});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vxOCModel sample = *vfFuzzModel('1');
    vfFuzzCheckLoad(data, size, sample);
    return 0;
}
