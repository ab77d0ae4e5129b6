// Display graphics as SVG elements, for drawing over an image in a page.
#pragma once

#include "vxGraphicList.h"

#include <algorithm>
#include <limits>
#include <string>

// The box around points drawn; empty until a point is added.
struct vxViewBounds {
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;

    bool empty() const { return minX > maxX; }
    void add(const vxVector<2>& p) {
        minX = std::min(minX, p.x()), minY = std::min(minY, p.y());
        maxX = std::max(maxX, p.x()), maxY = std::max(maxY, p.y());
    }
};

// The SVG elements of `graphics` mapped by `viewFromGraphics` into the coordinates of
// the SVG's viewBox, one element per graphic, in order. Outlines are stroked with the
// graphic's pen width and filled shapes filled, both in the graphic's colour; pen
// widths are meant as display pixels (the page sets vector-effect: non-scaling-stroke),
// while point icons are sized in view units. Graphics with a coordinate that is not
// finite are left out. When `bounds` is given, it is widened to hold every point drawn
// (the points alone: pens and icons are not counted).
std::string vfGraphicsSvg(const vxGraphicList& graphics, const vxXform<2>& viewFromGraphics,
                          vxViewBounds* bounds = nullptr);
