// Arrange parameters loaded from any bytes.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(*argc, *argv,
                            {vfFuzzStore(vfFuzzParams()), vfFuzzStore(vxOCArrangeParams())});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vxOCArrangeParams sample = vfFuzzParams();
    vfFuzzCheckLoad(data, size, sample);
    return 0;
}
