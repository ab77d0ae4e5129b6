// Characters: root copies and image windows, threshold and binarization, polarity,
// names, unique instance keys, moving the origin, the C record and the archive.
#include "char_archive_support.h"
#include "oc_test_support.h"
#include "vxCharCode.h"
#include "vxOCChar.h"
#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using oc_test::expectThrows;
using Image = vxOCChar::Image;
using M = vxOCCharMetrics;

// A 12 x 10 root at (5, 5) holding x + 10 y, windowed to (7, 6, 4, 3).
vxPelBuffer<unsigned char> ramp() {
    vxPelBuffer<unsigned char> img(vxPelRect(5, 5, 12, 10));
    for (long y = 5; y < 15; ++y)
        for (long x = 5; x < 17; ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(x + 10 * y);
    img.window(vxPelRect(7, 6, 4, 3), false);
    return img;
}

// A character with every field set.
vxOCChar fullChar() {
    vxOCChar c;
    c.key(vxOCCharKey(65, 2, 1, 7));
    c.polarity(vxOCDefs::eLightOnDark);
    c.image(ramp(), vxPelRect(6, 5, 6, 6));
    c.mask(ramp());
    c.normalizedImage(ramp());
    c.hasThresholdAndInvert(true);
    c.threshold(100);
    c.invert(true);
    c.binarizedImage();
    c.imageArea(vxPelRect(8, 6, 2, 2));
    M m;
    m.cellRect(vxRect(0.5, 1, 4, 5));
    m.isRectSpecified(M::eCellRect, true);
    c.metrics(m);
    c.name32(U"A\U0001F600");
    c.description(L"capital");
    return c;
}

} // namespace

TEST(Char, RootCopiesImageAreaAndSetterErrors) {
    vxOCChar c;
    expectThrows<vxOCDefs::ThresholdAndInvertNotSpecified>([&] { c.threshold(); }, L"");
    EXPECT_TRUE(c.metrics().isBlank());
    EXPECT_EQ(c.markOrImageArea(), vxPelRect());
    expectThrows<vxOCDefs::BadParams>([&] { c.threshold(-1); }, L"Threshold must be >= 0.");
    expectThrows<vxOCDefs::BadParams>([&] { c.polarity(vxOCDefs::Polarity(3)); },
                                      L"Unknown polarity");
    expectThrows<vxOCDefs::BadParams>([&] { c.image(ramp(), vxPelRect(8, 6, 4, 3)); },
                                      L"Root copy rect does not contain image window");

    vxPelBuffer<unsigned char> source = ramp();
    c.image(source, vxPelRect(0, 0, 12, 9)); // clipped to the root
    *source.pointToPel(7, 6) = 0;
    EXPECT_EQ(c.image().window(), vxPelRect(7, 6, 4, 3));
    EXPECT_EQ(c.image().rootWindow(), vxPelRect(5, 5, 7, 4));
    EXPECT_EQ(*c.image().pointToPel(7, 6), 67); // not the source's new 0
    expectThrows<vxOCDefs::BadParams>([&] { c.image(true); }, L"imageArea cannot be null");
    c.image(ramp());
    EXPECT_EQ(c.image().rootWindow(), vxPelRect(7, 6, 4, 3));
    c.imageArea(vxPelRect(6, 6, 2, 2));
    expectThrows<vxOCDefs::BadParams>([&] { c.image(true); }, L"image does not contain imageArea");
    c.imageArea(vxPelRect(8, 7, 2, 2));
    EXPECT_EQ(*c.image(true).pointToPel(8, 7), 78);
}

TEST(Char, SamePolarityKeepsTheDetectedMarkOtherChangesForgetIt) {
    M m;
    m.hasDetectedMarkRect(true);
    vxOCChar c;
    for (auto change : {+[](vxOCChar& x) { x.polarity(vxOCDefs::eDarkOnLight); },
                        +[](vxOCChar& x) { x.image(ramp()); }, +[](vxOCChar& x) { x.mask(ramp()); },
                        +[](vxOCChar& x) { x.normalizedImage(ramp()); },
                        +[](vxOCChar& x) { x.imageArea(vxPelRect(1, 1, 1, 1)); }}) {
        c.metrics(m);
        c.polarity(c.polarity());
        EXPECT_TRUE(c.metrics().hasDetectedMarkRect());
        change(c);
        EXPECT_FALSE(c.metrics().hasDetectedMarkRect());
    }
}

TEST(Char, BinarizationFollowsThresholdAndInvertAndIsDroppedOnChange) {
    const struct { long threshold; bool invert; unsigned char at99, at100; } cases[] = {
        {100, false, 0, 255}, {100, true, 255, 0}, {0, false, 255, 255}, {256, false, 0, 0}};
    vxPelBuffer<unsigned char> img(2, 1);
    *img.pointToPel(0, 0) = 99;
    *img.pointToPel(1, 0) = 100;
    vxOCChar c;
    c.normalizedImage(img);
    c.hasThresholdAndInvert(true);
    for (const auto& k : cases) {
        c.threshold(k.threshold);
        c.invert(k.invert);
        const Image b = c.binarizedImage();
        EXPECT_TRUE(*b.pointToPel(0, 0) == k.at99 && *b.pointToPel(1, 0) == k.at100)
            << k.threshold << " " << k.invert;
    }
    c.threshold(300);
    expectThrows<vxOCDefs::BadParams>([&] { c.binarizedImage(); }, L"threshold() > 256)");
    c.threshold(100);
    EXPECT_EQ(c.binarizedImageMarkRect().window(), vxPelRect(1, 0, 1, 1));
    c.threshold(101);
    expectThrows<vxOCDefs::RectNotSpecified>([&] { c.binarizedImageMarkRect(); },
                                             L"Rect not specified");
}

