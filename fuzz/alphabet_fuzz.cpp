// An alphabet loaded from any bytes, compiled (matrix and offsets) or not.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(*argc, *argv,
                            {vfFuzzStore(vfFuzzAlphabet(true)), vfFuzzStore(vfFuzzAlphabet(false)),
                             vfFuzzStore(vxOCAlphabet())});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vxOCAlphabet sample = vfFuzzAlphabet(false);
    vfFuzzCheckLoad(data, size, sample);
    return 0;
}
