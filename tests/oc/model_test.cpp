// Character model: invariants with their messages, unchanged state on failure,
// equality, enclosing rectangle and archive versions.
#include "oc_test_support.h"
#include "vxOCModel.h"

#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using Buffer = vxPelBuffer_const<unsigned char>;

// A 20 x 30 image with a gradient, so that pixel comparisons mean something.
vxPelBuffer<unsigned char> makeImage(long x = 0, long y = 0) {
    vxPelBuffer<unsigned char> img(vxPelRect(x, y, 20, 30));
    for (long r = 0; r < 30; ++r)
        for (long c = 0; c < 20; ++c)
            *img.pointToPel(x + c, y + r) = static_cast<unsigned char>(r * 7 + c);
    return img;
}

vxOCModel normalModel() {
    return vxOCModel(65, makeImage(), vxPelRect(2, 3, 10, 12), vxOCModel::eNormal, L"A", L"letter");
}

using oc_test::expectThrows;
} // namespace

TEST(Model, SettersAndConstructorsCheckWithTheirMessagesAndLeaveTheModelUnchanged) {
    vxOCModel blank; // the default: a blank, whose type no setter changes
    expectThrows<vxOCDefs::NotImplemented>([&] { blank.image(makeImage()); },
                                           L"Bound images are not supported for blank characters");
    EXPECT_FALSE(blank.image().isBound());
    blank.mask(makeImage()); // a blank may carry a mask
    EXPECT_TRUE(blank.mask().isBound());
    expectThrows<vxOCDefs::BadImage>(
        [] { vxOCModel(1, Buffer(), vxPelRect(), vxOCModel::eNormal, L"", L""); },
        L"Image models must be bound for normal characters.");

    vxOCModel m = normalModel();
    const vxOCModel before = m;
    const wchar_t* areaMessage = L"The image area must fit within the mask and image windows.";
    expectThrows<vxOCDefs::BadParams>([&] { m.imageArea(vxPelRect(-1, 0, 5, 5)); }, areaMessage);
    expectThrows<vxOCDefs::BadParams>(
        [&] { m.mask(makeImage(1, 0)); },
        L"Character mask window must be equal to the image character model window.");
    EXPECT_EQ(m, before);
    m.imageArea(vxPelRect(0, 0, 20, 30)); // equal to the window
    EXPECT_EQ(m.imageArea(), vxPelRect(0, 0, 20, 30));
    m.mask(makeImage());
    EXPECT_TRUE(m.mask().isBound());

    // A window narrower than the root still bounds the area.
    vxPelBuffer<unsigned char> narrow = makeImage();
    narrow.window(vxPelRect(5, 5, 10, 10), false);
    expectThrows<vxOCDefs::BadParams>(
        [&] { vxOCModel(1, narrow, vxPelRect(0, 0, 10, 10), vxOCModel::eNormal, L"", L""); },
        areaMessage);
}

TEST(Model, EqualityComparesPixelsTransformsAndMasks) {
    const vxOCModel a = normalModel();
    EXPECT_EQ(a, normalModel());

    vxOCModel b = normalModel();
    vxPelBuffer<unsigned char> shifted = makeImage();
    shifted.clientFromImageXform(vxXform<2>(vxMatrix<2>(), vxVector<2>(1e-9, 0)));
    b.image(shifted);
    EXPECT_NE(a, b);
    EXPECT_TRUE(vfRealEq(a, b, 1e-6));
    EXPECT_FALSE(vfRealEq(a, b, 1e-12));

    vxOCModel c = normalModel();
    c.mask(makeImage());
    vxPelBuffer<unsigned char> changed = makeImage();
    *changed.pointToPel(3, 3) ^= 1;
    vxOCModel d = normalModel();
    d.image(changed);
    for (const vxOCModel* other : {&c, &d}) {
        EXPECT_NE(a, *other);
        EXPECT_FALSE(vfRealEq(a, *other, 1.0));
    }
}

TEST(Model, EncloseRect) {
    vxOCModel m = normalModel();
    expectThrows<vxOCDefs::BadParams>([&] { m.encloseRect({}, {}, {}, -1, vxRadian(-1), -1); },
                                      L"Translation uncertainty must be >= 0");
    expectThrows<vxOCDefs::BadParams>([&] { m.encloseRect({}, {}, {}, 0, vxRadian(-1), -1); },
                                      L"Rotation uncertainty must be >= 0");
    expectThrows<vxOCDefs::BadParams>([&] { m.encloseRect({}, {}, {}, 0, vxRadian(0), -1); },
                                      L"Scale uncertainty must be >= 0");

    // Identity poses: the image area in client coordinates, widened on every side by
    // the translation uncertainty.
    vxPelBuffer<unsigned char> img = makeImage();
    img.clientFromImageXform(vxXform<2>(vxMatrix<2>(), vxVector<2>(100, 50)));
    vxOCModel placed(7, img, vxPelRect(2, 3, 10, 12), vxOCModel::eNormal, L"", L"");
    const vxRect r = placed.encloseRect({}, {}, {}, 2, vxRadian(0), 0);
    EXPECT_DOUBLE_EQ(r.x(), 100);
    EXPECT_DOUBLE_EQ(r.y(), 51);
    EXPECT_DOUBLE_EQ(r.width(), 14);
    EXPECT_DOUBLE_EQ(r.height(), 16);

    // A blank's area is bound by no window: its far corner may lie beyond long.
    vxOCModel far;
    far.imageArea(vxPelRect(LONG_MAX - 10, LONG_MAX - 10, 1000000, 1000000));
    const vxRect edge = far.encloseRect({}, {}, {}, 0, vxRadian(0), 0);
    EXPECT_GT(edge.x(), 9e18);
    EXPECT_NEAR(edge.width(), 1e6, 4096); // doubles are 2048 apart out there
}

