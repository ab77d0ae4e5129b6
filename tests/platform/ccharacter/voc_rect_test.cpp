// Fixed-point rectangles: exact round trips, rounding, and the overflow statuses at the
// exact limits of both ranges.
#include "voc_rect.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
// Converts one value (as x) and returns the status; fixed receives x as it ends up.
long toFixed(double v, long bits, int32_t& fixed) {
    voc_rect32Fixed r{7, 7, 7, 7};
    const voc_rectD d{v, 0, 0, 0};
    const long status = voc_rect32FixedInitFromRectD_(&r, &d, bits);
    fixed = r.x;
    return status;
}
} // namespace

TEST(VocRect, OverflowAtTheExactLimitsAndBadArguments) {
    int32_t v = 0;
    // 16 fractional bits: the fixed-point range is [-32768, 32768 - 2^-16].
    EXPECT_TRUE(toFixed(2147483647.0 / 65536, 16, v) == VOC_OK && v == INT32_MAX);
    EXPECT_EQ(toFixed(2147483647.5 / 65536, 16, v), VOC_STATUS_FIXED_POINT_OVERFLOW);
    EXPECT_TRUE(toFixed(-2147483648.25 / 65536, 16, v) == VOC_OK && v == INT32_MIN);
    EXPECT_EQ(toFixed(-2147483648.5 / 65536, 16, v), VOC_STATUS_FIXED_POINT_OVERFLOW);
    EXPECT_EQ(toFixed(1.0, 31, v), VOC_STATUS_FIXED_POINT_OVERFLOW);
    // The integer range is checked first, whatever the scale.
    EXPECT_TRUE(toFixed(2147483647.0, 0, v) == VOC_OK && v == INT32_MAX);
    EXPECT_EQ(toFixed(2147483647.25, 0, v), VOC_STATUS_INTEGER_OVERFLOW);
    EXPECT_TRUE(toFixed(-2147483648.0, 0, v) == VOC_OK && v == INT32_MIN);
    EXPECT_EQ(toFixed(-2147483648.5, 0, v), VOC_STATUS_INTEGER_OVERFLOW);
    EXPECT_EQ(toFixed(3e9, 16, v), VOC_STATUS_INTEGER_OVERFLOW);
    EXPECT_EQ(static_cast<uint32_t>(VOC_STATUS_INTEGER_OVERFLOW), 0x800013f1u);

    // A failure in any value leaves the whole destination as it was.
    voc_rect32Fixed f{1, 2, 3, 4};
    const voc_rectD d{1, 2, 3, 40000};
    EXPECT_EQ(voc_rect32FixedInitFromRectD_(&f, &d, 16), VOC_STATUS_FIXED_POINT_OVERFLOW);
    EXPECT_TRUE(f.x == 1 && f.height == 4);

    // So do bad arguments, in either direction.
    EXPECT_EQ(toFixed(NAN, 16, v), VOC_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(toFixed(1.0, -1, v), VOC_STATUS_BAD_ARGUMENT);
    voc_rectD kept{9, 9, 9, 9};
    EXPECT_EQ(voc_rectDInitFromRect32Fixed_(&kept, &f, 32), VOC_STATUS_BAD_ARGUMENT);
    EXPECT_EQ(kept.x, 9.0);
    EXPECT_EQ(voc_rectDInitFromRect32Fixed_(nullptr, &f, 16), VOC_STATUS_NULL_POINTER);
}
