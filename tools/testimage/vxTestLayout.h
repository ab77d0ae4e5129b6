// Strings of characters laid out along a straight line or a circular arc, as
// placements for vfRenderTestImage (whose truth then gives each character's pose).
#pragma once

#include "vxTestScene.h"

#include <string>
#include <vector>

// The size and spacing of the characters of a string.
struct vxTestTextStyle {
    double size = 32.0;       // cap height in pixels at scale 1
    double scale = 1.0;       // multiplies size, stroke width and advance
    double strokeWidth = 0.0; // in pixels at scale 1; 0 means the font's default
    double advance = 0.0;     // cell centre to cell centre, pixels at scale 1; 0: cell width
};

// The characters of `text` (every char, spaces included) along a straight line through
// `center` in the direction `angle`, reading along that direction, with the string's
// middle (halfway between the first and last cell centres) at `center`; each
// character is turned by `angle`. Throws vxTestImageDefs::BadArgument for a non-finite
// centre or angle, or a size, scale or advance outside its domain.
std::vector<vxTestCharPlacement> vfLayoutLine(const std::string& text, const vxVector<2>& center,
                                              vxRadian angle, const vxTestTextStyle& style);

// The characters of `text` with their cell centres on the circle of `radius` about
// `circleCenter`, the string's middle at the polar angle `middle` (image convention:
// 0 along +x, pi/2 along +y, i.e. straight down), consecutive centres `advance` apart
// along the circle. With tops outward the string reads clockwise on screen and a
// character at polar angle t is turned by t + pi/2; with tops inward it reads
// counter-clockwise and is turned by t - pi/2 (so it stays upright at the bottom of the
// circle). Throws vxTestImageDefs::BadArgument as vfLayoutLine does, and for a radius
// that is not positive and finite.
std::vector<vxTestCharPlacement> vfLayoutArc(const std::string& text,
                                             const vxVector<2>& circleCenter, double radius,
                                             vxRadian middle, bool topsOutward,
                                             const vxTestTextStyle& style);
