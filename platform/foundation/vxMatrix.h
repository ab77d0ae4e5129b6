// 2x2 real matrices. Element (r, c) is row r, column c; a matrix maps a column
// vector v to M v, so column 0 is the image of the x axis and column 1 the image of
// the y axis.
//
// Decomposition: every matrix is written as
//     column 0 = xScale * ( cos xRot, sin xRot)
//     column 1 = yScale * (-sin yRot, cos yRot)
// with xScale, yScale >= 0: xRot is the direction the x axis turns to, yRot the
// angle by which the y axis is turned (for a pure rotation by a, xRot = yRot = a; a
// mirror in y gives yRot = xRot + pi). The constructor from (xRot, yRot, xScale,
// yScale) builds that matrix and xRot(), yRot(), xScale(), yScale() read it back
// (angles in (-pi, pi]; a null column has angle 0).
// Archive form: m00, m01, m10, m11 as doubles.
#pragma once

#include "vxAngle.h"
#include "vxVector.h"

class vxArchive;

template <int N> class vxMatrix;

template <> class vxMatrix<2> {
public:
    // The identity.
    constexpr vxMatrix() = default;
    // Row by row: [m00 m01; m10 m11].
    constexpr vxMatrix(double m00, double m01, double m10, double m11)
        : m_{{m00, m01}, {m10, m11}} {}
    // From the decomposition described above.
    vxMatrix(vxRadian xRot, vxRadian yRot, double xScale, double yScale)
        : m_{{xScale * cos(xRot), -yScale * sin(yRot)}, {xScale * sin(xRot), yScale * cos(yRot)}} {}
    // The rotation by a: [cos a, -sin a; sin a, cos a].
    static vxMatrix rotation(vxRadian a) { return vxMatrix(a, a, 1.0, 1.0); }
    // Scaling by sx along x and sy along y.
    static constexpr vxMatrix scaling(double sx, double sy) { return vxMatrix(sx, 0.0, 0.0, sy); }

    // Element (r, c), r and c in {0, 1}; other indices throw vxGeomDefs::BadIndex.
    double element(int r, int c) const { return m_[check_(r)][check_(c)]; }
    void element(int r, int c, double v) { m_[check_(r)][check_(c)] = v; }
    double operator()(int r, int c) const { return element(r, c); }
    double& operator()(int r, int c) { return m_[check_(r)][check_(c)]; }

    constexpr double determinant() const { return m_[0][0] * m_[1][1] - m_[0][1] * m_[1][0]; }
    // Throws vxGeomDefs::Singular when the determinant is 0 or not finite, or the
    // inverse would not be finite.
    vxMatrix inverse() const;
    constexpr vxMatrix transpose() const {
        return vxMatrix(m_[0][0], m_[1][0], m_[0][1], m_[1][1]);
    }
    constexpr bool isIdentity() const {
        return m_[0][0] == 1.0 && m_[0][1] == 0.0 && m_[1][0] == 0.0 && m_[1][1] == 1.0;
    }

    vxRadian xRot() const { return vfAtan2(m_[1][0], m_[0][0]); }
    vxRadian yRot() const { return vfAtan2(-m_[0][1], m_[1][1]); }
    double xScale() const { return std::hypot(m_[0][0], m_[1][0]); }
    double yScale() const { return std::hypot(m_[0][1], m_[1][1]); }
    // yRot() - xRot() in [-pi, pi): how far the image of the y axis leans from
    // perpendicular to the image of the x axis (0 for rotations and scalings).
    vxRadian skew() const { return (yRot() - xRot()).signedNorm(); }

    friend constexpr vxMatrix operator*(const vxMatrix& a, const vxMatrix& b) {
        return vxMatrix(a.m_[0][0] * b.m_[0][0] + a.m_[0][1] * b.m_[1][0],
                        a.m_[0][0] * b.m_[0][1] + a.m_[0][1] * b.m_[1][1],
                        a.m_[1][0] * b.m_[0][0] + a.m_[1][1] * b.m_[1][0],
                        a.m_[1][0] * b.m_[0][1] + a.m_[1][1] * b.m_[1][1]);
    }
    friend constexpr vxVector<2> operator*(const vxMatrix& a, const vxVector<2>& v) {
        return vxVector<2>(a.m_[0][0] * v.x() + a.m_[0][1] * v.y(),
                           a.m_[1][0] * v.x() + a.m_[1][1] * v.y());
    }
    friend constexpr vxMatrix operator*(const vxMatrix& a, double s) {
        return vxMatrix(a.m_[0][0] * s, a.m_[0][1] * s, a.m_[1][0] * s, a.m_[1][1] * s);
    }
    friend constexpr vxMatrix operator*(double s, const vxMatrix& a) { return a * s; }
    friend constexpr vxMatrix operator+(const vxMatrix& a, const vxMatrix& b) {
        return vxMatrix(a.m_[0][0] + b.m_[0][0], a.m_[0][1] + b.m_[0][1], a.m_[1][0] + b.m_[1][0],
                        a.m_[1][1] + b.m_[1][1]);
    }
    friend constexpr vxMatrix operator-(const vxMatrix& a, const vxMatrix& b) {
        return vxMatrix(a.m_[0][0] - b.m_[0][0], a.m_[0][1] - b.m_[0][1], a.m_[1][0] - b.m_[1][0],
                        a.m_[1][1] - b.m_[1][1]);
    }
    // Exact comparison of all four elements.
    friend constexpr bool operator==(const vxMatrix& a, const vxMatrix& b) {
        return a.m_[0][0] == b.m_[0][0] && a.m_[0][1] == b.m_[0][1] && a.m_[1][0] == b.m_[1][0] &&
               a.m_[1][1] == b.m_[1][1];
    }

private:
    static int check_(int i) {
        if (i < 0 || i > 1) throw vxGeomDefs::BadIndex(L"vxMatrix<2> index out of range");
        return i;
    }
    double m_[2][2] = {{1.0, 0.0}, {0.0, 1.0}};
};

inline vxMatrix<2> vxMatrix<2>::inverse() const {
    const double d = determinant();
    const vxMatrix inv(m_[1][1] / d, -m_[0][1] / d, -m_[1][0] / d, m_[0][0] / d);
    if (d == 0.0 || !std::isfinite(d) || !std::isfinite(inv.m_[0][0]) ||
        !std::isfinite(inv.m_[0][1]) || !std::isfinite(inv.m_[1][0]) ||
        !std::isfinite(inv.m_[1][1]))
        throw vxGeomDefs::Singular(L"Inverse of a singular matrix");
    return inv;
}

// Elementwise comparison within tol.
inline bool vfRealEq(const vxMatrix<2>& a, const vxMatrix<2>& b, double tol) {
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            if (!vfRealEq(a.element(r, c), b.element(r, c), tol)) return false;
    return true;
}

vxArchive& operator||(vxArchive& ar, vxMatrix<2>& m);
