// Lines, segments, polygons and arcs.
#include "vxShapes.h"

#include <algorithm>
#include <cmath>

vxLine vxLine::through(const vxVector<2>& p1, const vxVector<2>& p2) {
    if (p1 == p2) throw vxGeomDefs::Degenerate(L"A line needs two distinct points");
    return vxLine(p1, (p2 - p1).angle());
}

double vxLine::distanceTo(const vxVector<2>& p) const {
    return std::fabs(signedDistance(p));
}

vxLine vxLine::map(const vxXform<2>& x) const {
    const vxVector<2> d = x.mapVector(direction());
    if (d.isNull()) throw vxGeomDefs::Degenerate(L"The transform collapses the line's direction");
    return vxLine(x.mapPoint(position()), d.angle());
}

double vxLineSeg::distanceTo(const vxVector<2>& p) const {
    const vxVector<2> d = p2_ - p1_;
    const double l2 = d.lengthSq();
    const double t = l2 > 0 ? std::clamp((p - p1_).dot(d) / l2, 0.0, 1.0) : 0.0;
    return p.distance(point(t));
}

vxRect vxLineSeg::encloseRect() const {
    const double x0 = std::min(p1_.x(), p2_.x()), y0 = std::min(p1_.y(), p2_.y());
    return vxRect(x0, y0, std::max(p1_.x(), p2_.x()) - x0, std::max(p1_.y(), p2_.y()) - y0);
}

vxPolygon::vxPolygon(std::vector<vxVector<2>> vertices, int fillMode)
    : v_(std::move(vertices)), fill_(fillMode) {
    if (fillMode != eEvenOdd && fillMode != eNonZero)
        throw vxGeomDefs::BadArgument(L"Unknown polygon fill mode");
}

const vxVector<2>& vxPolygon::vertex(long i) const {
    if (i < 0 || i >= numVertices())
        throw vxGeomDefs::BadIndex(L"Polygon vertex index out of range");
    return v_[static_cast<size_t>(i)];
}

vxPolygon vxPolygon::map(const vxXform<2>& x) const {
    std::vector<vxVector<2>> mapped;
    mapped.reserve(v_.size());
    for (const vxVector<2>& p : v_)
        mapped.push_back(x.mapPoint(p));
    return vxPolygon(std::move(mapped), fill_);
}

vxRect vxPolygon::encloseRect() const {
    if (v_.empty()) return vxRect();
    double x0 = v_[0].x(), x1 = x0, y0 = v_[0].y(), y1 = y0;
    for (const vxVector<2>& p : v_) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    }
    return vxRect(x0, y0, x1 - x0, y1 - y0);
}

double vxPolygon::area() const {
    double twice = 0.0;
    for (size_t i = 0, n = v_.size(); i < n; ++i)
        twice += v_[i].cross(v_[(i + 1) % n]);
    return 0.5 * twice;
}

bool vxPolygon::contains(const vxVector<2>& p) const {
    // Winding number by crossings of the horizontal ray toward +x.
    long winding = 0, crossings = 0;
    for (size_t i = 0, n = v_.size(); i < n; ++i) {
        const vxVector<2>& a = v_[i];
        const vxVector<2>& b = v_[(i + 1) % n];
        const bool upward = a.y() <= p.y() && b.y() > p.y();
        const bool downward = b.y() <= p.y() && a.y() > p.y();
        if (!upward && !downward) continue;
        // Side of p relative to the edge a -> b.
        const double side = (b - a).cross(p - a);
        if (upward && side > 0) {
            ++winding;
            ++crossings;
        } else if (downward && side < 0) {
            --winding;
            ++crossings;
        }
    }
    return fill_ == eEvenOdd ? (crossings % 2) != 0 : winding != 0;
}

std::vector<vxVector<2>> vxEllipseArc2::points(long n) const {
    if (n < 1) throw vxGeomDefs::BadArgument(L"An arc needs at least one step");
    std::vector<vxVector<2>> out;
    out.reserve(static_cast<size_t>(n) + 1);
    for (long i = 0; i <= n; ++i)
        out.push_back(point(start_ + sweep_ * (double(i) / double(n))));
    return out;
}
