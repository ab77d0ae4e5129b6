// Character keys and metrics: order, wild-card match, flags and values, fixed point,
// enclosing, blankness, C records and archives.
#include "char_archive_support.h"
#include "oc_test_support.h"
#include "vxCharCode.h"
#include "vxOCCharKey.h"
#include "vxOCCharMetrics.h"

#include <gtest/gtest.h>


using oc_test::expectThrows;
using M = vxOCCharMetrics;

TEST(CharKey, OrderPutsUnsetFieldsLastAndComparesCodeFontInstanceVariant) {
    const vxOCCharKey u;
    const std::pair<vxOCCharKey, vxOCCharKey> before[] = {
        {{65}, {66}}, {{66}, u}, {{0xFFFFFFFF}, u}, {{65, -1, -1, 0}, {65, -1, -1, 2}},
        {{65, -1, -1, 2}, {65}}, {{65, -5}, {65, 3}}, {{65, 3}, {65}}, // -1 sorts last
        {{65, 9, 9, 0}, {65, 0, 0, 1}},  // font before instance
        {{65, 0, 9}, {65, 1, 0}},        // instance before variant
        {{65, 0, 0}, {65, 0, 1}}};
    for (const auto& [a, b] : before) {
        EXPECT_TRUE(a < b && !(b < a) && !(a < a)) << a.characterCode() << " " << b.characterCode();
    }
}

TEST(CharKey, WildCardMatchAndCharacterConversions) {
    const struct { vxOCCharKey a, b; bool match; } cases[] = {
        {{65}, {65, 3, 0, 7}, true},  {{65, 3, -1, 7}, {65, 3, 0, -1}, true},
        {{65, 2}, {65, 3}, false},    {{65, 2, 1}, {65, 2, 0}, false},
        {{65}, {66}, false},          {{}, {}, false}};
    for (const auto& k : cases)
        EXPECT_TRUE(k.a.isMatch(k.b) == k.match && k.b.isMatch(k.a) == k.match) << k.b.instance();
    EXPECT_EQ(wchar_t(vxOCCharKey(0x3042)), L'\x3042');
    EXPECT_THROW((void)char(vxOCCharKey(0x3042)), vxCharCodeDefs::NotRepresentable);
}

TEST(CharKey, RecordAndArchiveRoundTripsAndOldVersions) {
    const vxOCCharKey key(0x10FFFF, -7, 5, 2147483647);
    voc_charKey record{};
    key.getKey(record);
    EXPECT_EQ(record.variant, 5);
    vxOCCharKey back;
    back.setKey(record);
    EXPECT_EQ(back, key);

    // Version, then code, instance, font and variant in 32 bits each, little-endian.
    const std::vector<unsigned char> bytes = {1,    0xFF, 0xFF, 0x10, 0,    0xF9, 0xFF, 0xFF, 0xFF,
                                              0xFF, 0xFF, 0xFF, 0x7F, 5,    0,    0,    0};
    EXPECT_EQ(oc_test::store(key), bytes);
    EXPECT_EQ(oc_test::load<vxOCCharKey>(bytes), key);
    // Version 0 has no variant.
    std::vector<unsigned char> v0(bytes.begin(), bytes.end() - 4);
    v0[0] = 0;
    EXPECT_EQ(oc_test::load<vxOCCharKey>(v0), vxOCCharKey(0x10FFFF, -7, -1, 2147483647));
    oc_test::expectBrokenArchivesRefused(key, vxOCCharKey(1, 2, 3, 4));
}

TEST(CharMetrics, FlagsValuesAndTheirErrors) {
    M m;
    EXPECT_FALSE(m.isBlank());
    expectThrows<vxOCDefs::MetricNotSpecified>([&] { m.advance(); }, L"");
    m.markRect(vxRect(1, 2, 3, 4));
    expectThrows<vxOCDefs::RectNotSpecified>([&] { m.markRect(); }, L"");
    m.isMarkRectSpecified(true);
    EXPECT_EQ(m.markRect(), vxRect(1, 2, 3, 4));
    for (int bad : {0, 3, 48}) // within the enumeration's range of values
        expectThrows<vxOCDefs::BadParams>([&] { m.isRectSpecified(M::RectType(bad)); },
                                          L"Illegal metrics rect type");

    // Image rectangles are fixed point with 16 fractional bits.
    m.rect(M::eMarkRectImage, vxRect(1.5, 2.25, 10, 4));
    m.isRectSpecified(M::eMarkRectImage, true);
    EXPECT_EQ(m.rect(M::eMarkRectImage), vxRect(1.5, 2.25, 10, 4));
    voc_charMetrics record{};
    m.getMetrics(record);
    EXPECT_EQ(record.markImageRect.x, 3 << 15);
    const M before = m;
    EXPECT_THROW(m.rect(M::eCellRectImage, vxRect(40000, 0, 1, 1)), vxOCDefs::IntegerOverflow);
    EXPECT_EQ(m, before);

    m.cellRect(vxRect(3e9, 0, 1, 1));
    m.isRectSpecified(M::eCellRect, true);
    expectThrows<vxOCDefs::IntegerOverflow>([&] { m.encloseRect(M::eCellRect); },
                                            L"Value overflows integer value range");
}

