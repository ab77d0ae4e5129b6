// Affine transforms and the shared transform classes.
#include "vxXform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A non-linear shared transform for the composite tests: p -> p + k |p|^2 (1, 0)
// (a smooth bend), with its exact derivative. Its inverse is not needed in closed
// form, so inverse() throws.
class Bend : public vx2XformBase {
public:
    explicit Bend(double k = 0.0) : k_(k) {}
    bool isLinear() const override { return false; }
    vxVector<2> mapPoint(const vxVector<2>& p) const override {
        return p + vxVector<2>(k_ * p.lengthSq(), 0.0);
    }
    vx2XformLinear linearXform(const vxVector<2>& at) const override {
        const vxMatrix<2> d(1 + 2 * k_ * at.x(), 2 * k_ * at.y(), 0, 1);
        return vx2XformLinear(d, mapPoint(at) - d * at);
    }
    vxPtrHandle_const<vx2XformBase> inverse() const override {
        throw vxGeomDefs::Singular(L"no closed-form inverse");
    }
    vx2XformBase* clone() const override { return new Bend(*this); }
    bool isEqual(const vx2XformBase& o) const override {
        auto* b = dynamic_cast<const Bend*>(&o);
        return b && b->k_ == k_;
    }
    bool isRealEq(const vx2XformBase& o, double tol) const override {
        auto* b = dynamic_cast<const Bend*>(&o);
        return b && vfRealEq(b->k_, k_, tol);
    }

private:
    double k_;
};

// A linear transform that counts how often its parts are consulted, so that the tests
// can tell a walk that visits shared parts once from one that re-walks them.
class CountingShift : public vx2XformLinear {
public:
    explicit CountingShift(const vxVector<2>& d) : vx2XformLinear(vxMatrix<2>(), d) {}
    static inline long calls = 0;
    vxVector<2> mapPoint(const vxVector<2>& p) const override {
        ++calls;
        return vx2XformLinear::mapPoint(p);
    }
    vx2XformLinear linearXform(const vxVector<2>& at) const override {
        ++calls;
        return vx2XformLinear::linearXform(at);
    }
    bool isEqual(const vx2XformBase& other) const override {
        ++calls;
        return vx2XformLinear::isEqual(other);
    }
};

// Composite k + 1 applies composite k twice: `levels` objects that map 2^levels times.
vxPtrHandle_const<vx2XformBase> doublingDag(const vxPtrHandle_const<vx2XformBase>& leaf,
                                            int levels) {
    vxPtrHandle_const<vx2XformBase> c = leaf;
    for (int k = 0; k < levels; ++k)
        c = vxPtrHandle_const<vx2XformBase>(new vx2XformComposite(c, c));
    return c;
}

// outer(k + 1) = composite(outer(k), leaf): a chain `levels` deep.
vxPtrHandle_const<vx2XformBase> chain(const vxPtrHandle_const<vx2XformBase>& leaf, int levels) {
    vxPtrHandle_const<vx2XformBase> c = leaf;
    for (int k = 0; k < levels; ++k)
        c = vxPtrHandle_const<vx2XformBase>(new vx2XformComposite(c, leaf));
    return c;
}

vxXform<2> someXform() {
    return vxXform<2>(vxMatrix<2>(1.5, -0.25, 0.5, 2.0), vxVector<2>(3, -4));
}

} // namespace

TEST(GeometryXform, CompositionAppliesTheRightOperandFirst) {
    const vxXform<2> rotate(vxMatrix<2>::rotation(vxDegree(90)), vxVector<2>());
    const vxXform<2> shift(vxMatrix<2>(), vxVector<2>(10, 0));
    const vxVector<2> p(1, 0);
    // shift first, then rotate: (11, 0) -> (0, 11).
    EXPECT_TRUE(vfRealEq((rotate * shift) * p, vxVector<2>(0, 11), 1e-14));
    // rotate first, then shift: (0, 1) -> (10, 1).
    EXPECT_TRUE(vfRealEq((shift * rotate) * p, vxVector<2>(10, 1), 1e-14));
    const vxXform<2> a = someXform(),
                     b(vxMatrix<2>(vxDegree(20), vxDegree(25), 0.5, 2), vxVector<2>(-1, 7));
    EXPECT_TRUE(vfRealEq((a * b) * p, a * (b * p), 1e-13));
    // Vectors lose the translation, points keep it.
    EXPECT_EQ(a.mapVector(vxVector<2>(1, 0)), vxVector<2>(1.5, 0.5));
    EXPECT_EQ(a.mapPoint(vxVector<2>(1, 0)), vxVector<2>(4.5, -3.5));
}

