// Pixel operations on windows whose rows are not contiguous, overlap, and histograms.
#include "vxPelOps.h"

#include <gtest/gtest.h>

namespace {

using Buffer = vxPelBuffer<unsigned char>;

// A 4 x 3 window at (2, 1) in an aligned 9 x 6 root (stride 16), holding
// base + column + 4 * row, with 200 everywhere else in the root.
Buffer windowOf(unsigned char base) {
    Buffer b(vxPelRect(0, 0, 9, 6), 16);
    vfPelSet(b, 200);
    b.window(vxPelRect(2, 1, 4, 3), false);
    for (long y = 0; y < 3; ++y)
        for (long x = 0; x < 4; ++x)
            *b.pointToPel(2 + x, 1 + y) = static_cast<unsigned char>(base + x + 4 * y);
    return b;
}

unsigned char at(const vxPelBuffer_const<unsigned char>& b, long x, long y) {
    return *b.pointToPel(b.offset().x() + x, b.offset().y() + y);
}

// Whether every root pixel outside the window is still 200.
bool marginUntouched(Buffer b) {
    const vxPelRect w = b.window();
    b.setEntire();
    for (long y = 0; y < b.height(); ++y)
        for (long x = 0; x < b.width(); ++x)
            if (!w.contains(x, y) && *b.pointToPel(x, y) != 200) return false;
    return true;
}

} // namespace

TEST(PelOps, CopyMapSetStayInsideTheWindow) {
    const Buffer src = windowOf(10);
    Buffer dst(vxPelRect(-5, -5, 4, 3)); // another position, contiguous rows
    vfPelCopy(src, dst);
    EXPECT_TRUE(vfPelEqual(src, dst));
    EXPECT_EQ(at(dst, 3, 2), 10 + 3 + 8);

    vxPelMapTable invert;
    for (int i = 0; i < 256; ++i)
        invert[i] = static_cast<unsigned char>(255 - i);
    Buffer mapped = windowOf(0);
    vfPelMap(src, invert, mapped);
    EXPECT_EQ(at(mapped, 1, 2), 255 - (10 + 1 + 8));
    EXPECT_TRUE(marginUntouched(mapped));
    Buffer fresh = vfPelMap(src, invert);
    EXPECT_EQ(fresh.window(), src.window());
    EXPECT_TRUE(vfPelEqual(fresh, mapped));

    Buffer set = windowOf(0);
    vfPelSet(set, 9);
    EXPECT_EQ(vfPelMin(set), 9);
    EXPECT_EQ(vfPelMax(set), 9);
    EXPECT_TRUE(marginUntouched(set));
}

TEST(PelOps, OverlappingWindowsUseTheSourceAsItWas) {
    Buffer src = windowOf(10);
    Buffer dst = src;
    dst.window(vxPelRect(1, 1, 4, 3), true); // one pixel right and down
    vfPelCopy(src, dst);
    EXPECT_EQ(at(dst, 0, 0), 10);
    EXPECT_EQ(at(dst, 3, 2), 21);
    EXPECT_EQ(at(dst, 1, 1), 15);

    Buffer same = windowOf(10);
    vfPelMax(same, windowOf(12), same); // in place on the very same window
    EXPECT_EQ(at(same, 0, 0), 12);
}

TEST(PelOps, HistogramAndStatistics) {
    const Buffer b = windowOf(10); // values 10..21, once each
    Buffer mask(vxPelRect(0, 0, 4, 3));
    vfPelSet(mask, 255);
    *mask.pointToPel(0, 0) = 127; // not cared about
    *mask.pointToPel(1, 0) = 128;

    std::vector<unsigned long> hist{1, 2, 3}; // replaced
    vfPelHistogram(b, hist);
    ASSERT_EQ(hist.size(), 256u);
    EXPECT_EQ(hist[10], 1u);
    EXPECT_EQ(hist[200], 0u); // the margin is outside the window
    vxHistoStats all(hist);
    EXPECT_EQ(all.count(), 12u);
    EXPECT_EQ(all.min(), 10);
    EXPECT_EQ(all.max(), 21);
    EXPECT_DOUBLE_EQ(all.mean(), 15.5);
    EXPECT_EQ(all.median(), 16); // the upper middle value of an even count

    vfPelHistogram(b, mask, hist);
    vxHistoStats cared(hist);
    EXPECT_EQ(cared.count(), 11u);
    EXPECT_EQ(hist[10], 0u);
    EXPECT_EQ(cared.median(), 16); // values 11..21: the middle one

    std::vector<unsigned long> skewed(256, 0);
    skewed[3] = 5;
    skewed[250] = 4;
    EXPECT_EQ(vxHistoStats(skewed).median(), 3);
    EXPECT_THROW(vxHistoStats(std::vector<unsigned long>(256, 0)).median(), vxPel::BadArgument);
}
