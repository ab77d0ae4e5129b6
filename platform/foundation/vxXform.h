// Transforms of the plane.
//
// - vxXform<2>: the affine transform p -> M p + t (matrix() and trans()), a value.
// - vx2Rigid: a turn by angle() followed by the translation trans(), a value.
// - vx2XformBase: a shared, persistent, possibly non-linear transform (what pel
//   buffers hold for client-from-image and image-from-client); vx2XformLinear is
//   its affine implementation and vx2XformComposite the composition of two.
//
// In every product a * b, b is applied first: (a * b) * p == a * (b * p).
// Angles follow the foundation's convention (a positive angle turns x toward y).
//
// Archive forms (value classes, no version byte):
//   vxXform<2>: the matrix (m00, m01, m10, m11), then the translation (x, y): six doubles.
//   vx2Rigid:   the translation (x, y), then the angle in radians: three doubles.
// The shared classes archive as persistent objects (normally through a handle, so a
// transform shared by several buffers is stored once): vx2XformLinear writes a
// version byte 0 and its vxXform<2>; vx2XformComposite a version byte 0 and its two
// handles (outer, inner).
#pragma once

#include "vxAngle.h"
#include "vxArchive.h"
#include "vxMatrix.h"
#include "vxVector.h"

template <int N> class vxXform;

template <> class vxXform<2> {
public:
    // The identity.
    vxXform() = default;
    // p -> m p + t.
    vxXform(const vxMatrix<2>& m, const vxVector<2>& t) : m_(m), t_(t) {}
    // A scale, aspect, shear and rotation with translation t. The matrix is
    //     vxMatrix<2>(rotation, rotation + shear, scale, scale * aspect):
    // the x axis is scaled by `scale` and turned by `rotation`; the y axis is scaled
    // by scale * aspect and turned by rotation + shear, so `aspect` is the ratio of
    // the y scale to the x scale and `shear` the angle by which the image of the y
    // axis leans away from perpendicular to the image of the x axis. With scale > 0
    // and aspect > 0 the decomposition reads back xRot() == rotation, yRot() ==
    // rotation + shear, xScale() == scale and yScale() == scale * aspect (angles in
    // (-pi, pi]); a negative scale or aspect flips that axis. With aspect 1 and
    // shear 0 it is the similarity of that scale and angle:
    // vxXform<2>(t, s, 1.0, vxRadian(0), a) maps p to s R(a) p + t.
    vxXform(const vxVector<2>& t, double scale, double aspect, vxRadian shear, vxRadian rotation)
        : m_(rotation, rotation + shear, scale, scale * aspect), t_(t) {}

    const vxMatrix<2>& matrix() const { return m_; }
    void matrix(const vxMatrix<2>& m) { m_ = m; }
    const vxVector<2>& trans() const { return t_; }
    void trans(const vxVector<2>& t) { t_ = t; }

    // The decomposition of the matrix (see vxMatrix<2>).
    vxRadian xRot() const { return m_.xRot(); }
    vxRadian yRot() const { return m_.yRot(); }
    double xScale() const { return m_.xScale(); }
    double yScale() const { return m_.yScale(); }
    vxRadian skew() const { return m_.skew(); }
    double determinant() const { return m_.determinant(); }
    bool isIdentity() const { return m_.isIdentity() && t_.isNull(); }

    // Throws vxGeomDefs::Singular when the matrix is singular.
    vxXform inverse() const {
        const vxMatrix<2> inv = m_.inverse();
        return vxXform(inv, -(inv * t_));
    }

    // The image of a point (with translation) and of a vector (without).
    vxVector<2> mapPoint(const vxVector<2>& p) const { return m_ * p + t_; }
    vxVector<2> mapVector(const vxVector<2>& v) const { return m_ * v; }

    friend vxXform operator*(const vxXform& a, const vxXform& b) {
        return vxXform(a.m_ * b.m_, a.m_ * b.t_ + a.t_);
    }
    friend vxVector<2> operator*(const vxXform& a, const vxVector<2>& p) { return a.mapPoint(p); }
    // Exact comparison of the six numbers.
    friend bool operator==(const vxXform& a, const vxXform& b) {
        return a.m_ == b.m_ && a.t_ == b.t_;
    }

private:
    friend vxArchive& operator||(vxArchive& ar, vxXform& x);
    vxMatrix<2> m_;
    vxVector<2> t_;
};

