// Angles: vxRadian and vxDegree are the same quantity in two units. Each holds one
// double, converts implicitly to the other, and is made from a plain double only
// explicitly (vxRadian(0.5)). Arithmetic and comparison mixing the two units is
// ambiguous on purpose: convert one side (vxRadian(d) + r). Comparisons are exact on the stored
// value; angles are not normalised unless asked (norm, signedNorm). Positive angles turn the x axis
// toward the y axis (clockwise on screen, since image y points down).
// Archive form: the plain value as one double (radians for vxRadian, degrees for
// vxDegree); any double, NaN included, loads.
#pragma once

#include "vxGeomDefs.h"

#include <cmath>
#include <numbers>

class vxArchive;
class vxDegree;

class vxRadian {
public:
    constexpr vxRadian() = default;
    constexpr explicit vxRadian(double radians) : v_(radians) {}
    constexpr vxRadian(const vxDegree& d);

    constexpr double plain() const { return v_; }

    // The same angle in [0, 2 pi).
    vxRadian norm() const;
    // The same angle in [-pi, pi).
    vxRadian signedNorm() const;

    constexpr vxRadian operator-() const { return vxRadian(-v_); }
    constexpr vxRadian& operator+=(vxRadian o) {
        v_ += o.v_;
        return *this;
    }
    constexpr vxRadian& operator-=(vxRadian o) {
        v_ -= o.v_;
        return *this;
    }
    constexpr vxRadian& operator*=(double s) {
        v_ *= s;
        return *this;
    }
    constexpr vxRadian& operator/=(double s) {
        v_ /= s;
        return *this;
    }
    friend constexpr vxRadian operator+(vxRadian a, vxRadian b) { return vxRadian(a.v_ + b.v_); }
    friend constexpr vxRadian operator-(vxRadian a, vxRadian b) { return vxRadian(a.v_ - b.v_); }
    friend constexpr vxRadian operator*(vxRadian a, double s) { return vxRadian(a.v_ * s); }
    friend constexpr vxRadian operator*(double s, vxRadian a) { return vxRadian(a.v_ * s); }
    friend constexpr vxRadian operator/(vxRadian a, double s) { return vxRadian(a.v_ / s); }
    friend constexpr double operator/(vxRadian a, vxRadian b) { return a.v_ / b.v_; }
    friend constexpr bool operator==(vxRadian a, vxRadian b) { return a.v_ == b.v_; }
    friend constexpr bool operator<(vxRadian a, vxRadian b) { return a.v_ < b.v_; }
    friend constexpr bool operator<=(vxRadian a, vxRadian b) { return a.v_ <= b.v_; }
    friend constexpr bool operator>(vxRadian a, vxRadian b) { return a.v_ > b.v_; }
    friend constexpr bool operator>=(vxRadian a, vxRadian b) { return a.v_ >= b.v_; }

private:
    friend vxArchive& operator||(vxArchive& ar, vxRadian& a);
    double v_ = 0.0;
};

class vxDegree {
public:
    constexpr vxDegree() = default;
    constexpr explicit vxDegree(double degrees) : v_(degrees) {}
    constexpr vxDegree(const vxRadian& r) : v_(r.plain() * (180.0 / std::numbers::pi)) {}

    constexpr double plain() const { return v_; }

    // The same angle in [0, 360) and in [-180, 180).
    vxDegree norm() const;
    vxDegree signedNorm() const;

    constexpr vxDegree operator-() const { return vxDegree(-v_); }
    constexpr vxDegree& operator+=(vxDegree o) {
        v_ += o.v_;
        return *this;
    }
    constexpr vxDegree& operator-=(vxDegree o) {
        v_ -= o.v_;
        return *this;
    }
    constexpr vxDegree& operator*=(double s) {
        v_ *= s;
        return *this;
    }
    constexpr vxDegree& operator/=(double s) {
        v_ /= s;
        return *this;
    }
    friend constexpr vxDegree operator+(vxDegree a, vxDegree b) { return vxDegree(a.v_ + b.v_); }
    friend constexpr vxDegree operator-(vxDegree a, vxDegree b) { return vxDegree(a.v_ - b.v_); }
    friend constexpr vxDegree operator*(vxDegree a, double s) { return vxDegree(a.v_ * s); }
    friend constexpr vxDegree operator*(double s, vxDegree a) { return vxDegree(a.v_ * s); }
    friend constexpr vxDegree operator/(vxDegree a, double s) { return vxDegree(a.v_ / s); }
    friend constexpr double operator/(vxDegree a, vxDegree b) { return a.v_ / b.v_; }
    friend constexpr bool operator==(vxDegree a, vxDegree b) { return a.v_ == b.v_; }
    friend constexpr bool operator<(vxDegree a, vxDegree b) { return a.v_ < b.v_; }
    friend constexpr bool operator<=(vxDegree a, vxDegree b) { return a.v_ <= b.v_; }
    friend constexpr bool operator>(vxDegree a, vxDegree b) { return a.v_ > b.v_; }
    friend constexpr bool operator>=(vxDegree a, vxDegree b) { return a.v_ >= b.v_; }

private:
    friend vxArchive& operator||(vxArchive& ar, vxDegree& a);
    double v_ = 0.0;
};

constexpr vxRadian::vxRadian(const vxDegree& d) : v_(d.plain() * (std::numbers::pi / 180.0)) {}

inline double sin(vxRadian a) {
    return std::sin(a.plain());
}
inline double cos(vxRadian a) {
    return std::cos(a.plain());
}
inline double tan(vxRadian a) {
    return std::tan(a.plain());
}
inline vxRadian abs(vxRadian a) {
    return vxRadian(std::fabs(a.plain()));
}
// The angle of the vector (x, y), in (-pi, pi]; (0, 0) gives 0. Negative zeros count
// as zeros (so (-1, -0.0) gives pi, not -pi).
inline vxRadian vfAtan2(double y, double x) {
    return vxRadian(std::atan2(y + 0.0, x + 0.0));
}

inline bool vfRealEq(vxRadian a, vxRadian b, double tol) {
    return vfRealEq(a.plain(), b.plain(), tol);
}
inline bool vfRealEq(vxDegree a, vxDegree b, double tol) {
    return vfRealEq(a.plain(), b.plain(), tol);
}

vxArchive& operator||(vxArchive& ar, vxRadian& a);
vxArchive& operator||(vxArchive& ar, vxDegree& a);
