// vx_ArrangeCost: what the arrangement cost evaluation finds for one candidate. The
// eight terms always; per line its kind and scale; in detail mode (the final
// evaluation) also per position and per line what result assignment, line building
// and the diagnostics read.
#pragma once

#include "vxAngle.h"
#include "vxShapes.h"
#include "vxVector.h"

#include <vector>

// The final evaluation's findings for one decided position.
struct vx_ArrangePositionCost {
    // Where the fitted line puts the position. For a matched character on a line
    // without a fit (fewer than two matched characters) its own origin; for an
    // unmatched position there the origin (0, 0).
    vxVector<2> predictedPlace;
    // The orientation the character is expected to have, in the client frame.
    vxRadian expectedOrientation;
    // A matched character's errors, 0 for unmatched positions and on lines without a
    // fit: offset along the line in units of its extent along the line, offset across
    // in units of its extent across, orientation error in units of 45 degrees, and the
    // base-2 logarithm of its scale over the line's (its absolute value is the scale
    // term). None of them is weighted.
    double tangential = 0.0;
    double normal = 0.0;
    double orientation = 0.0;
    double scaleDeviation = 0.0;
};

// One line of the candidate.
struct vx_ArrangeLineCost {
    enum Kind { eStraight = 0, eCircular = 1, eNoFit = 2 };
    // eNoFit for a line with fewer than two matched characters.
    Kind kind = eNoFit;
    // Geometric mean of the matched characters' scales; 1.0 without any.
    double scale = 1.0;
    // Detail mode only: the expected orientation of the line's characters in the
    // frame of the orientation reference (the average or the specified one), and the
    // fitted curve between the first and last matched characters (a segment between
    // their nearest line points, or the arc between their polar angles).
    vxRadian orientation;
    vxLineSeg segment;
    vxEllipseArc2 arc;
};

class vx_ArrangeCost {
public:
    // Sum of the characters' 1 - score.
    double match = 0.0;
    // unmatchedCharCost per unmatched position that is charged.
    double unmatched = 0.0;
    // lineBreakCost per line beyond the first, lone unmatched lines not counted.
    double lineBreak = 0.0;
    // The weighted geometric terms.
    double normal = 0.0;
    double tangential = 0.0;
    double orientation = 0.0;
    double scale = 0.0;
    double spacing = 0.0;

    // Lines whose matched characters, on the whole, face against the line's reading
    // direction (their x axes point backwards along it). Not part of the cost: only
    // the order of equally cheap candidates, so that a palindrome such as "505" reads
    // the way its characters face.
    int backwardLines = 0;

    // One entry per line; per decided position only in detail mode (else empty).
    std::vector<vx_ArrangeLineCost> lines;
    std::vector<vx_ArrangePositionCost> positions;

    // The plain sum of the eight terms.
    double total() const {
        return match + unmatched + lineBreak + normal + tangential + orientation + scale + spacing;
    }
    // Zero terms and no details (the vectors keep their memory).
    void reset() {
        match = unmatched = lineBreak = normal = tangential = orientation = scale = spacing = 0.0;
        backwardLines = 0;
        lines.clear();
        positions.clear();
    }
};

// The geometric terms summed line by line, before the parameters weigh them: over the
// lines before a candidate's last (`closed`) and over all of them (`all`). An
// extension within the last line keeps the lines before it, and their sums, as they
// were, so its evaluation starts from its parent's `closed`.
struct vx_ArrangeLineSums {
    double normal = 0.0, tangential = 0.0, orientation = 0.0, scale = 0.0, spacing = 0.0;
    int backwardLines = 0;
};
struct vx_ArrangeGeometrySums {
    vx_ArrangeLineSums closed, all;
};
