// Conversion between pel buffers and C-level views: sharing of pixels, window, root
// and transform.
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
