// Straight and circular fits of a line of characters, predicted places along them,
// and average orientation.
#include "lineGeometry.h"

#include "vxException.h"
#include "vxFit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;
// An arc shorter than this is not accepted as circular.
constexpr double minCircularSweep = 5.0 * pi / 180.0;

// The width along the frame of every position first .. last, given each position's
// orientation in the frame.
template <class FrameAngle>
std::vector<double> widths(long first, long last, const std::vector<vx_LinePosition>& positions,
                           FrameAngle frameAngle) {
    std::vector<double> w;
    w.reserve(last - first + 1);
    for (long p = first; p <= last; ++p) {
        const vx_LinePosition& pos = positions[p];
        w.push_back(vf_CellExtents(pos.cellDiagonal1, pos.cellDiagonal2, frameAngle(p)).x());
    }
    return w;
}

void checkRange(long first, long last, const std::vector<vx_LinePosition>& positions) {
    vstd_assert_(first >= 0 && last > first && last < static_cast<long>(positions.size()),
                 "a prediction spans at least two positions of the line");
    vstd_assert_(positions[first].isMatched && positions[last].isMatched,
                 "a prediction starts and ends at matched positions");
}

// Places along a curve parameter: the first at start, the last at start + length, the
// positions between them spaced by their half widths plus an equal gap. `sense` is the
// direction in which widths advance the parameter (+1 or -1).
std::vector<double> spacedPlaces(double start, double length, const std::vector<double>& w,
                                 double sense) {
    const size_t n = w.size();
    double total = (w.front() + w.back()) / 2;
    for (size_t i = 1; i + 1 < n; ++i)
        total += w[i];
    const double gap = (length - sense * total) / static_cast<double>(n - 1);
    std::vector<double> place(n);
    place[0] = start;
    for (size_t i = 1; i + 1 < n; ++i)
        place[i] = place[i - 1] + sense * (w[i - 1] + w[i]) / 2 + gap;
    place[n - 1] = start + length;
    return place;
}

} // namespace

bool vf_FitArrangementLine(const std::vector<vxVector<2>>& points, vxLine& line,
                           std::vector<double>& along) {
    vxLine fitted;
    if (!vfLineFit(points, vxLineFitDefs::eOrthogonal, 0, HUGE_VAL, fitted)) return false;
    std::vector<double> a;
    a.reserve(points.size());
    for (const vxVector<2>& p : points)
        a.push_back(fitted.distanceAlong(p));
    // The characters must follow one another along the line in target order.
    const bool forward = a.back() - a.front() > 0;
    for (size_t i = 1; i < a.size(); ++i)
        if (forward ? !(a[i] > a[i - 1]) : !(a[i] < a[i - 1])) return false;
    if (!forward) {
        // Direct the line from the first character toward the last; the foot of the
        // perpendicular stays where it is.
        fitted = fitted.reversed();
        for (double& d : a)
            d = -d;
    }
    line = fitted;
    along.swap(a);
    return true;
}

bool vf_FitArrangementCircle(const std::vector<vxVector<2>>& points, vxCircle& circle,
                             vxRadian& sweep, std::vector<vxRadian>& polarAngles) {
    const size_t n = points.size();
    if (n < 3) return false;
    vxCircle fitted;
    if (!vfCircleFit(points, vxCircleFitDefs::eGeometric, 1.0, 0, HUGE_VAL, fitted) ||
        fitted.radius() == 0.0)
        return false;

    // The sense in which the text turns, from the first point through the middle to the
    // last (the middle of the two central points for an even count).
    const vxVector<2> mid = 0.5 * (points[(n - 1) / 2] + points[n / 2]);
    const bool positive = (mid - points.front()).cross(points.back() - mid) >= 0;

    std::vector<vxRadian> angles;
    angles.reserve(n);
    for (const vxVector<2>& p : points) {
        const vxVector<2> radial = p - fitted.center();
        if (radial.isNull()) return false;
        angles.push_back(radial.angle());
    }
    // Each step turns forward by more than nothing and at most half a turn; together
    // they wind at most once around the centre.
    double winding = 0.0;
    for (size_t i = 1; i < n; ++i) {
        const vxRadian step =
            (positive ? angles[i] - angles[i - 1] : angles[i - 1] - angles[i]).norm();
        if (!(step.plain() > 0.0 && step.plain() <= pi)) return false;
        winding += step.plain();
        if (winding > 2 * pi) return false;
    }
    const vxRadian arc = positive ? (angles.back() - angles.front()).norm()
                                  : -(angles.front() - angles.back()).norm();
    if (!(std::fabs(arc.plain()) >= minCircularSweep)) return false;

    circle = fitted;
    sweep = arc;
    polarAngles.swap(angles);
    return true;
}

