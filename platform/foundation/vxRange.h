// A closed interval [start, end] of the real line.
//
// A range is either non-empty (start <= end, possibly infinite ends) or the empty
// range, stored canonically as (+inf, -inf). Constructing a range whose start is
// above its end (or either end NaN) gives the empty range, so every empty range is
// equal to EmptyRange(). FullRange() is (-inf, +inf). Equality is exact.
// Archive form: start, end as doubles. Loading accepts only what storing produces
// (start <= end, or the canonical empty pair) and throws vxArchive::BadData otherwise.
#pragma once

#include "vxGeomDefs.h"

#include <limits>

class vxArchive;

class vxRange {
public:
    // The single point 0: [0, 0].
    constexpr vxRange() = default;
    // [start, end]; the empty range when start > end or an end is NaN.
    constexpr vxRange(double start, double end) : s_(start), e_(end) {
        if (!(start <= end)) *this = EmptyRange();
    }
    static constexpr vxRange EmptyRange() {
        vxRange r;
        r.s_ = std::numeric_limits<double>::infinity();
        r.e_ = -std::numeric_limits<double>::infinity();
        return r;
    }
    static constexpr vxRange FullRange() {
        return vxRange(-std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::infinity());
    }

    constexpr double start() const { return s_; }
    constexpr double end() const { return e_; }
    constexpr bool isEmpty() const { return s_ > e_; }
    constexpr bool isFull() const { return *this == FullRange(); }
    // end - start (0 for a single point; 0 for the empty range).
    constexpr double length() const { return isEmpty() ? 0.0 : e_ - s_; }
    constexpr bool contains(double x) const { return s_ <= x && x <= e_; }
    constexpr bool contains(const vxRange& r) const {
        return r.isEmpty() || (s_ <= r.s_ && r.e_ <= e_);
    }
    // The common part (empty when they don't meet).
    constexpr vxRange intersect(const vxRange& r) const {
        return vxRange(s_ > r.s_ ? s_ : r.s_, e_ < r.e_ ? e_ : r.e_);
    }
    // The smallest range holding both (an empty range adds nothing).
    constexpr vxRange enclose(const vxRange& r) const {
        if (isEmpty()) return r;
        if (r.isEmpty()) return *this;
        return vxRange(s_ < r.s_ ? s_ : r.s_, e_ > r.e_ ? e_ : r.e_);
    }

    friend constexpr bool operator==(const vxRange& a, const vxRange& b) {
        return a.s_ == b.s_ && a.e_ == b.e_;
    }

private:
    friend vxArchive& operator||(vxArchive& ar, vxRange& r);
    double s_ = 0.0;
    double e_ = 0.0;
};

// Both ends within tol (empty ranges equal each other only).
inline bool vfRealEq(const vxRange& a, const vxRange& b, double tol) {
    if (a.isEmpty() || b.isEmpty()) return a.isEmpty() && b.isEmpty();
    return vfRealEq(a.start(), b.start(), tol) && vfRealEq(a.end(), b.end(), tol);
}

vxArchive& operator||(vxArchive& ar, vxRange& r);
