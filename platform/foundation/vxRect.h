// Axis-parallel rectangles.
//
// vxRectangle<T> (vxPelRect = vxRectangle<long>) is a rectangle of pels: x, y,
// width, height of an integer type. It covers [x, x + width) x [y, y + height), so
// ul() = (x, y) and lr() = (x + width, y + height) is exclusive. Image y points
// down: "upper" is the smaller y. A rectangle with width <= 0 or height <= 0 holds
// no pel and is null (isNull); the default rectangle (0, 0, 0, 0) is null. Values
// are kept as given (a negative size is allowed and simply means null). Equality
// compares the four numbers. Archive form (vf_PersistenceHelper and operator||): x,
// y, width, height, each as T.
//
// vxRect is the real counterpart: origin (x, y) = ul() and size (width, height), so
// ur() = (x + width, y), ll() = (x, y + height), lr() = (x + width, y + height). A
// rectangle with width or height <= 0 is degenerate (degen()); the default
// rectangle (0, 0, 0, 0) is degenerate. vxRect is persistent (it derives from
// vxPersistent, so `ar || rect` archives it as a persistent object in place, and it
// may be held through persistent pointers): version byte 0, then x, y, width,
// height as doubles.
#pragma once

#include "vxArchive.h"
#include "vxGeomDefs.h"
#include "vxVector.h"

#include <algorithm>
#include <type_traits>

template <class T> class vxRectangle {
    static_assert(std::is_integral_v<T>, "vxRectangle holds integer pel coordinates");

public:
    using Point = vxPoint<T>;

    // The null rectangle (0, 0, 0, 0).
    constexpr vxRectangle() = default;
    constexpr vxRectangle(T x, T y, T width, T height) : x_(x), y_(y), w_(width), h_(height) {}
    // The rectangle from ul (inclusive) to lr (exclusive).
    constexpr vxRectangle(const Point& ul, const Point& lr)
        : x_(ul.x()), y_(ul.y()), w_(lr.x() - ul.x()), h_(lr.y() - ul.y()) {}

    constexpr T x() const { return x_; }
    constexpr T y() const { return y_; }
    constexpr T width() const { return w_; }
    constexpr T height() const { return h_; }
    void x(T v) { x_ = v; }
    void y(T v) { y_ = v; }
    void width(T v) { w_ = v; }
    void height(T v) { h_ = v; }

    constexpr Point ul() const { return Point(x_, y_); }
    constexpr Point ur() const { return Point(x_ + w_, y_); }
    constexpr Point ll() const { return Point(x_, y_ + h_); }
    constexpr Point lr() const { return Point(x_ + w_, y_ + h_); }
    constexpr Point size() const { return Point(w_, h_); }

    // True when the rectangle holds no pel (width <= 0 or height <= 0).
    constexpr bool isNull() const { return w_ <= 0 || h_ <= 0; }
    constexpr bool isEmpty() const { return isNull(); }
    // Number of pels (0 when null).
    constexpr T area() const { return isNull() ? T(0) : w_ * h_; }

    // Whether the pel (px, py) lies inside.
    constexpr bool contains(T px, T py) const {
        return px >= x_ && py >= y_ && px - x_ < w_ && py - y_ < h_;
    }
    constexpr bool contains(const Point& p) const { return contains(p.x(), p.y()); }
    // Whether every pel of r lies inside (true for a null r).
    constexpr bool contains(const vxRectangle& r) const {
        if (r.isNull()) return true;
        return !isNull() && r.x_ >= x_ && r.y_ >= y_ && r.x_ + r.w_ <= x_ + w_ &&
               r.y_ + r.h_ <= y_ + h_;
    }
    // The common pels; the null rectangle vxRectangle() when there are none.
    constexpr vxRectangle intersect(const vxRectangle& r) const {
        if (isNull() || r.isNull()) return vxRectangle();
        const T x0 = std::max(x_, r.x_), y0 = std::max(y_, r.y_);
        const T x1 = std::min(x_ + w_, r.x_ + r.w_), y1 = std::min(y_ + h_, r.y_ + r.h_);
        if (x1 <= x0 || y1 <= y0) return vxRectangle();
        return vxRectangle(x0, y0, x1 - x0, y1 - y0);
    }
    // The smallest rectangle holding both (a null rectangle adds nothing).
    constexpr vxRectangle enclose(const vxRectangle& r) const {
        if (r.isNull()) return *this;
        if (isNull()) return r;
        const T x0 = std::min(x_, r.x_), y0 = std::min(y_, r.y_);
        const T x1 = std::max(x_ + w_, r.x_ + r.w_), y1 = std::max(y_ + h_, r.y_ + r.h_);
        return vxRectangle(x0, y0, x1 - x0, y1 - y0);
    }
    // The same size moved by (dx, dy).
    constexpr vxRectangle translate(T dx, T dy) const {
        return vxRectangle(x_ + dx, y_ + dy, w_, h_);
    }

    friend constexpr bool operator==(const vxRectangle& a, const vxRectangle& b) = default;

private:
    T x_ = 0;
    T y_ = 0;
    T w_ = 0;
    T h_ = 0;
};