TEST(Model, LoadingRefusesWhatTheConstructorsRefuseAndChangesNothing) {
    const Buffer image = makeImage(), none;
    vxPelBuffer<unsigned char> shiftedMask = makeImage(1, 0);
    const vxPelRect inside(2, 3, 10, 12);
    const struct Case {
        Buffer image, mask;
        vxOCModel::CharType type;
        vxPelRect area;
        bool loads;
    } cases[] = {
        {image, none, vxOCModel::eNormal, inside, true},
        {none, image, vxOCModel::eBlank, inside, true},
        {none, none, vxOCModel::eNormal, inside, false},
        {image, none, vxOCModel::eBlank, inside, false},
        {image, shiftedMask, vxOCModel::eNormal, inside, false},
        {image, none, vxOCModel::eNormal, vxPelRect(15, 3, 10, 12), false},
        {none, image, vxOCModel::eBlank, vxPelRect(-1, 0, 5, 5), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        vxArchive out;
        unsigned char version = 1;
        long key = 3;
        Buffer img = c.image, mask = c.mask;
        vxOCModel::CharType type = c.type;
        std::wstring name = L"n", description = L"d";
        vxPelRect area = c.area;
        out || version || key || img || mask || type || name || description || area;
        vxOCModel target = normalModel();
        vxArchive in(out.bytes());
        if (c.loads) {
            in || target;
            EXPECT_EQ(target.key(), 3);
        } else {
            EXPECT_THROW(in || target, vxArchive::BadData);
            EXPECT_EQ(target, normalModel());
        }
    }
}

TEST(Model, ArchiveRoundTripVersionsAndCorruption) {
    vxPelBuffer<unsigned char> img = makeImage(4, 2);
    img.clientFromImageXform(vxXform<2>(vxVector<2>(3, 4), 1.5, 1.0, vxRadian(0), vxRadian(0.2)));
    vxPtrHandle<vxOCModel> m(new vxOCModel(66, img, makeImage(4, 2), vxPelRect(5, 3, 10, 12),
                                           vxOCModel::eNormal, L"B", L"bee"));
    vxArchive out;
    std::vector<vxPtrHandle<vxOCModel>> twice{m, m};
    out || twice;

    std::vector<vxPtrHandle<vxOCModel>> back;
    {
        vxArchive in(out.bytes());
        in || back;
    }
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(*back[0], *m);
    EXPECT_EQ(back[0].get(), back[1].get());

    // Version 0 has no description; version 2 is unknown.
    vxOCModel plain = normalModel();
    vxArchive v1;
    v1 || plain;
    std::vector<unsigned char> bytes = v1.bytes();
    ASSERT_EQ(bytes[0], 1);
    bytes[0] = 2;
    vxOCModel target;
    vxArchive bad(bytes);
    EXPECT_THROW(bad || target, vxArchive::UnknownVersion);
    EXPECT_EQ(target, vxOCModel());

    vxArchive v0;
    unsigned char version = 0;
    long key = 9;
    Buffer image = makeImage(), mask;
    vxOCModel::CharType type = vxOCModel::eNormal;
    std::wstring name = L"old";
    vxPelRect area(1, 1, 5, 5);
    v0 || version || key || image || mask || type || name || area;
    vxOCModel old;
    old.description(L"to be cleared");
    vxArchive in0(v0.bytes());
    in0 || old;
    EXPECT_EQ(old.key(), 9);
    EXPECT_EQ(old.name(), L"old");
    EXPECT_EQ(old.description(), L"");
    EXPECT_EQ(old.imageArea(), area);
    EXPECT_TRUE(vfPelEqual(old.image(), image));

    // Every truncation throws and leaves the target as it was.
    const std::vector<unsigned char>& full = v1.bytes();
    for (size_t cut = 0; cut < full.size(); cut += 7) {
        vxOCModel t;
        vxArchive in(std::vector<unsigned char>(full.begin(), full.begin() + cut));
        EXPECT_THROW(in || t, vxArchive::Error);
        EXPECT_EQ(t, vxOCModel());
    }
}
