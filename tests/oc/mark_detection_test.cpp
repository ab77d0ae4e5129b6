// Care regions, background padding and mark detection on every glyph of the two real
// fonts' sample sheets.
#include "vxOCCharMarks.h"
#include "vxPelOps.h"
#include "vxPgm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>

using Image = vxPelBuffer_const<unsigned char>;
const Image none;
const vxOCDefs::Polarity unknown = vxOCDefs::eUnknownPolarity;

// A w x h image of `paper` with `ink` in the rectangle r.
static vxPelBuffer<unsigned char> card(long w, long h, unsigned char paper, unsigned char ink,
                                       const vxPelRect& r) {
    vxPelBuffer<unsigned char> img(w, h), inked = img;
    vfPelSet(img, paper);
    inked.window(r, false);
    vfPelSet(inked, ink);
    return img;
}

static bool detect(const Image& img, const vxPelRect& rect, vxOCDefs::Polarity polarity,
                   vxRect& found, const Image& mask = none, bool blank = false) {
    return vf_DetectMarkRect_(img, rect, mask, blank, polarity, found);
}

TEST(MarkDetection, PaddingKeepsTheRegionOrCareRegionAndFillsWithinTheBordersRange) {
    // The profile median over a 7-pixel column: half-width 1, ends take the larger.
    const unsigned char column[7] = {10, 50, 20, 90, 30, 30, 70};
    const unsigned char smoothed[7] = {50, 20, 50, 30, 30, 30, 70};
    vxPelBuffer<unsigned char> img(3, 7);
    for (long y = 0; y < 7; ++y)
        *img.pointToPel(1, y) = *img.pointToPel(2, y) = column[y];
    vf_OCBackgroundPadImage(img, vxPelRect(1, 0, 2, 7));
    for (long y = 0; y < 7; ++y)
        EXPECT_EQ(*img.pointToPel(0, y), smoothed[y]) << y;

    // Noise in a region of a black window, its border holding the extremes 30 and 210.
    // Padded on a copy: the caller's pixels and the region stay, the rest is filled
    // within the border's range.
    const vxPelRect region(9, 7, 20, 15);
    vxPelBuffer<unsigned char> big = card(40, 30, 0, 0, region);
    for (long y = 7; y < 22; ++y)
        for (long x = 9; x < 29; ++x)
            *big.pointToPel(x, y) = static_cast<unsigned char>((x * 37 + y * 101) % 160 + 40);
    *big.pointToPel(9, 7) = 30;
    *big.pointToPel(28, 21) = 210;
    Image padded = big, inside = big;
    vf_OCBackgroundPadImage(padded, region);
    EXPECT_TRUE(vfPelMin(big) == 0 && vfPelMin(padded) == 30 && vfPelMax(padded) == 210);
    padded.window(region, false);
    inside.window(region, false);
    EXPECT_TRUE(vfPelEqual(padded, inside));

    // The care region of a mask is the box of its care pixels, to which it is windowed.
    vxPelBuffer<unsigned char> holes = card(8, 8, 0, 255, vxPelRect(2, 3, 1, 1));
    *holes.pointToPel(5, 6) = 128;
    holes.window(vxPelRect(1, 1, 6, 6), false);
    Image holed = holes;
    bool ok = false;
    EXPECT_EQ(vf_OCWindowMaskCareRegion(holed, 128, ok), vxPelRect(2, 3, 4, 4));
    EXPECT_TRUE(ok && holed.window() == vxPelRect(2, 3, 4, 4));
    // Padding with a mask: nothing without a care pixel (the mask unbinds), else outside
    // the care region (the mask unbinds too when all of it is care).
    img = card(10, 10, 50, 200, vxPelRect(3, 3, 4, 4));
    vxPelBuffer<unsigned char> mask = card(10, 10, 0, 10, vxPelRect(0, 0, 10, 10));
    vf_OCBackgroundPadImage(img, mask, 128, img.window(), ok);
    EXPECT_FALSE(ok || mask.isBound() || vfPelMin(img) != 50);
    mask = card(10, 10, 0, 255, vxPelRect(3, 3, 4, 4));
    vf_OCBackgroundPadImage(img, mask, 128, img.window(), ok);
    EXPECT_TRUE(ok && !mask.isBound() && vfPelMin(img) == 200); // the ink spread everywhere
}

TEST(MarkDetection, RealGlyphsInBothPolarities) {
    namespace fs = std::filesystem;
    for (const char* font : {"libmono", "freemono"}) {
        const fs::path dir = fs::path(OC_REALFONT_DIR) / "teach" / font;
        if (!fs::exists(dir)) GTEST_SKIP() << "no real-font data";
        const Image sheet = vfReadPgm((dir / "sheet.pgm").string());
        vxPelMapTable invert;
        std::iota(invert.rbegin(), invert.rend(), 0);
        const Image sheets[] = {sheet, vfPelMap(sheet, invert)};
        std::ifstream manifest(dir / "manifest.txt");
        long key = 0, x = 0, y = 0, w = 0, h = 0, count = 0;
        std::string name, file;
        vxRect found;
        for (; manifest >> key >> name >> file >> x >> y >> w >> h; ++count) {
            SCOPED_TRACE(std::string(font) + " " + name);
            Image cell = sheet;
            cell.window(vxPelRect(x, y, w, h), false);
            // The truth: the bounding box of the pixels darker than the cell's mid-grey.
            const int mid = (vfPelMin(cell) + vfPelMax(cell) + 1) / 2;
            vxPelRect truth;
            for (long v = y; v < y + h; ++v)
                for (long u = x; u < x + w; ++u)
                    if (*sheet.pointToPel(u, v) < mid) truth = truth.enclose(vxPelRect(u, v, 1, 1));
            for (const Image& s : sheets) { // a wrong polarity would find the paper around
                ASSERT_TRUE(detect(s, cell.window(), unknown, found));
                EXPECT_TRUE(vfRealEq(found.ul(), vxVector<2>(truth.ul()), 1.0) &&
                            vfRealEq(found.lr(), vxVector<2>(truth.lr()), 1.0));
            }
        }
        // The place of the cell after the last one is blank paper, in both polarities.
        EXPECT_TRUE(count == 38 && sheet.window().contains(vxPelRect(x + w, y, w, h)));
        for (const Image& s : sheets)
            EXPECT_FALSE(detect(s, vxPelRect(x + w, y, w, h), unknown, found));
    }
}
