// C-level memory functions.
#include "vsys_memory.h"

#include <cstring>

extern "C" long vsys_memory_copy(void* dst, const void* src, size_t n) {
    if (n == 0) return VSYS_OK;
    if (!dst || !src) return VSYS_STATUS_NULL_POINTER;
    std::memmove(dst, src, n);
    return VSYS_OK;
}
