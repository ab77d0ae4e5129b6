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

// A w x h image of `paper` with `ink` in the rectangle r.
vxPelBuffer<unsigned char> card(long w, long h, unsigned char paper, unsigned char ink,
                                const vxPelRect& r) {
    vxPelBuffer<unsigned char> img(w, h);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            *img.pointToPel(x, y) = r.contains(x, y) ? ink : paper;
    return img;
}

// The bounding box of the pixels below `level` in rect (the null rectangle if none).
vxPelRect darkBox(const Image& img, const vxPelRect& rect, int level) {
    vxPelRect box;
    for (long y = rect.y(); y < rect.lr().y(); ++y)
        for (long x = rect.x(); x < rect.lr().x(); ++x)
            if (*img.pointToPel(x, y) < level) box = box.enclose(vxPelRect(x, y, 1, 1));
    return box;
}

} // namespace

TEST(MarkDetection, CareRegionWindowsOrUnbindsTheMask) {
    bool ok = false;
    Image empty = card(6, 6, 0, 127, vxPelRect(1, 1, 2, 2));
    EXPECT_EQ(vf_OCWindowMaskCareRegion(empty, 128, ok), vxPelRect());
    EXPECT_FALSE(ok);
    EXPECT_FALSE(empty.isBound());
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

    // A noisy region inside a larger window; the caller's pixels stay as they were.
    vxPelBuffer<unsigned char> big(40, 30);
    for (long y = 0; y < 30; ++y)
        for (long x = 0; x < 40; ++x)
            *big.pointToPel(x, y) = static_cast<unsigned char>((x * 37 + y * 101) % 200 + 20);
    const vxPelRect region(9, 7, 20, 15);
    Image padded = big;
    vf_OCBackgroundPadImage(padded, region);
    Image inside = padded, source = big;
    inside.window(region, false);
    source.window(region, false);
    EXPECT_TRUE(vfPelEqual(inside, source));
    int lo = 255, hi = 0; // the range of the region's border
    for (const vxPelRect& edge : {vxPelRect(9, 7, 20, 1), vxPelRect(9, 21, 20, 1),
                                  vxPelRect(9, 7, 1, 15), vxPelRect(28, 7, 1, 15)}) {
        source.window(edge, false);
        lo = std::min<int>(lo, vfPelMin(source));
        hi = std::max<int>(hi, vfPelMax(source));
    }
    for (long y = 0; y < 30; ++y)
        for (long x = 0; x < 40; ++x)
            if (!region.contains(x, y)) {
                EXPECT_TRUE(*padded.pointToPel(x, y) >= lo && *padded.pointToPel(x, y) <= hi);
            }
    Image same = big;
    vf_OCBackgroundPadImage(same, big.window());
    EXPECT_TRUE(vfPelEqual(same, big));
}

