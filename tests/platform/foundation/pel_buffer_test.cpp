// Pel buffer windows, sharing, transforms and unbound use.
#include "vxPelBuffer.h"
#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

using Buffer = vxPelBuffer<unsigned char>;
using ConstBuffer = vxPelBuffer_const<unsigned char>;

const vxPelRect kRoot(10, 20, 8, 6); // columns 10..17, rows 20..25

// Writes x + 10 * y (mod 256) into every pixel of the root.
void fillCoordinates(const Buffer& b) {
    const vxPelRect r = b.rootWindow();
    for (long y = r.y(); y < r.y() + r.height(); ++y)
        for (long x = r.x(); x < r.x() + r.width(); ++x)
            *b.pointToPel(x, y) = static_cast<unsigned char>(x + 10 * y);
}

} // namespace

TEST(PelBuffer, RootAndAlignment) {
    Buffer b(kRoot, 32);
    EXPECT_TRUE(b.isBound());
    EXPECT_EQ(b.window(), kRoot);
    EXPECT_EQ(b.rootWindow(), kRoot);
    EXPECT_EQ(b.offset(), vxPoint<long>(10, 20));
    EXPECT_EQ(b.width(), 8);
    EXPECT_EQ(b.height(), 6);
    EXPECT_EQ(b.rowUpdate(), 32);
    for (long y = 20; y < 26; ++y) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b.pointToPel(10, y)) % 32, 0u);
        EXPECT_EQ(*b.pointToPel(17, y), 0); // new pixels are zero
    }
    EXPECT_EQ(b.pointToPel(11, 21) - b.pointToPel(10, 20), 33);

    Buffer plain(3, 2);
    EXPECT_EQ(plain.window(), vxPelRect(0, 0, 3, 2));
    EXPECT_EQ(plain.rowUpdate(), 3);

    EXPECT_THROW(Buffer(vxPelRect(0, 0, -1, 4)), vxPel::BadWindow);
    EXPECT_THROW(Buffer(kRoot, 3), vxPel::BadArgument);
    EXPECT_THROW(Buffer(kRoot, 0), vxPel::BadArgument);
    Buffer empty(vxPelRect(5, 5, 0, 0));
    EXPECT_TRUE(empty.isBound());
    EXPECT_THROW(empty.pointToPel(5, 5), vxPel::BadWindow);
}

TEST(PelBuffer, AbsoluteWindowsInsideAndOneOutside) {
    Buffer b(kRoot);
    b.window(vxPelRect(12, 21, 3, 2), false);
    EXPECT_EQ(b.window(), vxPelRect(12, 21, 3, 2));
    b.window(kRoot, false); // equal to the root
    EXPECT_EQ(b.window(), kRoot);
    b.window(vxPelRect(18, 26, 0, 0), false); // empty, on the far corner
    EXPECT_EQ(b.width(), 0);

    b.setEntire();
    for (const vxPelRect& out :
         {vxPelRect(9, 20, 8, 6), vxPelRect(10, 19, 8, 6), vxPelRect(11, 20, 8, 6),
          vxPelRect(10, 21, 8, 6), vxPelRect(10, 20, 9, 6), vxPelRect(10, 20, 8, 7),
          vxPelRect(12, 22, -1, 2)}) {
        EXPECT_THROW(b.window(out, false), vxPel::BadWindow)
            << out.x() << "," << out.y() << " " << out.width() << "x" << out.height();
        EXPECT_EQ(b.window(), kRoot); // a failed call leaves the window as it was
    }
}

TEST(PelBuffer, RelativeWindowsAreOffsetByTheCurrentWindow) {
    Buffer b(kRoot);
    b.window(vxPelRect(12, 21, 4, 3), false);
    b.window(vxPelRect(1, 1, 2, 2), true);
    EXPECT_EQ(b.window(), vxPelRect(13, 22, 2, 2));
    // Relative windows may reach beyond the current window, up to the root.
    b.window(vxPelRect(-3, -2, 8, 6), true);
    EXPECT_EQ(b.window(), kRoot);
    b.window(vxPelRect(2, 1, 3, 3), true);
    EXPECT_THROW(b.window(vxPelRect(-3, 0, 1, 1), true), vxPel::BadWindow); // column 9
    EXPECT_THROW(b.window(vxPelRect(0, -2, 1, 1), true), vxPel::BadWindow); // row 19
    EXPECT_THROW(b.window(vxPelRect(0, 0, 7, 1), true), vxPel::BadWindow);  // column 18
    EXPECT_THROW(b.window(vxPelRect(0, 0, 1, 6), true), vxPel::BadWindow);  // row 26
    EXPECT_EQ(b.window(), vxPelRect(12, 21, 3, 3));
    EXPECT_THROW(b.window(vxPelRect(LONG_MAX, 0, 1, 1), true), vxPel::BadWindow);
}

