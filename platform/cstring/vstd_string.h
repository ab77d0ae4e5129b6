/* C-level clones of zero-terminated strings of 32-bit code points and of wide
 * characters. A clone is allocated by this layer and released with vstd_string_free. */
#ifndef VSTD_STRING_H
#define VSTD_STRING_H

#include "vsys_status.h"

#include <stddef.h>
#ifdef __cplusplus
#include <cwchar>
#else
#include <uchar.h>
#include <wchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One 32-bit code point. */
typedef char32_t vstd_char32;

/* Number of code points before the terminating zero; 0 for null. */
size_t vstd_string_length32(const vstd_char32* s);

/* Stores in *clone a new copy of the zero-terminated string src, or null when src is
 * null. Returns VSYS_OK, VSYS_STATUS_NULL_POINTER for a null clone, or
 * VSYS_STATUS_OUT_OF_MEMORY (then *clone is null). */
long vstd_string_clone32(const vstd_char32* src, vstd_char32** clone);
long vstd_string_cloneW(const wchar_t* src, wchar_t** clone);

/* Releases a clone; null is allowed. */
void vstd_string_free(void* clone);

#ifdef __cplusplus
}
#endif

#endif