TEST(MarkDetection, PaddingWithAMask) {
    vxPelBuffer<unsigned char> img = card(10, 10, 50, 200, vxPelRect(3, 3, 4, 4));
    const vxPelBuffer<unsigned char> original = vfPelCopy(img);
    vxPelBuffer<unsigned char> mask = card(10, 10, 0, 10, vxPelRect(0, 0, 10, 10));
    bool ok = true;
    vf_OCBackgroundPadImage(img, mask, 128, img.window(), ok); // no care pixel
    EXPECT_FALSE(ok);
    EXPECT_FALSE(mask.isBound());
    EXPECT_TRUE(vfPelEqual(img, original));

    mask = card(10, 10, 0, 255, vxPelRect(3, 3, 4, 4)); // care everywhere in its region
    vf_OCBackgroundPadImage(img, mask, 128, img.window(), ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(mask.isBound());
    EXPECT_EQ(vfPelMin(img), 200); // the ink region spread over the window
}

TEST(MarkDetection, PolarityFromTheBorderAndDegenerateImages) {
    const vxPelRect ink(5, 4, 6, 9);
    struct Case {
        unsigned char paper, ink;
        vxOCDefs::Polarity polarity;
        bool found;
    } cases[] = {
        {200, 30, vxOCDefs::eUnknownPolarity, true}, {30, 200, vxOCDefs::eUnknownPolarity, true},
        {200, 30, vxOCDefs::eDarkOnLight, true},     {200, 30, vxOCDefs::eLightOnDark, true},
        {90, 90, vxOCDefs::eUnknownPolarity, false},
    };
    for (const Case& k : cases) {
        vxPelBuffer<unsigned char> img = card(16, 16, k.paper, k.ink, ink);
        img.clientFromImageXform(vxXform<2>(vxMatrix<2>(2, 0, 0, 2), vxVector<2>(1, 0)));
        vxRect found(1, 1, 1, 1);
        EXPECT_EQ(vf_DetectMarkRect_(img, img.window(), Image(), false, k.polarity, found), k.found);
        // Light ink asked for as dark finds the paper around it.
        const bool paperFound = k.polarity == vxOCDefs::eLightOnDark;
        const vxRect expected = !k.found ? vxRect()
                                : paperFound ? vxRect(1, 0, 32, 32)
                                             : vxRect(11, 8, 12, 18);
        EXPECT_EQ(found, expected) << int(k.paper) << " " << k.polarity;
    }
    // A border split evenly between the two sides tells nothing.
    vxPelBuffer<unsigned char> split = card(8, 8, 200, 20, vxPelRect(0, 0, 4, 8));
    vxRect r;
    EXPECT_FALSE(vf_DetectMarkRect_(split, split.window(), Image(), false,
                                    vxOCDefs::eUnknownPolarity, r));
    EXPECT_TRUE(vf_DetectMarkRect_(split, split.window(), Image(), false, vxOCDefs::eDarkOnLight, r));
    EXPECT_FALSE(vf_DetectMarkRect_(split, split.window(), Image(), true, vxOCDefs::eDarkOnLight, r));
    // With a mask only care pixels are marks: the care half holds no ink.
    const Image mask = card(8, 8, 0, 255, vxPelRect(4, 0, 4, 8));
    EXPECT_FALSE(vf_DetectMarkRect_(split, split.window(), mask, false, vxOCDefs::eDarkOnLight, r));
}

TEST(MarkDetection, OriginsFallBackToTheImageCorner) {
    const vxPelBuffer<unsigned char> img = card(16, 16, 200, 30, vxPelRect(5, 4, 6, 9));
    const Image none;
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
        const vxPelBuffer<unsigned char> sheet = vfReadPgm((dir / "sheet.pgm").string());
        vxPelMapTable invert;
        for (int v = 0; v < 256; ++v)
            invert[v] = static_cast<unsigned char>(255 - v);
        const Image inverted = vfPelMap(sheet, invert);
        std::ifstream manifest(dir / "manifest.txt");
        long key = 0, x = 0, y = 0, w = 0, h = 0;
        std::string name, file;
        int count = 0;
        vxPelRect last;
        while (manifest >> key >> name >> file >> x >> y >> w >> h) {
            last = vxPelRect(x, y, w, h);
            SCOPED_TRACE(std::string(font) + " " + name);
            const vxPelRect cell(x, y, w, h);
            Image window = sheet;
            window.window(cell, false);
            const vxPelRect truth =
                darkBox(sheet, cell, (vfPelMin(window) + vfPelMax(window) + 1) / 2);
            for (const bool dark : {true, false}) {
                const Image& img = dark ? Image(sheet) : inverted;
                vxRect found, forced;
                ASSERT_TRUE(vf_DetectMarkRect_(img, cell, Image(), false,
                                               vxOCDefs::eUnknownPolarity, found));
                vf_DetectMarkRect_(img, cell, Image(), false,
                                   dark ? vxOCDefs::eDarkOnLight : vxOCDefs::eLightOnDark, forced);
                EXPECT_EQ(found, forced); // the polarity decided is the true one
                EXPECT_TRUE(vfRealEq(found.ul(), vxVector<2>(truth.ul()), 1.0) &&
                            vfRealEq(found.lr(), vxVector<2>(truth.lr()), 1.0));
            }
            ++count;
        }
        EXPECT_EQ(count, 38);
        // The place of the cell after the last one is blank paper, in both polarities.
        const vxPelRect blank(last.x() + last.width(), last.y(), last.width(), last.height());
        ASSERT_TRUE(sheet.window().contains(blank));
        vxRect found;
        EXPECT_FALSE(vf_DetectMarkRect_(Image(sheet), blank, Image(), false,
                                        vxOCDefs::eUnknownPolarity, found));
        EXPECT_FALSE(vf_DetectMarkRect_(inverted, blank, Image(), false,
                                        vxOCDefs::eUnknownPolarity, found));
    }
}
