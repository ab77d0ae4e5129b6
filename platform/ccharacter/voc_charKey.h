/* C-level character layer: the key that identifies one character of a font. */
#ifndef VOC_CHARKEY_H
#define VOC_CHARKEY_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VOC_CHAR_CODE_UNKNOWN 0xF800u /* characterCode of a character not yet known */
#define VOC_CHAR_KEY_UNSPECIFIED (-1) /* instance, variant or fontID left open */

typedef struct voc_charKey {
    uint32_t characterCode; /* code point */
    int32_t instance;       /* which sample of the same glyph */
    int32_t variant;        /* which variant of the glyph */
    int32_t fontID;         /* which font */
} voc_charKey;

#ifdef __cplusplus
}
#endif

#endif
