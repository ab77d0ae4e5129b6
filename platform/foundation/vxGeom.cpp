// Numeric helpers, angles, vectors and 2x2 matrices: the out-of-line parts and the
// archive operators.
#include "vxAngle.h"
#include "vxArchive.h"
#include "vxGeomDefs.h"
#include "vxMatrix.h"
#include "vxRange.h"
#include "vxVector.h"

#include <climits>
#include <cmath>
#include <numbers>

bool vfRealEq(double a, double b, double tol) {
    return a == b || std::fabs(a - b) <= tol;
}

namespace {

// n when v lies within tol * max(1, |n|) of the integer n nearest to it, else v.
double snapToInteger(double v, double tol) {
    const double n = std::nearbyint(v);
    if (std::fabs(v - n) <= tol * std::fmax(1.0, std::fabs(n))) return n;
    return v;
}

int toInt(double v) {
    // Every int is exact in a double, so the bounds compare exactly.
    if (!(v >= double(INT_MIN) && v <= double(INT_MAX)))
        throw vxGeomDefs::Overflow(L"Value overflows integer value range");
    return static_cast<int>(v);
}

// x reduced into [0, period).
double wrap(double x, double period) {
    double r = std::fmod(x, period);
    if (r < 0) r += period;
    if (r >= period) r = 0.0; // a tiny negative r + period can round up to period
    return r;
}

} // namespace

int vfIFloor(double v, double tol) {
    return toInt(std::floor(snapToInteger(v, tol)));
}
int vfICeil(double v, double tol) {
    return toInt(std::ceil(snapToInteger(v, tol)));
}
int vfIRound(double v) {
    return toInt(std::round(v));
}

vxRadian vxRadian::norm() const {
    return vxRadian(wrap(v_, 2 * std::numbers::pi));
}
vxRadian vxRadian::signedNorm() const {
    return vxRadian(wrap(v_ + std::numbers::pi, 2 * std::numbers::pi) - std::numbers::pi);
}
vxDegree vxDegree::norm() const {
    return vxDegree(wrap(v_, 360.0));
}
vxDegree vxDegree::signedNorm() const {
    return vxDegree(wrap(v_ + 180.0, 360.0) - 180.0);
}

vxArchive& operator||(vxArchive& ar, vxRadian& a) {
    return ar || a.v_;
}
vxArchive& operator||(vxArchive& ar, vxDegree& a) {
    return ar || a.v_;
}

vxArchive& operator||(vxArchive& ar, vxVector<2>& v) {
    double x = v.x(), y = v.y();
    ar || x || y;
    if (ar.isLoading()) v = vxVector<2>(x, y);
    return ar;
}

vxArchive& operator||(vxArchive& ar, vxMatrix<2>& m) {
    double e[4] = {m(0, 0), m(0, 1), m(1, 0), m(1, 1)};
    for (double& d : e)
        ar || d;
    if (ar.isLoading()) m = vxMatrix<2>(e[0], e[1], e[2], e[3]);
    return ar;
}

vxArchive& operator||(vxArchive& ar, vxRange& r) {
    double s = r.s_, e = r.e_;
    ar || s || e;
    if (ar.isLoading()) {
        const vxRange empty = vxRange::EmptyRange();
        const bool isCanonicalEmpty = s == empty.s_ && e == empty.e_;
        if (!(s <= e) && !isCanonicalEmpty)
            throw vxArchive::BadData(L"Archive holds an invalid range");
        r.s_ = s;
        r.e_ = e;
    }
    return ar;
}