// Elementwise comparison (matrix and translation) within tol.
inline bool vfRealEq(const vxXform<2>& a, const vxXform<2>& b, double tol) {
    return vfRealEq(a.matrix(), b.matrix(), tol) && vfRealEq(a.trans(), b.trans(), tol);
}

vxArchive& operator||(vxArchive& ar, vxXform<2>& x);

// A rigid motion: p -> R(angle) p + trans. The angle is kept as given (products add
// angles without normalising them), so two rigids can be equal as maps and still
// compare unequal (angle 0 and 2 pi).
class vx2Rigid {
public:
    vx2Rigid() = default;
    vx2Rigid(const vxVector<2>& trans, vxRadian angle) : t_(trans), a_(angle) {}
    // The turn by `angle` about the origin.
    explicit vx2Rigid(vxRadian angle) : a_(angle) {}

    const vxVector<2>& trans() const { return t_; }
    void trans(const vxVector<2>& t) { t_ = t; }
    vxRadian angle() const { return a_; }
    void angle(vxRadian a) { a_ = a; }

    // The same map as an affine transform.
    vxXform<2> linear() const { return vxXform<2>(vxMatrix<2>::rotation(a_), t_); }
    vx2Rigid inverse() const { return vx2Rigid(-t_.rotate(-a_), -a_); }
    vxVector<2> mapPoint(const vxVector<2>& p) const { return p.rotate(a_) + t_; }

    friend vx2Rigid operator*(const vx2Rigid& a, const vx2Rigid& b) {
        return vx2Rigid(b.t_.rotate(a.a_) + a.t_, a.a_ + b.a_);
    }
    friend vxVector<2> operator*(const vx2Rigid& a, const vxVector<2>& p) { return a.mapPoint(p); }
    friend bool operator==(const vx2Rigid& a, const vx2Rigid& b) {
        return a.t_ == b.t_ && a.a_ == b.a_;
    }

private:
    friend vxArchive& operator||(vxArchive& ar, vx2Rigid& r);
    vxVector<2> t_;
    vxRadian a_;
};

// Translation and angle within tol (angles compared as given, not normalised).
inline bool vfRealEq(const vx2Rigid& a, const vx2Rigid& b, double tol) {
    return vfRealEq(a.trans(), b.trans(), tol) && vfRealEq(a.angle(), b.angle(), tol);
}

vxArchive& operator||(vxArchive& ar, vx2Rigid& r);

class vx2XformLinear;

// A shared transform of the plane, possibly non-linear. Objects are immutable once
// shared; they are held through vxPtrHandle_const<vx2XformBase>.
class vx2XformBase : public vxPersistent, public virtual vxRepBase {
public:
    ~vx2XformBase() override = default;

    // True when the transform is affine everywhere (linearXform is the same at
    // every point and maps exactly).
    virtual bool isLinear() const = 0;
    // The image of a point.
    virtual vxVector<2> mapPoint(const vxVector<2>& p) const = 0;
    // The affine approximation at `at`: it maps `at` as the transform does and has
    // the transform's derivative there.
    virtual vx2XformLinear linearXform(const vxVector<2>& at) const = 0;
    // The inverse transform as a new shared object; throws vxGeomDefs::Singular when
    // there is none.
    virtual vxPtrHandle_const<vx2XformBase> inverse() const = 0;
    // A new copy of this object (with a reference count of its own).
    virtual vx2XformBase* clone() const = 0;
    // Same class and same parameters (exact).
    virtual bool isEqual(const vx2XformBase& other) const = 0;
    // Same class and parameters equal within tol.
    virtual bool isRealEq(const vx2XformBase& other, double tol) const = 0;

    void dispatchSerialize(vxArchive& ar) override;

    vxVector<2> operator*(const vxVector<2>& p) const { return mapPoint(p); }

protected:
    vx2XformBase() = default;
    vx2XformBase(const vx2XformBase&) = default;
    vx2XformBase& operator=(const vx2XformBase&) = default;
};

