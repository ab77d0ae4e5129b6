#include "vxOverlay.h"

#include <gtest/gtest.h>

namespace {

constexpr vxColour kRed{255, 0, 0};

vxOverlay blank(long w = 24, long h = 18) {
    vxRgbImage picture;
    picture.width = w;
    picture.height = h;
    picture.rgb.assign(size_t(3 * w * h), 0);
    return vxOverlay(std::move(picture));
}

int red(const vxOverlay& o, long x, long y) {
    return o.picture().rgb[3 * (y * o.picture().width + x)];
}

} // namespace

TEST(Overlay, LineColoursItsPixelsAndNothingElse) {
    vxOverlay o = blank();
    o.line(vxVector<2>(2, 5.5), vxVector<2>(12, 5.5), kRed);
    for (long y = 0; y < 18; ++y)
        for (long x = 0; x < 24; ++x) {
            // Full inside the segment, half at the round caps' pixels, nothing else.
            const int expected = y != 5                ? 0
                                 : (x >= 2 && x < 12)  ? 255
                                 : (x == 1 || x == 12) ? 128
                                                       : 0;
            EXPECT_EQ(red(o, x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(o.picture().rgb[3 * (5 * 24 + 6) + 1], 0); // green untouched

    // A line on a pixel border shares itself between the two rows.
    vxOverlay edge = blank();
    edge.line(vxVector<2>(0, 9), vxVector<2>(24, 9), kRed);
    EXPECT_EQ(red(edge, 10, 8), 128);
    EXPECT_EQ(red(edge, 10, 9), 128);
    EXPECT_EQ(red(edge, 10, 7), 0);
}
