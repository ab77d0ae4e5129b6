// 2x2 matrices, affine and rigid transforms, and the shared transform classes.
#include "vxXform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

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

TEST(GeometryMatrix, AngleScaleConstructorAndDecompositionAgree) {
    // The x axis goes to xScale (cos xRot, sin xRot), the y axis to yScale (-sin yRot, cos yRot).
    const vxMatrix<2> m(vxDegree(30), vxDegree(50), 2.0, 3.0);
    EXPECT_TRUE(vfRealEq(m * vxVector<2>(1, 0), vxVector<2>::polar(2.0, vxDegree(30)), 1e-15));
    EXPECT_TRUE(
        vfRealEq(m * vxVector<2>(0, 1), vxVector<2>::polar(3.0, vxDegree(50)).perp(), 1e-15));

    struct Case {
        double xRotDeg, yRotDeg, xScale, yScale;
    };
    for (const Case& c : {Case{30, 50, 2, 3}, Case{-170, 100, 0.5, 4}, Case{0, 180, 1, 1},
                          Case{90, 90, 1e-3, 1e3}, Case{179, -179, 7, 0.25}}) {
        const vxMatrix<2> d(vxDegree(c.xRotDeg), vxDegree(c.yRotDeg), c.xScale, c.yScale);
        EXPECT_NEAR(vxDegree(d.xRot()).plain(), c.xRotDeg, 1e-12) << c.xRotDeg;
        EXPECT_NEAR(vxDegree(d.yRot()).plain(), c.yRotDeg, 1e-12) << c.yRotDeg;
        EXPECT_NEAR(d.xScale(), c.xScale, 1e-12 * c.xScale);
        EXPECT_NEAR(d.yScale(), c.yScale, 1e-12 * c.yScale);
    }
    // A mirror in y reads back as yRot = xRot + pi, with positive scales.
    const vxMatrix<2> mirror(1, 0, 0, -1);
    EXPECT_EQ(mirror.xRot().plain(), 0.0);
    EXPECT_DOUBLE_EQ(mirror.yRot().plain(), kPi);
    EXPECT_EQ(mirror.yScale(), 1.0);
    EXPECT_DOUBLE_EQ(mirror.skew().plain(), -kPi);
    // The rotation matrix of the design convention.
    EXPECT_TRUE(vfRealEq(vxMatrix<2>::rotation(vxDegree(90)), vxMatrix<2>(0, -1, 1, 0), 1e-16));
}

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

TEST(GeometryXform, ScaleAspectShearRotationConstructor) {
    // The form the module uses: (translation, scale, 1.0, 0 radians, angle) is the
    // similarity p -> s R(a) p + t.
    const vxVector<2> t(5, -2);
    const vxXform<2> sim(t, 1.25, 1.0, vxRadian(0), vxDegree(40));
    const vxXform<2> expected(vxMatrix<2>::rotation(vxDegree(40)) * 1.25, t);
    EXPECT_TRUE(vfRealEq(sim, expected, 1e-15));
    // Aspect scales the y axis relative to x; shear turns the y axis further.
    const vxXform<2> general(t, 2.0, 0.5, vxDegree(10), vxDegree(-30));
    EXPECT_NEAR(vxDegree(general.xRot()).plain(), -30, 1e-12);
    EXPECT_NEAR(vxDegree(general.yRot()).plain(), -20, 1e-12);
    EXPECT_NEAR(vxDegree(general.skew()).plain(), 10, 1e-12);
    EXPECT_EQ(general.trans(), t);
    EXPECT_TRUE(
        vfRealEq(general.matrix(), vxMatrix<2>(vxDegree(-30), vxDegree(-20), 2.0, 1.0), 1e-15));
}

TEST(GeometryRigid, AgreesWithItsLinearForm) {
    const vx2Rigid a(vxVector<2>(3, 1), vxDegree(30)), b(vxVector<2>(-2, 5), vxDegree(-75));
    const vxVector<2> p(0.5, -4);
    EXPECT_TRUE(vfRealEq(a * p, a.linear() * p, 1e-14));
    EXPECT_TRUE(vfRealEq((a * b).linear(), a.linear() * b.linear(), 1e-14));
    EXPECT_NEAR(vxDegree((a * b).angle()).plain(), -45, 1e-12);
    EXPECT_TRUE(vfRealEq((a * a.inverse()).linear(), vxXform<2>(), 1e-15));
    EXPECT_TRUE(vfRealEq(a.inverse().linear(), a.linear().inverse(), 1e-15));
    // A pure turn about the origin.
    EXPECT_TRUE(vfRealEq(vx2Rigid(vxDegree(180)) * vxVector<2>(1, 2), vxVector<2>(-1, -2), 1e-15));
    // Angles are kept as given: the same map with angle 0 and 2 pi compares unequal.
    EXPECT_NE(vx2Rigid(vxVector<2>(), vxRadian(0)), vx2Rigid(vxVector<2>(), vxRadian(2 * kPi)));
    EXPECT_TRUE(vfRealEq(vx2Rigid(vxVector<2>(), vxRadian(1e-13)), vx2Rigid(), 1e-12));
}

