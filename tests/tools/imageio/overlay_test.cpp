#include "vxOverlay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr vxColour kRed{255, 0, 0};
constexpr double kPi = std::numbers::pi;

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

long paintedCount(const vxOverlay& o) {
    long n = 0;
    for (unsigned char v : o.picture().rgb)
        n += v != 0;
    return n;
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

TEST(Overlay, ShapesAndTextStayWhereTheyBelong) {
    vxOverlay square = blank();
    square.polygon({{4, 4}, {14, 4}, {14, 14}, {4, 14}}, kRed, 2);
    EXPECT_EQ(red(square, 3, 3), 202); // 0.79 covered at the outer corner, painted once
    EXPECT_EQ(red(square, 9, 9), 0);   // the inside is left alone
    EXPECT_EQ(red(square, 20, 9), 0);

    vxOverlay quarter = blank(40, 40);
    quarter.arc(vxVector<2>(0, 0), 30, 0, kPi / 2, kRed);
    EXPECT_GT(red(quarter, 21, 21), 100); // 45 degrees clockwise from +x is down-right
    EXPECT_EQ(red(quarter, 5, 5), 0);

    vxOverlay upper = blank(60, 40), lower = blank(60, 40), unknown = blank(60, 40);
    upper.text("AZ", vxVector<2>(5, 3), 20, kRed);
    lower.text("az", vxVector<2>(5, 3), 20, kRed);
    unknown.text("@\xc3\xa9", vxVector<2>(5, 3), 20, kRed); // '@' and a two-byte letter
    EXPECT_EQ(upper.picture().rgb, lower.picture().rgb);
    EXPECT_GT(paintedCount(upper), 40);
    EXPECT_GT(paintedCount(unknown), 40);
    EXPECT_EQ(red(unknown, 39, 15), 0); // no third box, whose left edge this would be
    // Two cells of 16 x 28 pixels from (5, 3); capitals span rows 7 to 27 (plus the stroke).
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 60; ++x)
            if (x < 3 || x > 38 || y < 5 || y > 28) {
                EXPECT_EQ(red(upper, x, y), 0) << x << "," << y;
            }
}

TEST(Overlay, FarAwayOrInvalidGeometryDrawsNothingQuickly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto start = std::chrono::steady_clock::now();
    vxOverlay o = blank();
    o.line(vxVector<2>(nan, 3), vxVector<2>(5, 5), kRed);
    o.line(vxVector<2>(-inf, 3), vxVector<2>(inf, 3), kRed);
    o.line(vxVector<2>(2, 3), vxVector<2>(5, 5), kRed, nan);
    o.line(vxVector<2>(2, 3), vxVector<2>(5, 5), kRed, -1);
    o.line(vxVector<2>(-1e300, -50), vxVector<2>(1e300, -50), kRed, 20);
    o.line(vxVector<2>(-1e308, -1e308), vxVector<2>(1e308, -1e308), kRed);
    o.polygon({{1, 1}, {nan, 2}, {5, 5}}, kRed);
    o.arc(vxVector<2>(12, 9), 1e300, 0, 2 * kPi, kRed);
    o.arc(vxVector<2>(12, 9), 4, nan, 1, kRed);
    o.arc(vxVector<2>(12, 9), 4, 0, 1e300, kRed, inf);
    o.text("HELLO", vxVector<2>(-1e300, 4), 10, kRed);
    o.text(std::string(1000000, 'W'), vxVector<2>(0, 30), 10, kRed);
    o.text("X", vxVector<2>(2, 2), nan, kRed);
    EXPECT_EQ(paintedCount(o), 0);

    // Finite but enormous geometry crossing the picture still draws what it crosses.
    o.line(vxVector<2>(-1e300, 5.5), vxVector<2>(1e300, 5.5), kRed);
    for (long x = 0; x < 24; ++x)
        EXPECT_EQ(red(o, x, 5), 255);
    vxOverlay big = blank();
    big.arc(vxVector<2>(12, 9 + 1e9), 1e9, -kPi, kPi, kRed, 3);
    EXPECT_EQ(red(big, 12, 9), 255);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
