/* C-level character layer: the metrics of one character (cell, mark and detected mark
 * rectangles in client and image coordinates, and the advance), each with a specified
 * flag. The record has the same 176-byte layout on every target. */
#ifndef VOC_CHARMETRICS_H
#define VOC_CHARMETRICS_H

#include "voc_rect.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The rectangles' bits in voc_charMetrics.specified. */
typedef enum voc_charMetricsRect {
    voc_charMetricsCellRect = 1,
    voc_charMetricsCellRectImage = 2,
    voc_charMetricsMarkRect = 4,
    voc_charMetricsMarkRectImage = 8,
    voc_charMetricsDetectedMarkRect = 16,
    voc_charMetricsDetectedMarkRectImage = 32
} voc_charMetricsRect;

#define VOC_CHAR_METRICS_DEFAULT_FRACTIONAL_BITS 16

typedef struct voc_charMetrics {
    uint32_t specified;            /* OR of the voc_charMetricsRect bits that are specified */
    int32_t advanceSpecified;      /* non-zero: advanceX and advanceY are specified */
    voc_rect32Fixed cellImageRect; /* image coordinates, fixed point */
    voc_rect32Fixed markImageRect;
    voc_rect32Fixed detectedMarkImageRect;
    int32_t fractionalBits; /* fixed-point scale of the three image rectangles */
    int32_t padding;        /* keeps the doubles 8-byte aligned on every target */
    voc_rectD cellRect;     /* client coordinates */
    voc_rectD markRect;
    voc_rectD detectedMarkRect;
    double advanceX, advanceY; /* client coordinates */
} voc_charMetrics;

#ifdef __cplusplus
}
#endif

#endif
