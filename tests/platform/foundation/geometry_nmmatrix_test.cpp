// Dynamically sized matrices: blocks, swaps and resizing.
#include "vxNMMatrix.h"

#include <gtest/gtest.h>

namespace {
// Element (r, c) = 10 r + c.
vxNMMatrix numbered(long rows, long cols) {
    vxNMMatrix m(rows, cols);
    for (long r = 0; r < rows; ++r)
        for (long c = 0; c < cols; ++c)
            m(r, c) = 10.0 * r + c;
    return m;
}
} // namespace

TEST(GeometryNMMatrix, ConstructionAndBoundsChecks) {
    const vxNMMatrix one(1, 1);
    EXPECT_EQ(one.rows(), 1);
    EXPECT_EQ(one(0, 0), 0.0);
    vxNMMatrix m(2, 3, 7.5);
    EXPECT_EQ(m.element(1, 2), 7.5);
    m.element(1, 2, -1);
    EXPECT_EQ(m(1, 2), -1.0);
    EXPECT_THROW(m(2, 0), vxGeomDefs::BadIndex);
    EXPECT_THROW(m.element(0, 3), vxGeomDefs::BadIndex);
    EXPECT_THROW(m(-1, 0), vxGeomDefs::BadIndex);
    EXPECT_THROW(vxNMMatrix(-1, 2), vxGeomDefs::BadIndex);
    EXPECT_EQ(vxNMMatrix().rows(), 0);
    EXPECT_NE(vxNMMatrix(2, 3), vxNMMatrix(3, 2));
}

TEST(GeometryNMMatrix, CopySubCopiesBlocks) {
    const vxNMMatrix old = numbered(4, 4);
    // The alphabet's shrink: a smaller matrix receives the top-left block.
    vxNMMatrix small(2, 2);
    small.copySub(old, 0, 0);
    EXPECT_EQ(small, numbered(2, 2));
    // An inner block placed at an offset; the rest stays as it was.
    vxNMMatrix target(3, 3, -1.0);
    target.copySub(old, 2, 1, 2, 2, 1, 0);
    EXPECT_EQ(target(1, 0), 21.0);
    EXPECT_EQ(target(2, 1), 32.0);
    EXPECT_EQ(target(0, 0), -1.0);
    EXPECT_EQ(target(1, 2), -1.0);
    // A block that doesn't fit throws and changes nothing.
    const vxNMMatrix before = target;
    EXPECT_THROW(target.copySub(old, 3, 0, 2, 1), vxGeomDefs::BadIndex);
    EXPECT_THROW(target.copySub(old, 0, 0, 4, 1), vxGeomDefs::BadIndex);
    EXPECT_THROW(target.copySub(old, 5, 0), vxGeomDefs::BadIndex);
    EXPECT_EQ(target, before);
    // Overlapping blocks of the same matrix copy as from a snapshot.
    vxNMMatrix self = numbered(3, 3);
    self.copySub(self, 0, 0, 2, 2, 1, 1);
    EXPECT_EQ(self(1, 1), 0.0);
    EXPECT_EQ(self(2, 2), 11.0);
    EXPECT_EQ(self(2, 1), 10.0);
}

TEST(GeometryNMMatrix, SwapsPermuteLikeTheAlphabetRemoval) {
    // Removing character 0 of A, B, C: the last moves into its place, rows then
    // columns swapped, then the top-left block kept. Element (C, B) keeps its value.
    vxNMMatrix m = numbered(3, 3);
    const double cToB = m(2, 1);
    m.swapRows(0, 2);
    m.swapCols(0, 2);
    vxNMMatrix shrunk(2, 2);
    shrunk.copySub(m, 0, 0);
    EXPECT_EQ(shrunk(0, 1), cToB);
    EXPECT_EQ(shrunk(0, 0), 22.0);
    EXPECT_EQ(shrunk(1, 0), 12.0);
    m.swapRows(1, 1);
    EXPECT_THROW(m.swapRows(0, 3), vxGeomDefs::BadIndex);
    EXPECT_THROW(m.swapCols(-1, 0), vxGeomDefs::BadIndex);
}

TEST(GeometryNMMatrix, ResizeKeepsTheCommonBlock) {
    vxNMMatrix m = numbered(2, 3);
    m.resize(3, 2);
    EXPECT_EQ(m.rows(), 3);
    EXPECT_EQ(m.cols(), 2);
    EXPECT_EQ(m(1, 1), 11.0);
    EXPECT_EQ(m(2, 0), 0.0);
    m.resize(0, 4);
    EXPECT_EQ(m.cols(), 4);
    EXPECT_THROW(m(0, 0), vxGeomDefs::BadIndex);
    vxNMMatrix a = numbered(2, 2), b = a;
    b(1, 1) += 1e-12;
    EXPECT_TRUE(vfRealEq(a, b, 1e-11));
    EXPECT_FALSE(vfRealEq(a, b, 1e-13));
    EXPECT_FALSE(vfRealEq(a, numbered(2, 3), 1.0));
}
