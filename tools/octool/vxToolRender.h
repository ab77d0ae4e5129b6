// Rendering test images for octool: text along lines or arcs with its ground truth,
// and sample sheets with a teaching manifest. Used by `octool render` and the demo.
#pragma once

#include "vxTestLayout.h"
#include "vxTestScene.h"

#include <string>
#include <vector>

// How to lay out and render text.
struct vxToolTextLayout {
    std::vector<std::string> lines; // one string per line; spaces leave gaps
    vxTestScene scene;
    vxTestTextStyle style;
    vxVector<2> center{320, 240}; // middle of the text, or the circle's centre on an arc
    double angleDeg = 0.0;        // reading direction of straight lines
    double arcRadius = 0.0;       // 0: straight lines; else the first line's radius
    double arcMiddleDeg = -90.0;  // polar angle of the text's middle on the arc (-90: top)
    bool arcInward = false;       // tops toward the centre (reads counter-clockwise)
    double lineGap = 0.0;         // line to line, pixels; 0: 1.8 cap heights
    std::vector<long> omitted;    // indices of characters (spaces not counted) left out
};

// The characters of a layout (spaces not counted), each with its placement and
// whether it is printed.
struct vxToolRendered {
    vxTestImage image; // truth in the order of `placements`
    std::vector<vxTestCharPlacement> placements;
    std::vector<long> lineOf;
    std::vector<bool> printed;
    std::string target; // every character, spaces left out
};

// Lays out and renders the text. Throws vxToolError for an omitted index out of range
// or a character the font lacks, and the generator's errors for values outside their
// domain.
vxToolRendered vfToolRenderText(const vxToolTextLayout& layout);

// Writes the rendering's ground truth as JSON: image size, target, and per character
// its name, line, printed flag, cell centre x, y (pixel i spans [i, i+1)), angleDeg and
// scale.
void vfToolWriteTruth(const std::string& path, const std::string& imagePath,
                      const vxToolRendered& rendered);

// Renders `chars` as a sample sheet (rows of up to ten cells) with `look`, writes it to
// `imagePath` and a manifest (KEY = code point, NAME, IMAGE, X Y W H per character)
// to `manifestPath`, the image named relative to the manifest's folder. Throws
// vxToolError for a size outside (0, 1000], repeated characters or spaces.
void vfToolRenderSheet(const std::string& chars, double size, const vxTestScene& look,
                       const std::string& imagePath, const std::string& manifestPath);
