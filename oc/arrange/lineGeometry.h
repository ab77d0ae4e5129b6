// Geometry of one line of characters for the arrangement cost: the straight and the
// circular fit of the matched characters' origins, the places the line predicts for
// each of its positions, and the line's average character orientation. All points
// are in client coordinates; angles follow the foundation (positive turns x toward y).
#pragma once

#include "vxAngle.h"
#include "vxOCArrangeDefs.h"
#include "vxShapes.h"
#include "vxVector.h"
#include "vx_OCExtractDefs.h"

#include <vector>

// Fits a straight line to the matched characters' origins, in position order. On
// success `line` runs from the first point toward the last (its position is the foot
// of the perpendicular from the origin) and `along[i]` is point i's signed distance
// along it, strictly increasing. Returns false, leaving the outputs unchanged, for
// fewer than two points or when the points do not follow one another strictly along
// the fitted line. Throws vxGeomDefs::BadArgument for a point that is not finite.
bool vf_FitArrangementLine(const std::vector<vxVector<2>>& points, vxLine& line,
                           std::vector<double>& along);

// Fits a circle to three or more points, in position order. On success `polarAngles[i]`
// is point i's angle about the centre and `sweep` the signed turn from the first point
// to the last: positive when the points turn in the positive angle sense. Returns
// false, leaving the outputs unchanged, for fewer than three points, a degenerate fit,
// a point at the centre, two points at the same polar angle, a step of more than half
// a turn, points that wind more than a full turn, or a sweep under 5 degrees. Throws
// vxGeomDefs::BadArgument for a point that is not finite.
bool vf_FitArrangementCircle(const std::vector<vxVector<2>>& points, vxCircle& circle,
                             vxRadian& sweep, std::vector<vxRadian>& polarAngles);

// One position of a line as the place prediction sees it: the two diagonals of its
// cell (cornerPx - cornerPy and cornerPx + cornerPy - 2 cornerPo) and, for a position
// with a matched character, that character's origin and orientation (client frame).
struct vx_LinePosition {
    vxVector<2> cellDiagonal1;
    vxVector<2> cellDiagonal2;
    bool isMatched = false;
    vxVector<2> translation;
    vxRadian angle;
};

// The place the line predicts for a position, and the line's direction there.
struct vx_PredictedPlace {
    vxVector<2> point;
    vxRadian direction;
};

// The cell's extents in a frame turned by `angle` against the cell: x is the larger
// absolute x component of the two diagonals turned by `angle`, y the larger absolute
// y component.
vxVector<2> vf_CellExtents(const vxVector<2>& diagonal1, const vxVector<2>& diagonal2,
                           vxRadian angle);

// Predicted places of positions firstMatched .. lastMatched (both matched, at least
// two positions) along a line from vf_FitArrangementLine, whose `along` belongs to the
// line's matched characters. The first and last places are the first and last matched
// characters' projections; between them each position takes its width along the line
// (its cell turned by its orientation in the line frame) and the rest is shared out as
// equal gaps. A matched position's orientation is its own; an unmatched one's is
// `expectedOrientation`, taken as absolute or relative to the line by `reference`.
// `positions` is indexed by position and must reach lastMatched.
std::vector<vx_PredictedPlace>
vf_PredictLinePlaces(const vxLine& line, const std::vector<double>& along, long firstMatched,
                     long lastMatched, const std::vector<vx_LinePosition>& positions,
                     vxRadian expectedOrientation, vxOCArrangeDefs::OrientationReference reference);

// The same along a circle (radius above 0) from vf_FitArrangementCircle, in polar
// angle: the first place at firstPolarAngle, the last at firstPolarAngle + sweep,
// widths measured against the tangent and converted to angle through the radius. The
// direction of each place is the tangent in the sense of the sweep. An unmatched
// position's absolute expected orientation is judged against the tangent at the angle
// that even spacing would give it.
std::vector<vx_PredictedPlace>
vf_PredictCirclePlaces(const vxCircle& circle, vxRadian firstPolarAngle, vxRadian sweep,
                       long firstMatched, long lastMatched,
                       const std::vector<vx_LinePosition>& positions, vxRadian expectedOrientation,
                       vxOCArrangeDefs::OrientationReference reference);

// The direction of the unit-vector sum of the orientations: characters without
// symmetry count as they are; half-turn-symmetric ones, in order, count with whichever
// of their two readings agrees with the running sum; fully symmetric ones are ignored.
// 0 when nothing counts or the sum vanishes exactly. The two vectors are parallel.
vxRadian vf_AverageOrientation(const std::vector<vxRadian>& orientations,
                               const std::vector<vx_OCExtractDefs::Symmetry>& symmetries);
