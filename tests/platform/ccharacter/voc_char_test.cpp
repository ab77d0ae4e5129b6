// Character records: layout, construction and release on every path, the normalized
// image with its threshold range, and the binarized image windowed to its marks.
#include "voc_char.h"

#include "vsys_cleanup.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <stdexcept>

// The offsets that do not depend on the size of pointers.
static_assert(sizeof(voc_charKey) == 16 && offsetof(voc_charKey, instance) == 4 &&
              offsetof(voc_charKey, variant) == 8 && offsetof(voc_charKey, fontID) == 12);
static_assert(sizeof(voc_charMetrics) == 176);
static_assert(offsetof(voc_charMetrics, advanceSpecified) == 4 &&
              offsetof(voc_charMetrics, cellImageRect) == 8 &&
              offsetof(voc_charMetrics, markImageRect) == 24 &&
              offsetof(voc_charMetrics, detectedMarkImageRect) == 40 &&
              offsetof(voc_charMetrics, fractionalBits) == 56 &&
              offsetof(voc_charMetrics, cellRect) == 64 &&
              offsetof(voc_charMetrics, markRect) == 96 &&
              offsetof(voc_charMetrics, detectedMarkRect) == 128 &&
              offsetof(voc_charMetrics, advanceX) == 160 &&
              offsetof(voc_charMetrics, advanceY) == 168);
static_assert(sizeof(voc_charPolarity) == 4 && offsetof(voc_char, polarity) == 16);
static_assert(offsetof(voc_char, binarizedImageValid) ==
              offsetof(voc_char, normalizedImage) + sizeof(vimg_imageConst));
static_assert(offsetof(voc_char, threshold) == offsetof(voc_char, hasThresholdAndInvert) + 4 &&
              offsetof(voc_char, invert) == offsetof(voc_char, hasThresholdAndInvert) + 8 &&
              offsetof(voc_char, imageArea) == offsetof(voc_char, hasThresholdAndInvert) + 12 &&
              offsetof(voc_char, reserved) == offsetof(voc_char, hasThresholdAndInvert) + 28 &&
              sizeof(voc_char::reserved) == 20);

namespace {

const long kX = 100, kY = 50, kW = 12, kH = 10;

// A light (200) 12 by 10 image at (100, 50) inside a 20 by 16 root at (96, 47), holding
// a dark (20) "L" whose marks span columns 103..108 and rows 52..57.
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
        view.x = kX;
        view.y = kY;
        view.width = kW;
        view.height = kH;
        view.clientFromImage[4] = 7.5; // a translation to follow through
    }
    ~DrawnChar() { vimg_imageConst_destruct(&view); }
    unsigned char& at(long x, long y) {
        return const_cast<unsigned char&>(view.pels[(y - kY) * view.stride + (x - kX)]);
    }
};

struct Record {
    voc_char ch;
    Record() { voc_char_construct(&ch); }
    ~Record() { voc_char_destruct(&ch); }
};

struct View {
    vimg_imageConst img;
    View() { vimg_imageConst_constructUnbound(&img); }
    ~View() { vimg_imageConst_destruct(&img); }
    const unsigned char& at(long x, long y) const {
        return img.pels[(y - img.y) * img.stride + (x - img.x)];
    }
};

long setNormalized(voc_char& ch, const vimg_imageConst& img, long threshold, int invert,
                   long rx = 0, long ry = 0, long rw = 0, long rh = 0) {
    return voc_char_setNormalizedImageThresholdAndInvert8(&ch, &img, 1, threshold, invert, rx, ry,
                                                          rw, rh);
}

} // namespace

TEST(VocChar, ConstructsAsNewCharacter) {
    Record r;
    EXPECT_EQ(r.ch.key.characterCode, 0xF800u);
    EXPECT_EQ(r.ch.key.fontID, -1);
    EXPECT_EQ(r.ch.polarity, voc_charPolarityUnknown);
    EXPECT_FALSE(vimg_imageConst_isBound(&r.ch.normalizedImage));
    EXPECT_EQ(r.ch.hasThresholdAndInvert, 0);
    EXPECT_EQ(r.ch.threshold, 128);
    EXPECT_EQ(r.ch.metrics.specified, 60u);
    EXPECT_EQ(r.ch.metrics.fractionalBits, 16);
    EXPECT_EQ(r.ch.name32, nullptr);
    EXPECT_EQ(voc_char_construct(nullptr), VOC_STATUS_NULL_POINTER);
    EXPECT_EQ(voc_char_destruct(nullptr), VOC_OK);
}

