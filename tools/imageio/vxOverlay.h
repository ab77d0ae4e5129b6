// Drawing annotations over a picture in image coordinates (pixel (i, j) covers
// [i, i+1) x [j, j+1), y down), for the command-line tool's overlay pictures. Lines
// are anti-aliased and clipped to the picture; nothing drawn outside it is an error.
// NaN or infinite coordinates, a width that is not positive or a negative radius draw
// nothing; the work is bounded by the picture's size whatever the coordinates. Drawing
// throws vxImageFileError when the picture's pixels do not match its size.
#pragma once

#include "vxImageFile.h"
#include "vxVector.h"

#include <string>
#include <utility>
#include <vector>

struct vxColour {
    unsigned char r = 0, g = 0, b = 0;
};

class vxOverlay {
public:
    explicit vxOverlay(vxRgbImage picture) : picture_(std::move(picture)) {}

    // A straight segment `width` pixels wide.
    void line(const vxVector<2>& from, const vxVector<2>& to, vxColour colour,
              double width = 1.0);
    // A closed polygon through the points in order.
    void polygon(const std::vector<vxVector<2>>& points, vxColour colour, double width = 1.0);
    // An arc of the circle about `centre`, from angle `start` through `sweep` (radians,
    // positive clockwise on screen, 0 along +x).
    void arc(const vxVector<2>& centre, double radius, double start, double sweep,
             vxColour colour, double width = 1.0);
    // Text whose first character's cell has its upper-left corner at `at`, capitals
    // `height` pixels tall, upright, one cell (0.8 `height` wide) per UTF-8 character.
    // Small letters are drawn as capitals, characters without a glyph as a box.
    void text(const std::string& text, const vxVector<2>& at, double height, vxColour colour);

    const vxRgbImage& picture() const { return picture_; }

private:
    vxRgbImage picture_;
};
