// Shapes of the plane: lines, circles, segments, polygons and elliptical arcs, for
// the fits and for drawing. All are plain values with exact equality.
#pragma once

#include "vxAngle.h"
#include "vxRect.h"
#include "vxVector.h"
#include "vxXform.h"

#include <vector>

// An infinite directed line in normal form: direction angle() and signed distance
// distance(). With u = (cos angle, sin angle) the direction and n = u.perp() =
// (-sin angle, cos angle) the normal, the line is the set of points p with
// p . n == distance; position() = distance * n is the foot of the perpendicular
// from the origin, and point(s) = position() + s u is the point at signed distance
// s along the line (distanceAlong(point(s)) == s).
class vxLine {
public:
    // The x axis, directed toward +x.
    vxLine() = default;
    // The normal form.
    vxLine(vxRadian angle, double distance) : a_(angle), d_(distance) {}
    // The line through `point` in the direction `angle`.
    vxLine(const vxVector<2>& point, vxRadian angle)
        : a_(angle), d_(point.dot(vxVector<2>::polar(1.0, angle).perp())) {}
    // The line from p1 toward p2; throws vxGeomDefs::Degenerate when p1 == p2.
    static vxLine through(const vxVector<2>& p1, const vxVector<2>& p2);

    vxRadian angle() const { return a_; }
    double distance() const { return d_; }
    vxVector<2> direction() const { return vxVector<2>::polar(1.0, a_); }
    vxVector<2> normal() const { return direction().perp(); }
    vxVector<2> position() const { return d_ * normal(); }
    vxVector<2> point(double along) const { return position() + along * direction(); }

    // Signed distance of the projection of p along the line (p . u).
    double distanceAlong(const vxVector<2>& p) const { return p.dot(direction()); }
    // Signed distance of p from the line, positive on the side the normal points to.
    double signedDistance(const vxVector<2>& p) const { return p.dot(normal()) - d_; }
    double distanceTo(const vxVector<2>& p) const;
    // The point of the line nearest to p.
    vxVector<2> project(const vxVector<2>& p) const { return point(distanceAlong(p)); }
    // The same points, directed the other way (angle + pi, distance negated).
    vxLine reversed() const { return vxLine(a_ + vxRadian(std::numbers::pi), -d_); }
    // The image under x (a point and the image of the direction); throws
    // vxGeomDefs::Degenerate when x collapses the direction.
    vxLine map(const vxXform<2>& x) const;

    friend bool operator==(const vxLine& a, const vxLine& b) {
        return a.a_ == b.a_ && a.d_ == b.d_;
    }

private:
    vxRadian a_;
    double d_ = 0.0;
};

class vxCircle {
public:
    // The circle of radius 0 at the origin.
    vxCircle() = default;
    vxCircle(const vxVector<2>& center, double radius) : c_(center), r_(radius) {}

    const vxVector<2>& center() const { return c_; }
    double radius() const { return r_; }
    void center(const vxVector<2>& c) { c_ = c; }
    void radius(double r) { r_ = r; }

    // The point at polar angle a about the centre.
    vxVector<2> point(vxRadian a) const { return c_ + vxVector<2>::polar(r_, a); }
    // The polar angle of p about the centre.
    vxRadian angle(const vxVector<2>& p) const { return (p - c_).angle(); }
    // |p - centre| - radius: negative inside.
    double signedDistance(const vxVector<2>& p) const { return (p - c_).length() - r_; }
    double distanceTo(const vxVector<2>& p) const { return std::fabs(signedDistance(p)); }
    vxRect encloseRect() const { return vxRect(c_.x() - r_, c_.y() - r_, 2 * r_, 2 * r_); }

    friend bool operator==(const vxCircle& a, const vxCircle& b) {
        return a.c_ == b.c_ && a.r_ == b.r_;
    }

private:
    vxVector<2> c_;
    double r_ = 0.0;
};

class vxLineSeg {
public:
    vxLineSeg() = default;
    vxLineSeg(const vxVector<2>& p1, const vxVector<2>& p2) : p1_(p1), p2_(p2) {}

    const vxVector<2>& p1() const { return p1_; }
    const vxVector<2>& p2() const { return p2_; }
    double length() const { return p1_.distance(p2_); }
    vxVector<2> midpoint() const { return 0.5 * (p1_ + p2_); }
    // p1 + t (p2 - p1).
    vxVector<2> point(double t) const { return p1_ + t * (p2_ - p1_); }
    // Distance from p to the nearest point of the segment.
    double distanceTo(const vxVector<2>& p) const;
    vxLineSeg map(const vxXform<2>& x) const { return vxLineSeg(x.mapPoint(p1_), x.mapPoint(p2_)); }
    vxRect encloseRect() const;

