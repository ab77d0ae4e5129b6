/* C-level character layer: the polarity of a character's marks. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef enum voc_charPolarity {
    voc_charPolarityDarkOnLight = 1,
    voc_charPolarityLightOnDark = 2,
    voc_charPolarityUnknown = 4
} voc_charPolarity;

#ifdef __cplusplus
}
#endif