inline bool operator==(const vx2XformBase& a, const vx2XformBase& b) {
    return a.isEqual(b);
}
inline bool vfRealEq(const vx2XformBase& a, const vx2XformBase& b, double tol) {
    return a.isRealEq(b, tol);
}

// The affine implementation: holds one vxXform<2>.
class vx2XformLinear : public vx2XformBase {
public:
    // The identity.
    vx2XformLinear() = default;
    vx2XformLinear(const vxXform<2>& x) : x_(x) {}
    // p -> m p + offset; vx2XformLinear(vxMatrix<2>(), d) is the translation by d.
    vx2XformLinear(const vxMatrix<2>& m, const vxVector<2>& offset) : x_(m, offset) {}

    const vxXform<2>& xform() const { return x_; }
    operator vxXform<2>() const { return x_; }

    bool isLinear() const override { return true; }
    vxVector<2> mapPoint(const vxVector<2>& p) const override { return x_.mapPoint(p); }
    vx2XformLinear linearXform(const vxVector<2>&) const override { return *this; }
    vxPtrHandle_const<vx2XformBase> inverse() const override;
    vx2XformBase* clone() const override { return new vx2XformLinear(*this); }
    bool isEqual(const vx2XformBase& other) const override;
    bool isRealEq(const vx2XformBase& other, double tol) const override;

    void dispatchSerialize(vxArchive& ar) override;
    static vxPersistent* make() { return new vx2XformLinear; }

private:
    vxXform<2> x_;
};

// outer applied after inner. Built by vfComposeXforms when one side is not linear.
// When both parts are linear the composite keeps their product, so that mapping,
// linearising and inverting take constant time however deep the parts nest or how
// often they share sub-transforms; otherwise those calls walk the parts. Comparison
// visits each pair of sub-transforms once, and destruction does not recurse, so long
// chains built in code are safe too. Loading refuses a composite that contains itself.
class vx2XformComposite : public vx2XformBase {
public:
    // The identity (two null handles count as identities).
    vx2XformComposite() = default;
    vx2XformComposite(vxPtrHandle_const<vx2XformBase> outer, vxPtrHandle_const<vx2XformBase> inner)
        : outer_(std::move(outer)), inner_(std::move(inner)) {
        settle_();
    }
    vx2XformComposite(const vx2XformComposite&) = default;
    vx2XformComposite& operator=(const vx2XformComposite&) = default;
    ~vx2XformComposite() override;

    const vxPtrHandle_const<vx2XformBase>& outer() const { return outer_; }
    const vxPtrHandle_const<vx2XformBase>& inner() const { return inner_; }

    bool isLinear() const override;
    vxVector<2> mapPoint(const vxVector<2>& p) const override;
    vx2XformLinear linearXform(const vxVector<2>& at) const override;
    vxPtrHandle_const<vx2XformBase> inverse() const override;
    vx2XformBase* clone() const override { return new vx2XformComposite(*this); }
    bool isEqual(const vx2XformBase& other) const override;
    bool isRealEq(const vx2XformBase& other, double tol) const override;

    void dispatchSerialize(vxArchive& ar) override;
    static vxPersistent* make() { return new vx2XformComposite; }

private:
    // Recomputes linear_ and product_ from the parts.
    void settle_();
    template <class SameLeaf> bool sameParts_(const vx2XformBase& other, SameLeaf sameLeaf) const;

    vxPtrHandle_const<vx2XformBase> outer_;
    vxPtrHandle_const<vx2XformBase> inner_;
    bool linear_ = true;
    vxXform<2> product_; // outer * inner when linear_
};

// A new shared linear transform holding x.
vxPtrHandle_const<vx2XformBase> vfMakeXform(const vxXform<2>& x);
// outer applied after inner. A null handle counts as the identity (so the result is
// the other handle, shared). When both are linear the result is a new
// vx2XformLinear holding the product; otherwise a vx2XformComposite of the two.
vxPtrHandle_const<vx2XformBase> vfComposeXforms(const vxPtrHandle_const<vx2XformBase>& outer,
                                                const vxPtrHandle_const<vx2XformBase>& inner);
