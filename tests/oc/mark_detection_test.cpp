// Care regions, background padding, mark detection (synthetic cases and every glyph of
// the two real fonts' sample sheets) and character origins.
#include "vxOCCharMarks.h"
#include "vxPelOps.h"
#include "vxPgm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using Image = vxPelBuffer_const<unsigned char>;
const Image none;

// A w x h image of `paper` with `ink` in the rectangle r.
vxPelBuffer<unsigned char> card(long w, long h, unsigned char paper, unsigned char ink,
                                const vxPelRect& r) {
    vxPelBuffer<unsigned char> img(w, h), inked = img;
    vfPelSet(img, paper);
    inked.window(r, false);
    vfPelSet(inked, ink);
    return img;
}

bool detect(const Image& img, const vxPelRect& rect, vxOCDefs::Polarity polarity, vxRect& found,
            const Image& mask = none, bool blank = false) {
    return vf_DetectMarkRect_(img, rect, mask, blank, polarity, found);
}

} // namespace

TEST(MarkDetection, CareRegionWindowsOrUnbindsTheMask) {
    bool ok = false;
    Image empty = card(6, 6, 0, 127, vxPelRect(1, 1, 2, 2));
    EXPECT_EQ(vf_OCWindowMaskCareRegion(empty, 128, ok), vxPelRect());
    EXPECT_FALSE(ok || empty.isBound());
    Image full = card(6, 6, 0, 200, vxPelRect(1, 2, 3, 2));
    EXPECT_EQ(vf_OCWindowMaskCareRegion(full, 128, ok), vxPelRect(1, 2, 3, 2));
    EXPECT_FALSE(full.isBound());
    vxPelBuffer<unsigned char> holes = card(8, 8, 0, 255, vxPelRect(2, 3, 1, 1));
    *holes.pointToPel(5, 6) = 128;
    holes.window(vxPelRect(1, 1, 6, 6), false);
    Image holed = holes;
    EXPECT_EQ(vf_OCWindowMaskCareRegion(holed, 128, ok), vxPelRect(2, 3, 4, 4));
    EXPECT_EQ(holed.window(), vxPelRect(2, 3, 4, 4));
}

TEST(MarkDetection, PaddingKeepsTheRegionAndFillsWithinTheBordersRange) {
    // The profile median over a 7-pixel column: half-width 1, ends take the larger.
    const unsigned char column[7] = {10, 50, 20, 90, 30, 30, 70};
    const unsigned char smoothed[7] = {50, 20, 50, 30, 30, 30, 70};
    vxPelBuffer<unsigned char> img(vxPelRect(0, 0, 3, 7));
    for (long y = 0; y < 7; ++y)
        *img.pointToPel(1, y) = *img.pointToPel(2, y) = column[y];
    vf_OCBackgroundPadImage(img, vxPelRect(1, 0, 2, 7));
    for (long y = 0; y < 7; ++y)
        EXPECT_EQ(*img.pointToPel(0, y), smoothed[y]) << y;

    // A noisy region inside a larger window, padded on copies: the caller's pixels stay.
    vxPelBuffer<unsigned char> big(40, 30);
    const vxPelRect region(9, 7, 20, 15);
    int lo = 255, hi = 0; // the range of the region's border
    for (long y = 0; y < 30; ++y)
        for (long x = 0; x < 40; ++x) {
            const int v = (x * 37 + y * 101) % 200 + 20;
            *big.pointToPel(x, y) = static_cast<unsigned char>(v);
            if (region.contains(x, y) && (x == 9 || x == 28 || y == 7 || y == 21))
                lo = std::min(lo, v), hi = std::max(hi, v);
        }
    const vxPelBuffer<unsigned char> original = vfPelCopy(big);
    Image padded = big;
    vf_OCBackgroundPadImage(padded, region);
    EXPECT_TRUE(vfPelEqual(big, original));
    for (long y = 0; y < 30; ++y)
        for (long x = 0; x < 40; ++x) {
            const int v = *padded.pointToPel(x, y);
            if (region.contains(x, y)) EXPECT_EQ(v, *big.pointToPel(x, y));
            else EXPECT_TRUE(v >= lo && v <= hi) << x << "," << y;
        }
}

TEST(MarkDetection, PaddingWithAMask) {
    vxPelBuffer<unsigned char> img = card(10, 10, 50, 200, vxPelRect(3, 3, 4, 4));
    const vxPelBuffer<unsigned char> original = vfPelCopy(img);
    vxPelBuffer<unsigned char> mask = card(10, 10, 0, 10, vxPelRect(0, 0, 10, 10));
    bool ok = true;
    vf_OCBackgroundPadImage(img, mask, 128, img.window(), ok); // no care pixel
    EXPECT_FALSE(ok || mask.isBound());
    EXPECT_TRUE(vfPelEqual(img, original));
    mask = card(10, 10, 0, 255, vxPelRect(3, 3, 4, 4)); // care everywhere in its region
    vf_OCBackgroundPadImage(img, mask, 128, img.window(), ok);
    EXPECT_TRUE(ok && !mask.isBound());
    EXPECT_EQ(vfPelMin(img), 200); // the ink region spread over the window
}

