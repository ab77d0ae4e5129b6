// Conversion between pel buffers and C-level views: sharing, lifetimes, failures.
#include "vxPelOps.h"
#include "vx_Image.h"

#include <gtest/gtest.h>

namespace {
using Buffer = vxPelBuffer<unsigned char>;
using ConstBuffer = vxPelBuffer_const<unsigned char>;

const vxXform<2> kXform(vxMatrix<2>(0.5, 0.25, -0.125, 2.0), vxVector<2>(3.0, -4.0));

Buffer sample() {
    Buffer b(vxPelRect(-2, 3, 6, 4), 32);
    for (long y = 3; y < 7; ++y)
        for (long x = -2; x < 4; ++x)
            *b.pointToPel(x, y) = static_cast<unsigned char>(10 * y + x);
    b.window(vxPelRect(0, 4, 3, 2), false);
    b.clientFromImageXform(kXform);
    return b;
}
} // namespace

TEST(ImageConvert, RoundTripSharesPixelsWindowRootAndTransform) {
    Buffer b = sample();
    vx_Image image(b);
    const vimg_imageConst& v = image.view();
    EXPECT_EQ(v.pels, b.pointToPel(0, 4));
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 4);
    EXPECT_EQ(v.width, 3);
    EXPECT_EQ(v.height, 2);
    EXPECT_EQ(v.stride, 32);
    EXPECT_EQ(v.rootX, -2);
    EXPECT_EQ(v.rootHeight, 4);
    EXPECT_EQ(v.clientFromImage[1], 0.25);
    EXPECT_EQ(v.clientFromImage[5], -4.0);

    ConstBuffer back = image.buffer();
    EXPECT_EQ(back.window(), b.window());
    EXPECT_EQ(back.rootWindow(), b.rootWindow());
    EXPECT_EQ(back.clientFromImageXform(), kXform);
    EXPECT_TRUE(back.storage() == b.storage()); // handed back, not wrapped again
    *b.pointToPel(1, 5) = 1;
    EXPECT_EQ(*back.pointToPel(1, 5), 1);
}

TEST(ImageConvert, EachSideKeepsTheOthersPixelsAlive) {
    vx_Image image;
    {
        Buffer b = sample();
        vfConvertImage(b, image.view());
    } // the buffer is gone; the view still owns a share of its pixels
    EXPECT_EQ(image.view().pels[1], 10 * 4 + 1);

    vimg_imageConst made;
    unsigned char* pels = nullptr;
    ASSERT_EQ(vimg_imageConst_constructNew(&made, 5, 6, 2, 2, &pels), VSYS_OK);
    pels[3] = 77;
    ConstBuffer fromC;
    vfConvertImage(made, fromC);
    vimg_imageConst_destruct(&made);
    EXPECT_EQ(fromC.window(), vxPelRect(5, 6, 2, 2));
    EXPECT_EQ(*fromC.pointToPel(6, 7), 77);
    EXPECT_TRUE(fromC.clientFromImageXform().isIdentity());

    // A copied vx_Image shares the view; each releases its own reference.
    vx_Image copy = image;
    image = vx_Image();
    EXPECT_EQ(copy.view().pels[1], 10 * 4 + 1);
}

TEST(ImageConvert, UnownedViewsAndUnboundImages) {
    unsigned char pixels[2][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    vimg_imageConst view;
    vimg_imageConst_constructUnbound(&view);
    view.pels = &pixels[0][1];
    view.x = 1;
    view.width = 2;
    view.height = 2;
    view.stride = 4;
    view.rootWidth = 4; // the root is the whole array at (0, 0)
    view.rootHeight = 2;
    ConstBuffer b;
    vfConvertImage(view, b);
    EXPECT_EQ(b.window(), vxPelRect(1, 0, 2, 2));
    EXPECT_EQ(b.rootWindow(), vxPelRect(0, 0, 4, 2));
    EXPECT_EQ(*b.pointToPel(0, 1), 5);
    EXPECT_EQ(b.pointToPel(2, 1), &pixels[1][2]);

    ConstBuffer unbound;
    unbound.clientFromImageXform(kXform);
    vx_Image u(unbound);
    EXPECT_FALSE(vimg_imageConst_isBound(&u.view()));
    ConstBuffer back = u.buffer();
    EXPECT_FALSE(back.isBound());
    EXPECT_EQ(back.clientFromImageXform(), kXform);
}

TEST(ImageConvert, FailuresLeaveTheDestinationAlone) {
    unsigned char pixels[4] = {};
    vimg_imageConst bad;
    vimg_imageConst_constructUnbound(&bad);
    bad.pels = pixels;
    bad.width = 2;
    bad.height = 2;
    bad.stride = 1; // rows would overlap
    ConstBuffer keep = sample();
    EXPECT_THROW(vfConvertImage(bad, keep), vxPel::BadWindow);
    bad.stride = 2;
    bad.rootWidth = 1; // a root that does not hold the window
    bad.rootHeight = 2;
    EXPECT_THROW(vfConvertImage(bad, keep), vxPel::BadWindow);
    EXPECT_EQ(keep.window(), vxPelRect(0, 4, 3, 2));

    struct Bend : vx2XformLinear {
        bool isLinear() const override { return false; }
    };
    Buffer bent = sample();
    bent.clientFromImage(vxPtrHandle_const<vx2XformBase>(new Bend));
    vx_Image image(sample());
    EXPECT_THROW(vfConvertImage(bent, image.view()), vxPel::NonLinearXform);
    EXPECT_EQ(image.view().x, 0);
    EXPECT_EQ(image.view().clientFromImage[0], 0.5);
}
