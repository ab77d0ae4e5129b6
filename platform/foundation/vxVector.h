// Points and vectors of the plane: vxPoint<T> is an integer (or other) pixel point
// as pel rectangles give their corners; vxVector<2> is the real vector every
// transform maps. A vxPoint converts implicitly to vxVector<2>.
// Archive form of vxVector<2>: x then y as doubles (NaN allowed).
#pragma once

#include "vxAngle.h"
#include "vxGeomDefs.h"

#include <cmath>

class vxArchive;

// A point with coordinates of type T (pel rectangles use vxPoint<long>).
template <class T> class vxPoint {
public:
    constexpr vxPoint() = default;
    constexpr vxPoint(T x, T y) : x_(x), y_(y) {}
    constexpr T x() const { return x_; }
    constexpr T y() const { return y_; }
    void x(T v) { x_ = v; }
    void y(T v) { y_ = v; }
    friend constexpr bool operator==(const vxPoint& a, const vxPoint& b) = default;

private:
    T x_{};
    T y_{};
};

template <int N> class vxVector;

// A vector (or point) of the plane.
template <> class vxVector<2> {
public:
    constexpr vxVector() = default;
    constexpr vxVector(double x, double y) : v_{x, y} {}
    template <class T> constexpr vxVector(const vxPoint<T>& p) : v_{double(p.x()), double(p.y())} {}

    // The vector of the given length in the direction `angle`.
    static vxVector polar(double length, vxRadian angle) {
        return vxVector(length * cos(angle), length * sin(angle));
    }

    constexpr double x() const { return v_[0]; }
    constexpr double y() const { return v_[1]; }
    void x(double v) { v_[0] = v; }
    void y(double v) { v_[1] = v; }
    // Element 0 (x) or 1 (y); any other index throws vxGeomDefs::BadIndex.
    double operator[](int i) const { return v_[check_(i)]; }
    double& operator[](int i) { return v_[check_(i)]; }

    double length() const { return std::hypot(v_[0], v_[1]); }
    constexpr double lengthSq() const { return v_[0] * v_[0] + v_[1] * v_[1]; }
    constexpr bool isNull() const { return v_[0] == 0.0 && v_[1] == 0.0; }
    // The angle of the vector, in (-pi, pi]; 0 for the null vector.
    vxRadian angle() const { return vfAtan2(v_[1], v_[0]); }
    // The vector scaled to length 1; throws vxGeomDefs::Degenerate for the null vector.
    vxVector unit() const;
    // The vector turned by +90 degrees: (-y, x).
    constexpr vxVector perp() const { return vxVector(-v_[1], v_[0]); }
    // The vector turned by `a`.
    vxVector rotate(vxRadian a) const {
        const double c = cos(a), s = sin(a);
        return vxVector(c * v_[0] - s * v_[1], s * v_[0] + c * v_[1]);
    }
    constexpr double dot(const vxVector& o) const { return v_[0] * o.v_[0] + v_[1] * o.v_[1]; }
    // The z component of the 3-D cross product: x1 y2 - y1 x2.
    constexpr double cross(const vxVector& o) const { return v_[0] * o.v_[1] - v_[1] * o.v_[0]; }
    double distance(const vxVector& o) const { return (*this - o).length(); }

    constexpr vxVector operator-() const { return vxVector(-v_[0], -v_[1]); }
    constexpr vxVector& operator+=(const vxVector& o) {
        v_[0] += o.v_[0];
        v_[1] += o.v_[1];
        return *this;
    }
    constexpr vxVector& operator-=(const vxVector& o) {
        v_[0] -= o.v_[0];
        v_[1] -= o.v_[1];
        return *this;
    }
    constexpr vxVector& operator*=(double s) {
        v_[0] *= s;
        v_[1] *= s;
        return *this;
    }
    constexpr vxVector& operator/=(double s) {
        v_[0] /= s;
        v_[1] /= s;
        return *this;
    }
    friend constexpr vxVector operator+(vxVector a, const vxVector& b) { return a += b; }
    friend constexpr vxVector operator-(vxVector a, const vxVector& b) { return a -= b; }
    friend constexpr vxVector operator*(vxVector a, double s) { return a *= s; }
    friend constexpr vxVector operator*(double s, vxVector a) { return a *= s; }
    friend constexpr vxVector operator/(vxVector a, double s) { return a /= s; }
    // Exact comparison of both elements.
    friend constexpr bool operator==(const vxVector& a, const vxVector& b) {
        return a.v_[0] == b.v_[0] && a.v_[1] == b.v_[1];
    }

private:
    static int check_(int i) {
        if (i < 0 || i > 1) throw vxGeomDefs::BadIndex(L"vxVector<2> index out of range");
        return i;
    }
    double v_[2] = {0.0, 0.0};
};

inline vxVector<2> vxVector<2>::unit() const {
    const double l = length();
    if (l == 0.0) throw vxGeomDefs::Degenerate(L"Unit vector of a null vector");
    return vxVector(v_[0] / l, v_[1] / l);
}

// Elementwise comparison within tol.
inline bool vfRealEq(const vxVector<2>& a, const vxVector<2>& b, double tol) {
    return vfRealEq(a.x(), b.x(), tol) && vfRealEq(a.y(), b.y(), tol);
}

vxArchive& operator||(vxArchive& ar, vxVector<2>& v);
