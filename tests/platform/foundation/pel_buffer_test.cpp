// Pel buffer windows, sharing and archive form.
#include "archive_test_util.h"
#include "vxPelBuffer.h"
#include "vxPelOps.h"

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

Buffer sample() {
    Buffer b(vxPelRect(-3, 4, 7, 5), 32);
    for (long y = 4; y < 9; ++y)
        for (long x = -3; x < 4; ++x)
            *b.pointToPel(x, y) = static_cast<unsigned char>(x * 7 + y);
    b.window(vxPelRect(-2, 5, 4, 3), false);
    b.clientFromImageXform(vxXform<2>(vxMatrix<2>(0.5, 0.1, -0.2, 2.0), vxVector<2>(3.0, 4.0)));
    return b;
}

} // namespace

TEST(PelBuffer, WindowsStayInsideTheRoot) {
    Buffer b(kRoot);
    b.window(vxPelRect(18, 26, 0, 0), false); // empty, on the far corner
    EXPECT_EQ(b.width(), 0);
    b.setEntire();
    // One pixel beyond each edge, and a negative size.
    for (const vxPelRect& out :
         {vxPelRect(9, 20, 8, 6), vxPelRect(10, 19, 8, 6), vxPelRect(11, 20, 8, 6),
          vxPelRect(10, 21, 8, 6), vxPelRect(10, 20, 9, 6), vxPelRect(10, 20, 8, 7),
          vxPelRect(12, 22, -1, 2)}) {
        EXPECT_THROW(b.window(out, false), vxPel::BadWindow)
            << out.x() << "," << out.y() << " " << out.width() << "x" << out.height();
        EXPECT_EQ(b.window(), kRoot); // a failed call leaves the window as it was
    }

    // Relative windows are offset by the current window and may reach up to the root.
    b.window(vxPelRect(12, 21, 4, 3), false);
    b.window(vxPelRect(1, 1, 2, 2), true);
    EXPECT_EQ(b.window(), vxPelRect(13, 22, 2, 2));
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

TEST(PelBuffer, CopiesShareOffsetsMoveAndCopyingDoesNot) {
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

    // Moving the offset changes image coordinates only.
    Buffer moved = view;
    moved.offset(0, 0);
    EXPECT_EQ(moved.window(), vxPelRect(0, 0, 2, 2));
    EXPECT_EQ(moved.rootWindow(), vxPelRect(-4, -3, 8, 6));
    EXPECT_EQ(moved.pointToPel(0, 0), b.pointToPel(14, 23));
    EXPECT_THROW(moved.offset(LONG_MAX, 0), vxPel::BadWindow);

    b.setUnbound(); // the other buffers keep the pixels alive
    EXPECT_EQ(*view.pointToPel(15, 23), static_cast<unsigned char>(15 + 230));
}

TEST(PelArchive, RoundTripKeepsWindowTransformAndSharing) {
    Buffer a = sample();
    ConstBuffer b = a; // shares the transform object with a
    b.window(vxPelRect(1, 1, 2, 2), true);
    ConstBuffer unbound;
    unbound.clientFromImageXform(vxXform<2>(vxMatrix<2>(), vxVector<2>(-1.0, 0.0)));
    Buffer plain(2, 2);

    vxArchive out;
    out || a || b || unbound || plain;

    vxArchive in(out.bytes());
    Buffer a2;
    ConstBuffer b2, unbound2 = sample(), plain2;
    in || a2 || b2 || unbound2 || plain2;
    EXPECT_EQ(in.remaining(), 0u);

    EXPECT_EQ(a2.window(), a.window());
    EXPECT_EQ(a2.rootWindow(), a.window()); // only the window's pixels travel
    EXPECT_TRUE(vfPelEqual(a2, a));
    EXPECT_EQ(a2.clientFromImageXform(), a.clientFromImageXform());
    EXPECT_EQ(b2.window(), b.window());
    EXPECT_TRUE(vfPelEqual(b2, b));
    EXPECT_TRUE(a2.clientFromImage() == b2.clientFromImage()); // stored once, shared again
    EXPECT_FALSE(unbound2.isBound());
    EXPECT_EQ(unbound2.clientFromImageXform(), unbound.clientFromImageXform());
    EXPECT_TRUE(plain2.clientFromImageXform().isIdentity());
    EXPECT_TRUE(vfPelEqual(plain2, plain));
}