TEST(GeometrySharedXform, LinearImplementation) {
    const vxXform<2> x = someXform();
    const vxPtrHandle_const<vx2XformBase> h = vfMakeXform(x);
    EXPECT_TRUE(h->isLinear());
    EXPECT_EQ(h->mapPoint(vxVector<2>(1, 1)), x * vxVector<2>(1, 1));
    // The linear approximation of a linear transform is itself, anywhere.
    const vxXform<2> lin = h->linearXform(vxVector<2>(100, -3));
    EXPECT_EQ(lin, x);
    EXPECT_TRUE(vfRealEq(vxXform<2>(h->inverse()->linearXform(vxVector<2>())), x.inverse(), 0.0));
    // A clone is equal, separate and starts with its own count.
    std::unique_ptr<vx2XformBase> copy(h->clone());
    EXPECT_TRUE(*copy == *h);
    EXPECT_NE(copy.get(), h.get());
    EXPECT_EQ(copy->refCount(), 0);
    EXPECT_THROW(vfMakeXform(vxXform<2>(vxMatrix<2>(0, 0, 0, 0), vxVector<2>()))->inverse(),
                 vxGeomDefs::Singular);
}

TEST(GeometrySharedXform, ComposingHandles) {
    const vxXform<2> a = someXform(), b(vxMatrix<2>::rotation(vxDegree(10)), vxVector<2>(1, 2));
    const auto ha = vfMakeXform(a), hb = vfMakeXform(b);

    // Both linear: a new linear transform holding a * b (b first).
    const auto ab = vfComposeXforms(ha, hb);
    ASSERT_TRUE(dynamic_cast<const vx2XformLinear*>(ab.get()));
    EXPECT_EQ(static_cast<const vx2XformLinear&>(*ab).xform(), a * b);

    // A null handle is the identity: the other handle comes back shared.
    EXPECT_EQ(vfComposeXforms(ha, {}).get(), ha.get());
    EXPECT_EQ(vfComposeXforms({}, hb).get(), hb.get());
    EXPECT_TRUE(vfComposeXforms({}, {}).isNull());

    // With a non-linear side: a composite that maps, linearises by the chain rule
    // and compares by its parts.
    const vxPtrHandle_const<vx2XformBase> bend(new Bend(0.01));
    const auto c = vfComposeXforms(ha, bend);
    EXPECT_FALSE(c->isLinear());
    const vxVector<2> p(3, -2);
    EXPECT_TRUE(vfRealEq(c->mapPoint(p), a * bend->mapPoint(p), 1e-14));
    const vxXform<2> l = c->linearXform(p);
    EXPECT_TRUE(vfRealEq(l * p, c->mapPoint(p), 1e-13));
    const double h = 1e-6;
    for (const vxVector<2>& dir : {vxVector<2>(1, 0), vxVector<2>(0, 1)}) {
        const vxVector<2> numeric = (c->mapPoint(p + h * dir) - c->mapPoint(p - h * dir)) / (2 * h);
        EXPECT_TRUE(vfRealEq(l.mapVector(dir), numeric, 1e-7));
    }
    EXPECT_TRUE(*c == *vfComposeXforms(ha, bend));
    EXPECT_FALSE(*c == *vfComposeXforms(hb, bend));
    EXPECT_TRUE(vfRealEq(
        *c, *vfComposeXforms(ha, vxPtrHandle_const<vx2XformBase>(new Bend(0.01 + 1e-12))), 1e-11));
    // The composite's inverse needs both inverses; the bend has none.
    EXPECT_THROW(c->inverse(), vxGeomDefs::Singular);
    const vx2XformComposite linearParts(ha, hb);
    EXPECT_TRUE(linearParts.isLinear());
    EXPECT_TRUE(vfRealEq(linearParts.inverse()->mapPoint(linearParts.mapPoint(p)), p, 1e-13));
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
