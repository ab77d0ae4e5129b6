// String clones on the C allocator.
#include "vstd_string.h"

#include <cstdlib>
#include <cstring>

namespace {
template <class C> size_t lengthOf(const C* s) {
    if (!s) return 0;
    size_t n = 0;
    for (; s[n] != 0; ++n) {
    }
    return n;
}

template <class C> long cloneOf(const C* src, C** clone) {
    if (!clone) return VSYS_STATUS_NULL_POINTER;
    *clone = nullptr;
    if (!src) return VSYS_OK;
    const size_t bytes = (lengthOf(src) + 1) * sizeof(C);
    void* p = std::malloc(bytes);
    if (!p) return VSYS_STATUS_OUT_OF_MEMORY;
    std::memcpy(p, src, bytes);
    *clone = static_cast<C*>(p);
    return VSYS_OK;
}
} // namespace

extern "C" size_t vstd_string_length32(const vstd_char32* s) {
    return lengthOf(s);
}

extern "C" long vstd_string_clone32(const vstd_char32* src, vstd_char32** clone) {
    return cloneOf(src, clone);
}

extern "C" long vstd_string_cloneW(const wchar_t* src, wchar_t** clone) {
    return cloneOf(src, clone);
}

extern "C" void vstd_string_free(void* clone) {
    std::free(clone);
}
