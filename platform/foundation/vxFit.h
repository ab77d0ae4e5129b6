// Least-squares fits of a line and of a circle to points.
//
// Both fits share the outlier rule given by `count` and `maxDist`: after the first
// fit, points are dropped one at a time, always the kept point farthest from the
// current fit, and the fit is redone after each drop: first `count` times whatever
// the distances (count = number of worst points to drop), then as long as the
// farthest kept point lies farther than `maxDist` from the fit. Dropping stops
// early when only the minimum number of points is left (2 for a line, 3 for a
// circle) or the fit has become degenerate. count 0 and maxDist HUGE_VAL keep every
// point. A negative count, a negative or NaN maxDist, or a point with a non-finite
// coordinate throws vxGeomDefs::BadArgument.
//
// Optional outputs: `used` receives one flag per point (false for dropped points);
// `rms` the root mean square distance of the kept points from the result.
#pragma once

#include "vxShapes.h"
#include "vxVector.h"

#include <vector>

class vxLineFitDefs {
public:
    enum fit_mode : int {
        // Total least squares: minimises the sum of squared perpendicular distances
        // (the line through the centroid along the principal axis), so vertical
        // lines fit as well as horizontal ones.
        eOrthogonal = 0,
    };
};

class vxCircleFitDefs {
public:
    enum fit_mode : int {
        // Geometric: minimises the sum of squared distances from the circle,
        // (|p - c| - r)^2, by Levenberg-Marquardt iterations started from the
        // Pratt fit. The most accurate, also on short arcs.
        eGeometric = 0,
        // Pratt's algebraic fit: minimises sum((|p - c|^2 - r^2)^2) / r^2 in closed
        // form; nearly unbiased on short arcs.
        ePratt = 1,
        // Kasa's algebraic fit: minimises sum((|p - c|^2 - r^2)^2); fast, but its
        // radius comes out too small on short noisy arcs.
        eKasa = 2,
    };
};

// Fits `line` to the points. Returns false, with the line through the centroid of
// the kept points at angle 0 (or the default line without points), when fewer than
// two points are given or all kept points coincide. The fitted line passes through
// the centroid of the kept points; its angle lies in (-pi/2, pi/2] (the direction
// of a least-squares line is a matter of choice; reverse it as needed).
bool vfLineFit(const std::vector<vxVector<2>>& points, vxLineFitDefs::fit_mode mode, long count,
               double maxDist, vxLine& line, std::vector<bool>* used = nullptr,
               double* rms = nullptr);

// Fits `circle` to the points. `param` is the initial damping of the geometric
// fit's Levenberg-Marquardt iterations, relative to the diagonal of the normal
// matrix (0 starts as plain Gauss-Newton; 1.0 is a safe default); the algebraic
// modes ignore it. It must be finite and >= 0 (vxGeomDefs::BadArgument otherwise).
// A degenerate fit (fewer than three points, all kept points on one line, or no
// finite circle) gives radius 0 at the centroid of the kept points (the origin
// without points) and returns false.
bool vfCircleFit(const std::vector<vxVector<2>>& points, vxCircleFitDefs::fit_mode mode,
                 double param, long count, double maxDist, vxCircle& circle,
                 std::vector<bool>* used = nullptr, double* rms = nullptr);
