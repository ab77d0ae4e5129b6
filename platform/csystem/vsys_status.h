/* Status codes of the C-level layers. A status is a long: 0 is success; a failure has
 * bit 31 of its 32-bit form set (and is negative as a long), and bits 5 to 30 name its
 * family. The system and string layers use family 160, the image layer 162. */
#ifndef VSYS_STATUS_H
#define VSYS_STATUS_H

#define VSYS_OK 0L
/* The failure status whose low 31 bits are `code`, sign-extended as a long. */
#define VSYS_FAILURE(code) ((-2147483647L - 1L) + (long)(code))

#define VSYS_STATUS_NULL_POINTER VSYS_FAILURE(0x1400)    /* a required pointer was null */
#define VSYS_STATUS_OUT_OF_MEMORY VSYS_FAILURE(0x1401)   /* an allocation failed */
#define VSYS_STATUS_CALLBACK_FAILED VSYS_FAILURE(0x1402) /* a clean-up callback threw */

#endif
