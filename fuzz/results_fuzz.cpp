// Arrange results loaded from any bytes (they hold a line arrangement).
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(*argc, *argv,
                            {vfFuzzStore(vfFuzzResults()), vfFuzzStore(vxOCArrangeResults())});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vxOCArrangeResults sample = vfFuzzResults();
    vfFuzzCheckLoad(data, size, sample);
    return 0;
}
