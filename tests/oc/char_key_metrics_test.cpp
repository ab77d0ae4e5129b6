// Character keys and metrics: order, wild-card match, flags and values, fixed point,
// enclosing, blankness, their errors, C records and archives.
#include "char_archive_support.h"
#include "vxCharCode.h"
#include "vxOCCharKey.h"
#include "vxOCCharMetrics.h"

#include <gtest/gtest.h>

using M = vxOCCharMetrics;

TEST(CharKey, OrderWildCardsRecordAndArchive) {
    const vxOCCharKey u;
    const std::pair<vxOCCharKey, vxOCCharKey> before[] = {
        // -1 sorts last; font before instance before variant.
        {{65}, {66}}, {{66}, u}, {{0xFFFFFFFF}, u}, {{65, -1, -1, 0}, {65, -1, -1, 2}},
        {{65, -1, -1, 2}, {65}}, {{65, -5}, {65, 3}}, {{65, 3}, {65}}, {{65, 0, 0}, {65, 0, 1}},
        {{65, 9, 9, 0}, {65, 0, 0, 1}}, {{65, 0, 9}, {65, 1, 0}}};
    for (const auto& [a, b] : before)
        EXPECT_TRUE(a < b && !(b < a) && !(a < a)) << a.characterCode() << " " << b.characterCode();
    const struct { vxOCCharKey a, b; bool match; } cases[] = {
        {{65}, {65, 3, 0, 7}, true}, {{65, 3, -1, 7}, {65, 3, 0, -1}, true},
        {{65, 2}, {65, 3}, false},   {{65, 2, 1}, {65, 2, 0}, false},
        {{65}, {66}, false},         {{}, {}, false}};
    for (const auto& k : cases)
        EXPECT_TRUE(k.a.isMatch(k.b) == k.match && k.b.isMatch(k.a) == k.match) << k.b.instance();

    const vxOCCharKey key(0x10FFFF, -7, 5, 2147483647);
    voc_charKey record{};
    key.getKey(record);
    vxOCCharKey back;
    back.setKey(record);
    EXPECT_TRUE(back == key && record.variant == 5);
    // Version, then code, instance, font and variant in 32 bits each, little-endian.
    const std::vector<unsigned char> bytes = {1, 0xFF, 0xFF, 0x10, 0, 0xF9, 0xFF, 0xFF, 0xFF,
                                              0xFF, 0xFF, 0xFF, 0x7F, 5, 0, 0, 0};
    EXPECT_TRUE(oc_test::store(key) == bytes && oc_test::load<vxOCCharKey>(bytes) == key);
    std::vector<unsigned char> v0(bytes.begin(), bytes.end() - 4); // version 0: no variant
    v0[0] = 0;
    EXPECT_EQ(oc_test::load<vxOCCharKey>(v0), vxOCCharKey(0x10FFFF, -7, -1, 2147483647));
    oc_test::expectBrokenArchivesRefused(key, vxOCCharKey(1, 2, 3, 4));
}

TEST(CharMetrics, DocumentedErrorsChangeNothing) {
    const std::type_info &bad = typeid(vxOCDefs::BadParams),
                         &over = typeid(vxOCDefs::IntegerOverflow);
    const wchar_t* const linear = L"image must have a linear imageFromClient transform";
    // odd: a cell beyond 32 bits, and a client mark the flat (so blank) image one contradicts.
    M m, odd;
    odd.cellRect(vxRect(3e9, 0, 1, 1));
    odd.markRect(vxRect(0, 0, 2, 5));
    odd.rect(M::eMarkRectImage, vxRect(0, 0, 3, 0));
    for (M::RectType t : {M::eCellRect, M::eMarkRect, M::eMarkRectImage})
        odd.isRectSpecified(t, true);
    // A transform that maps like the identity but calls itself non-linear.
    struct Bend : vx2XformLinear { bool isLinear() const override { return false; } };
    vxPelBuffer<unsigned char> bent(4, 4);
    bent.clientFromImage(vxPtrHandle_const<vx2XformBase>(new Bend));
    oc_test::expectRefusals({
        {bad, L"Illegal metrics rect type", [&] { m.rect(M::RectType(48), vxRect()); }},
        {typeid(vxOCDefs::RectNotSpecified), L"", [&] { m.markRect(); }},
        {typeid(vxOCDefs::MetricNotSpecified), L"", [&] { m.advance(); }},
        {typeid(vxOCDefs::MetricNotSpecified), L"", [&] { odd.isBlank(); }},
        {over, L"Value overflows fixed point value range",
         [&] { m.rect(M::eCellRectImage, vxRect(40000, 0, 1, 1)); }},
        {over, L"Value overflows integer value range", [&] { odd.encloseRect(M::eCellRect); }},
        {bad, linear, [&] { m.encloseRectImage(M::eCellRect, bent); }},
        {bad, linear, [&] { m.setImageRectsFromClientRects(bent); }},
        {typeid(vxCharCodeDefs::NotRepresentable), L"Character code is not representable as char",
         [] { (void)char(vxOCCharKey(0x3042)); }},
    });
    EXPECT_EQ(m, M());
}

TEST(CharMetrics, FlagsBlanknessTransformsRecordAndArchive) {
    M m;
    m.markRect(vxRect(0, 0, 0, 5));
    EXPECT_FALSE(m.isMarkRectSpecified() || m.isBlank()); // values and flags are set apart
    m.isMarkRectSpecified(true);
    EXPECT_TRUE(m.isBlank() && M::blankMetrics().isBlank());
    m.cellRect(vxRect(1, 2, 3, 4));
    m.isRectSpecified(M::eCellRect, true);
    m.isMarkRectSpecified(false);
    m.isRectSpecified(M::eMarkRectImage, true);
    vxPelBuffer<unsigned char> image(4, 4);
    image.imageFromClientXform(vxXform<2>(vxMatrix<2>(2, 0, 0, 2), vxVector<2>(10, 0)));
    m.setImageRectsFromClientRects(image);
    EXPECT_EQ(m.rect(M::eCellRectImage), vxRect(12, 4, 6, 8));
    EXPECT_FALSE(m.isRectSpecified(M::eMarkRectImage));
    EXPECT_EQ(m.encloseRectImage(M::eCellRect, image), vxPelRect(12, 4, 6, 8));

    // Round trips, exact.
    m = M();
    m.cellRect(vxRect(0.1, -2.7, 1e300, 3));
    m.markRect(vxRect(-1, 1, 5, 6));
    m.rect(M::eCellRectImage, vxRect(-3.25, 7, 1.0 / 65536, 100));
    m.advance(vxVector<2>(12.5, -0.3));
    m.isAdvanceSpecified(true);
    m.isRectSpecified(M::eCellRect, true);
    m.isRectSpecified(M::eCellRectImage, true);
    EXPECT_EQ(m.rect(M::eCellRectImage), vxRect(-3.25, 7, 1.0 / 65536, 100));
    voc_charMetrics record{};
    m.getMetrics(record);
    EXPECT_EQ(record.cellImageRect.x, -212992); // -3.25 with 16 fractional bits
    record.specified |= 0x40;                   // not a rectangle: dropped
    M back;
    back.setMetrics(record);
    EXPECT_TRUE(back == m && roundTripped(m) == m);
    oc_test::expectBrokenArchivesRefused(m, M::blankMetrics());
    std::vector<unsigned char> bytes = oc_test::store(m);
    bytes[1] |= 0x40;
    EXPECT_THROW(oc_test::load<M>(bytes), vxArchive::BadData);
}