vxVector<2> vf_CellExtents(const vxVector<2>& diagonal1, const vxVector<2>& diagonal2,
                           vxRadian angle) {
    const vxVector<2> a = diagonal1.rotate(angle);
    const vxVector<2> b = diagonal2.rotate(angle);
    return vxVector<2>(std::max(std::fabs(a.x()), std::fabs(b.x())),
                       std::max(std::fabs(a.y()), std::fabs(b.y())));
}

std::vector<vx_PredictedPlace>
vf_PredictLinePlaces(const vxLine& line, const std::vector<double>& along, long firstMatched,
                     long lastMatched, const std::vector<vx_LinePosition>& positions,
                     vxRadian expectedOrientation,
                     vxOCArrangeDefs::OrientationReference reference) {
    checkRange(firstMatched, lastMatched, positions);
    vstd_assert_(along.size() >= 2, "a fitted line has at least two matched characters");
    const vxRadian unmatchedAngle = reference == vxOCArrangeDefs::eAbsolute
                                        ? expectedOrientation - line.angle()
                                        : expectedOrientation;
    const std::vector<double> w = widths(firstMatched, lastMatched, positions, [&](long p) {
        return positions[p].isMatched ? positions[p].angle - line.angle() : unmatchedAngle;
    });
    const std::vector<double> place =
        spacedPlaces(along.front(), along.back() - along.front(), w, 1.0);

    std::vector<vx_PredictedPlace> result;
    result.reserve(place.size());
    for (double s : place)
        result.push_back({line.point(s), line.angle()});
    return result;
}

std::vector<vx_PredictedPlace>
vf_PredictCirclePlaces(const vxCircle& circle, vxRadian firstPolarAngle, vxRadian sweep,
                       long firstMatched, long lastMatched,
                       const std::vector<vx_LinePosition>& positions, vxRadian expectedOrientation,
                       vxOCArrangeDefs::OrientationReference reference) {
    checkRange(firstMatched, lastMatched, positions);
    vstd_assert_(circle.radius() > 0, "a fitted circle has a positive radius");
    const double r = circle.radius();
    const double sense = sweep.plain() >= 0 ? 1.0 : -1.0;
    const vxRadian quarter(sense * pi / 2);
    const double count = static_cast<double>(lastMatched - firstMatched);

    const std::vector<double> w = widths(firstMatched, lastMatched, positions, [&](long p) {
        const vx_LinePosition& pos = positions[p];
        if (pos.isMatched) return pos.angle - (circle.angle(pos.translation) + quarter);
        if (reference == vxOCArrangeDefs::eRelative) return expectedOrientation;
        // Before the places are known, even spacing tells where the tangent is.
        const vxRadian evenly = firstPolarAngle + sweep * ((p - firstMatched) / count);
        return expectedOrientation - (evenly + quarter);
    });
    // Widths advance the angle in the sense of the sweep, so text read clockwise and
    // text read counter-clockwise are spaced alike.
    std::vector<double> widthAngles(w);
    for (double& a : widthAngles)
        a /= r;
    const std::vector<double> angle =
        spacedPlaces(firstPolarAngle.plain(), sweep.plain(), widthAngles, sense);

    std::vector<vx_PredictedPlace> result;
    result.reserve(angle.size());
    for (double a : angle)
        result.push_back({circle.point(vxRadian(a)), vxRadian(a) + quarter});
    return result;
}

vxRadian vf_AverageOrientation(const std::vector<vxRadian>& orientations,
                               const std::vector<vx_OCExtractDefs::Symmetry>& symmetries) {
    vstd_assert_(orientations.size() == symmetries.size(), "one symmetry per orientation");
    double c = 0.0, s = 0.0;
    for (size_t i = 0; i < orientations.size(); ++i)
        if (symmetries[i] == vx_OCExtractDefs::eNotSymmetric) {
            c += cos(orientations[i]);
            s += sin(orientations[i]);
        }
    // A half-turn-symmetric character reads either way up: take the reading that agrees
    // with what has been summed so far.
    for (size_t i = 0; i < orientations.size(); ++i)
        if (symmetries[i] == vx_OCExtractDefs::eSymmetric180) {
            const double ci = cos(orientations[i]), si = sin(orientations[i]);
            const double sign = ci * c + si * s >= 0 ? 1.0 : -1.0;
            c += sign * ci;
            s += sign * si;
        }
    if (c == 0.0 && s == 0.0) return vxRadian(0);
    return vxRadian(std::atan2(s, c));
}