TEST(GeometryXform, InverseUndoesAndSingularThrows) {
    const vxMatrix<2> m(2, 1, 1, 1);
    EXPECT_EQ(m.determinant(), 1.0);
    EXPECT_EQ(m * m.inverse(), vxMatrix<2>());
    EXPECT_EQ(vxMatrix<2>(1, 2, 3, 4) * vxMatrix<2>(0, 1, 1, 0), vxMatrix<2>(2, 1, 4, 3));
    EXPECT_THROW(vxMatrix<2>(1, 2, 2, 4).inverse(), vxGeomDefs::Singular);
    EXPECT_THROW(vxMatrix<2>(1e-200, 0, 0, 1e-200).inverse(), vxGeomDefs::Singular);
    EXPECT_THROW(m.element(2, 0), vxGeomDefs::BadIndex);
    EXPECT_THROW(vxMatrix<2>()(0, -1), vxGeomDefs::BadIndex);

    const vxXform<2> a = someXform();
    EXPECT_TRUE(vfRealEq(a * a.inverse(), vxXform<2>(), 1e-15));
    EXPECT_TRUE(vfRealEq(a.inverse() * a, vxXform<2>(), 1e-15));
    EXPECT_TRUE(vfRealEq(a.inverse() * (a * vxVector<2>(2, 9)), vxVector<2>(2, 9), 1e-14));
    const vxXform<2> flat(vxMatrix<2>(1, 2, 0.5, 1), vxVector<2>(1, 1));
    EXPECT_THROW(flat.inverse(), vxGeomDefs::Singular);
    // vfRealEq compares elementwise; == exactly.
    vxXform<2> near = a;
    near.trans(a.trans() + vxVector<2>(1e-12, 0));
    EXPECT_FALSE(near == a);
    EXPECT_TRUE(vfRealEq(near, a, 1e-11));
    EXPECT_FALSE(vfRealEq(near, a, 1e-13));
}

TEST(GeometrySharedXform, SharedAndDeepCompositesAreWalkedOnce) {
    // 16 levels of shared parts stand for 2^16 shifts; each call must consult the
    // shared parts a bounded number of times, not once per path.
    const vxPtrHandle_const<vx2XformBase> leaf(new CountingShift(vxVector<2>(0.5, 0.25)));
    const auto dag = doublingDag(leaf, 16);
    const auto twin = doublingDag(leaf, 16);
    CountingShift::calls = 0;
    const double paths = std::ldexp(1.0, 16);
    EXPECT_TRUE(dag->isLinear());
    EXPECT_EQ(dag->mapPoint(vxVector<2>(1, 2)), vxVector<2>(1 + 0.5 * paths, 2 + 0.25 * paths));
    EXPECT_EQ(dag->linearXform(vxVector<2>()).xform().trans(),
              vxVector<2>(0.5 * paths, 0.25 * paths));
    EXPECT_EQ(dag->inverse()->mapPoint(vxVector<2>(0.5 * paths, 0.25 * paths)), vxVector<2>());
    EXPECT_TRUE(*dag == *twin);
    EXPECT_TRUE(vfRealEq(*dag, *twin, 0.0));
    EXPECT_FALSE(*dag == *doublingDag(leaf, 15));
    EXPECT_LE(CountingShift::calls, 10);

    // A chain far deeper than the stack could recurse through, built in code: it maps,
    // compares and is destroyed without recursing once per link.
    const auto shift = vfMakeXform(vxXform<2>(vxMatrix<2>(), vxVector<2>(1, 0)));
    auto deep = chain(shift, 50000);
    EXPECT_EQ(deep->mapPoint(vxVector<2>()), vxVector<2>(50001, 0));
    EXPECT_TRUE(*deep == *chain(shift, 50000));
    EXPECT_FALSE(*deep == *chain(shift, 49999));
    // With a non-linear part it is not linear, and shares what it holds.
    const vxPtrHandle_const<vx2XformBase> bend(new Bend(0.0));
    const auto bent = chain(bend, 3);
    EXPECT_FALSE(bent->isLinear());
    EXPECT_EQ(bent->mapPoint(vxVector<2>(1, 1)), vxVector<2>(1, 1));
    deep.reset();
    EXPECT_EQ(shift->refCount(), 1);
}
