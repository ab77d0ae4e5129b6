// C image views: construction, sharing through assignment, release and validation.
#include "vimg_image.h"

#include <gtest/gtest.h>

namespace {
// An owner that counts its references, to watch the views' sharing.
struct CountingOwner {
    vimg_pelOwner header{[](vimg_pelOwner* o) { ++reinterpret_cast<CountingOwner*>(o)->refs; },
                         [](vimg_pelOwner* o) { --reinterpret_cast<CountingOwner*>(o)->refs; }};
    long refs = 1;
};
} // namespace

TEST(CImage, UnboundAndNewViews) {
    vimg_imageConst img;
    ASSERT_EQ(vimg_imageConst_constructUnbound(&img), VSYS_OK);
    EXPECT_FALSE(vimg_imageConst_isBound(&img));
    EXPECT_EQ(img.clientFromImage[0], 1.0);
    EXPECT_EQ(img.clientFromImage[1], 0.0);
    EXPECT_EQ(img.clientFromImage[3], 1.0);
    EXPECT_EQ(vimg_imageConst_constructUnbound(nullptr), VSYS_STATUS_NULL_POINTER);

    unsigned char* pels = nullptr;
    ASSERT_EQ(vimg_imageConst_constructNew(&img, -2, 5, 3, 2, &pels), VSYS_OK);
    EXPECT_TRUE(vimg_imageConst_isBound(&img));
    EXPECT_EQ(img.pels, pels);
    EXPECT_EQ(img.x, -2);
    EXPECT_EQ(img.stride, 3);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(pels[i], 0);
    EXPECT_EQ(vimg_imageConst_validate(&img), VSYS_OK);
    vimg_imageConst_destruct(&img);
    EXPECT_FALSE(vimg_imageConst_isBound(&img));

    EXPECT_EQ(vimg_imageConst_constructNew(&img, 0, 0, -1, 2, nullptr), VIMG_STATUS_BAD_GEOMETRY);
    vimg_imageConst_destruct(nullptr);
}

TEST(CImage, AssignSharesAndReleases) {
    CountingOwner owner;
    unsigned char pixels[12] = {};
    vimg_imageConst src, dst, unbound;
    vimg_imageConst_constructUnbound(&src);
    vimg_imageConst_constructUnbound(&dst);
    vimg_imageConst_constructUnbound(&unbound);
    src.pels = pixels;
    src.width = 3;
    src.height = 3;
    src.stride = 4;
    src.owner = &owner.header;
    ASSERT_EQ(vimg_imageConst_assign(&dst, &src), VSYS_OK);
    EXPECT_EQ(owner.refs, 2);
    EXPECT_EQ(dst.pels, pixels);
    EXPECT_EQ(vimg_imageConst_assign(&dst, &src), VSYS_OK); // same owner again
    EXPECT_EQ(owner.refs, 2);
    vimg_imageConst_assign(&dst, &unbound);
    EXPECT_EQ(owner.refs, 1);
    EXPECT_FALSE(vimg_imageConst_isBound(&dst));
    src.stride = 2; // shorter than a row
    EXPECT_EQ(vimg_imageConst_validate(&src), VIMG_STATUS_BAD_GEOMETRY);
    src.owner = nullptr;
}
