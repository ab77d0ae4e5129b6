// Character model: invariants with their messages, unchanged state on failure and
// archive versions.
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

}