    friend bool operator==(const vxLineSeg& a, const vxLineSeg& b) {
        return a.p1_ == b.p1_ && a.p2_ == b.p2_;
    }

private:
    vxVector<2> p1_;
    vxVector<2> p2_;
};

// A closed polygon: its vertices in order (the last joins the first) and a fill
// mode for drawing and inside tests: eEvenOdd (0) or eNonZero (1).
class vxPolygon {
public:
    enum FillMode { eEvenOdd = 0, eNonZero = 1 };

    vxPolygon() = default;
    // Throws vxGeomDefs::BadArgument for a fill mode other than 0 or 1.
    explicit vxPolygon(std::vector<vxVector<2>> vertices, int fillMode = eEvenOdd);

    const std::vector<vxVector<2>>& vertices() const { return v_; }
    long numVertices() const { return static_cast<long>(v_.size()); }
    // Vertex i; throws vxGeomDefs::BadIndex outside 0 .. numVertices() - 1.
    const vxVector<2>& vertex(long i) const;
    int fillMode() const { return fill_; }
    void addVertex(const vxVector<2>& p) { v_.push_back(p); }

    // The polygon with every vertex mapped by x (same fill mode).
    vxPolygon map(const vxXform<2>& x) const;
    // The smallest axis-parallel rectangle holding every vertex (the default
    // rectangle for a polygon without vertices).
    vxRect encloseRect() const;
    // Signed area (shoelace): positive when the vertices turn in the positive angle sense.
    double area() const;
    // Whether p lies inside under the fill mode (points on an edge may go either way).
    bool contains(const vxVector<2>& p) const;

    friend bool operator==(const vxPolygon& a, const vxPolygon& b) {
        return a.fill_ == b.fill_ && a.v_ == b.v_;
    }

private:
    std::vector<vxVector<2>> v_;
    int fill_ = eEvenOdd;
};

inline vxPolygon operator*(const vxXform<2>& x, const vxPolygon& p) {
    return p.map(x);
}

// An arc of an ellipse: centre, radii rx (along the ellipse's own x axis) and ry,
// the rotation of the ellipse's x axis, and the arc from parameter angle start
// through start + sweep (a negative sweep runs the other way). The point at
// parameter t is center + R(rotation) (rx cos t, ry sin t).
class vxEllipseArc2 {
public:
    vxEllipseArc2() = default;
    vxEllipseArc2(const vxVector<2>& center, double rx, double ry, vxRadian rotation,
                  vxRadian start, vxRadian sweep)
        : c_(center), rx_(rx), ry_(ry), rot_(rotation), start_(start), sweep_(sweep) {}
    // The arc of a circle from polar angle start through start + sweep.
    vxEllipseArc2(const vxCircle& circle, vxRadian start, vxRadian sweep)
        : c_(circle.center()), rx_(circle.radius()), ry_(circle.radius()), start_(start),
          sweep_(sweep) {}

    const vxVector<2>& center() const { return c_; }
    double rx() const { return rx_; }
    double ry() const { return ry_; }
    vxRadian rotation() const { return rot_; }
    vxRadian start() const { return start_; }
    vxRadian sweep() const { return sweep_; }

    vxVector<2> point(vxRadian t) const {
        return c_ + vxVector<2>(rx_ * cos(t), ry_ * sin(t)).rotate(rot_);
    }
    vxVector<2> startPoint() const { return point(start_); }
    vxVector<2> endPoint() const { return point(start_ + sweep_); }
    // n + 1 points evenly spaced in parameter from start to start + sweep (n >= 1).
    std::vector<vxVector<2>> points(long n) const;

    friend bool operator==(const vxEllipseArc2& a, const vxEllipseArc2& b) {
        return a.c_ == b.c_ && a.rx_ == b.rx_ && a.ry_ == b.ry_ && a.rot_ == b.rot_ &&
               a.start_ == b.start_ && a.sweep_ == b.sweep_;
    }

private:
    vxVector<2> c_;
    double rx_ = 0.0;
    double ry_ = 0.0;
    vxRadian rot_;
    vxRadian start_;
    vxRadian sweep_;
};
