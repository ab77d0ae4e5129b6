// The rectangle enclosing a polygon carried by an uncertain pose.
#pragma once

#include "vxAngle.h"
#include "vxRect.h"
#include "vxShapes.h"
#include "vxXform.h"

// Returns the smallest axis-parallel rectangle, in the frame reached by `outer`, that
// encloses `outer * (T(d) * pose * U * p)` for every point p of `polygon`, every
// translation d with |d.x| <= xUncertainty and |d.y| <= yUncertainty (in the frame
// between pose and outer), and every perturbation U of the pose's own frame:
// a rotation by at most rotationUncertainty, a uniform scale within
// 1 +- scaleUncertainty, a y-to-x aspect within 1 +- aspectUncertainty and a shear of
// the y axis by at most shearUncertainty radians. `margin` is added on every side.
// With `conservative` 1 the rotation arc is enclosed by its circumscribed polygon,
// so the rectangle is guaranteed to hold every perturbed point (it may exceed the
// exact bound by at most 0.02 percent of the polygon's radius); with 0 the arc is
// only sampled. A polygon without vertices gives the default rectangle.
// Throws vxGeomDefs::BadArgument for a negative or non-finite uncertainty or margin,
// or for a scale or aspect uncertainty of 1 or more.
vxRect vfEncloseRect(const vxPolygon& polygon, const vxXform<2>& pose, const vxXform<2>& outer,
                     double xUncertainty, double yUncertainty, vxRadian rotationUncertainty,
                     double scaleUncertainty, double aspectUncertainty, double shearUncertainty,
                     double margin, int conservative);
