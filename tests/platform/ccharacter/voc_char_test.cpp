// Character records: release on every path, and the binarized image windowed to its
// marks.
#include "voc_char.h"

#include "vsys_cleanup.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <stdexcept>

// The offsets that do not depend on the size of pointers.
static_assert(sizeof(voc_charKey) == 16 && offsetof(voc_charKey, fontID) == 12);
static_assert(sizeof(voc_charMetrics) == 176 && offsetof(voc_charMetrics, cellImageRect) == 8 &&
              offsetof(voc_charMetrics, fractionalBits) == 56 &&
              offsetof(voc_charMetrics, cellRect) == 64 &&
              offsetof(voc_charMetrics, detectedMarkRect) == 128 &&
              offsetof(voc_charMetrics, advanceY) == 168);
static_assert(sizeof(voc_charPolarity) == 4 && offsetof(voc_char, polarity) == 16);
static_assert(offsetof(voc_char, binarizedImageValid) ==
              offsetof(voc_char, normalizedImage) + sizeof(vimg_imageConst));
static_assert(offsetof(voc_char, imageArea) == offsetof(voc_char, hasThresholdAndInvert) + 12 &&
              offsetof(voc_char, reserved) == offsetof(voc_char, imageArea) + 16 &&
              sizeof(voc_char::reserved) == 20);

namespace {

const long kX = 100, kY = 50, kW = 12, kH = 10;

// A light (200) 12 by 10 window at (100, 50) in a 20 by 16 root at (96, 47), holding a
// dark (20) "L" whose marks span columns 103..108 and rows 52..57.
struct DrawnChar {
    vimg_imageConst view;
    DrawnChar() {
        unsigned char* pels = nullptr;
        vimg_imageConst_constructNew(&view, 96, 47, 20, 16, &pels);
        for (long i = 0; i < 20 * 16; ++i)
            pels[i] = 200;
        for (long y = 52; y <= 57; ++y)
            for (long x = 103; x <= (y >= 56 ? 108 : 104); ++x)
                pels[(y - 47) * 20 + (x - 96)] = 20;
        view.pels += (kY - 47) * 20 + (kX - 96);
        view.x = kX, view.y = kY, view.width = kW, view.height = kH;
        view.clientFromImage[4] = 7.5; // a translation to follow through
    }
    ~DrawnChar() { vimg_imageConst_destruct(&view); }
};

struct Record {
    voc_char ch;
    vimg_imageConst out; // a result view
    Record() {
        voc_char_construct(&ch);
        vimg_imageConst_constructUnbound(&out);
    }
    ~Record() {
        voc_char_destruct(&ch);
        vimg_imageConst_destruct(&out);
    }
    long set(const vimg_imageConst& img, long threshold, int invert, long rx = 0, long ry = 0,
             long rw = 0, long rh = 0) {
        return voc_char_setNormalizedImageThresholdAndInvert8(&ch, &img, 1, threshold, invert, rx,
                                                              ry, rw, rh);
    }
    long marks() { return voc_char_getBinarizedImageMarkRect8(&ch, &out); }
    int at(long x, long y) const { return out.pels[(y - out.y) * out.stride + (x - out.x)]; }
};

} // namespace

// Everything a record owns is released by the clean-up stack when an exception passes;
// destruct leaves the record as new, so a second one is harmless.
TEST(VocChar, ReleasedOnEveryPathAndLeftAsNew) {
    voc_char ch;
    ASSERT_EQ(voc_char_construct(&ch), VOC_OK);
    {
        DrawnChar source;
        ASSERT_EQ(
            voc_char_setNormalizedImageThresholdAndInvert8(&ch, &source.view, 1, 9, 1, 0, 0, 0, 0),
            VOC_OK);
        ASSERT_EQ(vimg_imageConst_assign(&ch.image, &source.view), VOC_OK);
    }
    EXPECT_EQ(ch.normalizedImage.pels[0], 200); // the record's copy outlives the source
    const vstd_char32 name32[] = {U'A', 0};
    ASSERT_EQ(vstd_string_clone32(name32, &ch.name32), VSYS_OK);
    ASSERT_EQ(vstd_string_cloneW(L"A", &ch.name), VSYS_OK);
    try {
        vsys_cleanupScope scope;
        ASSERT_EQ(vsys_cleanup_register(&voc_char_cleanup, &ch), VSYS_OK);
        throw std::runtime_error("a failing call");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(ch.name32 == nullptr && ch.name == nullptr);
    EXPECT_FALSE(vimg_imageConst_isBound(&ch.image) ||
                 vimg_imageConst_isBound(&ch.normalizedImage));
    EXPECT_TRUE(ch.key.characterCode == 0xF800u && ch.key.fontID == -1);
    EXPECT_TRUE(ch.polarity == voc_charPolarityUnknown && ch.threshold == 128);
    EXPECT_TRUE(ch.hasThresholdAndInvert == 0 && ch.invert == 0);
    EXPECT_TRUE(ch.metrics.specified == 60u && ch.metrics.fractionalBits == 16);
    EXPECT_EQ(voc_char_destruct(&ch), VOC_OK);
    EXPECT_EQ(voc_char_construct(nullptr), VOC_STATUS_NULL_POINTER);
}

TEST(VocChar, BinarizedMarkRectBothWays) {
    DrawnChar source;
    Record r;
    // Inverted, the dark ink binarizes high: the window is the L's bounding box.
    ASSERT_EQ(r.set(source.view, 128, 1, 96, 47, 20, 16), VOC_OK);
    ASSERT_EQ(r.marks(), VOC_OK);
    EXPECT_TRUE(r.out.x == 103 && r.out.y == 52 && r.out.width == 6 && r.out.height == 6);
    EXPECT_TRUE(r.at(103, 52) == 255 && r.at(105, 52) == 0 && r.at(108, 57) == 255);
    // The root is the binarized window; the transform is the normalized image's.
    EXPECT_TRUE(r.out.rootX == kX && r.out.rootWidth == kW && r.at(kX, kY) == 0);
    EXPECT_EQ(r.out.clientFromImage[4], 7.5);
    EXPECT_EQ(vimg_imageConst_validate(&r.out), VSYS_OK);

    // Not inverted, the light background is high and spans the whole window.
    ASSERT_EQ(r.set(source.view, 128, 0), VOC_OK);
    ASSERT_EQ(r.marks(), VOC_OK);
    EXPECT_TRUE(r.out.x == kX && r.out.width == kW && r.out.height == kH && r.at(103, 52) == 0);

    // The threshold is inclusive: at 200 the background is high, inverted at 20 nothing is.
    ASSERT_EQ(r.set(source.view, 20, 1), VOC_OK);
    EXPECT_EQ(r.marks(), VOC_STATUS_RECT_NOT_SPECIFIED);
    EXPECT_EQ(r.out.width, kW); // unchanged
    ASSERT_EQ(r.set(source.view, 200, 0), VOC_OK);
    ASSERT_EQ(r.marks(), VOC_OK);
    EXPECT_EQ(r.out.width, kW);
    EXPECT_EQ(r.at(103, 52), 0);
}
