// Conversion of rectangles between doubles and 32-bit fixed point.
#include "voc_rect.h"

#include <cmath>

namespace {

constexpr double kIntMin = -2147483648.0;
constexpr double kIntMax = 2147483647.0;

bool isLegalFractionalBits(long bits) {
    return bits >= 0 && bits <= 31;
}

// The fixed-point form of one value, or the status that refuses it.
long toFixed(double value, int bits, int32_t& out) {
    if (std::isnan(value)) return VOC_STATUS_BAD_ARGUMENT;
    if (value < kIntMin || value > kIntMax) return VOC_STATUS_INTEGER_OVERFLOW;
    // |value| <= 2^31 and bits <= 31, so the scaled value is exact in a double.
    const double scaled = std::round(std::ldexp(value, bits));
    if (scaled < kIntMin || scaled > kIntMax) return VOC_STATUS_FIXED_POINT_OVERFLOW;
    out = static_cast<int32_t>(scaled);
    return VOC_OK;
}

} // namespace

extern "C" long voc_rect32FixedInitFromRectD_(voc_rect32Fixed* dst, const voc_rectD* src,
                                              long fractionalBits) {
    if (!dst || !src) return VOC_STATUS_NULL_POINTER;
    if (!isLegalFractionalBits(fractionalBits)) return VOC_STATUS_BAD_ARGUMENT;
    const int bits = static_cast<int>(fractionalBits);
    voc_rect32Fixed r;
    long status = VOC_OK;
    if ((status = toFixed(src->x, bits, r.x)) != VOC_OK ||
        (status = toFixed(src->y, bits, r.y)) != VOC_OK ||
        (status = toFixed(src->width, bits, r.width)) != VOC_OK ||
        (status = toFixed(src->height, bits, r.height)) != VOC_OK)
        return status;
    *dst = r;
    return VOC_OK;
}

extern "C" long voc_rectDInitFromRect32Fixed_(voc_rectD* dst, const voc_rect32Fixed* src,
                                              long fractionalBits) {
    if (!dst || !src) return VOC_STATUS_NULL_POINTER;
    if (!isLegalFractionalBits(fractionalBits)) return VOC_STATUS_BAD_ARGUMENT;
    const int shift = -static_cast<int>(fractionalBits);
    *dst = voc_rectD{std::ldexp(double(src->x), shift), std::ldexp(double(src->y), shift),
                     std::ldexp(double(src->width), shift), std::ldexp(double(src->height), shift)};
    return VOC_OK;
}
