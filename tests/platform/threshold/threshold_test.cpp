// Otsu thresholding: split between two levels, score, uniform and empty input, mask.
#include "vxThreshold.h"

#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Left part `left`, the rest `right`.
vxPelBuffer<unsigned char> twoLevels(long w, long h, long split, unsigned char left,
                                     unsigned char right) {
    vxPelBuffer<unsigned char> img(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            *img.pointToPel(x, y) = x < split ? left : right;
    return img;
}

} // namespace

TEST(Threshold, TwoLevelsSplitInTheMiddleWithFullScore) {
    const vxThresholdResult r = vfThresholdWGV(twoLevels(20, 10, 6, 50, 200));
    EXPECT_EQ(r.threshold, 125);
    EXPECT_NEAR(r.score, 1.0, 1e-12);

    // Noisy classes: the split stays between them, the score drops below 1.
    vxPelBuffer<unsigned char> img = twoLevels(40, 10, 25, 60, 180);
    for (long y = 0; y < 10; ++y)
        for (long x = 0; x < 40; ++x)
            *img.pointToPel(x, y) += static_cast<unsigned char>((x * 7 + y * 3) % 21) - 10;
    const vxThresholdResult noisy = vfThresholdWGV(img);
    EXPECT_GT(noisy.threshold, 70);
    EXPECT_LE(noisy.threshold, 170);
    EXPECT_GT(noisy.score, 0.9);
    EXPECT_LT(noisy.score, 1.0);
}

TEST(Threshold, UniformAndEmptyScoreZero) {
    const vxThresholdResult uniform = vfThresholdWGV(twoLevels(8, 8, 0, 0, 77));
    EXPECT_EQ(uniform.threshold, 77);
    EXPECT_EQ(uniform.score, 0.0);
    EXPECT_EQ(vfThresholdWGV(std::vector<unsigned long>(256, 0)).score, 0.0);
}

TEST(Threshold, MaskSelectsThePixels) {
    // Three levels; the mask hides the brightest, so the split falls between the others.
    vxPelBuffer<unsigned char> img = twoLevels(30, 4, 10, 20, 100);
    for (long y = 0; y < 4; ++y)
        for (long x = 20; x < 30; ++x)
            *img.pointToPel(x, y) = 250;
    vxPelBuffer<unsigned char> mask = twoLevels(30, 4, 20, 255, 127);
    EXPECT_GT(vfThresholdWGV(img).threshold, 100);
    const vxThresholdResult masked = vfThresholdWGV(img, mask);
    EXPECT_GT(masked.threshold, 20);
    EXPECT_LE(masked.threshold, 100);
    EXPECT_NEAR(masked.score, 1.0, 1e-12);
    // A mask that cares about nothing; an unbound mask cares about everything.
    vfPelSet(mask, 0);
    EXPECT_EQ(vfThresholdWGV(img, mask).score, 0.0);
    EXPECT_EQ(vfThresholdWGV(img, vxPelBuffer<unsigned char>()).threshold,
              vfThresholdWGV(img).threshold);
    EXPECT_THROW(vfThresholdWGV(img, vxPelBuffer<unsigned char>(5, 5)), vxPel::SizeMismatch);
}