using vxPelRect = vxRectangle<long>;

// Archive helper for value types without an operator|| of their own; for pel
// rectangles: vf_PersistenceHelper<vxPelRect>::serialize(ar, rect) transfers x, y,
// width, height, each as T. The free operator|| for vxRectangle<T> does the same.
template <class T> struct vf_PersistenceHelper;

template <class T> struct vf_PersistenceHelper<vxRectangle<T>> {
    static void serialize(vxArchive& ar, vxRectangle<T>& r) {
        T x = r.x(), y = r.y(), w = r.width(), h = r.height();
        ar || x || y || w || h;
        if (ar.isLoading()) r = vxRectangle<T>(x, y, w, h);
    }
};

template <class T> vxArchive& operator||(vxArchive& ar, vxRectangle<T>& r) {
    vf_PersistenceHelper<vxRectangle<T>>::serialize(ar, r);
    return ar;
}

class vxRect : public vxPersistent {
public:
    // The degenerate rectangle (0, 0, 0, 0).
    vxRect() = default;
    vxRect(double x, double y, double width, double height) : x_(x), y_(y), w_(width), h_(height) {}
    vxRect(const vxVector<2>& origin, const vxVector<2>& size)
        : x_(origin.x()), y_(origin.y()), w_(size.x()), h_(size.y()) {}
    // The rectangle covering the same area as the pel rectangle.
    template <class T>
    explicit vxRect(const vxRectangle<T>& r)
        : x_(double(r.x())), y_(double(r.y())), w_(double(r.width())), h_(double(r.height())) {}
    vxRect(const vxRect&) = default;
    vxRect& operator=(const vxRect&) = default;
    ~vxRect() override = default;

    double x() const { return x_; }
    double y() const { return y_; }
    double width() const { return w_; }
    double height() const { return h_; }
    vxVector<2> origin() const { return vxVector<2>(x_, y_); }
    vxVector<2> size() const { return vxVector<2>(w_, h_); }
    void origin(const vxVector<2>& o) {
        mutating();
        x_ = o.x();
        y_ = o.y();
    }
    void size(const vxVector<2>& s) {
        mutating();
        w_ = s.x();
        h_ = s.y();
    }

    vxVector<2> ul() const { return vxVector<2>(x_, y_); }
    vxVector<2> ur() const { return vxVector<2>(x_ + w_, y_); }
    vxVector<2> ll() const { return vxVector<2>(x_, y_ + h_); }
    vxVector<2> lr() const { return vxVector<2>(x_ + w_, y_ + h_); }
    vxVector<2> center() const { return vxVector<2>(x_ + 0.5 * w_, y_ + 0.5 * h_); }

    // Zero or negative width or height (or NaN).
    bool degen() const { return !(w_ > 0.0 && h_ > 0.0); }
    // Whether p lies in the closed rectangle.
    bool contains(const vxVector<2>& p) const {
        return p.x() >= x_ && p.x() <= x_ + w_ && p.y() >= y_ && p.y() <= y_ + h_;
    }

    // Grows this rectangle to the smallest one holding both. A degenerate
    // rectangle counts as empty: enclosing one changes nothing, and a degenerate
    // rectangle that encloses a proper one becomes that one. Returns *this.
    vxRect& enclose(const vxRect& r);
    // The smallest pel rectangle holding this one: the floor of the upper-left
    // corner and the ceiling of the lower-right corner, each forgiving rounding
    // noise next to an integer (vfIFloor, vfICeil with tol). Throws
    // vxGeomDefs::Overflow when a corner does not fit an int. The corners are used
    // as they are: a negative size gives a negative pel size (a null pel
    // rectangle); a zero size gives the pels the edge passes through, if any.
    vxPelRect enclosePelRect(double tol = 1e-11) const;

    friend bool operator==(const vxRect& a, const vxRect& b) {
        return a.x_ == b.x_ && a.y_ == b.y_ && a.w_ == b.w_ && a.h_ == b.h_;
    }

    // Archives one level: version byte 0, x, y, width, height. The rectangle does
    // not use the visited marks: it is a value, and two rectangles archived from
    // the same address within one operation (a reused local) are two values.
    void dispatchSerialize(vxArchive& ar) override;
    void reInit() override { *this = vxRect(); }
    static vxPersistent* make() { return new vxRect; }

private:
    double x_ = 0.0;
    double y_ = 0.0;
    double w_ = 0.0;
    double h_ = 0.0;
};

inline bool vfRealEq(const vxRect& a, const vxRect& b, double tol) {
    return vfRealEq(a.x(), b.x(), tol) && vfRealEq(a.y(), b.y(), tol) &&
           vfRealEq(a.width(), b.width(), tol) && vfRealEq(a.height(), b.height(), tol);
}