TEST(Char, NormalizedImageThroughTheCLayer) {
    vxOCChar c = fullChar();
    c.normalizedImage(ramp(), true, 150, false, vxPelRect(5, 5, 8, 8));
    EXPECT_EQ(c.threshold(), 150);
    EXPECT_EQ(c.normalizedImage().rootWindow(), vxPelRect(5, 5, 8, 8));
    EXPECT_EQ(*c.binarizedImage().pointToPel(10, 8), 0); // 90
    const vxOCChar before = c;
    expectThrows<vxOCDefs::BadParams>(
        [&] { c.normalizedImage(ramp(), false, 257, false, vxPelRect()); },
        L"Threshold must be between 0 and 256 inclusive");
    EXPECT_EQ(c, before);
}

TEST(Char, NamesInBothForms) {
    vxOCChar c;
    c.name(L"\xD800x"); // a lone surrogate widens unit by unit
    EXPECT_EQ(c.name32(), std::u32string(U"\xD800x", 2));
    c.name32(U"\U0001F600");
    EXPECT_EQ(c.name(), L"\U0001F600");
    c.name32(std::u32string(1, char32_t(0x110000)));
    expectThrows<vxCharCodeDefs::NotRepresentable>([&] { c.name(); }, L"");
}

TEST(Char, UniqueInstanceKeys) {
    std::vector<vxOCCharKey> keys = {{65, -1}, {65, -1}, {65, 0}};
    EXPECT_TRUE(vxOCChar::makeUniqueInstanceKeys(keys));
    EXPECT_EQ(keys, (std::vector<vxOCCharKey>{{65, 0}, {65, 1}, {65, 2}}));
    keys = {{65, -1}};
    EXPECT_FALSE(vxOCChar::makeUniqueInstanceKeys(keys) || keys[0].instance() != 0);

    const struct { vxOCCharKey key; std::vector<vxOCCharKey> keys; long instance; } cases[] = {
        {{65, 2}, {{65, 0}, {65, 1}, {65, 2}}, 3},
        {{65, 2}, {{65, 0}, {65, 2}}, 1},
        {{65, 5}, {{65, 0}, {66, 5}}, 5},                   // other codes don't count
        {{65, -1}, {{65, 0, 3, 4}, {65, -1}}, 1},           // nor fonts and variants
        {{65, 0}, {{65, 0}, {65, 0}, {65, -4}, {65, 1}}, 2}, // duplicates and negatives
    };
    for (const auto& k : cases)
        EXPECT_EQ(vxOCChar::makeUniqueInstanceKey(k.key, k.keys).instance(), k.instance);
}

TEST(Char, MoveOriginShiftsClientFramesAndRectangles) {
    vxOCChar c = fullChar();
    M m = c.metrics();
    m.markRect(vxRect(10, 10, 4, 6));
    m.isMarkRectSpecified(true);
    m.detectedMarkRect(vxRect(10, 10, 0, 6)); // degenerate: stays
    m.hasDetectedMarkRect(true);
    c.metrics(m);
    c.moveOrigin(vxVector<2>(5, 5));
    EXPECT_EQ(c.metrics().markRect(), vxRect(5, 5, 4, 6));
    EXPECT_EQ(c.metrics().detectedMarkRect(), vxRect(10, 10, 0, 6));
    EXPECT_EQ(c.metrics().cellRect(), vxRect(-4.5, -4, 4, 5));
    EXPECT_EQ(c.image().clientFromImageXform().trans(), vxVector<2>(-5, -5));
    EXPECT_TRUE(c.normalizedImage().clientFromImageXform().isIdentity());
    // The mark window follows: client (5, 5) is image (10, 10) now.
    m.markRect(vxRect(3, 1, 2, 1));
    c.metrics(m);
    EXPECT_EQ(c.markOrImageArea(), vxPelRect(8, 6, 2, 1));
}

TEST(Char, RecordAndArchiveRoundTripsAreExact) {
    const vxOCChar c = fullChar();
    for (bool copy : {false, true}) {
        voc_char record;
        ASSERT_EQ(voc_char_construct(&record), VOC_OK);
        c.getCharacter(record, copy);
        EXPECT_EQ(record.image.pels == c.image().pointToPel(7, 6), !copy);
        c.getCharacter(record, copy); // refilling releases what the record held
        vxOCChar back;
        back.setCharacter(record, copy);
        if (copy) { // a bad polarity changes nothing
            record.polarity = voc_charPolarity(3);
            expectThrows<vxOCDefs::BadParams>([&] { back.setCharacter(record, false); },
                                              L"Illegal polarity");
        }
        voc_char_destruct(&record);
        EXPECT_EQ(back, c);
        EXPECT_EQ(back.image().window(), c.image().window());
    }

    const vxOCChar back = oc_test::load<vxOCChar>(oc_test::store(c));
    EXPECT_EQ(back, c);
    const std::vector<unsigned char> bytes = oc_test::store(c);
    EXPECT_EQ(oc_test::store(back), bytes);
    // After the version byte, the key and the polarity comes the image.
    const std::vector<unsigned char> image = oc_test::store(c.image());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin() + 22));
    oc_test::expectBrokenArchivesRefused(c, vxOCChar());
}

TEST(Char, ArchivedPolarityLoadsUncheckedUnlessTheEnumerationCannotHoldIt) {
    std::vector<unsigned char> bytes = oc_test::store(fullChar());
    bytes[18] = 3;
    EXPECT_EQ(oc_test::load<vxOCChar>(bytes).polarity(), vxOCDefs::Polarity(3));
    bytes[18] = 8;
    EXPECT_THROW(oc_test::load<vxOCChar>(bytes), vxArchive::BadData);
}