TEST(MarkDetection, PolarityFromTheBorderAndDegenerateImages) {
    const auto unknown = vxOCDefs::eUnknownPolarity, dark = vxOCDefs::eDarkOnLight;
    const struct {
        unsigned char paper, ink;
        vxOCDefs::Polarity polarity;
        vxRect expected; // client frame: x 2 + 1, y 2; the null rectangle when none found
    } cases[] = {
        {200, 30, unknown, vxRect(11, 8, 12, 18)}, {30, 200, unknown, vxRect(11, 8, 12, 18)},
        {200, 30, dark, vxRect(11, 8, 12, 18)},
        {200, 30, vxOCDefs::eLightOnDark, vxRect(1, 0, 32, 32)}, // the paper around the ink
        {90, 90, unknown, vxRect()},
    };
    for (const auto& k : cases) {
        vxPelBuffer<unsigned char> img = card(16, 16, k.paper, k.ink, vxPelRect(5, 4, 6, 9));
        img.clientFromImageXform(vxXform<2>(vxMatrix<2>(2, 0, 0, 2), vxVector<2>(1, 0)));
        vxRect found(1, 1, 1, 1);
        EXPECT_EQ(detect(img, img.window(), k.polarity, found), !k.expected.degen());
        EXPECT_EQ(found, k.expected) << int(k.paper) << " " << k.polarity;
    }
    // A border split evenly between the two sides tells nothing; a blank finds nothing;
    // with a mask only care pixels are marks, and the care half holds no ink.
    const vxPelBuffer<unsigned char> split = card(8, 8, 200, 20, vxPelRect(0, 0, 4, 8));
    const Image mask = card(8, 8, 0, 255, vxPelRect(4, 0, 4, 8));
    vxRect r;
    EXPECT_FALSE(detect(split, split.window(), unknown, r));
    EXPECT_TRUE(detect(split, split.window(), dark, r));
    EXPECT_FALSE(detect(split, split.window(), dark, r, none, true));
    EXPECT_FALSE(detect(split, split.window(), dark, r, mask));
}

TEST(MarkDetection, OriginsFallBackToTheImageCorner) {
    const vxPelBuffer<unsigned char> img = card(16, 16, 200, 30, vxPelRect(5, 4, 6, 9));
    const auto unknown = vxOCDefs::eUnknownPolarity;
    vxVector<2> o;
    EXPECT_TRUE(vf_computeOriginImageCenter_(img, img.window(), none, o) && o == vxVector<2>(8, 8));
    // No specified mark: the detected one's corner, but false.
    EXPECT_FALSE(vf_computeOriginSpecifiedMarkLowerLeft_(img, img.window(), none, false, false,
                                                         vxRect(), false, vxRect(), unknown, o));
    EXPECT_EQ(o, vxVector<2>(5, 13));
    EXPECT_FALSE(vf_computeOriginDetectedMarkLowerLeft_(img, img.window(), none, true, false,
                                                        vxRect(), unknown, o));
    EXPECT_EQ(o, vxVector<2>(0, 16));
}

TEST(MarkDetection, RealGlyphsInBothPolarities) {
    namespace fs = std::filesystem;
    for (const char* font : {"libmono", "freemono"}) {
        const fs::path dir = fs::path(OC_REALFONT_DIR) / "teach" / font;
        if (!fs::exists(dir)) GTEST_SKIP() << "no real-font data";
        const Image sheet = vfReadPgm((dir / "sheet.pgm").string());
        vxPelMapTable invert;
        for (int v = 0; v < 256; ++v)
            invert[v] = static_cast<unsigned char>(255 - v);
        const Image inverted = vfPelMap(sheet, invert);
        std::ifstream manifest(dir / "manifest.txt");
        long key = 0, x = 0, y = 0, w = 0, h = 0, count = 0;
        std::string name, file;
        vxPelRect cell;
        while (manifest >> key >> name >> file >> x >> y >> w >> h) {
            SCOPED_TRACE(std::string(font) + " " + name);
            cell = vxPelRect(x, y, w, h);
            Image window = sheet;
            window.window(cell, false);
            // The truth: the bounding box of the pixels darker than the cell's mid-grey.
            const int mid = (vfPelMin(window) + vfPelMax(window) + 1) / 2;
            vxPelRect truth;
            for (long v = y; v < y + h; ++v)
                for (long u = x; u < x + w; ++u)
                    if (*sheet.pointToPel(u, v) < mid) truth = truth.enclose(vxPelRect(u, v, 1, 1));
            for (const bool dark : {true, false}) {
                vxRect found, forced;
                ASSERT_TRUE(detect(dark ? sheet : inverted, cell, vxOCDefs::eUnknownPolarity, found));
                detect(dark ? sheet : inverted, cell,
                       dark ? vxOCDefs::eDarkOnLight : vxOCDefs::eLightOnDark, forced);
                EXPECT_EQ(found, forced); // the polarity decided is the true one
                EXPECT_TRUE(vfRealEq(found.ul(), vxVector<2>(truth.ul()), 1.0) &&
                            vfRealEq(found.lr(), vxVector<2>(truth.lr()), 1.0));
            }
            ++count;
        }
        EXPECT_EQ(count, 38);
        // The place of the cell after the last one is blank paper, in both polarities.
        const vxPelRect blank = cell.translate(cell.width(), 0);
        ASSERT_TRUE(sheet.window().contains(blank));
        vxRect found;
        EXPECT_FALSE(detect(sheet, blank, vxOCDefs::eUnknownPolarity, found));
        EXPECT_FALSE(detect(inverted, blank, vxOCDefs::eUnknownPolarity, found));
    }
}