TEST(CharMetrics, ImageRectanglesFollowTheClientOnesThroughATransform) {
    M m;
    m.cellRect(vxRect(1, 2, 3, 4));
    m.isRectSpecified(M::eCellRect, true);
    m.isRectSpecified(M::eDetectedMarkRectImage, true);
    const vxXform<2> imageFromClient(vxMatrix<2>(2, 0, 0, 2), vxVector<2>(10, 0));
    m.setImageRectsFromClientRects(imageFromClient);
    EXPECT_EQ(m.rect(M::eCellRectImage), vxRect(12, 4, 6, 8));
    EXPECT_FALSE(m.isRectSpecified(M::eDetectedMarkRectImage));

    vxPelBuffer<unsigned char> image(4, 4);
    image.imageFromClientXform(imageFromClient);
    EXPECT_EQ(m.encloseRectImage(M::eCellRect, image), vxPelRect(12, 4, 6, 8));
    // A transform that maps like the identity but calls itself non-linear.
    struct Bend : vx2XformLinear {
        bool isLinear() const override { return false; }
    };
    image.clientFromImage(vxPtrHandle_const<vx2XformBase>(new Bend));
    const M before = m;
    for (auto call : {+[](M& x, const vx_PelBuffer& b) { x.encloseRectImage(M::eCellRect, b); },
                      +[](M& x, const vx_PelBuffer& b) { x.setImageRectsFromClientRects(b); }})
        expectThrows<vxOCDefs::BadParams>([&] { call(m, image); },
                                          L"image must have a linear imageFromClient transform");
    EXPECT_EQ(m, before);
}

TEST(CharMetrics, Blankness) {
    EXPECT_TRUE(M::blankMetrics().isBlank());
    M m;
    m.markRect(vxRect(0, 0, 0, 5));
    m.isMarkRectSpecified(true);
    EXPECT_TRUE(m.isBlank());
    m.markRect(vxRect(0, 0, 2, 5));
    m.isRectSpecified(M::eMarkRectImage, true); // the image rectangle is still empty
    expectThrows<vxOCDefs::MetricNotSpecified>([&] { m.isBlank(); }, L"");
    m.isMarkRectSpecified(false);
    EXPECT_TRUE(m.isBlank());
}

TEST(CharMetrics, RecordAndArchiveRoundTripsAreExact) {
    M m;
    m.cellRect(vxRect(0.1, -2.7, 1e300, 3));
    m.markRect(vxRect(-1, 1, 5, 6));
    m.rect(M::eCellRectImage, vxRect(-3.25, 7, 1.0 / 65536, 100));
    m.advance(vxVector<2>(12.5, -0.3));
    m.isAdvanceSpecified(true);
    m.isRectSpecified(M::eCellRect, true);
    m.isRectSpecified(M::eCellRectImage, true);

    voc_charMetrics record{};
    m.getMetrics(record);
    EXPECT_EQ(record.cellImageRect.width, 1);
    record.specified |= 0x40; // not a rectangle: dropped
    M back;
    back.setMetrics(record);
    EXPECT_EQ(back, m);

    EXPECT_EQ(roundTripped(m), m);
    oc_test::expectBrokenArchivesRefused(m, M::blankMetrics());
    std::vector<unsigned char> bytes = oc_test::store(m);
    bytes[1] |= 0x40;
    EXPECT_THROW(oc_test::load<M>(bytes), vxArchive::BadData);
    bytes[0] = 0; // version 0 is refused before the flags are read
    EXPECT_THROW(oc_test::load<M>(bytes), vxArchive::UnknownVersion);
}