// Everything a record owns is released by the clean-up stack when an exception passes,
// and a second destruct is harmless (leaks and double frees show under the sanitizer).
TEST(VocChar, ReleasedOnEveryPath) {
    voc_char ch;
    {
        DrawnChar source;
        ASSERT_EQ(voc_char_construct(&ch), VOC_OK);
        ASSERT_EQ(setNormalized(ch, source.view, 128, 1), VOC_OK);
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
    EXPECT_EQ(ch.name32, nullptr);
    EXPECT_FALSE(vimg_imageConst_isBound(&ch.image));
    EXPECT_FALSE(vimg_imageConst_isBound(&ch.normalizedImage));
    EXPECT_EQ(voc_char_destruct(&ch), VOC_OK);
}

TEST(VocChar, NormalizedImageIsAPrivateRootCopy) {
    DrawnChar source;
    Record r;
    r.ch.binarizedImageValid = 1;
    r.ch.metrics.specified |= voc_charMetricsDetectedMarkRect;
    r.ch.metrics.detectedMarkRect = voc_rectD{1, 2, 3, 4};
    ASSERT_EQ(setNormalized(r.ch, source.view, 90, 1, 98, 48, 40, 40), VOC_OK);
    const vimg_imageConst& n = r.ch.normalizedImage;
    EXPECT_EQ(n.x, kX);
    EXPECT_EQ(n.width, kW);
    EXPECT_EQ(n.clientFromImage[4], 7.5);
    // The root copy rectangle clipped to the source's root.
    EXPECT_EQ(n.rootX, 98);
    EXPECT_EQ(n.rootY, 48);
    EXPECT_EQ(n.rootWidth, 18);
    EXPECT_EQ(n.rootHeight, 15);
    EXPECT_EQ(vimg_imageConst_validate(&n), VSYS_OK);
    source.at(103, 52) = 99;
    EXPECT_EQ(n.pels[2 * n.stride + 3], 20);
    EXPECT_EQ(r.ch.threshold, 90);
    EXPECT_EQ(r.ch.invert, 1);
    EXPECT_EQ(r.ch.binarizedImageValid, 0);
    EXPECT_EQ(r.ch.metrics.specified & voc_charMetricsDetectedMarkRect, 0u);
    EXPECT_EQ(r.ch.metrics.detectedMarkRect.width, 0.0);

    // With no root copy rectangle only the window is kept.
    ASSERT_EQ(setNormalized(r.ch, source.view, 90, 1), VOC_OK);
    EXPECT_EQ(n.rootWidth, kW);
    EXPECT_EQ(n.rootHeight, kH);
}

TEST(VocChar, RefusedArgumentsLeaveTheRecord) {
    DrawnChar source;
    Record r;
    ASSERT_EQ(setNormalized(r.ch, source.view, 0, 0), VOC_OK);
    ASSERT_EQ(setNormalized(r.ch, source.view, 256, 0), VOC_OK);
    const unsigned char* kept = r.ch.normalizedImage.pels;
    for (long t : {-1L, 257L, 1L << 40}) {
        EXPECT_EQ(setNormalized(r.ch, source.view, t, 1), VOC_STATUS_THRESHOLD_RANGE);
        EXPECT_EQ(voc_char_setNormalizedImageThresholdAndInvert8(&r.ch, &source.view, 0, t, 0, 0, 0,
                                                                 0, 0),
                  VOC_STATUS_THRESHOLD_RANGE);
    }
    // A root copy rectangle that cuts the window.
    EXPECT_EQ(setNormalized(r.ch, source.view, 10, 1, 101, 50, 40, 40),
              VOC_STATUS_BAD_ROOT_COPY_RECT);
    vimg_imageConst broken = source.view;
    broken.stride = 3;
    EXPECT_EQ(setNormalized(r.ch, broken, 10, 1), VOC_STATUS_BAD_IMAGE);
    EXPECT_EQ(voc_char_setNormalizedImageThresholdAndInvert8(&r.ch, nullptr, 1, 10, 1, 0, 0, 0, 0),
              VOC_STATUS_NULL_POINTER);
    EXPECT_EQ(r.ch.normalizedImage.pels, kept);
    EXPECT_EQ(r.ch.threshold, 256);
    EXPECT_EQ(r.ch.invert, 0);
}

TEST(VocChar, BinarizedMarkRectBothWays) {
    DrawnChar source;
    Record r;
    View marks;
    // Inverted, the dark ink binarizes high: the window is the L's bounding box.
    ASSERT_EQ(setNormalized(r.ch, source.view, 128, 1, 96, 47, 20, 16), VOC_OK);
    ASSERT_EQ(voc_char_getBinarizedImageMarkRect8(&r.ch, &marks.img), VOC_OK);
    EXPECT_EQ(marks.img.x, 103);
    EXPECT_EQ(marks.img.y, 52);
    EXPECT_EQ(marks.img.width, 6);
    EXPECT_EQ(marks.img.height, 6);
    EXPECT_EQ(marks.at(103, 52), 255);
    EXPECT_EQ(marks.at(105, 52), 0);
    EXPECT_EQ(marks.at(108, 57), 255);
    // The root is the binarized window; the transform is the normalized image's.
    EXPECT_EQ(marks.img.rootX, kX);
    EXPECT_EQ(marks.img.rootWidth, kW);
    EXPECT_EQ(marks.at(kX, kY), 0);
    EXPECT_EQ(marks.img.clientFromImage[4], 7.5);
    EXPECT_EQ(vimg_imageConst_validate(&marks.img), VSYS_OK);

    // Not inverted, the light background is high and spans the whole window.
    ASSERT_EQ(setNormalized(r.ch, source.view, 128, 0), VOC_OK);
    ASSERT_EQ(voc_char_getBinarizedImageMarkRect8(&r.ch, &marks.img), VOC_OK);
    EXPECT_EQ(marks.img.x, kX);
    EXPECT_EQ(marks.img.width, kW);
    EXPECT_EQ(marks.img.height, kH);
    EXPECT_EQ(marks.at(103, 52), 0);

    // The threshold is inclusive: at 201 nothing is high, at 200 the background is.
    ASSERT_EQ(setNormalized(r.ch, source.view, 201, 0), VOC_OK);
    EXPECT_EQ(voc_char_getBinarizedImageMarkRect8(&r.ch, &marks.img),
              VOC_STATUS_RECT_NOT_SPECIFIED);
    EXPECT_EQ(marks.img.x, kX); // unchanged
    ASSERT_EQ(setNormalized(r.ch, source.view, 21, 1), VOC_OK);
    ASSERT_EQ(voc_char_getBinarizedImageMarkRect8(&r.ch, &marks.img), VOC_OK);
    EXPECT_EQ(marks.img.width, 6);
}

TEST(VocChar, BinarizedMarkRectSourcesAndRefusals) {
    DrawnChar source;
    Record r;
    View marks;
    EXPECT_EQ(voc_char_getBinarizedImageMarkRect8(&r.ch, &marks.img),
              VOC_STATUS_THRESHOLD_NOT_SPECIFIED);
    r.ch.hasThresholdAndInvert = 1;
    // No normalized image: an unbound result, as there is nothing to binarize.
    ASSERT_EQ(voc_char_getBinarizedImageMarkRect8(&r.ch, &marks.img), VOC_OK);
    EXPECT_FALSE(vimg_imageConst_isBound(&marks.img));
    r.ch.threshold = 300;
    EXPECT_EQ(voc_char_getBinarizedImageMarkRect8(&r.ch, &marks.img), VOC_STATUS_THRESHOLD_RANGE);

    // A valid cached binarized image is windowed in place, sharing its pixels.
    ASSERT_EQ(setNormalized(r.ch, source.view, 128, 0), VOC_OK);
    ASSERT_EQ(vimg_imageConst_assign(&r.ch.binarizedImage, &source.view), VOC_OK);
    r.ch.binarizedImageValid = 1;
    ASSERT_EQ(voc_char_getBinarizedImageMarkRect8(&r.ch, &marks.img), VOC_OK);
    EXPECT_EQ(marks.img.x, kX);
    EXPECT_EQ(marks.img.width, kW);
    EXPECT_EQ(&marks.at(kX, kY), &source.at(kX, kY));
    EXPECT_EQ(voc_char_getBinarizedImageMarkRect8(nullptr, &marks.img), VOC_STATUS_NULL_POINTER);
}
