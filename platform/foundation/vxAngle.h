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

// The arithmetic and comparisons of one angle unit, on its stored plain value.
template <class Angle> class vx_AngleArithmetic {
public:
    constexpr Angle operator-() const { return Angle(-self().plain()); }
    constexpr Angle& operator+=(Angle o) { return self() = self() + o; }
    constexpr Angle& operator-=(Angle o) { return self() = self() - o; }
    constexpr Angle& operator*=(double s) { return self() = self() * s; }
    constexpr Angle& operator/=(double s) { return self() = self() / s; }
    friend constexpr Angle operator+(Angle a, Angle b) { return Angle(a.plain() + b.plain()); }
    friend constexpr Angle operator-(Angle a, Angle b) { return Angle(a.plain() - b.plain()); }
    friend constexpr Angle operator*(Angle a, double s) { return Angle(a.plain() * s); }
    friend constexpr Angle operator*(double s, Angle a) { return Angle(a.plain() * s); }
    friend constexpr Angle operator/(Angle a, double s) { return Angle(a.plain() / s); }
    friend constexpr double operator/(Angle a, Angle b) { return a.plain() / b.plain(); }
    friend constexpr bool operator==(Angle a, Angle b) { return a.plain() == b.plain(); }
    friend constexpr bool operator<(Angle a, Angle b) { return a.plain() < b.plain(); }
    friend constexpr bool operator<=(Angle a, Angle b) { return a.plain() <= b.plain(); }
    friend constexpr bool operator>(Angle a, Angle b) { return a.plain() > b.plain(); }
    friend constexpr bool operator>=(Angle a, Angle b) { return a.plain() >= b.plain(); }

private:
    constexpr Angle& self() { return static_cast<Angle&>(*this); }
    constexpr const Angle& self() const { return static_cast<const Angle&>(*this); }
};

class vxRadian : public vx_AngleArithmetic<vxRadian> {
public:
    constexpr vxRadian() = default;
    constexpr explicit vxRadian(double radians) : v_(radians) {}
    constexpr vxRadian(const vxDegree& d);

    constexpr double plain() const { return v_; }

    // The same angle in [0, 2 pi).
    vxRadian norm() const;
    // The same angle in [-pi, pi).
    vxRadian signedNorm() const;

private:
    friend vxArchive& operator||(vxArchive& ar, vxRadian& a);
    double v_ = 0.0;
};

class vxDegree : public vx_AngleArithmetic<vxDegree> {
public:
    constexpr vxDegree() = default;
    constexpr explicit vxDegree(double degrees) : v_(degrees) {}
    constexpr vxDegree(const vxRadian& r) : v_(r.plain() * (180.0 / std::numbers::pi)) {}

    constexpr double plain() const { return v_; }

    // The same angle in [0, 360) and in [-180, 180).
    vxDegree norm() const;
    vxDegree signedNorm() const;

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
