// Archive round trips of pel buffers and damaged archives.
#include "vxPelBuffer.h"
#include "vxPelOps.h"

#include <gtest/gtest.h>

namespace {

using Buffer = vxPelBuffer<unsigned char>;
using ConstBuffer = vxPelBuffer_const<unsigned char>;

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

TEST(PelArchive, DamagedArchivesThrowAndLeaveTheBufferAlone) {
    Buffer a = sample();
    vxArchive out;
    out || a;
    const std::vector<unsigned char> bytes = out.bytes();

    for (size_t cut : {size_t(1), size_t(10), bytes.size() - 1}) {
        vxArchive in(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut));
        Buffer target(3, 3);
        EXPECT_THROW(in || target, vxArchive::BadData) << cut;
        EXPECT_EQ(target.window(), vxPelRect(0, 0, 3, 3));
    }

    // A window claiming more pixels than the archive holds (the width of a bound
    // buffer sits after the version byte, the bound flag, x and y).
    std::vector<unsigned char> huge = bytes;
    huge[1 + 1 + 8 + 8 + 7] = 0x40;
    vxArchive in(huge);
    Buffer target;
    EXPECT_THROW(in || target, vxArchive::BadData);
    EXPECT_FALSE(target.isBound());

    std::vector<unsigned char> future = bytes;
    future[0] = 1;
    vxArchive newer(future);
    EXPECT_THROW(newer || target, vxArchive::UnknownVersion);
}
