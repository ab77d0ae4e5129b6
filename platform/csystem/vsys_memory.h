/* C-level memory functions. */
#ifndef VSYS_MEMORY_H
#define VSYS_MEMORY_H

#include "vsys_status.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Copies n bytes from src to dst; the ranges may overlap. Returns VSYS_OK, or
 * VSYS_STATUS_NULL_POINTER (copying nothing) when n > 0 and either pointer is null. */
long vsys_memory_copy(void* dst, const void* src, size_t n);

#ifdef __cplusplus
}
#endif

#endif
