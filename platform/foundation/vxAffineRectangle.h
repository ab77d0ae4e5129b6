// A parallelogram: the image of the unit square under an affine transform.
//
// It is given by its origin corner cornerPo and its two other corners cornerPx (the
// end of the first side, from the origin) and cornerPy (the end of the second
// side); cornerPopp = cornerPx + cornerPy - cornerPo is the opposite corner.
// affRectFromUnitSq() is the transform that maps (0, 0), (1, 0), (0, 1) and (1, 1)
// to cornerPo, cornerPx, cornerPy and cornerPopp.
//
// The side form: xLength() = |cornerPx - cornerPo| and xRotation() its angle;
// yLength() = |cornerPy - cornerPo| and the second side turned by
// xRotation() + skew() from the y axis (so the side vectors are
// xLength (cos xRot, sin xRot) and yLength (-sin(xRot + skew), cos(xRot + skew)),
// the columns of vxMatrix<2>(xRot, xRot + skew, xLength, yLength)). An unskewed,
// unrotated rectangle at a pel rectangle's upper-left corner has cornerPx at its
// upper-right and cornerPy at its lower-left corner. The setters of the side form
// (xLength, yLength, xRotation, skew) and center() keep the centre where it was
// (center(c) moves the rectangle so that its centre is c).
//
// Equality is exact on the three corners. Archive form: cornerPo, cornerPx,
// cornerPy as vectors (six doubles).
#pragma once

#include "vxAngle.h"
#include "vxRect.h"
#include "vxVector.h"
#include "vxXform.h"

class vxArchive;

class vxAffineRectangle {
public:
    // The unit square: (0, 0), (1, 0), (0, 1).
    vxAffineRectangle() = default;
    // From three corners: origin, end of the first side, end of the second side.
    vxAffineRectangle(const vxVector<2>& cornerPo, const vxVector<2>& cornerPx,
                      const vxVector<2>& cornerPy)
        : po_(cornerPo), px_(cornerPx), py_(cornerPy) {}
    // The side form with the origin corner given.
    vxAffineRectangle(const vxVector<2>& cornerPo, double xLength, double yLength,
                      vxRadian xRotation = vxRadian(0), vxRadian skew = vxRadian(0));
    // The side form with the centre given.
    static vxAffineRectangle fromCenter(const vxVector<2>& center, double xLength, double yLength,
                                        vxRadian xRotation = vxRadian(0),
                                        vxRadian skew = vxRadian(0));
    // The image of the unit square under x.
    explicit vxAffineRectangle(const vxXform<2>& x);
    // The same area as the rectangle: origin at ul, first side to ur, second to ll.
    explicit vxAffineRectangle(const vxRect& r) : vxAffineRectangle(r.ul(), r.ur(), r.ll()) {}
    explicit vxAffineRectangle(const vxPelRect& r)
        : vxAffineRectangle(vxVector<2>(r.ul()), vxVector<2>(r.ur()), vxVector<2>(r.ll())) {}

    const vxVector<2>& cornerPo() const { return po_; }
    const vxVector<2>& cornerPx() const { return px_; }
    const vxVector<2>& cornerPy() const { return py_; }
    vxVector<2> cornerPopp() const { return px_ + py_ - po_; }
    vxVector<2> center() const { return 0.5 * (px_ + py_); }

    double xLength() const { return (px_ - po_).length(); }
    double yLength() const { return (py_ - po_).length(); }
    vxRadian xRotation() const { return (px_ - po_).angle(); }
    // yRot - xRot of the side matrix, in [-pi, pi).
    vxRadian skew() const;
    void center(const vxVector<2>& c);
    void xLength(double l);
    void yLength(double l);
    void xRotation(vxRadian a);
    void skew(vxRadian a);

    // The transform mapping the unit square onto this rectangle (see above).
    vxXform<2> affRectFromUnitSq() const {
        const vxVector<2> vx = px_ - po_, vy = py_ - po_;
        return vxXform<2>(vxMatrix<2>(vx.x(), vy.x(), vx.y(), vy.y()), po_);
    }
    // The rectangle's image under x (corners mapped).
    vxAffineRectangle map(const vxXform<2>& x) const {
        return vxAffineRectangle(x.mapPoint(po_), x.mapPoint(px_), x.mapPoint(py_));
    }
    // The smallest axis-parallel rectangle holding the four corners.
    vxRect encloseRect() const;
    vxRect boundingBox() const { return encloseRect(); }
    // The smallest pel rectangle holding the rectangle mapped by imageFromClient
    // (vxRect::enclosePelRect of the mapped bounding box).
    vxPelRect encloseImageRect(const vxXform<2>& imageFromClient = vxXform<2>()) const {
        return map(imageFromClient).encloseRect().enclosePelRect();
    }
    // Signed area: positive when cornerPy lies on the positive-angle side of the
    // first side.
    double area() const { return (px_ - po_).cross(py_ - po_); }

    friend bool operator==(const vxAffineRectangle& a, const vxAffineRectangle& b) {
        return a.po_ == b.po_ && a.px_ == b.px_ && a.py_ == b.py_;
    }

private:
    friend vxArchive& operator||(vxArchive& ar, vxAffineRectangle& r);
    void setSides_(const vxVector<2>& center, double xLength, double yLength, vxRadian xRot,
                   vxRadian skew);
    vxVector<2> po_{0.0, 0.0};
    vxVector<2> px_{1.0, 0.0};
    vxVector<2> py_{0.0, 1.0};
};

inline vxAffineRectangle operator*(const vxXform<2>& x, const vxAffineRectangle& r) {
    return r.map(x);
}

// Corners within tol.
inline bool vfRealEq(const vxAffineRectangle& a, const vxAffineRectangle& b, double tol) {
    return vfRealEq(a.cornerPo(), b.cornerPo(), tol) && vfRealEq(a.cornerPx(), b.cornerPx(), tol) &&
           vfRealEq(a.cornerPy(), b.cornerPy(), tol);
}

vxArchive& operator||(vxArchive& ar, vxAffineRectangle& r);