TEST(PelBuffer, CopiesShareAndCopyingDoesNot) {
    Buffer b(kRoot, 16);
    fillCoordinates(b);
    Buffer view = b;
    view.window(vxPelRect(14, 23, 2, 2), false);
    ConstBuffer readOnly = view; // writable converts to read-only
    *view.pointToPel(14, 23) = 7;
    EXPECT_EQ(*b.pointToPel(14, 23), 7);
    EXPECT_EQ(*readOnly.pointToPel(14, 23), 7);
    EXPECT_EQ(b.window(), kRoot); // windows are per buffer

    Buffer deep = vfPelCopy(readOnly);
    EXPECT_EQ(deep.window(), vxPelRect(14, 23, 2, 2));
    EXPECT_EQ(deep.rootWindow(), deep.window());
    EXPECT_EQ(*deep.pointToPel(15, 24), static_cast<unsigned char>(15 + 240));
    *deep.pointToPel(14, 23) = 99;
    EXPECT_EQ(*b.pointToPel(14, 23), 7);

    b.setUnbound(); // the other buffers keep the pixels alive
    EXPECT_EQ(*view.pointToPel(15, 23), static_cast<unsigned char>(15 + 230));
}

TEST(PelBuffer, OffsetMovesImageCoordinatesOnly) {
    Buffer b(kRoot);
    fillCoordinates(b);
    b.window(vxPelRect(12, 22, 3, 2), false);
    Buffer moved = b;
    moved.offset(0, 0);
    EXPECT_EQ(moved.window(), vxPelRect(0, 0, 3, 2));
    EXPECT_EQ(moved.rootWindow(), vxPelRect(-2, -2, 8, 6));
    EXPECT_EQ(moved.pointToPel(0, 0), b.pointToPel(12, 22));
    EXPECT_THROW(moved.offset(LONG_MAX, 0), vxPel::BadWindow);
}

TEST(PelBuffer, TransformsTravelWithCopiesAndWindows) {
    const vxXform<2> x(vxMatrix<2>(2.0, 0.5, -0.25, 3.0), vxVector<2>(5.0, -7.0));
    Buffer b(kRoot);
    EXPECT_TRUE(b.clientFromImageXform().isIdentity());
    EXPECT_TRUE(b.clientFromImage()->isLinear());
    b.clientFromImageXform(x);
    Buffer copy = b;
    copy.window(vxPelRect(1, 1, 2, 2), true);
    EXPECT_EQ(copy.clientFromImageXform(), x);
    EXPECT_TRUE(copy.clientFromImage() == b.clientFromImage()); // one shared object
    EXPECT_TRUE(vfRealEq(copy.imageFromClientXform() * x, vxXform<2>(), 1e-12));
    EXPECT_EQ(vfPelCopy(copy).clientFromImageXform(), x);

    copy.imageFromClientXform(x); // replaces only the copy's transform
    EXPECT_TRUE(vfRealEq(copy.clientFromImageXform(), x.inverse(), 1e-12));
    EXPECT_EQ(b.clientFromImageXform(), x);

    const vxXform<2> singular(vxMatrix<2>(1.0, 2.0, 2.0, 4.0), vxVector<2>());
    EXPECT_THROW(copy.imageFromClientXform(singular), vxGeomDefs::Singular);
    EXPECT_TRUE(vfRealEq(copy.clientFromImageXform(), x.inverse(), 1e-12));

    // A non-linear transform has no vxXform<2> form but stays reachable as an object.
    struct Bend : vx2XformLinear {
        bool isLinear() const override { return false; }
    };
    copy.clientFromImage(vxPtrHandle_const<vx2XformBase>(new Bend));
    EXPECT_THROW(copy.clientFromImageXform(), vxPel::NonLinearXform);
    EXPECT_FALSE(copy.clientFromImage()->isLinear());
    copy.clientFromImage(vxPtrHandle_const<vx2XformBase>());
    EXPECT_TRUE(copy.clientFromImageXform().isIdentity());
}

TEST(PelBuffer, UnboundBuffersThrowForPixelsOnly) {
    ConstBuffer u;
    EXPECT_FALSE(u.isBound());
    EXPECT_EQ(u.window(), vxPelRect());
    EXPECT_THROW(u.pointToPel(0, 0), vxPel::UnboundWindow);
    EXPECT_THROW(u.rowUpdate(), vxPel::UnboundWindow);
    EXPECT_THROW(u.setEntire(), vxPel::UnboundWindow);
    EXPECT_THROW(u.window(vxPelRect(), false), vxPel::UnboundWindow);
    EXPECT_THROW(u.offset(0, 0), vxPel::UnboundWindow);
    // The transform of an unbound buffer is kept and readable.
    const vxXform<2> x(vxMatrix<2>(), vxVector<2>(1.0, 2.0));
    u.clientFromImageXform(x);
    EXPECT_EQ(u.clientFromImageXform(), x);

    Buffer b(kRoot);
    b.clientFromImageXform(x);
    b.setUnbound();
    EXPECT_FALSE(b.isBound());
    EXPECT_EQ(b.window(), vxPelRect());
    EXPECT_EQ(b.clientFromImageXform(), x);
}
