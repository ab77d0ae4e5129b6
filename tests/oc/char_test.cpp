// Characters: errors, threshold and binarization, unique instance keys, the C record
// and the archive.
#include "char_archive_support.h"
#include "vxCharCode.h"
#include "vxOCChar.h"

#include <gtest/gtest.h>

#include <algorithm>

using M = vxOCCharMetrics;

// A 12 x 10 root at (5, 5) holding x + 10 y, windowed to (7, 6, 4, 3).
static vxPelBuffer<unsigned char> ramp() {
    vxPelBuffer<unsigned char> img(vxPelRect(5, 5, 12, 10));
    for (long y = 5; y < 15; ++y)
        for (long x = 5; x < 17; ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(x + 10 * y);
    img.window(vxPelRect(7, 6, 4, 3), false);
    return img;
}

// A character with every field set; the normalized image with its threshold and invert
// comes through the C layer.
static vxOCChar fullChar() {
    vxOCChar c;
    c.key(vxOCCharKey(65, 2, 1, 7));
    c.polarity(vxOCDefs::eLightOnDark);
    c.image(ramp(), vxPelRect(6, 5, 6, 6));
    c.mask(ramp());
    c.normalizedImage(ramp(), true, 100, true, vxPelRect(5, 5, 8, 8));
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

TEST(Char, DocumentedErrorsChangeNothing) {
    using BadParams = vxOCDefs::BadParams;
    vxOCChar c = fullChar(), plain, off = fullChar(), dark = fullChar();
    plain.name32(std::u32string(1, char32_t(0x110000)));
    off.imageArea(vxPelRect());
    off.threshold(300);
    dark.imageArea(vxPelRect(6, 6, 2, 2));
    dark.threshold(0); // with invert, every pixel binarizes to 0
    oc_test::expectRefusals({
        {typeid(vxOCDefs::ThresholdAndInvertNotSpecified), L"", [&] { plain.threshold(); }},
        {typeid(vxOCDefs::ThresholdAndInvertNotSpecified), L"", [&] { plain.binarizedImage(); }},
        {typeid(BadParams), L"Threshold must be >= 0.", [&] { c.threshold(-1); }},
        {typeid(vxOCDefs::IntegerOverflow), L"Value overflows integer value range",
         [&] { c.threshold(long(INT32_MAX) + 1); }},
        {typeid(BadParams), L"Unknown polarity", [&] { c.polarity(vxOCDefs::Polarity(3)); }},
        {typeid(BadParams), L"Root copy rect does not contain image window",
         [&] { c.image(ramp(), vxPelRect(8, 6, 4, 3)); }},
        {typeid(BadParams), L"Threshold must be between 0 and 256 inclusive",
         [&] { c.normalizedImage(ramp(), false, 257, false, vxPelRect()); }},
        {typeid(BadParams), L"imageArea cannot be null", [&] { off.image(true); }},
        {typeid(BadParams), L"threshold() > 256)", [&] { off.binarizedImage(); }},
        {typeid(BadParams), L"image does not contain imageArea", [&] { dark.mask(true); }},
        {typeid(vxOCDefs::RectNotSpecified), L"", [&] { c.imageMarkRect(); }},
        {typeid(vxOCDefs::RectNotSpecified), L"Rect not specified",
         [&] { dark.binarizedImageMarkRect(); }},
        {typeid(vxCharCodeDefs::NotRepresentable), L"", [&] { plain.name(); }},
    });
    EXPECT_EQ(c, fullChar());
}

TEST(Char, BinarizationFollowsThresholdAndInvertAndIsDroppedOnChange) {
    // The ramp's window starts 67, 68; its largest value 90 is alone at (10, 8).
    const struct { long threshold; bool invert; unsigned char at67, at68; } cases[] = {
        {68, true, 255, 0}, {0, false, 255, 255}, {256, false, 0, 0}, {68, false, 0, 255},
        {90, false, 0, 0}};
    vxOCChar c;
    c.normalizedImage(ramp());
    c.hasThresholdAndInvert(true);
    for (const auto& k : cases) {
        c.threshold(k.threshold);
        c.invert(k.invert);
        const vxOCChar::Image b = c.binarizedImage();
        EXPECT_TRUE(*b.pointToPel(7, 6) == k.at67 && *b.pointToPel(8, 6) == k.at68) << k.threshold;
    }
    EXPECT_EQ(c.binarizedImageMarkRect().window(), vxPelRect(10, 8, 1, 1));
    // Through the C layer, which sets the threshold and invert too (90 is below 100).
    c = fullChar();
    EXPECT_TRUE(c.threshold() == 100 && c.invert() && *c.binarizedImage().pointToPel(10, 8) == 255);
    EXPECT_EQ(c.normalizedImage().rootWindow(), vxPelRect(5, 5, 8, 8));
}

TEST(Char, UniqueInstanceKeys) {
    std::vector<vxOCCharKey> keys = {{65, -1}, {65, -1}, {65, 0}}, one = {{65, -1}};
    EXPECT_TRUE(vxOCChar::makeUniqueInstanceKeys(keys) && !vxOCChar::makeUniqueInstanceKeys(one));
    EXPECT_EQ(keys, (std::vector<vxOCCharKey>{{65, 0}, {65, 1}, {65, 2}}));
    EXPECT_EQ(one[0].instance(), 0);
    const struct { vxOCCharKey key; std::vector<vxOCCharKey> keys; long instance; } cases[] = {
        // Other codes don't count, nor fonts and variants; duplicates and negatives.
        {{65, 2}, {{65, 0}, {65, 1}, {65, 2}}, 3}, {{65, 2}, {{65, 0}, {65, 2}}, 1},
        {{65, 5}, {{65, 0}, {66, 5}}, 5},          {{65, -1}, {{65, 0, 3, 4}, {65, -1}}, 1},
        {{65, 0}, {{65, 0}, {65, 0}, {65, -4}, {65, 1}}, 2}};
    for (const auto& k : cases)
        EXPECT_EQ(vxOCChar::makeUniqueInstanceKey(k.key, k.keys).instance(), k.instance);
}

TEST(Char, RecordAndArchiveRoundTripsAreExact) {
    const vxOCChar c = fullChar();
    for (bool copy : {false, true}) {
        voc_char record;
        ASSERT_EQ(voc_char_construct(&record), VOC_OK);
        c.getCharacter(record, copy);
        EXPECT_EQ(record.image.pels == c.image().pointToPel(7, 6), !copy);
        vxOCChar back;
        back.setCharacter(record, copy);
        record.polarity = voc_charPolarity(3); // refused, changing nothing
        oc_test::expectRefusals({{typeid(vxOCDefs::BadParams), L"Illegal polarity",
                                  [&] { back.setCharacter(record, false); }}});
        voc_char_destruct(&record);
        EXPECT_TRUE(back == c && back.image().window() == c.image().window());
    }
    std::vector<unsigned char> bytes = oc_test::store(c);
    EXPECT_EQ(oc_test::load<vxOCChar>(bytes), c);
    // After the version byte, the key and the polarity comes the image.
    const std::vector<unsigned char> image = oc_test::store(c.image());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin() + 22));
    oc_test::expectBrokenArchivesRefused(c, vxOCChar());
    bytes[18] = 8; // a polarity the enumeration cannot hold
    EXPECT_THROW(oc_test::load<vxOCChar>(bytes), vxArchive::BadData);
}
